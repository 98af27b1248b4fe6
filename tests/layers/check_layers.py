#!/usr/bin/env python3
"""Fails when a source file includes a project header from a layer above its own.

Front ends (app/, launcher/, tools/) sit on the session and the core; the core
(session/, link/, report/, eventlog/, watch/, common/) sits on the platform
interfaces in platform/; the back ends in platform/<name>/ implement those
interfaces and see nothing else. Tests and fuzz targets may reach anything.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

INTERFACES = "platform"
BACK_ENDS = ("platform/posix", "platform/win32")
CORE = ["session", "link", "report", "eventlog", "watch", "common", INTERFACES]

# What each folder may include, besides itself and its own subfolders (but
# a back end is never "its own" to the interfaces). The most specific folder
# that contains a file decides.
ALLOWED = {
    INTERFACES: [],
    "platform/posix": [INTERFACES],
    "platform/win32": [INTERFACES],
    "common": [INTERFACES],
    "eventlog": ["common", INTERFACES],
    "report/xls": [INTERFACES],
    "report": ["eventlog", "common", INTERFACES],
    "link": ["eventlog", "common", INTERFACES],
    "watch": ["common", INTERFACES],
    "session": CORE[1:],
    "tools": CORE,
    "app": CORE,
    "launcher": CORE,
}

# The Win32 front ends meet the system's wide functions as the back end does,
# and convert at that boundary with the back end's one helper.
SHARED_BACK_END_HEADERS = {"platform/win32/wide_text.h": ("app/win32/", "launcher/win32/")}


def layer_of(relative):
    return max((folder for folder in ALLOWED if relative.startswith(folder + "/")), key=len, default=None)


def violations():
    for path in sorted(ROOT.rglob("*")):
        relative = path.relative_to(ROOT).as_posix()
        own = layer_of(relative)
        if path.suffix not in (".h", ".cpp") or own is None:
            continue
        for header in INCLUDE.findall(path.read_text(errors="replace")):
            target = layer_of(header)
            if target in (None, own) or relative.startswith(SHARED_BACK_END_HEADERS.get(header, ())):
                continue
            if target in BACK_ENDS or (target not in ALLOWED[own] and not target.startswith(own + "/")):
                yield f"{relative}: {own}/ may not include {header}"


def main():
    found = list(violations())
    print("\n".join(found + [f"{len(found)} layer violations"]))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
