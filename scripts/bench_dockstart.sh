#!/usr/bin/env bash
# An idle Dockstart (no unit attached): its CPU time over a while and its
# resident memory, from /proc. Goal: under 0.1 % of one core, under 40 MiB.
#   scripts/bench_dockstart.sh [SECONDS] [BUILD_DIR]    (default 60, build)
# Runs on a virtual display without a tray, against the real bridges of the
# machine (sysfs) unless K4_BRIDGE_DIR is set.
set -euo pipefail

seconds=${1:-60}
build=${2:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
dockstart=$here/$build/bin/Dockstart
[ -x "$dockstart" ] || { echo "no $dockstart; build it first"; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is missing"; exit 1; }

scratch=$(mktemp -d)
xvfb_pid=""
dockstart_pid=""
cleanup() {
  [ -n "$dockstart_pid" ] && kill "$dockstart_pid" 2>/dev/null && wait "$dockstart_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

mkdir -p "$scratch/system/Tavrin Co" "$scratch/home" "$scratch/programs" "$scratch/run"
chmod 700 "$scratch/run"
printf '[Configuration]\nVID=0x10c4\nPID=0xea60\nRunOnStart=1\nMainAppPath=%s/\n' "$scratch/programs" \
  >"$scratch/system/Tavrin Co/K4 Data Transfer Application.conf"

Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp -noreset 9>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.05; done
display=:$(head -n 1 "$scratch/display")

XDG_CONFIG_DIRS=$scratch/system XDG_CONFIG_HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run DISPLAY=$display \
  "$dockstart" </dev/null >/dev/null 2>"$scratch/dockstart.err" &
dockstart_pid=$!
sleep 2 # start-up is not what is measured

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$dockstart_pid/stat"; }
before=$(cpu_ticks)
start=$(date +%s.%N)
sleep "$seconds"
after=$(cpu_ticks)
end=$(date +%s.%N)
rss_kib=$(awk '/^VmRSS:/ { print $2 }' "/proc/$dockstart_pid/status")
hwm_kib=$(awk '/^VmHWM:/ { print $2 }' "/proc/$dockstart_pid/status")

awk -v t="$ticks" -v b="$before" -v a="$after" -v s="$start" -v e="$end" -v r="$rss_kib" -v h="$hwm_kib" 'BEGIN {
  cpu = (a - b) / t; wall = e - s; share = 100 * cpu / wall
  printf "idle Dockstart over %.1f s: CPU %.3f s = %.3f %% of one core (goal < 0.1 %%): %s\n", wall, cpu, share, share < 0.1 ? "met" : "NOT met"
  printf "resident memory %.1f MiB, peak %.1f MiB (goal < 40 MiB): %s\n", r / 1024, h / 1024, h < 40 * 1024 ? "met" : "NOT met"
}'
