#!/bin/sh
# Times the 600-record report and CSV, as the download pass writes them (the
# report through the spreadsheet component), against python3-xlwt writing
# the same cells, styles, merged areas and formulas. Prints both mean times
# per report and the ratio.
#
# usage: scripts/bench_report.sh [BUILD_DIR] [REPEAT]
#   BUILD_DIR  a configured build with report_driver and k4xls built
#              (default: build next to this script's folder)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
repeat=${2:-50}
driver=$build/bin/report_driver
python=/usr/bin/python3

if [ ! -x "$driver" ]; then
    echo "bench_report: $driver not found; build it with" >&2
    echo "  cmake --build $build --target report_driver k4xls -j2" >&2
    exit 1
fi
if ! "$python" -c "import xlwt, xlrd" 2>/dev/null; then
    echo "bench_report: python3-xlwt and python3-xlrd are needed" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One unmeasured run first: page cache, dynamic loader.
"$driver" --synthetic 600 --output "$work/report" >/dev/null
ours=$("$driver" --synthetic 600 --output "$work/report" --repeat "$repeat" --with-csv)
xlwt_repeat=$(( repeat / 10 > 3 ? repeat / 10 : 3 ))
theirs=$("$python" "$here/bench_report_xlwt.py" "$work/report.xls" "$xlwt_repeat")

echo "600-record report, mean time per workbook written to disk:"
printf '  k4 CSV + report writer: %9.2f ms  (%d runs; component loaded per report)\n' "$ours" "$repeat"
printf '  python3-xlwt:          %10.2f ms  (%d runs; no logo, no cached formula results)\n' "$theirs" "$xlwt_repeat"
awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "  ratio: %.1fx faster (goal: 20x)\n", a / b }'
