#!/usr/bin/env bash
# Times one full download pass (a 40960-byte log image) against the
# simulated unit paced at the real line rate, and sets it beside the pure
# wire time of every byte that crossed the line in both directions
# (128000 baud, 10 bits a byte).
#
#   scripts/bench_download.sh [BIN_DIR] [FRAME_SIZE]
#
# BIN_DIR holds k4-sim and k4-download (default: build/bin of this
# tree); FRAME_SIZE is the unit's data bytes per frame (default: the
# simulator's own).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$here/build/bin}
frame_size=${2:-}
image_size=40960
line_bytes_per_second=12800

for program in k4-sim k4-download; do
  [[ -x $bin/$program ]] || { echo "bench: $bin/$program not built" >&2; exit 1; }
done

work=$(mktemp -d -t k4-bench-XXXXXX)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/bridges" "$work/xdg/Tavrin Co" "$work/home"
printf '[Configuration]\nVID=0x10c4\nPID=0xea60\n' >"$work/xdg/Tavrin Co/K4 Data Transfer Application.conf"

# The largest synthetic log, padded to fill the unit's whole image.
"$bin/k4-sim" --synthetic 100000 --dump-image "$work/full.img"
truncate -s "$image_size" "$work/full.img"

sim_args=(--bridge-dir "$work/bridges" --name bench --image "$work/full.img" --log-frames "$work/frames.log")
[[ -n $frame_size ]] && sim_args+=(--frame-size "$frame_size")
"$bin/k4-sim" "${sim_args[@]}" >/dev/null 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 100); do [[ -e $work/bridges/bench.bridge ]] && break; sleep 0.05; done
[[ -e $work/bridges/bench.bridge ]] || { echo "bench: the simulator did not start" >&2; exit 1; }

start=$(date +%s.%N)
set +e
K4_BRIDGE_DIR=$work/bridges XDG_CONFIG_DIRS=$work/xdg HOME=$work/home \
  /usr/bin/time -f '%M' -o "$work/peak-rss" \
  "$bin/k4-download" --output "$work/bench" --keep-image "$work/kept.img" 2>"$work/download.err"
status=$?
set -e
end=$(date +%s.%N)

kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
sim_pid=

if ! cmp -s "$work/full.img" "$work/kept.img"; then
  echo "bench: the downloaded image differs from the unit's (k4-download exit $status)" >&2
  cat "$work/download.err" >&2
  exit 1
fi

# "k4-sim: stopped; sent N bytes, received M bytes"
read -r sent received < <(sed -n 's/.*sent \([0-9]*\) bytes, received \([0-9]*\) bytes.*/\1 \2/p' "$work/sim.err")
frames=$(grep -c ' tx ' "$work/frames.log")
# The download exchange alone: from the unit reading the request to its last frame.
read -r first_rx last_tx < <(awk '$2 == "rx" && $5 == "0a" && !s { s = $1 } $2 == "tx" { t = $1 } END { print s, t }' "$work/frames.log")

awk -v start="$start" -v end="$end" -v sent="$sent" -v received="$received" -v rate="$line_bytes_per_second" \
    -v frames="$frames" -v first="$first_rx" -v last="$last_tx" -v status="$status" -v size="$image_size" \
    -v rss="$(tail -n 1 "$work/peak-rss")" '
BEGIN {
  pass = end - start
  wire = (sent + received) / rate
  printf "image:            %d bytes in %d frames from the unit\n", size, frames
  printf "bytes on the line: %d from the unit, %d to it\n", sent, received
  printf "wire time:        %.3f s (every byte at 128000 baud, 8N1)\n", wire
  printf "download exchange: %.3f s (request read to last frame sent)\n", last - first
  printf "pass time:        %.3f s (k4-download start to end, exit status %d)\n", pass, status
  printf "pass / wire:      %.2f\n", pass / wire
  printf "download exchange / wire: %.3f (goal: at most 1.05)\n", (last - first) / wire
  printf "peak resident memory of k4-download: %.1f MiB\n", rss / 1024
}'
