#!/usr/bin/env bash
# Statistics over 200,000 catalogued recordings (three years, 5,000 numbers, a phonebook of 500) against the same
# two statements in the sqlite3 shell on the same catalogue, in the same run; the best of five each. Prints both
# times, their ratio (target <= 1.2) and whether the statistics stay under 200 ms.
# Usage: bench/stats.sh [BUILD_DIR] [ROWS]
set -euo pipefail

build=${1:-build}
rows=${2:-200000}
bench="$build/bench/bench_stats"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bench" fill "$work" "$rows"
catalogue="$work/.tapelink/catalogue.sqlite"
from=2023-01-01
to=2025-12-31

{
    echo ".timer on"
    echo ".output /dev/null"
    for _ in 1 2 3 4 5; do "$bench" sql "$from" "$to"; done
} >"$work/query.sql"
# The shell times each statement; a run is the days' statement and the numbers' one together.
shell_ms=$(sqlite3 -readonly "$catalogue" <"$work/query.sql" | awk '/^Run Time:/ { t[n++] = $4 * 1000 }
    END { best = 1e9; for (i = 0; i + 1 < n; i += 2) if (t[i] + t[i + 1] < best) best = t[i] + t[i + 1]; printf "%.1f", best }')

for by in day week month; do
    read -r ms total periods < <("$bench" query "$work" "$from" "$to" "$by")
    ratio=$(awk -v a="$ms" -v b="$shell_ms" 'BEGIN { printf "%.2f", a / b }')
    goal=$(awk -v a="$ms" 'BEGIN { print (a < 200 ? "under 200 ms" : "OVER 200 ms") }')
    echo "stats --by $by over $total recordings ($periods periods): ${ms} ms; sqlite3 shell ${shell_ms} ms; ratio $ratio; $goal"
done
