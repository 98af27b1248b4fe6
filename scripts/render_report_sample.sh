#!/bin/sh
# Renders the sample log's report as docs/report-sample.png: the report is
# written through the spreadsheet component, printed to PDF by LibreOffice
# (with the sheet's own page settings) and the page's used part rasterised.
#
# usage: scripts/render_report_sample.sh [BUILD_DIR]
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bin/k4-report" --sample --output "$work/sample"
soffice --headless "-env:UserInstallation=file://$work/profile" --convert-to pdf --outdir "$work" \
    "$work/sample.xls" >/dev/null
# 130 dpi; the crop keeps the report and drops the empty page margins.
pdftoppm -png -r 130 -f 1 -l 1 -x 80 -y 110 -W 1275 -H 680 -singlefile "$work/sample.pdf" "$work/page"
cp "$work/page.png" "$here/../docs/report-sample.png"
echo "wrote docs/report-sample.png"
