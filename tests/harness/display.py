"""What a user does on an X display (a scene's private Xvfb): windows found,
keys pressed, text typed, clicks, the close box."""

import ctypes
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


def type_text(display, window, text):
    x_client(display, "xdotool", "windowfocus", "--sync", window, "type", "--delay", "5", text)


def click(display, window, button):
    x_client(display, "xdotool", "mousemove", "--window", window, "8", "8", "click", str(button))


def close_box(display, window):
    """What a window manager does on a click on the close box: the ICCCM's
    WM_DELETE_WINDOW message."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_ulong, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_ulong]
    connection = x11.XOpenDisplay(display.encode())
    atom = lambda name: x11.XInternAtom(connection, name, 0)  # noqa: E731
    # An XClientMessageEvent in the longs of an XEvent (LP64): type (33), serial,
    # send_event, display, window, message_type, format, then the data.
    event = (ctypes.c_long * 24)(33, 0, 0, 0, int(window), atom(b"WM_PROTOCOLS"), 32, atom(b"WM_DELETE_WINDOW"))
    x11.XSendEvent(connection, int(window), 0, 0, event)
    x11.XCloseDisplay(connection)
