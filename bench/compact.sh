#!/usr/bin/env bash
# Compacting an archive of 1,000 demo recordings with `tapelink-cli archive compact` (Ogg Opus beside each
# original, checked, recorded, the original removed), against converting the same files in the same run with
# `sox` decoding into `opusenc` (opus-tools; skipped when missing) and, where opusenc is missing, with sox
# alone writing Ogg Opus when it can. Prints the times, the ratio and the bytes saved.
# Usage: bench/compact.sh [BUILD_DIR]
set -euo pipefail

build=${1:-build}
cli="$build/cli/tapelink-cli"
runs=${COMPACT_BENCH_RUNS:-3}
count=${COMPACT_BENCH_RECORDINGS:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
mkdir -p "$HOME"

"$cli" demo-store "$work/phone" --recordings "$count" --seed 28 --max-seconds 75 >/dev/null
mkdir "$work/archive"
"$cli" --store "$work/phone" upload --new --archive "$work/archive" >/dev/null
files=("$work"/archive/*.WAV)
wav_bytes=$(du -cb "${files[@]}" | tail -1 | cut -f1)

now() { echo "$EPOCHREALTIME"; }
best() { sort -g | head -1; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.4f\n", b - a }'; }

time_compact() {
    rm -rf "$work/run" && cp -a "$work/archive" "$work/run" && cat "$work"/run/*.WAV >/dev/null
    local start; start=$(now)
    "$cli" archive compact --archive "$work/run" >/dev/null
    since "$start"
}

# The same conversion file by file: the telephone's IMA ADPCM decoded by sox, encoded at 16 kbit/s.
time_tool() {
    rm -rf "$work/tool" && mkdir "$work/tool"
    local start; start=$(now)
    for file in "${files[@]}"; do
        local target; target="$work/tool/$(basename "$file" .WAV).opus"
        case $1 in
            opusenc) sox -q "$file" -t wav -e signed -b 16 - | opusenc --quiet --bitrate 16 - "$target" ;;
            sox) sox -q "$file" -C 16 "$target" ;;
        esac
    done
    since "$start"
}

baseline=""
if command -v sox >/dev/null && command -v opusenc >/dev/null; then
    baseline=opusenc
elif command -v sox >/dev/null && sox -q "${files[0]}" "$work/probe.opus" 2>/dev/null; then
    baseline=sox
fi
compact_times=(); tool_times=()
for ((i = 0; i < runs; ++i)); do
    compact_times+=("$(time_compact)")
    [ -n "$baseline" ] && tool_times+=("$(time_tool "$baseline")")
done
converted=$(find "$work/run" -maxdepth 1 -name '*.opus' | wc -l)
left=$(find "$work/run" -maxdepth 1 -name '*.WAV' | wc -l)
[ "$converted" = "${#files[@]}" ] && [ "$left" = 0 ] || {
    echo "compact: $converted compact files and $left originals left for ${#files[@]} recordings" >&2
    exit 1
}
"$cli" archive verify --archive "$work/run" >/dev/null || { echo "compact: verify found differences" >&2; exit 1; }

opus_bytes=$(du -cb "$work"/run/*.opus | tail -1 | cut -f1)
seconds=$(awk -v b="$wav_bytes" 'BEGIN { printf "%.0f", b / 4055 }')  # IMA ADPCM at 8 kHz: about 4,055 bytes a second
compact_best=$(printf '%s\n' "${compact_times[@]}" | best)
echo "compact: ${#files[@]} recordings, $((wav_bytes / 1024)) KB of WAV to $((opus_bytes / 1024)) KB of Opus" \
    "($(awk -v o="$opus_bytes" -v s="$seconds" 'BEGIN { printf "%.1f", o * 8 / s / 1000 }') kbit/s)," \
    "saved $(((wav_bytes - opus_bytes) / 1024)) KB ($(awk -v o="$opus_bytes" -v w="$wav_bytes" 'BEGIN { printf "%.0f", 100 - 100 * o / w }') %), best of $runs"
echo "compact: tapelink-cli archive compact ${compact_best} s"
if [ -n "$baseline" ]; then
    tool_best=$(printf '%s\n' "${tool_times[@]}" | best)
    tool_bytes=$(du -cb "$work"/tool/*.opus | tail -1 | cut -f1)
    awk -v s="$compact_best" -v t="$tool_best" -v n="$baseline" -v b="$tool_bytes" \
        'BEGIN { printf "compact: %s %.3f s (%d KB), ratio against it %.2f (target 1.3)\n", n, t, b / 1024, s / t }'
else
    echo "compact: neither opusenc nor a sox that writes Opus is installed, no baseline"
fi
