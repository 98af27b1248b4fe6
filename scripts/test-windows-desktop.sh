#!/usr/bin/env bash
# The two Windows desktop programs and their installer under wine, driven
# from outside by tests/app/win32/driver.exe: cross-builds them into
# build-win/ (beside the core's Windows build), takes the wine prefix that
# scripts/test-windows.sh left there a moment ago or makes a fresh one,
# starts an X server (Xvfb) for their windows and runs
# tests/app/win32/desktop_wine.py.
#
#   scripts/test-windows-desktop.sh [CASE...]      the cases (all when none named)
#   scripts/test-windows-desktop.sh --pictures     docs/screenshots/windows-*.png instead
#                                                  (scripts/screenshots_windows.py)
#
# Ends 77 (skipped) when wine, Xvfb or mingw-w64 is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-win
export WINEDEBUG=-all

for tool in wine Xvfb x86_64-w64-mingw32-g++-posix xwd convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "test-windows-desktop.sh: $tool is missing, skipped" >&2
    exit 77
  fi
done

since() { local ns=$(($(date +%s%N) - $1)); printf '%d.%d s' $((ns / 1000000000)) $((ns / 100000000 % 10)); }
started=$(date +%s%N)

echo "== Windows desktop build ($build) =="
targets=(k4-win32-app k4-dockstart k4-desktop-driver k4-desktop-standin k4xls)
command -v makensis >/dev/null && targets+=(installer)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DK4_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/desktop-build.log" 2>&1 ||
  { tail -40 "$build/desktop-build.log"; exit 1; }

echo "== Linux simulator and report writer (build) =="
if [[ ! -f build/CMakeCache.txt ]]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build -j"$(nproc)" --target k4-sim k4-report >"$build/desktop-build-linux.log" 2>&1 ||
  { tail -40 "$build/desktop-build-linux.log"; exit 1; }
echo "   ($(since "$started"))"

echo "== wine prefix (the one test-windows.sh handed over, else a fresh one) and X server =="
display=
for n in $(seq 90 120); do
  if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then display=:$n; break; fi
done
[[ -n $display ]] || { echo "no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset </dev/null >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
source scripts/wine-prefix.sh
cleanup() {
  end_wine_server
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
wine_prefix "$build/wineprefix"
echo "   ($(since "$started"))"

export K4_BIN_DIR=$root/build/bin K4_WIN_BUILD=$build PYTHONDONTWRITEBYTECODE=1
if [[ ${1:-} == --pictures ]]; then
  echo "== pictures of every dialog =="
  cmake --build "$build" -j"$(nproc)" --target k4-windows-pictures >>"$build/desktop-build.log" 2>&1 ||
    { tail -40 "$build/desktop-build.log"; exit 1; }
  /usr/bin/python3 scripts/screenshots_windows.py "$root/docs/screenshots"
else
  echo "== desktop cases under wine =="
  /usr/bin/python3 tests/app/win32/desktop_wine.py "$@"
fi
echo "== done ($(since "$started")) =="
