#!/bin/sh
# Times the 600-record report and CSV as k4-report writes them (the report
# through the spreadsheet component), against python3-xlwt writing the same
# cells, styles, merged areas and formulas. Prints both mean times per
# report and the ratio.
#
# usage: scripts/bench_report.sh [BUILD_DIR] [REPEAT]
#   BUILD_DIR  a configured build with k4-report and k4xls built
#              (default: build next to this script's folder)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
repeat=${2:-50}
report=$build/bin/k4-report
python=/usr/bin/python3

if [ ! -x "$report" ]; then
    echo "bench_report: $report not found; build it with" >&2
    echo "  cmake --build $build --target k4-report k4xls -j2" >&2
    exit 1
fi
if ! "$python" -c "import xlwt, xlrd" 2>/dev/null; then
    echo "bench_report: python3-xlwt and python3-xlrd are needed" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The log: the sample's records over and over up to 600, the run time
# growing so that every row has an elapsed time (as `k4-sim --synthetic 600`).
"$report" --write-sample "$work/sample.img"
"$python" - "$work/sample.img" "$work/log.img" <<'PY'
import struct, sys
image = open(sys.argv[1], "rb").read()
offset, length = struct.unpack_from(">HH", image, 6)
kinds = [image[at:at + 21] for at in range(offset, offset + length, 21)]
records, stamp = [], 0
for i in range(600):
    r = bytearray(kinds[i % len(kinds)])
    if r[5] != 0xFF:
        stamp += 37 + i % 11
        r[6:9] = stamp.to_bytes(3, "little")
    records.append(bytes(r))
table = b"".join(records)
with open(sys.argv[2], "wb") as out:
    out.write(image[:6] + struct.pack(">HH", offset, len(table)) + image[10:offset] + table)
PY
# One unmeasured run first: page cache, dynamic loader.
"$report" "$work/log.img" --output "$work/report" >/dev/null
# Each run is a whole process: the time of one that only saves the sample
# image (start, load, exit) is taken off.
ours=$("$python" -c '
import subprocess, sys, time
report, log, base, repeat = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def mean(*args):
    start = time.perf_counter()
    for _ in range(repeat):
        subprocess.run([report, *args], check=True)
    return (time.perf_counter() - start) * 1000 / repeat
print("%.3f" % (mean(log, "--output", base) - mean("--write-sample", base + ".img")))' \
    "$report" "$work/log.img" "$work/report" "$repeat")
xlwt_repeat=$(( repeat / 10 > 3 ? repeat / 10 : 3 ))
theirs=$("$python" "$here/bench_report_xlwt.py" "$work/report.xls" "$xlwt_repeat")

echo "600-record report, mean time per workbook written to disk:"
printf '  k4-report, CSV + report: %8.2f ms  (%d runs; process start taken off)\n' "$ours" "$repeat"
printf '  python3-xlwt:          %10.2f ms  (%d runs; no logo, no cached formula results)\n' "$theirs" "$xlwt_repeat"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "  ratio: %.1fx faster (goal: 20x)\n", a / b }'
