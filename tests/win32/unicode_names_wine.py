#!/usr/bin/env python3
"""k4-download.exe under wine in its users' languages: each case runs wine
under a locale whose ANSI code page lacks most of the others' letters (1252,
1251, 932) and downloads from the Linux k4-sim into a folder and a name in
that language, or runs the programs from a folder whose name is not ASCII.
Both files must appear under exactly the chosen name, the CSV byte for byte
the Linux build's, the report readable by xlrd and the Linux build's but for
its date.

Environment: WINEPREFIX (with VID and PID in its registry), K4_BIN_DIR (the
Linux build's bin: k4-sim, k4-report), K4_WIN_BIN_DIR (the Windows build's).

    unicode_names_wine.py [CASE...]    every case when none are named
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import xlrd

BIN = Path(os.environ.get("K4_BIN_DIR", ""))
WIN_BIN = Path(os.environ.get("K4_WIN_BIN_DIR", ""))
PREFIX = Path(os.environ.get("WINEPREFIX", ""))
# What a user's program folder holds for the download pass.
PROGRAM_FILES = ("k4-download.exe", "k4xls.dll", "TQLogo.png")
DATE_CELL = (6, 4)

# (case, locale, folders under the scratch folder, name typed, folder the
#  programs are copied into or None for the build's own)
CASES = (
    ("cp1252-umlauts", "de_DE.UTF-8", ("Jürgen", "Süd Mühle"), "Süd Mühle", None),
    ("cp1251-cyrillic", "ru_RU.UTF-8", ("Пользователь", "Южная"), "Мельница №2", None),
    # The second byte of 表 and of ソ is a backslash in code page 932.
    ("cp932-backslash-bytes", "ja_JP.UTF-8", ("表示",), "ソフト表", None),
    ("programs-in-a-non-ascii-folder", "de_DE.UTF-8", ("Übergabe",), "Bericht", "Zähler Программы 表"),
)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def run_wine(args, env, timeout):
    """Output through files: wine's helpers keep pipes open after the program ends."""
    with tempfile.TemporaryFile() as err:
        code = subprocess.run(["wine", *map(str, args)], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=err, env=env, timeout=timeout).returncode
        err.seek(0)
        return code, err.read().decode(errors="replace")


class Unit:
    """k4-sim with the built-in sample log, its pseudo-terminal seen as COM5."""

    def __init__(self, root):
        self.announced = root / "lin-bridges"
        self.announced.mkdir()
        self.proc = subprocess.Popen([BIN / "k4-sim", "--bridge-dir", self.announced, "--name", "unit",
                                      "--unpaced"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        bridge = self.announced / "unit.bridge"
        end = time.monotonic() + 10
        while not bridge.exists():
            if time.monotonic() > end:
                raise AssertionError("k4-sim did not announce itself")
            time.sleep(0.05)
        link = PREFIX / "dosdevices" / "com5"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(bridge.read_text().split()[0])
        self.bridges = root / "win-bridges"
        self.bridges.mkdir()
        (self.bridges / "unit.bridge").write_text("COM5 10c4 ea60\n")

    def stop(self):
        self.proc.terminate()
        self.proc.wait(10)


def report_date(xls):
    cell = xlrd.open_workbook(file_contents=xls).sheet_by_name("TQ K4").cell(*DATE_CELL)
    if cell.ctype != xlrd.XL_CELL_DATE:
        raise AssertionError(f"no download date in the report: {cell}")
    return struct.pack("<d", cell.value)


def run_case(root, locale, folders, name, program_folder):
    programs = WIN_BIN
    if program_folder:
        programs = root / program_folder
        programs.mkdir()
        for file in PROGRAM_FILES:
            shutil.copy2(WIN_BIN / file, programs / file)
    target = root.joinpath(*folders)
    target.mkdir(parents=True)
    unit = Unit(root)
    try:
        env = dict(os.environ, LC_ALL=locale, LANG=locale, WINEDEBUG="-all",
                   K4_BRIDGE_DIR=windows_path(unit.bridges))
        code, err = run_wine([programs / "k4-download.exe", "--output", windows_path(target / name)], env, 60)
    finally:
        unit.stop()
    assert code == 0, f"k4-download.exe ended {code}:\n{err}"
    files = sorted(p.name for p in target.iterdir())
    assert files == sorted([name + ".csv", name + ".xls"]), f"files: {files}\n{err}"

    image = root / "sample.img"
    subprocess.run([BIN / "k4-sim", "--dump-image", image], check=True, stdout=subprocess.DEVNULL)
    linux = root / "linux"
    subprocess.run([BIN / "k4-report", image, "--output", linux], check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    assert (target / (name + ".csv")).read_bytes() == Path(f"{linux}.csv").read_bytes(), \
        "the CSV differs from the Linux build's"
    ours, theirs = (target / (name + ".xls")).read_bytes(), Path(f"{linux}.xls").read_bytes()
    assert ours.replace(report_date(ours), report_date(theirs)) == theirs, "the report differs from the Linux build's"


def main(names):
    chosen = [c for c in CASES if not names or c[0] in names]
    unknown = set(names) - {c[0] for c in CASES}
    if unknown:
        print(f"no such cases: {' '.join(sorted(unknown))}", file=sys.stderr)
        return 2
    installed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
    failed = 0
    for case, locale, folders, name, program_folder in chosen:
        started = time.monotonic()
        root = Path(tempfile.mkdtemp(prefix="k4-names-"))
        try:
            if locale.lower().replace("utf-8", "utf8") not in installed:
                raise AssertionError(f"the locale {locale} is not generated (scripts/install-deps.sh makes it)")
            run_case(root, locale, folders, name, program_folder)
            print(f"ok   {case} ({time.monotonic() - started:.1f} s)", flush=True)
        except (AssertionError, subprocess.TimeoutExpired) as error:
            failed += 1
            print(f"FAIL {case} ({time.monotonic() - started:.1f} s): {error}", flush=True)
        finally:
            shutil.rmtree(root, ignore_errors=True)
    print(f"{len(chosen) - failed} passed, {failed} failed", flush=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
