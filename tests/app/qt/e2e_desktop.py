"""The desktop program end to end: k4-sim on a pseudo-terminal, the program
on a private Xvfb display, and a user played by xdotool."""

import ctypes
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
TESTS = HERE.parents[1]
sys.path.insert(0, str(TESTS))
from harness import scene as k4_scene  # noqa: E402
from harness.scene import CTEST_SKIPPED, Scene, tool  # noqa: E402


def shared_texts():
    """The program's texts, read from the header the program is built from."""
    header = (TESTS.parent / "common" / "texts.h").read_text()
    version = os.environ["K4_VERSION"]
    texts = {}
    for name, value in re.findall(r'(k\w+) =\s*((?:"(?:[^"\\]|\\.)*"\s*|K4_VERSION_TEXT\s*)+);', header):
        pieces = re.finditer(r'"((?:[^"\\]|\\.)*)"|K4_VERSION_TEXT', value)
        texts[name] = "".join(version if piece[1] is None else piece[1] for piece in pieces)
    return texts


TEXTS = shared_texts()
APP_NAME = TEXTS["kApplicationName"]
CAPTION = TEXTS["kWindowCaption"]
PROGRAM = TEXTS["kApplicationName"]  # the program file is named after the program
DISPLAY = None
XVFB = None


def title_pattern(title):
    # xdotool matches an extended regular expression against the title.
    return "^" + re.sub(r"([.^$*+?()\[\]{}|\\])", r"\\\1", title) + "$"


def windows(title):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern(title)],
                           env=dict(os.environ, DISPLAY=DISPLAY), capture_output=True, text=True)
    return [line for line in found.stdout.split() if line]


def role(window):
    """WM_WINDOW_ROLE: our windows share a caption, the role tells them apart."""
    found = subprocess.run(["xprop", "-id", window, "WM_WINDOW_ROLE"], env=dict(os.environ, DISPLAY=DISPLAY),
                           capture_output=True, text=True).stdout
    match = re.search(r'= "(.*)"', found)
    return match.group(1) if match else None


def xdotool(*args):
    subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=DISPLAY), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def close_box(window):
    """What the window manager does on a click on the close box: the
    WM_DELETE_WINDOW message of the ICCCM."""
    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(DISPLAY.encode())
    event = ClientMessage(type=33, window=int(window), format=32,  # ClientMessage
                          message_type=x11.XInternAtom(display, b"WM_PROTOCOLS", 0))
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, int(window), 0, 0, ctypes.byref(event))
    x11.XCloseDisplay(display)


def setUpModule():
    global DISPLAY, XVFB
    for program in ("Xvfb", "xdotool", "xprop"):
        if not shutil.which(program):
            raise unittest.SkipTest(f"{program} is not installed")
    read_end, write_end = os.pipe()
    # -noreset: by default the server resets whenever its last client leaves,
    # and a program starting at that moment cannot connect.
    XVFB = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                             "-noreset"],
                            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as announced:
        number = announced.readline().strip()
    if not number:
        XVFB.kill()
        raise unittest.SkipTest("Xvfb did not start")
    DISPLAY = ":" + number


def tearDownModule():
    if XVFB:
        XVFB.terminate()
        XVFB.wait(timeout=10)


def report_result_stripped(xls):
    """The .xls with the cached result of its one NOW() formula zeroed: the
    only bytes that differ between two reports of the same log. Returns the
    bytes and the download date that was cached, in days."""
    data = bytearray(xls)
    for match in re.finditer(rb"\x06\x00", bytes(data)):  # FORMULA records
        start = match.start()
        if start + 18 > len(data):
            continue
        length = struct.unpack_from("<H", data, start + 2)[0]
        value = struct.unpack_from("<d", data, start + 10)[0]
        # The date cell: a plausible day number since 1900 (years 2000 to 2200).
        if 20 <= length <= 64 and 36526 <= value <= 109574:
            data[start + 10:start + 18] = bytes(8)
            return bytes(data), value
    return bytes(data), None


