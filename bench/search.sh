#!/usr/bin/env bash
# Searches a folder of 20,000 recordings with `tapelink-cli search` and with the minimal baseline (list the
# folder, read each 23-byte block), in the same run, and prints the ratios of the best wall and CPU times
# (target <= 1.3).
# Then times the search dialog filling its list with the same folder.
# Usage: bench/search.sh [BUILD_DIR]   (default build; the volume is kept in BUILD_DIR/bench-search)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
recordings=${RECORDINGS:-20000}
runs=${RUNS:-7}
cli=$build/cli/tapelink-cli
baseline=$build/bench/bench_search_baseline
fill=$build/bench/bench_search_dialog_fill

cmake --build "$build" -j 2 --target tapelink-cli bench_search_baseline
volume=$build/bench-search
folder=$volume/voice
if [ "$(ls "$folder" 2>/dev/null | wc -l)" != "$recordings" ]; then
    rm -rf "$volume"
    "$cli" demo-store "$volume" --recordings "$recordings" --max-seconds 1
fi

# "WALL_US CPU_US": the best wall time and the best CPU time (user + system) of a command over $runs runs,
# after one warm-up run. On a shared machine the CPU time is the steadier of the two.
best_times() {
    "$@" >/dev/null
    local best_wall="" best_cpu="" TIMEFORMAT="%R %U %S"
    for _ in $(seq "$runs"); do
        local wall user sys
        read -r wall user sys < <({ time "$@" >/dev/null 2>&1; } 2>&1)
        local wall_us cpu_us
        wall_us=$(awk -v w="$wall" 'BEGIN { printf "%d", w * 1000000 }')
        cpu_us=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%d", (u + s) * 1000000 }')
        if [ -z "$best_wall" ] || [ "$wall_us" -lt "$best_wall" ]; then best_wall=$wall_us; fi
        if [ -z "$best_cpu" ] || [ "$cpu_us" -lt "$best_cpu" ]; then best_cpu=$cpu_us; fi
    done
    echo "$best_wall $best_cpu"
}

# The two take turns so that both see the same load on the machine.
read -r base_wall base_cpu < <(best_times "$baseline" "$folder")
read -r search_wall search_cpu < <(best_times "$cli" search "$folder" --to 2099-12-31)
read -r base_wall2 base_cpu2 < <(best_times "$baseline" "$folder")
[ "$base_wall2" -lt "$base_wall" ] && base_wall=$base_wall2
[ "$base_cpu2" -lt "$base_cpu" ] && base_cpu=$base_cpu2
rows=$("$cli" search "$folder" --to 2099-12-31 | wc -l)
awk -v sw="$search_wall" -v bw="$base_wall" -v sc="$search_cpu" -v bc="$base_cpu" -v r="$rows" 'BEGIN {
    printf "search %d rows, wall: tapelink-cli %.1f ms, baseline %.1f ms, ratio %.2f (target <= 1.3)\n", r, sw/1000, bw/1000, sw/bw
    printf "search %d rows, cpu:  tapelink-cli %.1f ms, baseline %.1f ms, ratio %.2f (target <= 1.3)\n", r, sc/1000, bc/1000, sc/bc }'

if cmake --build "$build" -j 2 --target bench_search_dialog_fill 2>/dev/null; then
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$fill" "$folder"
fi
