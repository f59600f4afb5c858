#!/usr/bin/env bash
# The archive catalogue, each cost against its baseline in the same run:
#   marks of 5,000 telephone recordings against a catalogue of 200,000 rows, against the scan itself;
#   reconciling 20,000 unchanged files against find -printf of the same folder (target <= 1.5);
#   building the catalogue of those files against one sha256sum over them (target >= 1.5 throughput);
#   upload --new of 500 recordings against upload --all of the same (target <= 1.15);
#   the first build of the catalogue of FIRST_BUILD_FILES files (default 200,000), from a folder it has never
#   seen, against one sha256sum over the same files (target: ratio <= 1.0).
# Usage: bench/catalogue.sh [BUILD_DIR] [FIRST_BUILD_FILES]
set -euo pipefail

build=${1:-build}
first_build_files=${2:-200000}
cli="$build/cli/tapelink-cli"
bench="$build/bench/bench_catalogue"
runs=${CATALOGUE_BENCH_RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

now() { echo "$EPOCHREALTIME"; }
best() { sort -g | head -1; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'; }

# Marks.
"$cli" demo-store "$work/phone5k" --recordings 5000 --seed 11 --max-seconds 4 >/dev/null
"$cli" --store "$work/phone5k" list >/dev/null
mkdir "$work/marks"
"$cli" --store "$work/phone5k" upload --new --to "$work/marks" >/dev/null 2>&1
"$bench" fill "$work/marks" 195000
"$bench" marks "$work/marks" "$work/phone5k/"

# Rebuild and reconciliation over 20,000 files.
mkdir "$work/big"
for copy in 1 2 3 4; do
    for f in "$work"/phone5k/voice/*; do ln "$f" "$work/big/$copy$(basename "$f")"; done
done
cat "$work"/big/* >/dev/null
sha_times=(); rebuild_times=()
for ((i = 0; i < 3; ++i)); do
    start=$(now); (cd "$work/big" && sha256sum -- *.WAV >/dev/null); sha_times+=("$(elapsed "$start")")
    rm -rf "$work/big/.tapelink"
    start=$(now); "$cli" archive rebuild "$work/big" >/dev/null 2>&1; rebuild_times+=("$(elapsed "$start")")
done
find_times=(); reconcile_times=()
for ((i = 0; i < runs; ++i)); do
    start=$(now); find "$work/big" -maxdepth 1 -printf '%s %T@\n' >/dev/null; find_times+=("$(elapsed "$start")")
    start=$(now); "$bench" reconcile "$work/big"; reconcile_times+=("$(elapsed "$start")")
done
sha=$(printf '%s\n' "${sha_times[@]}" | best)
rebuild=$(printf '%s\n' "${rebuild_times[@]}" | best)
found=$(printf '%s\n' "${find_times[@]}" | best)
reconciled=$(printf '%s\n' "${reconcile_times[@]}" | best)
awk -v sha="$sha" -v rebuild="$rebuild" -v found="$found" -v rec="$reconciled" 'BEGIN {
    printf "catalogue: 20000 files: sha256sum %.3f s, rebuild %.3f s, throughput ratio %.2f (target >= 1.5)\n", sha, rebuild, sha / rebuild
    printf "catalogue: find -printf %.3f s, reconcile unchanged %.3f s, ratio %.2f (target <= 1.5)\n", found, rec, rec / found
}'

# upload --new against upload --all.
"$cli" demo-store "$work/phone" --recordings 500 --seed 7 --max-seconds 75 >/dev/null
"$cli" --store "$work/phone" list >/dev/null
cat "$work"/phone/voice/* >/dev/null
time_upload() {
    rm -rf "$work/up" && mkdir "$work/up" && sync -f "$work"
    local start; start=$(now)
    "$cli" --store "$work/phone" upload "$1" --to "$work/up" >/dev/null 2>&1
    elapsed "$start"
}
all_times=(); new_times=()
for ((i = 0; i < runs; ++i)); do
    all_times+=("$(time_upload --all)")
    new_times+=("$(time_upload --new)")
done
all=$(printf '%s\n' "${all_times[@]}" | best)
new=$(printf '%s\n' "${new_times[@]}" | best)
awk -v all="$all" -v new="$new" 'BEGIN {
    printf "catalogue: upload --all %.3f s, upload --new %.3f s, ratio %.2f (target <= 1.15)\n", all, new, new / all
}'

# First build of a large folder: hard links to the 5,000 recordings under distinct names, so the files'
# content stays in the page cache for both sides.
mkdir "$work/large"
python3 - "$work/phone5k/voice" "$work/large" "$first_build_files" <<'PY'
import os, sys
source, target, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
names = sorted(os.listdir(source))
for i in range(count):
    name = names[i % len(names)]
    os.link(os.path.join(source, name), os.path.join(target, "%d%s" % (i // len(names), name)))
PY
cat "$work"/phone5k/voice/* >/dev/null
first_runs=${CATALOGUE_FIRST_BUILD_RUNS:-2}
sha_times=(); first_times=()
for ((i = 0; i < first_runs; ++i)); do
    start=$(now); (cd "$work/large" && find . -maxdepth 1 -name '*.WAV' -print0 | xargs -0 sha256sum >/dev/null)
    sha_times+=("$(elapsed "$start")")
    rm -rf "$work/large/.tapelink" && sync -f "$work"
    start=$(now); "$cli" archive rebuild "$work/large" >/dev/null 2>&1; first_times+=("$(elapsed "$start")")
done
sha=$(printf '%s\n' "${sha_times[@]}" | best)
first=$(printf '%s\n' "${first_times[@]}" | best)
awk -v n="$first_build_files" -v sha="$sha" -v first="$first" 'BEGIN {
    printf "catalogue: first build of %d files %.3f s, sha256sum %.3f s, ratio %.2f (target <= 1.0)\n", n, first, sha, first / sha
}'
