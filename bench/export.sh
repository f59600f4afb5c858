#!/usr/bin/env bash
# Exports 10,000 phone-list rows through the exporter and its xlsx backend, and writes the same cells
# with libxlsxwriter directly, alternately, several times each; checks that both sheets are the same
# and prints the median times and their ratio.
# Usage: bench/export.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
ninja -C "$build" -j2 bench_export bench_export_baseline >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
exporter=()
baseline=()
for _ in $(seq "$runs"); do
    exporter+=("$("$build/bench/bench_export" "$work/exporter.xlsx")")
    baseline+=("$("$build/bench/bench_export_baseline" "$work/baseline.xlsx")")
done

for part in xl/worksheets/sheet1.xml xl/sharedStrings.xml xl/styles.xml; do
    if ! cmp -s <(unzip -p "$work/exporter.xlsx" "$part") <(unzip -p "$work/baseline.xlsx" "$part"); then
        echo "export: $part differs between the exporter and the baseline" >&2
        exit 1
    fi
done

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
e=$(median "${exporter[@]}")
b=$(median "${baseline[@]}")
awk -v e="$e" -v b="$b" -v n="$runs" \
    'BEGIN { printf "export 10000 rows: exporter %.1f ms, libxlsxwriter alone %.1f ms (median of %d), ratio %.2f (target <= 1.30)\n", e, b, n, e / b }'
