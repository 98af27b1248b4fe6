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

# What each folder may include, besides itself. The most specific folder
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
    "session": ["link", "report", "eventlog", "watch", "common", INTERFACES],
    "tools": ["session", "link", "report", "eventlog", "watch", "common", INTERFACES],
    "app": ["session", "link", "report", "eventlog", "watch", "common", INTERFACES],
    "launcher": ["session", "link", "report", "eventlog", "watch", "common", INTERFACES],
}


# The Win32 front ends meet the system's wide functions as the back end does,
# and convert at that boundary with the back end's one helper.
SHARED_BACK_END_HEADERS = {
    "platform/win32/wide_text.h": ("app/win32/", "launcher/win32/"),
}


def layer_of(relative: str):
    best = None
    for folder in ALLOWED:
        if relative.startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def included_layer(header: str):
    for back_end in BACK_ENDS:
        if header.startswith(back_end + "/"):
            return back_end
    return layer_of(header)


def violations():
    for path in sorted(ROOT.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        relative = path.relative_to(ROOT).as_posix()
        if relative.startswith(("build", "tests/", "fuzz/")):
            continue
        own = layer_of(relative)
        if own is None:
            continue
        for header in INCLUDE.findall(path.read_text(errors="replace")):
            target = included_layer(header)
            if target is None or target == own:
                continue
            if relative.startswith(SHARED_BACK_END_HEADERS.get(header, ())):
                continue
            # A back end's own folder counts as the back end, not as the interfaces.
            if target in BACK_ENDS and own != target:
                yield f"{relative}: includes the back end header {header}"
                continue
            if target not in ALLOWED[own] and not target.startswith(own + "/"):
                yield f"{relative}: {own}/ may not include {header}"


def main():
    found = list(violations())
    for line in found:
        print(line)
    print(f"{len(found)} layer violations")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
