#!/usr/bin/env bash
# The main job: installs what it needs, builds, then runs one download pass
# against the simulated download unit serving the built-in sample log.
#
# With a graphical session (DISPLAY or WAYLAND_DISPLAY set) the pass is the
# desktop program's: its windows ask you, and the files go where you save
# them (by default ~/Documents/K4 Data Folder). Without one it is the
# terminal pass, which writes out/sample-download.csv, .xls and .img in the
# project folder.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

# K4_BUILD_DIR picks another build folder (default build/).
build=${K4_BUILD_DIR:-build}

desktop=
if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} ]]; then
  desktop=1
fi

scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=(k4-sim k4-download k4-report k4xls)
[[ -n $desktop ]] && targets+=(k4-desktop)
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

demo=$(mktemp -d -t k4-demo-XXXXXX)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$demo"
}
trap cleanup EXIT

# The unit's identifiers, as an installation would configure them system-wide.
mkdir -p "$demo/bridges" "$demo/xdg/Tavrin Co" out
printf '[Configuration]\nVID=0x10c4\nPID=0xea60\n' >"$demo/xdg/Tavrin Co/K4 Data Transfer Application.conf"

"$build/bin/k4-sim" --bridge-dir "$demo/bridges" --name k4-demo &
sim_pid=$!
for _ in $(seq 100); do [[ -e $demo/bridges/k4-demo.bridge ]] && break; sleep 0.05; done

set +e
if [[ -n $desktop ]]; then
  echo "Starting the desktop program: answer its windows (Download Data, a name, Save, Exit)."
  K4_BRIDGE_DIR=$demo/bridges XDG_CONFIG_DIRS=$demo/xdg \
    "$build/bin/K4 Data Transfer Application"
  status=$?
  set -e
  echo
  echo "desktop program exit status: $status"
  exit $status
fi
K4_BRIDGE_DIR=$demo/bridges XDG_CONFIG_DIRS=$demo/xdg \
  "$build/bin/k4-download" --output "$here/out/sample-download" --keep-image "$here/out/sample-download.img"
status=$?
set -e
echo
echo "k4-download exit status: $status"
ls -l out/sample-download.*
exit $status
