#!/usr/bin/env bash
# wine-program.sh PROGRAM.exe ARGS...: runs a Windows program under wine
# (through wine-run.sh) with every argument that is an absolute Unix path
# turned into its Windows name on wine's Z: drive, so that scripts written
# for the Linux tools can drive the Windows ones unchanged.
set -u
here=$(cd "$(dirname "$0")" && pwd)
program=$1; shift
args=()
for arg in "$@"; do
  if [[ $arg == /* ]]; then
    arg="Z:${arg//\//\\}"
  fi
  args+=("$arg")
done
exec "$here/wine-run.sh" "$program" "${args[@]}"
