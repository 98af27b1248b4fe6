#!/usr/bin/env bash
# Runs every test: a normal build and an AddressSanitizer +
# UndefinedBehaviorSanitizer build, each with its whole CTest suite
# (the slow cases included), then a short fixed-seed run of every fuzz target
# (clang's libFuzzer with the same sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

echo "== normal build =="
run_suite build
echo "== sanitizer build =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build-asan -DK4_SANITIZE=ON
echo "== fuzz targets, short runs =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DK4_FUZZ=ON -DK4_SANITIZE=ON >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_all
(cd build-fuzz && ctest --output-on-failure -L fuzz --timeout 600)
