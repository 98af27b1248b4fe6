#!/usr/bin/env bash
# Runs every test: a normal build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build, each with its CTest suite (the desktop
# programs under a virtual display included; the package check and memcheck
# in the normal build, the cases that wait out the unit's silence limit in
# the sanitizer build), a short fixed-seed run of every fuzz target (clang's
# libFuzzer with the same sanitizers), then the Windows build under wine:
# the core's tests and download passes, and the two desktop programs and
# their installer. Compiles through ccache, so a second run rebuilds only
# what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# Every build below, the Windows and fuzzing ones included, is configured
# fresh in a clean clone; CMake takes its compiler launcher from these.
# BASEDIR and NOHASHDIR let clones in other folders share the cache.
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
started=$(date +%s)
part_started=
part() {
  local now; now=$(date +%s)
  [[ -n $part_started ]] && echo "   (that part took $((now - part_started)) s)"
  part_started=$now
  echo "== $* =="
}
# run_suite DIR 'LABELS TO LEAVE OUT' CMAKE-OPTIONS...
run_suite() {
  local dir=$1 leave_out=$2; shift 2
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 -LE "$leave_out")
}

part "format check"
scripts/check-format.sh
part "normal build"
run_suite build 'slow'
part "sanitizer build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan 'packaging' -DK4_SANITIZE=ON
part "fuzz targets, short runs"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK4_FUZZ=ON -DK4_SANITIZE=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_all
(cd build-fuzz && ctest --output-on-failure -L fuzz --timeout 600)
part "Windows build under wine"
scripts/test-windows.sh
part "Windows desktop programs and installer under wine"
status=0
scripts/test-windows-desktop.sh || status=$?
if [[ $status -eq 77 ]]; then
  echo "skipped: wine, Xvfb or mingw-w64 is missing"
elif [[ $status -ne 0 ]]; then
  exit "$status"
fi
part "done"
echo "all parts passed in $(( $(date +%s) - started )) s"
