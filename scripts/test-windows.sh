#!/usr/bin/env bash
# The Windows build and its tests under wine: cross-builds build-win/ with
# mingw-w64, makes a fresh wine prefix in it, runs the CTest suite there
# (unit tests and the report readers' checks on reports the Windows build
# wrote), then download passes of k4-download.exe against the Linux k4-sim
# on a pseudo-terminal seen as COM5, and the report layout check on reports
# that k4-report.exe wrote. Prints how long each part took; leaves the prefix
# to scripts/test-windows-desktop.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
export WINEDEBUG=-all

# Elapsed seconds since a `date +%s%N` stamp, to a tenth.
since() { local ns=$(($(date +%s%N) - $1)); printf '%d.%d s' $((ns / 1000000000)) $((ns / 100000000 % 10)); }
part_started=0
part() { part_started=$(date +%s%N); echo "== $1 =="; }
took() { echo "   ($(since "$part_started"))"; }
all_started=$(date +%s%N)

# What the Windows build delivers: the programs, the spreadsheet component
# and the test programs with their helpers.
targets=(k4xls k4-download k4-report
         eventlog_tests link_tests session_tests report_tests k4xls_without_start
         xls_tests xls_sample_writer win32_platform_tests fake_cp210x watch_tests common_tests)
tests='^(layers|eventlog_tests|link_tests|session_tests|report_tests|report_readers\..*|xls\.xls_tests|win32_platform_tests|watch_tests|common_tests)$'

part "Windows build (build-win)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-win -j"$jobs" --target "${targets[@]}" >build-win/build.log 2>&1 || { tail -40 build-win/build.log; exit 1; }
exports=$(x86_64-w64-mingw32-objdump -p build-win/bin/k4xls.dll)
if ! grep -qE '^\s+\[ *[0-9]+\] Start$' <<<"$exports"; then
  echo "k4xls.dll does not export Start" >&2
  exit 1
fi
took

part "Linux simulator and report writer (build)"
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$jobs" --target k4-sim k4-report >build-win/build-linux-tools.log 2>&1 ||
  { tail -40 build-win/build-linux-tools.log; exit 1; }
took

part "fresh wine prefix"
source scripts/wine-prefix.sh
fresh_wine_prefix "$root/build-win/wineprefix"
trap end_wine_server EXIT
took

part "CTest under wine"
(cd build-win && ctest --output-on-failure -j"$jobs" --timeout 600 -R "$tests")
took

part "download passes under wine"
K4_BIN_DIR=$root/build/bin K4_WIN_BIN_DIR=$root/build-win/bin PYTHONDONTWRITEBYTECODE=1 \
  /usr/bin/python3 tests/win32/e2e_wine.py
took

part "report layout, written by k4-report.exe"
driver=$root/build-win/k4-report-under-wine.sh
printf '#!/bin/sh\nexec "%s/scripts/wine-program.sh" "%s/build-win/bin/k4-report.exe" "$@"\n' "$root" "$root" >"$driver"
chmod +x "$driver"
PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 tests/report/check_report.py xlrd "$driver"
took

# The desktop script goes on in this prefix instead of booting its own.
hand_over_wine_prefix
echo "== all Windows parts passed ($(since "$all_started")) =="
