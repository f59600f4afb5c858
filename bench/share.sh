#!/usr/bin/env bash
# Converting 100 recordings of a demo telephone to MP3 with `tapelink-cli share --format mp3 --folder`, against
# `sox` converting the same files one by one in the same run (skipped when sox is missing; `lame` cannot read
# the telephone's IMA ADPCM, so it is timed on a PCM copy when installed). Usage: bench/share.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
cli="$build/cli/tapelink-cli"
runs=${SHARE_BENCH_RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" demo-store "$work/phone" --recordings 100 --seed 11 --max-seconds 75 >/dev/null
"$cli" --store "$work/phone" list >/dev/null  # the first scan renames the legacy recording
files=("$work"/phone/voice/VO*)
wav_bytes=$(du -cb "${files[@]}" | tail -1 | cut -f1)
cat "${files[@]}" >/dev/null

now() { echo "$EPOCHREALTIME"; }
best() { sort -g | head -1; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'; }

time_share() {
    rm -rf "$work/share"
    local start; start=$(now)
    "$cli" --store "$work/phone" share "${files[@]}" --format mp3 --folder "$work/share" >/dev/null
    since "$start"
}

time_tool() {
    rm -rf "$work/tool" && mkdir "$work/tool"
    local start; start=$(now)
    for file in "${@:2}"; do
        case $1 in
            sox) sox -q "$file" -C -4.2 "$work/tool/$(basename "$file").mp3" ;;
            lame) lame --quiet -V 4 "$file" "$work/tool/$(basename "$file").mp3" ;;
        esac
    done
    since "$start"
}

share_times=(); sox_times=(); lame_times=()
have_sox=$(command -v sox >/dev/null && echo 1 || echo 0)
have_lame=$(command -v lame >/dev/null && [ "$have_sox" = 1 ] && echo 1 || echo 0)
if [ "$have_lame" = 1 ]; then
    mkdir "$work/pcm"
    for file in "${files[@]}"; do sox -q "$file" -e signed -b 16 "$work/pcm/$(basename "$file")"; done
fi
for ((i = 0; i < runs; ++i)); do
    share_times+=("$(time_share)")
    [ "$have_sox" = 1 ] && sox_times+=("$(time_tool sox "${files[@]}")")
    [ "$have_lame" = 1 ] && lame_times+=("$(time_tool lame "$work"/pcm/*)")
done
count=$(find "$work/share" -name '*.mp3' | wc -l)
[ "$count" = "${#files[@]}" ] || { echo "share: $count MP3 files for ${#files[@]} recordings" >&2; exit 1; }

share_best=$(printf '%s\n' "${share_times[@]}" | best)
mp3_bytes=$(du -cb "$work"/share/*.mp3 | tail -1 | cut -f1)
echo "share: ${#files[@]} recordings, $((wav_bytes / 1024)) KB of WAV to $((mp3_bytes / 1024)) KB of MP3, best of $runs"
echo "share: tapelink-cli share --format mp3 ${share_best} s"
if [ "$have_sox" = 1 ]; then
    sox_best=$(printf '%s\n' "${sox_times[@]}" | best)
    awk -v s="$share_best" -v t="$sox_best" 'BEGIN { printf "share: sox %.3f s, ratio against sox %.2f (target 1.3)\n", t, s / t }'
else
    echo "share: sox not installed, no baseline"
fi
if [ "$have_lame" = 1 ]; then
    lame_best=$(printf '%s\n' "${lame_times[@]}" | best)
    awk -v s="$share_best" -v t="$lame_best" 'BEGIN { printf "share: lame on PCM copies %.3f s, ratio against lame %.2f\n", t, s / t }'
fi
