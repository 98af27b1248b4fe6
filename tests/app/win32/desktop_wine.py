#!/usr/bin/env python3
"""The Windows desktop programs under wine, driven from outside by
driver.exe: the main program against the Linux k4-sim seen as COM5,
Dockstart with a stand-in main program, and the installer. Only what an
end-to-end run alone shows; the dialogs' and the worker's logic is the unit
tests' part.

Environment: WINEPREFIX (a prefix whose wineserver runs, VID and PID in its
registry), DISPLAY, K4_BIN_DIR (Linux bin: k4-sim, k4-report), K4_WIN_BUILD.

    desktop_wine.py [CASE...]     every case when none are named
"""

import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
from harness import reports, scene, wine  # noqa: E402
from harness.expect import expect  # noqa: E402

WIN_BUILD = Path(os.environ.get("K4_WIN_BUILD", ""))
OURS = WIN_BUILD / "tests" / "app" / "win32"
APP = WIN_BUILD / "bin" / "K4 Data Transfer Application.exe"
DOCK = APP.with_name("Dockstart.exe")
STANDIN = wine.windows_path(OURS / "standin") + "\\"
INSTALLER = next(WIN_BUILD.glob("K4-Data-Transfer-*-installer.exe"), WIN_BUILD / "no-installer.exe")
RUN_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
OUR_KEYS = (r"HKLM\SOFTWARE\Tavrin Co", r"HKCU\SOFTWARE\Tavrin Co",
            r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\K4 Data Transfer")


class Bench(scene.Scene):
    """A scene whose unit the Windows programs see as COM5."""

    def __init__(self):
        super().__init__()
        self.out = self.root / "out"
        self.out.mkdir()
        self.env = dict(os.environ, K4_BRIDGE_DIR=wine.bridge_dir(self))

    def driver(self, scenario, program, *args, **env):
        """Runs a driver scenario to its end; the message boxes it answered."""
        code, out, _ = wine.run(OURS / "driver.exe", scenario, wine.windows_path(program), *args,
                                env=dict(self.env, **env))
        expect(code == 0, f"{scenario}: driver failed:\n{out}")
        return [line[len("message: "):] for line in out.splitlines() if line.startswith("message: ")]


def files_in(folder):
    return sorted(p.name for p in folder.iterdir()) if folder.exists() else []


# One whole pass per code page (a second instance beside its message), with
# both files against the Linux build's: (locale, how the name is given,
# folders of the files under the scratch folder or None for the documents'
# K4 Data Folder, their name, folder the programs are copied into or None).
WHOLE_PASSES = (
    # The second byte of 表 and of ソ is a backslash in code page 932.
    ("ja_JP.UTF-8", "browse", ("ソ",), "表", None),
    ("ru_RU.UTF-8", "typed", ("Пользователь", "Южная"), "Мельница №2", None),
    ("de_DE.UTF-8", "typed", None, "Süd Mühle", "Zähler Программы 表"),
)


def case_whole_pass_in_users_languages(bench):
    bench.sim_image()  # into dumped.img
    generated = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
    linux_csv, linux_xls = scene.k4_report(bench.root / "dumped.img", bench.root / "linux")
    data_folder = next((wine.prefix() / "drive_c" / "users").glob("*/Documents")).resolve() / "K4 Data Folder"
    for locale, how, folders, name, program_folder in WHOLE_PASSES:
        row = f"{locale} {how} {name}"
        expect(locale.lower().replace("utf-8", "utf8") in generated, f"{row}: locale missing (scripts/install-deps.sh)")
        app = bench.root / program_folder / APP.name if program_folder else APP
        if program_folder:
            app.parent.mkdir()
            for file in (APP.name, "k4xls.dll", "TQLogo.png"):
                shutil.copy2(APP.parent / file, app.parent / file)
        target = bench.out.joinpath(*folders) if folders else data_folder
        target.mkdir(parents=True, exist_ok=True)
        written = [target / (name + ".csv"), target / (name + ".xls")]
        for file in written:
            file.unlink(missing_ok=True)
        base = wine.windows_path(target / name)
        given = ("browse", base + ".xls", base) if how == "browse" else ("typed", base if folders else name)
        sim = wine.unit_as_com5(bench, "--firmware", "V2.10")
        bench.driver("pass", app, "V2.10", *given, LC_ALL=locale, LANG=locale)
        sim.stop()
        expect(written[0].read_bytes() == linux_csv, f"{row}: the CSV differs from the Linux build's")
        expect(reports.same_but_the_date(written[1].read_bytes(), linux_xls),
               f"{row}: the report differs from the Linux build's")
        if folders:
            expect(files_in(target) == sorted(file.name for file in written), f"{row}: files {files_in(target)}")


# The unit unplugged mid-transfer: the two messages; the main window closed
# while the transfer stalls: gone at once, silently. Neither writes a file.
MID_TRANSFER = (("--unplug-after", (), [scene.SEND_FAILED, scene.UPLOAD_LOST]), ("--silent-after", ("close",), []))


def case_unplug_or_close_mid_transfer(bench):
    for sim_option, how, messages in MID_TRANSFER:
        sim = wine.unit_as_com5(bench, sim_option, "2")
        seen = bench.driver("save", APP, wine.windows_path(bench.out / "report"), *how)
        sim.stop()
        expect(seen == messages, f"{sim_option}: messages {seen}")
        expect(files_in(bench.out) == [], f"{sim_option}: files written: {files_in(bench.out)}")


def case_dockstart(bench):
    wine.run("reg", "delete", wine.USER_CONFIG_KEY, "/f")
    wine.set_dword("RunOnStart", 2)
    wine.run("reg", "add", wine.CONFIG_KEY, "/v", "MainAppPath", "/t", "REG_SZ", "/d", STANDIN, "/f")
    bench.driver("dockstart", DOCK, K4_STANDIN_LOG=wine.windows_path(bench.root / "starts.txt"))
    starts = (bench.root / "starts.txt").read_text().splitlines()
    expect(len(starts) == 1, f"one arrival started the main program {len(starts)} times")
    expect(wine.reg_value(wine.CONFIG_KEY, "RunOnStart") == "0x1", "Yes was not stored as RunOnStart 1")


def exported_string(bench, key, name):
    """A string value in any language: reg's own output has only the code
    page's characters, its export file all of them (UTF-16)."""
    file = bench.root / "export.reg"
    wine.run("reg", "export", key, wine.windows_path(file), "/y")
    for line in file.read_bytes().decode("utf-16").splitlines():
        if line.startswith(f'"{name}"="'):
            return re.sub(r"\\(.)", r"\1", line[len(name) + 4:-1])
    return None


def case_installer(bench):
    """Install into a folder inside Program Files named in three scripts,
    install again over a running Dockstart, a user's RunOnStart of 0 kept,
    then uninstall: nothing of ours is left."""
    for key in OUR_KEYS:
        wine.run("reg", "delete", key, "/f")
    name = "Zähler Программы 表"
    folder = wine.prefix() / "drive_c" / "Program Files" / name
    menu = wine.prefix() / "drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/K4 Data Transfer"
    installed = sorted(["Dockstart.exe", APP.name, "k4xls.dll", "TQLogo.png", "Uninstall.exe"])
    # Through cmd, so that /D= stays unquoted.
    code, _, err = wine.run("cmd", "/c", f"{wine.windows_path(INSTALLER)} /S /D=C:\\Program Files\\{name}")
    expect(code == 0, f"installer failed: {err}")
    expect(files_in(folder) == installed, f"installed: {files_in(folder)}")
    for value, want in (("VID", "0x10c4"), ("PID", "0xea60"), ("RunOnStart", "0x1")):
        expect(wine.reg_value(wine.CONFIG_KEY, value) == want, f"{value} {wine.reg_value(wine.CONFIG_KEY, value)}")
    expect(exported_string(bench, wine.CONFIG_KEY, "MainAppPath") == f"C:\\Program Files\\{name}\\", "MainAppPath")
    expect(exported_string(bench, RUN_KEY, "Dockstart") == f'"C:\\Program Files\\{name}\\Dockstart.exe" WINSTART',
           f"Run {exported_string(bench, RUN_KEY, 'Dockstart')}")
    expect(f"{APP.stem}.lnk" in files_in(menu), f"shortcuts: {files_in(menu)}")

    dock = subprocess.Popen(["wine", folder / "Dockstart.exe"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, env=bench.env)
    bench.processes.append(dock)  # close() ends it if the upgrade did not
    time.sleep(3)
    expect(dock.poll() is None, "Dockstart did not start")
    wine.set_dword("RunOnStart", 0)
    wine.set_dword("RunOnStart", 0, wine.USER_CONFIG_KEY)
    code, _, err = wine.run(INSTALLER, "/S")
    expect(code == 0, f"the second install failed: {err}")
    dock.wait(15)
    expect(files_in(folder) == installed, f"upgraded: {files_in(folder)}")
    expect(wine.reg_value(wine.CONFIG_KEY, "RunOnStart") == "0x0", "RunOnStart was not kept")

    code, _, err = wine.run(folder / "Uninstall.exe", "/S")
    expect(code == 0, f"uninstaller failed: {err}")
    # The silent uninstaller hands over to a copy of itself and returns.
    scene.wait_for(f"the uninstaller to remove {folder}", lambda: not folder.exists())
    for key in OUR_KEYS:
        expect(wine.run("reg", "query", key)[0] != 0, f"{key} is still there")
    expect(wine.reg_value(RUN_KEY, "Dockstart") is None, "the Run entry is still there")
    expect(not menu.exists(), "the Start-menu folder is still there")
    for value, number in (("VID", 0x10c4), ("PID", 0xea60)):  # as the prefix had them
        wine.set_dword(value, number)


# The installer last: it removes the configuration key.
CASES = {
    "whole-pass-in-users-languages": case_whole_pass_in_users_languages,
    "unplug-or-close-mid-transfer": case_unplug_or_close_mid_transfer,
    "dockstart": case_dockstart,
    "installer-upgrade-uninstall": case_installer,
}


def main(names):
    failed = []
    for name in names or CASES:
        bench, started = Bench(), time.monotonic()
        try:
            try:
                CASES[name](bench)
            finally:
                bench.close()
            print(f"ok   {name} ({time.monotonic() - started:.1f} s)", flush=True)
        except (AssertionError, OSError, subprocess.SubprocessError) as error:
            failed.append(name)
            print(f"FAIL {name} ({time.monotonic() - started:.1f} s): {error}", flush=True)
    print(f"failed: {' '.join(failed) or 'none'}", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
