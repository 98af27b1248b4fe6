#!/usr/bin/env python3
"""The Windows desktop programs under wine, driven from outside by
driver.exe: the main program against the Linux k4-sim on a pseudo-terminal
seen as COM5, Dockstart with a stand-in main program, and the installer.

Environment: WINEPREFIX (a fresh prefix whose wineserver runs), DISPLAY (an
X server for the windows), K4_BIN_DIR (Linux bin: k4-sim, k4-report),
K4_WIN_BUILD (the Windows build folder).

    desktop_wine.py [CASE...]     every case when none are named
    desktop_wine.py --pictures DIR   screenshots of every dialog
"""

import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

BIN = Path(os.environ.get("K4_BIN_DIR", ""))
WIN_BUILD = Path(os.environ.get("K4_WIN_BUILD", ""))
PREFIX = Path(os.environ.get("WINEPREFIX", ""))
DRIVER = WIN_BUILD / "tests" / "app" / "win32" / "driver.exe"
APP = WIN_BUILD / "bin" / "K4 Data Transfer Application.exe"
DOCK = WIN_BUILD / "bin" / "Dockstart.exe"
STANDIN_DIR = WIN_BUILD / "tests" / "app" / "win32" / "standin"
INSTALLER = next(WIN_BUILD.glob("K4-Data-Transfer-*-installer.exe"), WIN_BUILD / "no-installer.exe")

KEY = r"HKLM\SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"
USER_KEY = r"HKCU\SOFTWARE\Tavrin Co\K4 Data Transfer Application\Configuration"
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"

SEND_FAILED = "Failed to send command, please reconnect."
UPLOAD_LOST = "Lost communication with the Pumpvisor Data Download Device while uploading data."


def win(path):
    return "Z:" + str(path).replace("/", "\\")


