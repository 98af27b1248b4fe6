#!/usr/bin/env bash
# An idle Dockstart: CPU share and wake-ups per second over SECONDS with the
# real bridge listing and with another maker's device attached (and how
# often it opened that device's port), its peak memory, and the time from a
# bridge appearing to the main program's process start (median of RUNS).
# Runs on a virtual display without a tray. Goals: under 0.02 % of one core,
# at most 10 wake-ups a second, no open of another device, start within
# 150 ms, under 40 MiB.
#   scripts/bench_dockstart.sh [SECONDS] [BUILD_DIR] [RUNS]    (default 60, build, 10)
set -euo pipefail

seconds=${1:-60}
build=${2:-build}
runs=${3:-10}
here=$(cd "$(dirname "$0")/.." && pwd)
for program in Dockstart k4-sim; do
  [ -x "$here/$build/bin/$program" ] || { echo "no $here/$build/bin/$program; build it first"; exit 1; }
done
command -v Xvfb >/dev/null || { echo "Xvfb is missing"; exit 1; }
K4_BIN_DIR="$here/$build/bin" python3 "$here/scripts/bench_dockstart.py" "$here/$build/bin/Dockstart" "$seconds" "$runs"
