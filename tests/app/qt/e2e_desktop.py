"""The desktop program end to end: k4-sim on a pseudo-terminal, the program
on a private Xvfb display, and a user played by xdotool. What the unit
tests cannot show: the whole pass through the real windows and files, a
second start beside a running program, a SIGTERM and an unplug mid-transfer."""

import signal
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
from harness import display as x  # noqa: E402
from harness.reports import same_but_the_date  # noqa: E402
from harness.scene import (SEND_FAILED, UPLOAD_LOST, check_sanitizers, ctest_main, k4_report, tool,  # noqa: E402
                           wait_for, x11_scene)

# The program file's name, and what every caption of its windows holds.
PROGRAM = "K4 Data Transfer Application"


class DesktopPass(unittest.TestCase):
    def setUp(self):
        self.scene = x11_scene(self, "xdotool", "xprop")
        self.data = self.scene.home / "Documents" / "K4 Data Folder"
        self.seen = set()

    def start_program(self):
        return self.scene.start([tool(PROGRAM)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def start_pass(self, *sim_args):
        self.sim = self.scene.start_sim("unit", *sim_args)
        return self.start_program()

    def next_window(self, window_role, timeout=15):
        """The next shown window of the program with this role."""
        def shown():
            return next((window for window in x.windows(self.scene.display, "--name", PROGRAM)
                         if window not in self.seen and x.role(self.scene.display, window) == window_role), None)
        window = wait_for(f"a window {window_role}", shown, timeout)
        self.seen.add(window)
        return window

    def press(self, window, *keys):
        x.press(self.scene.display, window, *keys)

    def type_text(self, window, text):
        x.x_client(self.scene.display, "xdotool", "windowfocus", "--sync", window, "type", "--delay", "5", text)

    def start_download(self, *sim_args):
        """A pass whose user downloads into "pump7" at once."""
        program = self.start_pass(*sim_args)
        self.press(self.next_window("k4-data-found"), "Return")  # Download Data
        save = self.next_window("k4-save-file")
        self.type_text(save, "pump7")
        self.press(save, "Return")
        return program

    def ended(self, program, timeout=15):
        """The exit status; what the program said goes to self.said."""
        try:
            program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.fail("the program did not end")
        self.said = program.stderr.read()
        check_sanitizers("the desktop program", self.said)
        return program.returncode

    def test_whole_pass_beside_a_second_start(self):
        program = self.start_pass()
        self.press(self.next_window("k4-data-found"), "Return")
        save = self.next_window("k4-save-file")
        self.press(save, "Return")  # no name yet: "Please enter a file name."
        box = self.next_window("k4-message")

        second = self.start_program()
        self.assertEqual(self.ended(second, timeout=5), 0)
        self.assertEqual((second.stdout.read(), self.said), ("", ""), "the second start showed something")
        self.assertEqual([w for w in x.windows(self.scene.display, "--name", PROGRAM) if w not in self.seen], [])

        self.press(box, "Return")
        self.type_text(save, "pump7")
        self.press(save, "Return")
        self.press(self.next_window("k4-save-complete", timeout=30), "Return")  # Exit
        self.assertEqual(self.ended(program), 0)

        self.scene.sim_image()  # into dumped.img
        csv, theirs = k4_report(self.scene.root / "dumped.img", self.scene.root / "reference")
        self.assertEqual(sorted(p.name for p in self.data.iterdir()), ["pump7.csv", "pump7.xls"])
        self.assertEqual((self.data / "pump7.csv").read_bytes(), csv)
        self.assertTrue(same_but_the_date((self.data / "pump7.xls").read_bytes(), theirs),
                        "the report differs from k4-report's")

    def assert_told_and_no_file(self, told):
        self.assertEqual([line.split("message: ", 1)[1] for line in self.said.splitlines() if "message: " in line],
                         told)
        self.assertEqual(list(self.data.glob("*")), [], "a file was left, or a part of one")

    def test_sigterm_mid_transfer_ends_at_once(self):
        program = self.start_download("--silent-after", "2")
        wait_for("the unit's silence", lambda: self.sim.noted_at("silent from now on"))
        # The main window is hidden now: the session's end is what closes it.
        program.send_signal(signal.SIGTERM)
        self.assertEqual(self.ended(program, timeout=1), 0)
        self.assert_told_and_no_file([])

    def test_unplug_mid_transfer_tells_why(self):
        program = self.start_download("--unplug-after", "2")
        for _ in range(2):
            self.press(self.next_window("k4-message", timeout=30), "Return")
        self.assertEqual(self.ended(program), 0)
        self.assert_told_and_no_file([SEND_FAILED, UPLOAD_LOST])


if __name__ == "__main__":
    sys.exit(ctest_main(sys.modules[__name__], ["DesktopPass"]))