def wine(*args, env=None, timeout=120, cwd=None):
    """Runs a Windows program to its end; output through files, never pipes."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.run(["wine", *map(str, args)], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              env=env or os.environ, timeout=timeout, cwd=cwd)
        out.seek(0)
        err.seek(0)
        return proc.returncode, out.read().decode(errors="replace"), err.read().decode(errors="replace")


def reg(*args):
    return wine("reg", *args)


def reg_value(key, name):
    code, out, _ = reg("query", key, "/v", name)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == name:
            return parts[2].strip()
    return None


def set_dword(name, value, key=KEY):
    if value is None:
        reg("delete", key, "/v", name, "/f")
    else:
        reg("add", key, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")


class Unit:
    """k4-sim on a pty, announced to the Windows programs as COM5; removing
    the bridge file is an unplug for them."""

    def __init__(self, root, *sim_args):
        self.lin = root / "lin-bridges"
        self.win_dir = root / "win-bridges"
        self.lin.mkdir(exist_ok=True)
        self.win_dir.mkdir(exist_ok=True)
        self.proc = subprocess.Popen([BIN / "k4-sim", "--bridge-dir", self.lin, "--name", "unit", "--unpaced",
                                      *sim_args], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        bridge = self.lin / "unit.bridge"
        for _ in range(100):
            if bridge.exists():
                break
            time.sleep(0.05)
        device = bridge.read_text().split()[0]
        link = PREFIX / "dosdevices" / "com5"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(device)
        self.plug()
        # The simulator withdraws its own file when it unplugs: so do we.
        self.stop_mirror = threading.Event()
        self.mirror = threading.Thread(target=self._mirror, daemon=True)
        self.mirror.start()

    def _mirror(self):
        while not self.stop_mirror.wait(0.05):
            if not (self.lin / "unit.bridge").exists():
                self.unplug()
                return

    def plug(self):
        (self.win_dir / "unit.bridge").write_text("COM5 10c4 ea60\n")

    def unplug(self):
        (self.win_dir / "unit.bridge").unlink(missing_ok=True)

    def stop(self):
        self.stop_mirror.set()
        self.unplug()
        self.proc.terminate()
        self.proc.wait(10)


class Bench:
    def __init__(self):
        self.root = Path(tempfile.mkdtemp(prefix="k4-desktop-"))
        self.out = self.root / "out"
        self.out.mkdir()
        self.env = dict(os.environ, K4_BRIDGE_DIR=win(self.root / "win-bridges"))
        (self.root / "win-bridges").mkdir()

    def driver(self, scenario, program, *args, timeout=120):
        code, out, err = wine(DRIVER, scenario, win(program), *args, env=self.env, timeout=timeout)
        return code, out

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def documents_data_folder():
    users = PREFIX / "drive_c" / "users"
    for user in users.iterdir():
        docs = user / "Documents"
        if docs.exists():
            return docs.resolve() / "K4 Data Folder"
    raise AssertionError("no Documents folder in the prefix")


def linux_report(image, base):
    subprocess.run([BIN / "k4-report", image, "--output", base], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)


def same_but_one_date(ours, theirs):
    """The reports carry the moment they were written (one 8-byte number):
    equal but for one run of at most 8 bytes."""
    if len(ours) != len(theirs):
        return False
    differ = [i for i in range(len(ours)) if ours[i] != theirs[i]]
    return not differ or differ[-1] - differ[0] < 8


class Failure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Failure(what)


def expect_driver(result, *must_see):
    code, out = result
    expect(code == 0, f"driver failed:\n{out}")
    for line in must_see:
        expect(line in out.splitlines(), f"driver did not say {line!r}:\n{out}")


def files_in(folder):
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


# --- main program ---------------------------------------------------------

def case_whole_pass(bench):
    unit = Unit(bench.root)
    try:
        expect_driver(bench.driver("pass-browse", APP, win(bench.out / "report.xls"), win(bench.out / "report")))
    finally:
        unit.stop()
    image = bench.root / "image.img"
    subprocess.run([BIN / "k4-sim", "--dump-image", image], check=True, stdout=subprocess.DEVNULL)
    linux_report(image, bench.root / "linux")
    expect(files_in(bench.out) == ["report.csv", "report.xls"], f"files: {files_in(bench.out)}")
    expect((bench.out / "report.csv").read_bytes() == (bench.root / "linux.csv").read_bytes(),
           "the CSV differs from the Linux build's")
    expect(same_but_one_date((bench.out / "report.xls").read_bytes(), (bench.root / "linux.xls").read_bytes()),
           "the report differs from the Linux build's")


def case_typed_name_in_documents(bench):
    folder = documents_data_folder()
    for name in ("typed-pump.csv", "typed-pump.xls"):
        (folder / name).unlink(missing_ok=True)
    unit = Unit(bench.root)
    try:
        expect_driver(bench.driver("pass-typed", APP, "typed-pump.csv"))
    finally:
        unit.stop()
    try:
        expect((folder / "typed-pump.csv").is_file() and (folder / "typed-pump.xls").is_file(),
               f"not in {folder}: {files_in(folder)}")
    finally:
        for name in ("typed-pump.csv", "typed-pump.xls"):
            (folder / name).unlink(missing_ok=True)


def no_files_case(scenario, *args, sim=()):
    def case(bench):
        before = files_in(documents_data_folder())
        unit = Unit(bench.root, *sim)
        try:
            expect_driver(bench.driver(scenario, APP, *args))
        finally:
            unit.stop()
        expect(files_in(bench.out) == [], f"files written: {files_in(bench.out)}")
        expect(files_in(documents_data_folder()) == before, "files written in the data folder")
    return case


def case_search_gives_up(bench):
    started = time.monotonic()
    expect_driver(bench.driver("search", APP), "ok ten failed polls bring Device Not Connected")
    expect(time.monotonic() - started > 9, "Device Not Connected came before ten polls")


def case_unplug_mid_transfer(bench):
    unit = Unit(bench.root, "--unplug-after", "2")
    try:
        code, out = bench.driver("messages", APP, win(bench.out / "unplugged"))
    finally:
        unit.stop()
    expect(code == 0, f"driver failed:\n{out}")
    messages = [line[len("message: "):] for line in out.splitlines() if line.startswith("message: ")]
    expect(messages == [SEND_FAILED, UPLOAD_LOST], f"messages: {messages}")
    expect(files_in(bench.out) == [], f"files written: {files_in(bench.out)}")


def case_second_instance(bench):
    unit = Unit(bench.root)
    try:
        expect_driver(bench.driver("second-instance", APP), "ok the second instance ended silently")
    finally:
        unit.stop()


def about_case(firmware, shown):
    def case(bench):
        unit = Unit(bench.root, "--firmware", firmware)
        try:
            expect_driver(bench.driver("about-unit", APP, shown))
        finally:
            unit.stop()
    return case


def end_at_once_case(how, sim):
    def case(bench):
        unit = Unit(bench.root, *sim)
        try:
            expect_driver(bench.driver("end-at-once", APP, how, win(bench.out / "stalled")),
                          f"ok the program ended within a second after {how}")
        finally:
            unit.stop()
        expect(files_in(bench.out) == [], f"files written: {files_in(bench.out)}")
    return case


def case_f1_opens_about(bench):
    expect_driver(bench.driver("f1-about", APP), "ok F1 opens the About box")


# --- Dockstart ------------------------------------------------------------

def dock_registry(run_on_start, main_app_path=None):
    reg("delete", USER_KEY, "/f")
    set_dword("RunOnStart", run_on_start)
    if main_app_path is None:
        reg("delete", KEY, "/v", "MainAppPath", "/f")
    else:
        reg("add", KEY, "/v", "MainAppPath", "/t", "REG_SZ", "/d", main_app_path, "/f")


def run_on_start():
    value = reg_value(KEY, "RunOnStart")
    return None if value is None else int(value, 16)


# (RunOnStart stored, MainAppPath there, first argument, what happens,
#  answer at start, answer at Exit, RunOnStart after)
START_UP_TABLE = (
    (None, True, "-", "ends", "-", "leave", None),
    (1, True, "WINSTART", "runs", "-", "no", 0),
    (0, True, "WINSTART", "ends", "-", "leave", 0),
    (2, True, "-", "asks", "no", "yes", 1),
    (0, True, "winstart", "asks", "yes", "no", 0),
    # Without MainAppPath it only sits in the tray: no question at start.
    (0, False, "-", "runs", "-", "yes", 1),
)


def case_dockstart_start_up(bench):
    for stored, has_path, argument, happens, at_start, at_exit, after in START_UP_TABLE:
        dock_registry(stored, win(STANDIN_DIR) + "\\" if has_path else None)
        row = f"RunOnStart {stored}, MainAppPath {has_path}, argument {argument}"
        code, out = bench.driver("dockstart", DOCK, argument, happens, at_start, at_exit)
        expect(code == 0, f"{row}: driver failed:\n{out}")
        expect(run_on_start() == after, f"{row}: RunOnStart is {run_on_start()}, expected {after}")


class Launcher:
    """Dockstart started by hand, with the stand-in main program noting
    each of its starts."""

    def __init__(self, bench, main_app_path):
        dock_registry(1, main_app_path)
        self.starts = bench.root / "starts.txt"
        self.env = dict(bench.env, K4_STANDIN_LOG=win(self.starts))
        self.proc = subprocess.Popen(["wine", DOCK], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, env=self.env)

    def count(self, wait_for=None, within=0):
        end = time.monotonic() + within
        while True:
            n = len(self.starts.read_text().splitlines()) if self.starts.exists() else 0
            if wait_for is None or n >= wait_for or time.monotonic() > end:
                return n
            time.sleep(0.05)

    def exit(self):
        code, out, _ = wine(DRIVER, "dockstart-exit", "-", "yes", env=self.env)
        expect(code == 0, f"driver failed:\n{out}")
        self.proc.wait(15)

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()


def case_dockstart_beside_download_window(bench):
    """No start while a window titled "Pumpvisor Data Download" exists,
    and none later while the unit stays; the next arrival starts."""
    unit = Unit(bench.root)
    unit.unplug()
    dock = Launcher(bench, win(STANDIN_DIR) + "\\")
    holder = subprocess.Popen(["wine", DRIVER, "hold-title", "-", "5"], stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=bench.env)
    try:
        time.sleep(3)
        unit.plug()
        time.sleep(1.5)
        expect(dock.count() == 0, "started beside the download window")
        holder.wait(20)
        time.sleep(1.5)
        expect(dock.count() == 0, "started after the window went, the unit still there")
        unit.unplug()
        time.sleep(0.5)
        unit.plug()
        expect(dock.count(1, within=5) == 1, "not started at the next arrival")
        dock.exit()
    finally:
        if holder.poll() is None:
            holder.kill()
        dock.kill()
        unit.stop()


def case_dockstart_good_citizen(bench):
    """One start per arrival with a second copy started beside the first;
    the tray icon survives a tray restart; WM_CLOSE ends the launcher."""
    unit = Unit(bench.root)
    unit.unplug()
    dock = Launcher(bench, win(STANDIN_DIR) + "\\")
    try:
        time.sleep(3)
        code, out = bench.driver("dockstart-citizen", DOCK)
        expect(code == 0, f"driver failed:\n{out}")
        dock.proc.wait(15)
        expect(dock.count() == 0, "started without a unit")
    finally:
        dock.kill()
        unit.stop()


# MainAppPath values that name no program: nothing starts, nothing breaks.
BAD_MAIN_APP_PATHS = (
    ("no trailing backslash", lambda: win(STANDIN_DIR)),
    ("joined path over 1023 characters", lambda: win(STANDIN_DIR) + "\\" + "x" * (1010 - len(win(STANDIN_DIR)))),
)


def case_dockstart_bad_main_app_path(bench):
    for row, path in BAD_MAIN_APP_PATHS:
        unit = Unit(bench.root)
        unit.unplug()
        dock = Launcher(bench, path())
        try:
            time.sleep(3)
            unit.plug()
            time.sleep(2.5)
            expect(dock.count() == 0, f"{row}: started {dock.count()} times")
            dock.exit()
        finally:
            dock.kill()
            unit.stop()


# --- installer ------------------------------------------------------------

def case_installer(bench):
    reg("delete", r"HKLM\SOFTWARE\Tavrin Co", "/f")
    code, _, err = wine(INSTALLER, "/S")
    expect(code == 0, f"installer failed: {err}")
    folder = PREFIX / "drive_c" / "Program Files" / "K4 Data Transfer"
    expect(sorted(files_in(folder)) == sorted(["Dockstart.exe", "K4 Data Transfer Application.exe", "k4xls.dll",
                                               "TQLogo.png", "Uninstall.exe"]), f"installed: {files_in(folder)}")
    expect(reg_value(KEY, "VID") == "0x10c4", f"VID {reg_value(KEY, 'VID')}")
    expect(reg_value(KEY, "PID") == "0xea60", f"PID {reg_value(KEY, 'PID')}")
    expect(reg_value(KEY, "RunOnStart") == "0x1", f"RunOnStart {reg_value(KEY, 'RunOnStart')}")
    expect(reg_value(KEY, "MainAppPath") == "C:\\Program Files\\K4 Data Transfer\\",
           f"MainAppPath {reg_value(KEY, 'MainAppPath')}")
    expect(reg_value(RUN_KEY, "Dockstart") == '"C:\\Program Files\\K4 Data Transfer\\Dockstart.exe" WINSTART',
           f"Run {reg_value(RUN_KEY, 'Dockstart')}")
    menu = PREFIX / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "K4 Data Transfer"
    expect("K4 Data Transfer Application.lnk" in files_in(menu), f"shortcuts: {files_in(menu)}")

    code, _, err = wine(folder / "Uninstall.exe", "/S")
    expect(code == 0, f"uninstaller failed: {err}")
    # The silent uninstaller hands over to a copy of itself and returns.
    end = time.monotonic() + 15
    while time.monotonic() < end and folder.exists():
        time.sleep(0.2)
    expect(not folder.exists(), f"left behind: {files_in(folder)}")
    expect(reg("query", KEY)[0] != 0, "the configuration key is still there")
    expect(reg_value(RUN_KEY, "Dockstart") is None, "the Run entry is still there")
    expect(not menu.exists(), "the Start-menu folder is still there")


# --- users' languages, planted libraries, an upgrade -------------------------

PLANTED = WIN_BUILD / "tests" / "app" / "win32" / "planted.dll"
COMPONENT_MISSING = "Could not load the Excel generator component."

# (locale, name typed or chosen with Browse, folders for the files, their
#  name, folder the programs are copied into or None for the build's own)
NAMES_TABLE = (
    # The second byte of 表 and of ソ is a backslash in code page 932.
    ("ja_JP.UTF-8", "browse", ("ソ",), "表", None),
    ("de_DE.UTF-8", "typed", ("Jürgen", "Süd Mühle"), "Süd Mühle", None),
    ("ru_RU.UTF-8", "browse", ("Южная",), "Мельница №2", None),
    ("ja_JP.UTF-8", "typed", ("表示",), "ソフト表", None),
    ("de_DE.UTF-8", "typed", ("Übergabe",), "Bericht", "Zähler Программы 表"),
)


def sample_reports(bench):
    image = bench.root / "sample.img"
    subprocess.run([BIN / "k4-sim", "--dump-image", image], check=True, stdout=subprocess.DEVNULL)
    linux_report(image, bench.root / "linux")
    return (bench.root / "linux.csv").read_bytes(), (bench.root / "linux.xls").read_bytes()


def copy_programs(folder, *names):
    folder.mkdir(parents=True, exist_ok=True)
    for name in names:
        shutil.copy2(APP.parent / name, folder / name)
    return folder / APP.name


def case_names_in_users_languages(bench):
    linux_csv, linux_xls = sample_reports(bench)
    for locale, how, folders, name, program_folder in NAMES_TABLE:
        row = f"{locale} {how} {name}"
        app = APP if program_folder is None else copy_programs(bench.root / program_folder, APP.name, "k4xls.dll",
                                                               "TQLogo.png")
        target = bench.out.joinpath(*folders)
        target.mkdir(parents=True)
        base = win(target / name)
        args = ("pass-typed", base) if how == "typed" else ("pass-browse", base + ".xls", base)
        unit = Unit(bench.root)
        try:
            code, out, _ = wine(DRIVER, args[0], win(app), *args[1:], env=dict(bench.env, LC_ALL=locale, LANG=locale))
        finally:
            unit.stop()
        expect(code == 0, f"{row}: driver failed:\n{out}")
        expect(files_in(target) == sorted([name + ".csv", name + ".xls"]), f"{row}: files {files_in(target)}")
        expect((target / (name + ".csv")).read_bytes() == linux_csv, f"{row}: the CSV differs from the Linux build's")
        expect(same_but_one_date((target / (name + ".xls")).read_bytes(), linux_xls),
               f"{row}: the report differs from the Linux build's")


def case_planted_libraries_are_not_loaded(bench):
    """Our libraries' names planted in the current folder and on PATH, the
    program folder without them: neither program takes them."""
    planted_log = bench.root / "planted.txt"
    here, on_path = bench.root / "current", bench.root / "on-path"
    for folder in (here, on_path):
        folder.mkdir()
        for name in ("k4xls.dll", "CP210xManufacturing.dll"):
            shutil.copy2(PLANTED, folder / name)
    programs = bench.root / "programs"
    app = copy_programs(programs, APP.name, DOCK.name, "TQLogo.png")
    env = dict(bench.env, K4_PLANTED_LOG=win(planted_log), WINEPATH=win(on_path))

    unit = Unit(bench.root)
    try:
        code, out, _ = wine(DRIVER, "messages", win(app), win(bench.out / "planted"), env=env, cwd=here)
    finally:
        unit.stop()
    expect(code == 0, f"driver failed:\n{out}")
    messages = [line[len("message: "):] for line in out.splitlines() if line.startswith("message: ")]
    expect(messages == [COMPONENT_MISSING, UPLOAD_LOST], f"messages: {messages}")

    dock_registry(1, win(STANDIN_DIR) + "\\")
    dock = subprocess.Popen(["wine", programs / DOCK.name], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=env, cwd=here)
    try:
        time.sleep(4)
        expect(dock.poll() is None, "Dockstart ended")
    finally:
        dock.kill()
        wine("taskkill", "/F", "/IM", DOCK.name)
    expect(not planted_log.exists(), f"a planted library was loaded: {planted_log.read_text() if planted_log.exists() else ''}")


def exported_string(bench, key, name):
    """A string value in any language: reg's own output has only the code
    page's characters, its export file all of them (UTF-16)."""
    file = bench.root / "export.reg"
    reg("export", key, win(file), "/y")
    text = file.read_bytes().decode("utf-16") if file.exists() else ""
    prefix = f'"{name}"="'
    for line in text.splitlines():
        if line.startswith(prefix):
            return line[len(prefix):-1].replace("\\\\", "\\")
    return None


