#!/usr/bin/env python3
"""docs/screenshots/windows-*.png: every dialog of the Windows programs
inside `wine explorer /desktop` (which draws frames), held up by
k4-windows-pictures.exe (scripts/windows_pictures.cpp) until its picture is
taken; then, under a Russian locale, the save dialog with a Cyrillic name
typed and the file-save dialog with "Süd Mühle.xls" chosen.
scripts/test-windows-desktop.sh --pictures runs it.

Environment: WINEPREFIX, DISPLAY, K4_BIN_DIR (Linux bin: k4-sim), K4_WIN_BUILD.

    screenshots_windows.py FOLDER
"""

import os
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests"))
from harness import scene, wine  # noqa: E402

WIN_BUILD = Path(os.environ.get("K4_WIN_BUILD", ""))
HAND = WIN_BUILD / "tests" / "app" / "win32" / "k4-windows-pictures.exe"
APP = WIN_BUILD / "bin" / "K4 Data Transfer Application.exe"
DOCK = APP.with_name("Dockstart.exe")
STANDIN = wine.windows_path(WIN_BUILD / "tests" / "app" / "win32" / "standin") + "\\"

DIALOGS = ("main-window", "device-not-connected", "plug-in", "data-found", "about", "browse", "save-file",
           "save-complete", "empty-unit", "device-empty", "launcher", "dockstart-question", "dockstart-menu")
NAMES = ("save-file-names", "browse-names")


def take(folder, name):
    """The dialog with a margin of desktop; the task bar only where the tray
    is the subject."""
    shot = folder / f"windows-{name}.png"
    xwd = subprocess.run(["xwd", "-root", "-silent"], stdin=subprocess.DEVNULL, capture_output=True,
                         check=True).stdout
    height = 600 if name == "dockstart-menu" else 570
    subprocess.run(["convert", "xwd:-", "-crop", f"800x{height}+0+0", "+repage", "-fuzz", "3%", "-trim", "+repage",
                    "-bordercolor", "#256f95", "-border", "12", str(shot)], input=xwd, check=True)
    print(f"picture {shot}", flush=True)


def shoot(folder, names, scenario, prepare, on_cue=lambda stage, name: False, **env):
    """Runs the hand in a wine desktop with the arguments that prepare(stage)
    gives; at each of `names` either on_cue takes it (a cue, no picture)
    or the picture is taken."""
    stage = scene.Scene()
    handshake = stage.root / "hand"
    handshake.mkdir()
    (stage.root / "out").mkdir()  # where the file-save dialog opens
    args = prepare(stage)
    env = dict(os.environ, K4_BRIDGE_DIR=wine.bridge_dir(stage), **env)
    explorer = subprocess.Popen(["wine", "explorer", "/desktop=K4,800x600", HAND, scenario, wine.windows_path(APP),
                                 wine.windows_path(handshake), *args], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, cwd=stage.root / "out")
    try:
        for name in names:
            end = time.monotonic() + 60
            while not (handshake / f"{name}.ready").exists():
                if time.monotonic() > end:
                    raise RuntimeError(f"no {name} dialog")
                time.sleep(0.1)
            if not on_cue(stage, name):
                time.sleep(1.5)
                take(folder, name)
            (handshake / f"{name}.done").write_text("")
        explorer.wait(30)
    finally:
        if explorer.poll() is None:
            explorer.kill()
        stage.close()


def dialogs_cue(stage, name):
    """Plugs in, swaps in an empty unit, readies Dockstart: True for those
    cues, which are no pictures."""
    for sim in stage.simulators:
        if name in ("empty-unit", "launcher"):
            sim.stop()
    if name == "plug-in":
        wine.unit_as_com5(stage)
    elif name == "empty-unit":
        wine.unit_as_com5(stage, "--file-count", "0")
    elif name == "launcher":
        wine.run("reg", "delete", wine.USER_CONFIG_KEY, "/f")
        wine.set_dword("RunOnStart", 0)
        wine.run("reg", "add", wine.CONFIG_KEY, "/v", "MainAppPath", "/t", "REG_SZ", "/d", STANDIN, "/f")
    return name in ("plug-in", "empty-unit", "launcher")


def names_stage(stage):
    """A unit, and an older "Süd Mühle.xls" in the folder the file-save
    dialog opens."""
    wine.unit_as_com5(stage)
    (stage.root / "out" / "Süd Mühle.xls").write_bytes(b"older")
    return ["Южная мельница №2", wine.windows_path(stage.root / "out" / "Süd Mühle.xls")]


def main(folder):
    folder.mkdir(parents=True, exist_ok=True)
    shoot(folder, DIALOGS, "pictures", lambda stage: [wine.windows_path(DOCK)], on_cue=dialogs_cue)
    shoot(folder, NAMES, "pictures-names", names_stage, LC_ALL="ru_RU.UTF-8", LANG="ru_RU.UTF-8")
    return 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1])))
