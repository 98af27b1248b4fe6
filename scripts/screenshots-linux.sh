#!/usr/bin/env bash
# Pictures of the desktop program's windows on Linux, for the documentation:
# builds the program, runs it against k4-sim on a private Xvfb display (with
# openbox for window frames when it is installed) and writes
# docs/screenshots/linux-*.png. Needs Xvfb, xdotool, xprop and ImageMagick.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=${K4_BUILD_DIR:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target k4-desktop k4-sim k4xls
mkdir -p docs/screenshots
K4_BIN_DIR="$here/$build/bin" python3 scripts/screenshots_linux.py docs/screenshots