class DesktopPass(unittest.TestCase):
    def setUp(self):
        self.scene = Scene()
        self.addCleanup(self.scene.close)
        self.runtime = self.scene.root / "run"
        self.runtime.mkdir(mode=0o700)
        self.data = self.scene.home / "Documents" / TEXTS["kDataFolderName"]
        self.seen = set()
        self.programs = []
        self.addCleanup(self.stop_programs)

    def stop_programs(self):
        for process in self.programs:
            if process.poll() is None:
                process.kill()
                process.wait()

    def environment(self):
        env = self.scene.environment()
        env.update(DISPLAY=DISPLAY, XDG_RUNTIME_DIR=str(self.runtime), K4_REPORT_SHOWN="1")
        # Only matters in a sanitizer build: see the file.
        env.setdefault("LSAN_OPTIONS", f"suppressions={TESTS / 'lsan.supp'}")
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)
        return env

    def start_program(self):
        process = subprocess.Popen([tool(PROGRAM)], env=self.environment(), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        self.programs.append(process)
        return process

    def next_window(self, window_role, title=CAPTION, timeout=15):
        """The next shown window with this title and role not seen before."""
        deadline = time.monotonic() + timeout
        shown = []
        while time.monotonic() < deadline:
            shown = [(window, role(window)) for window in windows(title) if window not in self.seen]
            for window, its_role in shown:
                if its_role == window_role:
                    self.seen.add(window)
                    return window
            time.sleep(0.05)
        for process in self.programs:
            if process.poll() is None and os.environ.get("K4_DEBUG_HANG"):
                trace = subprocess.run(["gdb", "-p", str(process.pid), "-batch", "-ex", "thread apply all bt"],
                                       capture_output=True, text=True).stdout
                print("DEBUG", trace, file=sys.stderr)
            print("DEBUG program", process.pid, process.poll(), file=sys.stderr)
            if process.poll() is not None:
                print("DEBUG stderr", process.stderr.read(), file=sys.stderr)
        self.fail(f"no window {window_role} titled {title!r}; shown: {shown}")

    def press(self, window, *keys):
        xdotool("windowfocus", "--sync", window)
        xdotool("key", "--clearmodifiers", *keys)

    def type_text(self, window, text):
        xdotool("windowfocus", "--sync", window)
        xdotool("type", "--delay", "5", text)

    def ended(self, process, timeout=15):
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end")
        stderr = process.stderr.read()
        self.stderr = stderr
        k4_scene.check_sanitizers("the desktop program", stderr)
        return process.returncode

    def start_pass(self, *sim_args):
        self.sim = self.scene.start_sim("unit", *sim_args)
        return self.start_program()

    def test_whole_pass_writes_both_files_as_k4_report_does(self):
        program = self.start_pass()
        self.press(self.next_window("k4-data-found"), "Return")  # Download Data
        save = self.next_window("k4-save-file")
        self.type_text(save, "pump7")
        self.press(save, "Return")
        self.press(self.next_window("k4-save-complete", timeout=30), "Return")  # Exit
        self.assertEqual(self.ended(program), 0)

        reference = self.scene.root / "reference"
        reference.mkdir()
        image = self.scene.root / "served.img"
        image.write_bytes(self.scene.sim_image())
        subprocess.run([tool("k4-report"), str(image), "--output", str(reference / "pump7")], check=True)
        self.assertEqual(sorted(p.name for p in self.data.iterdir()), ["pump7.csv", "pump7.xls"])
        self.assertEqual((self.data / "pump7.csv").read_bytes(), (reference / "pump7.csv").read_bytes())
        ours, our_date = report_result_stripped((self.data / "pump7.xls").read_bytes())
        theirs, their_date = report_result_stripped((reference / "pump7.xls").read_bytes())
        self.assertIsNotNone(our_date)
        self.assertEqual(ours, theirs)
        self.assertLess(abs(our_date - their_date) * 86400, 120)  # both "now"

    def test_ten_failed_polls_then_try_again_finds_the_unit(self):
        program = self.start_program()
        asked = self.next_window("k4-device-not-connected", timeout=25)  # ten polls, one a second
        self.assertEqual([w for w in windows(CAPTION) if role(w) == "k4-main"], [],
                         "the main window is hidden while the question is up")
        self.sim = self.scene.start_sim("unit")
        self.press(asked, "Return")  # Try Again
        self.press(self.next_window("k4-data-found"), "Escape")  # Cancel: nothing is downloaded
        self.assertEqual(self.ended(program), 0)
        self.assertIn(k4_scene.FILE_COUNT, self.sim.codes_received())
        self.assertNotIn(k4_scene.DOWNLOAD, self.sim.codes_received())
        self.assertFalse(self.data.exists())

    def test_unplug_during_the_transfer_says_so_twice_and_writes_nothing(self):
        program = self.start_pass("--unplug-after", "2")
        self.press(self.next_window("k4-data-found"), "Return")
        save = self.next_window("k4-save-file")
        self.type_text(save, "pump7")
        self.press(save, "Return")
        self.press(self.next_window("k4-message", APP_NAME, timeout=30), "Return")
        self.press(self.next_window("k4-message", APP_NAME), "Return")
        self.assertEqual(self.ended(program), 0)
        told = [line.split("message: ", 1)[1] for line in self.stderr.splitlines() if "message: " in line]
        self.assertEqual(told, [TEXTS["kSendFailedMessage"], TEXTS["kUploadLostMessage"]])
        self.assertEqual(sorted(p.name for p in self.data.iterdir()), [], "no file, not even a partial one")

    def wait_until(self, condition, timeout=15):
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() > deadline:
                self.fail("the unit never got that far")
            time.sleep(0.05)

    def assert_ends_at_once(self, program, close):
        """`close` ends the program within a second, with nothing more shown."""
        started = time.monotonic()
        close()
        self.assertEqual(self.ended(program, timeout=1), 0)
        self.assertLess(time.monotonic() - started, 1)
        self.assertNotIn("message: ", self.stderr)

    def close_while_the_unit_is_silent(self, close):
        program = self.start_pass("--silent-on-command", str(k4_scene.FILE_COUNT))
        main = self.next_window("k4-main")
        self.wait_until(lambda: k4_scene.FILE_COUNT in self.sim.codes_received())
        self.assert_ends_at_once(program, lambda: close(main))

    def test_esc_while_the_unit_is_silent_ends_at_once(self):
        self.close_while_the_unit_is_silent(lambda main: self.press(main, "Escape"))

    def test_close_box_while_the_unit_is_silent_ends_at_once(self):
        self.close_while_the_unit_is_silent(close_box)

    def test_ending_during_the_transfer_leaves_no_file(self):
        program = self.start_pass("--silent-after", "2")
        self.press(self.next_window("k4-data-found"), "Return")
        save = self.next_window("k4-save-file")
        self.type_text(save, "pump7")
        self.press(save, "Return")
        self.wait_until(lambda: self.sim.noted_at("silent from now on") is not None)
        # The main window is hidden now: the session's end is what closes it.
        self.assert_ends_at_once(program, lambda: program.send_signal(signal.SIGTERM))
        self.assertEqual(sorted(p.name for p in self.data.iterdir()), [], "no file, not even a partial one")

    def test_second_instance_leaves_while_a_message_box_is_up(self):
        program = self.start_pass()
        self.press(self.next_window("k4-data-found"), "Return")
        save = self.next_window("k4-save-file")
        self.press(save, "Return")  # no name: "Please enter a file name."
        box = self.next_window("k4-message", APP_NAME)

        started = time.monotonic()
        second = self.start_program()
        self.assertEqual(self.ended(second, timeout=10), 0)
        self.assertLess(time.monotonic() - started, 5)
        self.assertEqual(second.stdout.read(), "")
        self.assertEqual([w for w in windows(CAPTION) if w not in self.seen], [])

        self.press(box, "Return")
        self.press(save, "Escape")
        self.assertEqual(self.ended(program), 0)


if __name__ == "__main__":
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(stream=sys.stderr, verbosity=2).run(suite)
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(CTEST_SKIPPED if result.skipped or not result.testsRun else 0)
