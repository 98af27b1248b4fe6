"""Dockstart end to end on a virtual X display, against the simulated unit and
a stand-in main program that counts its starts. One Dockstart starts with no
tray: it says so, a second copy ends at once and silently, the unit's
arrival starts the main program once, a tray (trayer) that comes later gets
the icon, and SIGTERM ends it. A second Dockstart, with the tray there from
the start, says nothing of it, and ends by its tray menu's Exit, the
question answered No and kept."""

import signal
import subprocess
import sys
import time
import unittest

from harness import display as x
from harness.scene import ctest_main, tool, wait_for, x11_scene

NO_TRAY = "no system tray is available"
TRAYER = ["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120", "--height", "32"]


class DockstartTest(unittest.TestCase):
    def setUp(self):
        self.scene = x11_scene(self, "xdotool", "trayer", launcher=True)

    def dockstart(self, *args):
        return self.scene.start([tool("Dockstart"), *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)

    def shown(self, process):
        return x.windows(self.scene.display, "--pid", str(process.pid))

    def test_arrivals_tray_and_endings(self):
        scene = self.scene
        first = self.dockstart()
        wait_for("the session lock", lambda: (scene.runtime / "k4-dockstart.lock").exists(), 10)
        second = self.dockstart("WINSTART")
        self.assertEqual(second.communicate(timeout=2), ("", ""), "the second copy did not end at once and silently")
        self.assertEqual(second.returncode, 0)

        unit = scene.start_sim("unit")
        wait_for("the main program's start", lambda: scene.starts() == 1, 5)
        time.sleep(0.5)
        self.assertEqual(scene.starts(), 1, "started again while the unit stayed")
        unit.stop()  # and no start on the unplug, nor by the second Dockstart: see the end

        self.assertEqual(self.shown(first), [], "an icon without a tray")
        scene.start(TRAYER, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # A panel that starts after the log-in entry still gets the icon.
        wait_for("the icon in the tray that came later", lambda: self.shown(first), 10)
        first.send_signal(signal.SIGTERM)
        self.assertIn(NO_TRAY, first.communicate(timeout=5)[1])
        self.assertEqual(first.returncode, 0)

        dockstart = self.dockstart()
        icon = wait_for("the tray icon", lambda: self.shown(dockstart), 10)
        self.assertEqual(len(icon), 1, f"more than the tray icon is shown: {icon}")
        x.click(scene.display, icon[0], 1)
        time.sleep(0.5)
        self.assertEqual(self.shown(dockstart), icon, "a left click showed something")
        x.click(scene.display, icon[0], 3)
        menu = wait_for("the menu", lambda: set(self.shown(dockstart)) - set(icon), 5)
        x.click(scene.display, menu.pop(), 1)  # File / Exit
        question = wait_for("the question", lambda: set(self.shown(dockstart)) - set(icon), 5)
        x.press(scene.display, question.pop(), "Escape")  # No
        self.assertNotIn(NO_TRAY, dockstart.communicate(timeout=5)[1])
        self.assertEqual(dockstart.returncode, 0)
        answers = [path.read_text() for path in (scene.root / "user-config", scene.config_dirs)
                   for path in path.glob("Tavrin Co/*.conf")]
        self.assertIn("RunOnStart=0", "".join(answers), "the answer No was not kept")
        self.assertEqual(scene.starts(), 1)


if __name__ == "__main__":
    sys.exit(ctest_main(sys.modules[__name__], ["DockstartTest"]))
