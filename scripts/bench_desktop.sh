#!/usr/bin/env bash
# The desktop program's figures: time from start to the main window shown,
# and the peak resident memory of one whole pass (Download Data, a name,
# Save, Exit) against k4-sim at the real line rate, on a private Xvfb
# display. Needs Xvfb, xdotool, xprop and GNU time (/usr/bin/time).
# Usage: scripts/bench_desktop.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
build=${K4_BUILD_DIR:-build}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target k4-desktop k4-sim k4xls >/dev/null
K4_BIN_DIR="$here/$build/bin" python3 scripts/bench_desktop.py "${1:-5}"
