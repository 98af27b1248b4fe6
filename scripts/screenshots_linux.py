"""Takes the pictures for scripts/screenshots-linux.sh: one pass per scene,
each window captured once it is up (found by its title and role)."""

import shutil
import subprocess
import sys
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "app" / "qt"))
import e2e_desktop as desk  # noqa: E402

OUT = Path(sys.argv[1]).resolve()


def capture(scene, window, name):
    # With a window manager the frame is the window's parent: -frame takes it too.
    time.sleep(0.4)  # let the window paint
    subprocess.run(["import", "-display", scene.scene.display, "-window", window, "-frame",
                    str(OUT / f"linux-{name}.png")], check=True)
    print(f"linux-{name}.png")


class Scenes(desk.DesktopPass):
    """A desktop pass on its own display, with openbox for window frames
    when it is installed."""

    def runTest(self):
        pass

    def setUp(self):
        super().setUp()
        if shutil.which("openbox"):
            self.scene.start(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.5)


def no_unit(scene):
    """The main window searches, the About box opens from it, and after ten
    searches the program says the unit is not connected."""
    scene.start_program()
    main_window = scene.next_window("k4-main")
    time.sleep(2.5)
    capture(scene, main_window, "main-window")
    scene.press(main_window, "F1")
    about = scene.next_window("k4-about")
    capture(scene, about, "about")
    scene.press(about, "Return")
    capture(scene, scene.next_window("k4-device-not-connected", timeout=30), "device-not-connected")


def whole_pass(scene):
    """A unit with data: the prompts of a whole pass, and a message box."""
    scene.start_pass()
    found = scene.next_window("k4-data-found")
    capture(scene, found, "data-found")
    scene.press(found, "Return")
    save = scene.next_window("k4-save-file")
    scene.press(save, "Return")
    box = scene.next_window("k4-message")
    capture(scene, box, "message")
    scene.press(box, "Return")
    scene.type_text(save, "pump7")
    capture(scene, save, "save-file")
    scene.press(save, "Return")
    capture(scene, scene.next_window("k4-save-complete", timeout=30), "save-complete")


def no_files(scene):
    scene.start_pass("--file-count", "0")
    capture(scene, scene.next_window("k4-device-empty"), "device-empty")


def main():
    for take in (no_unit, whole_pass, no_files):
        scene = Scenes()
        scene.setUp()
        try:
            take(scene)
        finally:
            scene.doCleanups()  # ends the program, the simulator and the display


if __name__ == "__main__":
    main()
