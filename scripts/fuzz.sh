#!/usr/bin/env bash
# Runs the fuzz targets for as long as asked, each in turn, keeping what
# they learn in build-fuzz/fuzz/corpus/<target>.
#
#   scripts/fuzz.sh SECONDS_PER_TARGET [TARGET...]
#
# Prints each target's execution count; a finding stops the script with the
# crashing input saved as build-fuzz/fuzz/crash-*.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS_PER_TARGET [TARGET...]}
shift
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DK4_FUZZ=ON -DK4_SANITIZE=ON >/dev/null
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"

targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_event_table fuzz_report fuzz_frame_reader fuzz_exchange fuzz_formula fuzz_bridge_file fuzz_config_values fuzz_save_path)
cd build-fuzz/fuzz
for t in "${targets[@]}"; do
  mkdir -p "corpus/$t"
  cp -n ../../fuzz/corpus/"$t"/* "corpus/$t"/ 2>/dev/null || true
  ASAN_OPTIONS=detect_leaks=1 ../bin/"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "corpus/$t" 2>"$t.log" || { tail -40 "$t.log"; echo "$t: FINDING (see build-fuzz/fuzz/$t.log)"; exit 1; }
  runs=$(grep -E '^stat::number_of_executed_units' "$t.log" | awk '{print $2}')
  echo "$t: $runs executions in ${seconds}s, no finding"
done
