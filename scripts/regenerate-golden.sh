#!/bin/sh
# Renews the golden files in tests/data/ (the CSV and the record listing of
# the .xls that `k4-report --sample` writes) after an intended change to the
# sample log or the report; review the diff before committing it.
# usage: scripts/regenerate-golden.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target k4-report k4xls
/usr/bin/python3 tests/report/check_report.py golden "$build/bin/k4-report" --regenerate