def installed_files(folder):
    return sorted(files_in(folder))


def running(image_name):
    # taskkill without /F only asks; 128 means no such process.
    return wine("taskkill", "/IM", image_name)[0] != 128


def case_installer_upgrade_over_running_dockstart(bench):
    """Install, then install again while Dockstart runs, a user's RunOnStart
    of 0 kept; then uninstall: nothing of ours is left."""
    reg("delete", r"HKLM\SOFTWARE\Tavrin Co", "/f")
    reg("delete", r"HKCU\SOFTWARE\Tavrin Co", "/f")
    folder = PREFIX / "drive_c" / "Program Files" / "Zähler Программы 表"
    # A folder inside Program Files may be chosen (here a name in three
    # scripts); the command line goes through cmd so that /D= stays unquoted.
    code, _, err = wine("cmd", "/c", f"{win(INSTALLER)} /S /D=C:\\Program Files\\{folder.name}")
    expect(code == 0, f"installer failed: {err}")
    expect(installed_files(folder) == sorted(["Dockstart.exe", "K4 Data Transfer Application.exe", "k4xls.dll",
                                              "TQLogo.png", "Uninstall.exe"]), f"installed: {files_in(folder)}")
    main_app_path = exported_string(bench, KEY, "MainAppPath")
    expect(main_app_path == f"C:\\Program Files\\{folder.name}\\", f"MainAppPath {main_app_path}")

    dock = subprocess.Popen(["wine", folder / "Dockstart.exe"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=bench.env)
    try:
        time.sleep(3)
        expect(dock.poll() is None, "Dockstart did not start")
        set_dword("RunOnStart", 0)
        set_dword("RunOnStart", 0, USER_KEY)
        code, _, err = wine(INSTALLER, "/S")
        expect(code == 0, f"the second install failed: {err}")
        dock.wait(15)
    finally:
        if dock.poll() is None:
            dock.kill()
    expect(not running("Dockstart.exe"), "Dockstart still runs after the upgrade")
    expect(installed_files(folder) == sorted(["Dockstart.exe", "K4 Data Transfer Application.exe", "k4xls.dll",
                                              "TQLogo.png", "Uninstall.exe"]), f"upgraded: {files_in(folder)}")
    for name in ("Dockstart.exe", "K4 Data Transfer Application.exe", "k4xls.dll"):
        expect((folder / name).read_bytes() == (APP.parent / name).read_bytes(), f"{name} was not replaced whole")
    expect(reg_value(KEY, "RunOnStart") == "0x0", f"RunOnStart {reg_value(KEY, 'RunOnStart')} after the upgrade")

    code, _, err = wine(folder / "Uninstall.exe", "/S")
    expect(code == 0, f"uninstaller failed: {err}")
    end = time.monotonic() + 15
    while time.monotonic() < end and folder.exists():
        time.sleep(0.2)
    expect(not folder.exists(), f"left behind: {files_in(folder)}")
    for key in (r"HKLM\SOFTWARE\Tavrin Co", r"HKCU\SOFTWARE\Tavrin Co",
                r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\K4 Data Transfer"):
        expect(reg("query", key)[0] != 0, f"{key} is still there")
    expect(reg_value(RUN_KEY, "Dockstart") is None, "the Run entry is still there")


CASES = (
    ("whole-pass-by-browse", case_whole_pass),
    ("typed-name-in-documents", case_typed_name_in_documents),
    ("close-box-at-data-found", no_files_case("close-found")),
    ("device-empty", no_files_case("device-empty", sim=("--file-count", "0"))),
    ("search-gives-up-then-try-again", case_search_gives_up),
    ("unplug-mid-transfer", case_unplug_mid_transfer),
    ("second-instance-beside-a-message", case_second_instance),
    ("about-shows-firmware", about_case("V2.10", "V2.10")),
    ("about-cuts-long-firmware", about_case("V12.345", "V12.3")),
    ("esc-while-the-unit-is-silent", end_at_once_case("esc", ("--silent-on-command", "12"))),
    ("close-while-the-unit-is-silent", end_at_once_case("close", ("--silent-on-command", "12"))),
    ("close-during-the-transfer", end_at_once_case("transfer", ("--silent-after", "2"))),
    ("f1-opens-about", case_f1_opens_about),
    ("dockstart-start-up-table", case_dockstart_start_up),
    ("dockstart-bad-main-app-path", case_dockstart_bad_main_app_path),
    ("dockstart-beside-download-window", case_dockstart_beside_download_window),
    ("dockstart-good-citizen", case_dockstart_good_citizen),
    ("installer", case_installer),
    ("names-in-users-languages", case_names_in_users_languages),
    ("planted-libraries-are-not-loaded", case_planted_libraries_are_not_loaded),
    ("installer-upgrade-over-running-dockstart", case_installer_upgrade_over_running_dockstart),
)


def base_registry():
    reg("add", KEY, "/f")
    set_dword("VID", "0x10c4")
    set_dword("PID", "0xea60")


def run_cases(names):
    chosen = [(n, c) for n, c in CASES if not names or n in names]
    unknown = set(names) - {n for n, _ in CASES}
    if unknown:
        print(f"no such cases: {' '.join(sorted(unknown))}", file=sys.stderr)
        return 2
    failed = 0
    for name, case in chosen:
        base_registry()
        bench = Bench()
        started = time.monotonic()
        try:
            case(bench)
            print(f"ok   {name} ({time.monotonic() - started:.1f} s)", flush=True)
        except (Failure, subprocess.TimeoutExpired) as error:
            failed += 1
            print(f"FAIL {name} ({time.monotonic() - started:.1f} s): {error}", flush=True)
        finally:
            bench.close()
    print(f"{len(chosen) - failed} of {len(chosen)} cases passed", flush=True)
    return 1 if failed else 0


# --- pictures ---------------------------------------------------------------

def pictures(folder):
    """Every dialog inside `wine explorer /desktop`, which draws frames."""
    folder.mkdir(parents=True, exist_ok=True)
    base_registry()
    bench = Bench()
    handshake = bench.root / "shots"
    handshake.mkdir()
    names = ["main-window", "device-not-connected", "plug-in", "data-found", "about", "browse",
             "save-file", "save-complete", "empty-unit", "device-empty", "launcher", "dockstart-question",
             "dockstart-menu"]
    explorer = subprocess.Popen(["wine", "explorer", "/desktop=K4,800x600", DRIVER, "pictures", win(APP),
                                 win(handshake), win(DOCK)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=bench.env)
    unit = None
    try:
        for name in names:
            ready = handshake / f"{name}.ready"
            end = time.monotonic() + 60
            while not ready.exists():
                if time.monotonic() > end:
                    raise Failure(f"no {name} dialog")
                time.sleep(0.1)
            if name == "plug-in":
                unit = Unit(bench.root)
            elif name == "empty-unit":
                unit.stop()
                unit = Unit(bench.root, "--file-count", "0")
            elif name == "launcher":
                unit.stop()
                unit = None
                dock_registry(0, win(STANDIN_DIR) + "\\")
            else:
                time.sleep(1.5)
                shot = folder / f"windows-{name}.png"
                xwd = subprocess.run(["xwd", "-root", "-silent"], stdin=subprocess.DEVNULL, capture_output=True,
                                     check=True).stdout
                # The dialog with a margin of desktop; the task bar only
                # where the tray is the subject.
                height = 600 if name == "dockstart-menu" else 570
                subprocess.run(["convert", "xwd:-", "-crop", f"800x{height}+0+0", "+repage", "-fuzz", "3%",
                                "-trim", "+repage", "-bordercolor", "#256f95", "-border", "12", str(shot)],
                               input=xwd, check=True)
                print(f"picture {shot}", flush=True)
            (handshake / f"{name}.done").write_text("")
        explorer.wait(30)
    finally:
        if unit:
            unit.stop()
        if explorer.poll() is None:
            explorer.kill()
        bench.close()
    return 0


def pictures_of_names(folder):
    """Under a Russian locale: the save dialog with a Cyrillic name typed,
    and the file-save dialog with "Süd Mühle.xls" chosen."""
    base_registry()
    bench = Bench()
    handshake = bench.root / "shots"
    handshake.mkdir()
    existing = bench.out / "Süd Mühle.xls"
    existing.write_bytes(b"older")
    env = dict(bench.env, LC_ALL="ru_RU.UTF-8", LANG="ru_RU.UTF-8")
    unit = Unit(bench.root)
    explorer = subprocess.Popen(["wine", "explorer", "/desktop=K4,800x600", DRIVER, "pictures-names", win(APP),
                                 win(handshake), "Южная мельница №2", win(existing)], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, cwd=bench.out)
    try:
        for name in ("save-file-names", "browse-names"):
            ready = handshake / f"{name}.ready"
            end = time.monotonic() + 60
            while not ready.exists():
                if time.monotonic() > end:
                    raise Failure(f"no {name} dialog")
                time.sleep(0.1)
            time.sleep(1.5)
            shot = folder / f"windows-{name}.png"
            xwd = subprocess.run(["xwd", "-root", "-silent"], stdin=subprocess.DEVNULL, capture_output=True,
                                 check=True).stdout
            subprocess.run(["convert", "xwd:-", "-crop", "800x570+0+0", "+repage", "-fuzz", "3%", "-trim", "+repage",
                            "-bordercolor", "#256f95", "-border", "12", str(shot)], input=xwd, check=True)
            print(f"picture {shot}", flush=True)
            (handshake / f"{name}.done").write_text("")
        explorer.wait(30)
    finally:
        unit.stop()
        if explorer.poll() is None:
            explorer.kill()
        bench.close()
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["--pictures"]:
        sys.exit(pictures(Path(sys.argv[2])) or pictures_of_names(Path(sys.argv[2])))
    if sys.argv[1:2] == ["--pictures-of-names"]:
        sys.exit(pictures_of_names(Path(sys.argv[2])))
    sys.exit(run_cases(sys.argv[1:]))
