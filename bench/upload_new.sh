#!/usr/bin/env bash
# What knowing a recording is archived by its content costs `upload --new` on a 5,000-recording telephone
# whose recordings are all archived already, each against its baseline in the same run:
#   the copies were recorded with their telephone file (serial, name, size, time): the catalogue alone
#   answers, against `tapelink-cli list` of the same telephone;
#   every telephone file's time changed since (a reset telephone looks like this): each one is hashed
#   against the archive's digests, against one sha256sum over the same files.
# Usage: bench/upload_new.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
cli="$build/cli/tapelink-cli"
runs=${UPLOAD_NEW_BENCH_RUNS:-5}
recordings=${UPLOAD_NEW_BENCH_RECORDINGS:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME" "$work/archive"

now() { echo "$EPOCHREALTIME"; }
best() { sort -g | head -1; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'; }

"$cli" demo-store "$work/phone" --recordings "$recordings" --seed 11 --max-seconds 20 >/dev/null
"$cli" --store "$work/phone" list >/dev/null  # the first scan renames the legacy recording
"$cli" --store "$work/phone" upload --new --to "$work/archive" >/dev/null
files=("$work"/phone/voice/*)
cat "${files[@]}" >/dev/null  # every side reads from the page cache

expect_all_archived() {
    grep -q "^新存档 0 个，此前已存档 ${#files[@]} 个，失败 0 个$" "$1" \
        || { echo "upload_new: not everything counted as archived: $(cat "$1")" >&2; exit 1; }
}

list_times=(); known_times=(); sum_times=(); hashed_times=()
for ((i = 0; i < runs; ++i)); do
    start=$(now)
    "$cli" --store "$work/phone" list >/dev/null
    list_times+=("$(elapsed "$start")")

    start=$(now)
    "$cli" --store "$work/phone" upload --new --to "$work/archive" >"$work/known.out"
    known_times+=("$(elapsed "$start")")
    expect_all_archived "$work/known.out"

    start=$(now)
    sha256sum "${files[@]}" >/dev/null
    sum_times+=("$(elapsed "$start")")

    touch "${files[@]}"
    start=$(now)
    "$cli" --store "$work/phone" upload --new --to "$work/archive" >"$work/hashed.out"
    hashed_times+=("$(elapsed "$start")")
    expect_all_archived "$work/hashed.out"
done

list_best=$(printf '%s\n' "${list_times[@]}" | best)
known_best=$(printf '%s\n' "${known_times[@]}" | best)
sum_best=$(printf '%s\n' "${sum_times[@]}" | best)
hashed_best=$(printf '%s\n' "${hashed_times[@]}" | best)
awk -v n="${#files[@]}" -v list="$list_best" -v known="$known_best" -v sum="$sum_best" -v hashed="$hashed_best" 'BEGIN {
    printf "upload_new: %d recordings, all archived, best of '"$runs"'\n", n
    printf "upload_new: list %.3f s, upload --new with recorded origins %.3f s, ratio %.2f\n", list, known, known / list
    printf "upload_new: sha256sum %.3f s, upload --new hashing every file %.3f s, ratio %.2f\n", sum, hashed, hashed / sum
}'
