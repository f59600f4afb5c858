#!/usr/bin/env bash
# Uploading 500 recordings of about 200 KB from a demo telephone with `tapelink-cli upload --all`,
# against `cp` of the same files in the same run. The upload flushes every copy to disk before giving
# it its name, which plain cp does not, so ratios against cp followed by a flush of the copies (one
# `sync -f` of the file system, or `sync -d` of each copy) are printed as well. Usage: bench/upload.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
cli="$build/cli/tapelink-cli"
runs=${UPLOAD_BENCH_RUNS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" demo-store "$work/phone" --recordings 500 --seed 7 --max-seconds 75 >/dev/null
"$cli" --store "$work/phone" list >/dev/null  # the first scan renames the legacy recording
files=("$work"/phone/voice/*)
total=$(du -cb "${files[@]}" | tail -1 | cut -f1)
cat "${files[@]}" >/dev/null  # both sides read from the page cache

now() { echo "$EPOCHREALTIME"; }
best() { sort -g | head -1; }

time_cp() {
    rm -rf "$work/cp" && mkdir "$work/cp" && sync -f "$work"
    local start; start=$(now)
    cp "${files[@]}" "$work/cp/"
    case $1 in
        syncfs) sync -f "$work/cp" ;;
        synced) sync -d "$work"/cp/* ;;
    esac
    awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'
}

time_upload() {
    rm -rf "$work/up" && mkdir "$work/up" && sync -f "$work"
    local start; start=$(now)
    "$cli" --store "$work/phone" upload --all --to "$work/up" >/dev/null 2>"$work/upload.err"
    awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'
}

cp_times=(); syncfs_times=(); synced_times=(); upload_times=()
for ((i = 0; i < runs; ++i)); do
    cp_times+=("$(time_cp plain)")
    syncfs_times+=("$(time_cp syncfs)")
    synced_times+=("$(time_cp synced)")
    upload_times+=("$(time_upload)")
done
cmp -s <(cd "$work/cp" && md5sum -- * | sort) <(cd "$work/up" && md5sum -- * | sort) \
    || { echo "upload: copies differ from cp's" >&2; exit 1; }

cp_best=$(printf '%s\n' "${cp_times[@]}" | best)
syncfs_best=$(printf '%s\n' "${syncfs_times[@]}" | best)
synced_best=$(printf '%s\n' "${synced_times[@]}" | best)
upload_best=$(printf '%s\n' "${upload_times[@]}" | best)
awk -v n="${#files[@]}" -v bytes="$total" -v cp="$cp_best" -v syncfs="$syncfs_best" -v synced="$synced_best" -v up="$upload_best" 'BEGIN {
    printf "upload: %d recordings, %.0f KB on average, best of '"$runs"'\n", n, bytes / n / 1024
    printf "upload: cp %.3f s, cp + sync -f %.3f s, cp + sync -d %.3f s, tapelink-cli upload %.3f s\n", cp, syncfs, synced, up
    printf "upload: ratio against cp %.2f (target 1.15), against cp + sync -f %.2f, against cp + sync -d %.2f\n", up / cp, up / syncfs, up / synced
}'
