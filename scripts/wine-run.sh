#!/usr/bin/env bash
# Runs one Windows program under wine for CTest and the scripts.
# WINEPREFIX comes from the caller (scripts/test-windows.sh makes one fresh
# prefix per run). wine's helper processes inherit our standard streams, so a
# reader on a pipe would wait for the wineserver to end: the program's output
# goes through files and is copied out once it has exited.
set -u
if [[ -z "${WINEPREFIX:-}" ]]; then
  echo "wine-run.sh: WINEPREFIX is not set" >&2
  exit 125
fi
export WINEPREFIX
export WINEDEBUG=-all
out=$(mktemp "${TMPDIR:-/tmp}/k4-wine-out.XXXXXX")
err=$(mktemp "${TMPDIR:-/tmp}/k4-wine-err.XXXXXX")
trap 'rm -f "$out" "$err"' EXIT
wine "$@" </dev/null >"$out" 2>"$err"
status=$?
cat "$out"
# wine's own complaint about a missing 32-bit loader is no news for 64-bit programs.
grep -v -e 'wine32 is missing' -e 'multiarch needs to be enabled' -e 'dpkg --add-architecture' \
     -e 'apt-get install wine32' "$err" >&2
exit $status
