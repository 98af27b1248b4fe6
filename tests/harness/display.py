"""What a user does on an X display (a scene's private Xvfb): windows found,
keys pressed, clicks."""

import os
import re
import subprocess


def x_client(display, *command, check=True):
    """Runs an X client (xdotool, xprop) on `display`: what it printed."""
    return subprocess.run(command, env=dict(os.environ, DISPLAY=display), capture_output=True, text=True,
                          check=check).stdout


def windows(display, *criteria):
    """The viewable windows that `xdotool search` finds by these criteria."""
    return x_client(display, "xdotool", "search", "--onlyvisible", *criteria, check=False).split()


def role(display, window):
    """WM_WINDOW_ROLE: windows that share a caption are told apart by it."""
    match = re.search(r'= "(.*)"', x_client(display, "xprop", "-id", window, "WM_WINDOW_ROLE", check=False))
    return match and match.group(1)


def press(display, window, *keys):
    x_client(display, "xdotool", "windowfocus", "--sync", window, "key", "--clearmodifiers", *keys)


def click(display, window, button):
    x_client(display, "xdotool", "mousemove", "--window", window, "8", "8", "click", str(button))
