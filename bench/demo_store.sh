#!/usr/bin/env bash
# `tapelink-cli demo-store` of 5,000 recordings (default lengths) against writing every recording's audio on its
# own, as the command first did. The baseline writes the first BASE recordings of the same plan and is scaled to
# the whole plan. Target: 5,000 recordings within 30 s; the files are checked with sox and libsndfile. A copy of
# the written volume with cp -r shows how much of the time the disk itself takes.
# Usage: bench/demo_store.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
recordings=${DEMO_BENCH_RECORDINGS:-5000}
base=${DEMO_BENCH_BASE:-250}
work=$(mktemp -d /tmp/tapelink-bench-demo-XXXXXX)
trap 'rm -rf "$work"' EXIT

seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", b - a }'; }

start=$EPOCHREALTIME
"$build/bench/bench_demo_store_baseline" "$work/before" "$recordings" "$base"
baseline=$(seconds "$start" "$EPOCHREALTIME")
rm -rf "$work/before"

start=$EPOCHREALTIME
"$build/cli/tapelink-cli" demo-store "$work/after" --recordings "$recordings"
after=$(seconds "$start" "$EPOCHREALTIME")
# The floor: copying the volume it wrote, file by file, which is all the disk has to do.
bytes=$(du -sb "$work/after" | cut -f1)
start=$EPOCHREALTIME
cp -r "$work/after" "$work/floor"
floor=$(seconds "$start" "$EPOCHREALTIME")
rm -rf "$work/floor"

# A sample of the files must stay real IMA ADPCM that both readers decode.
for file in $(ls "$work/after/voice" | awk 'NR % 997 == 1'); do
    soxi -e "$work/after/voice/$file" | grep -q "IMA ADPCM" || { echo "demo-store: sox: $file" >&2; exit 1; }
    sox -q "$work/after/voice/$file" -n stat 2>/dev/null || { echo "demo-store: sox cannot decode $file" >&2; exit 1; }
done
python3 - "$work/after/voice" <<'PY' || { echo "demo-store: libsndfile cannot read the files" >&2; exit 1; }
import ctypes, ctypes.util, os, sys
lib = ctypes.CDLL(ctypes.util.find_library("sndfile"))
class Info(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]
lib.sf_open.restype = ctypes.c_void_p
folder = sys.argv[1]
for name in sorted(os.listdir(folder))[::997]:
    info = Info()
    handle = lib.sf_open(os.path.join(folder, name).encode(), 0x10, ctypes.byref(info))
    if not handle or info.samplerate != 8000 or info.format & 0xFFFF != 0x0012:
        sys.exit(1)
    lib.sf_close(ctypes.c_void_p(handle))
PY

awk -v n="$recordings" -v base="$base" -v b="$baseline" -v a="$after" -v f="$floor" -v mb="$((bytes >> 20))" 'BEGIN {
    before = b * n / base
    printf "demo-store: %d recordings in %.1f s; each recording on its own: %.1f s for %d, so about %.0f s for %d\n", n, a, b, base, before, n
    printf "demo-store: ratio %.3f against the old way (target: under 30 s: %s)\n", a / before, a < 30 ? "met" : "missed"
    printf "demo-store: cp -r of its %d MB takes %.1f s here: ratio %.2f against that floor\n", mb, f, a / f
}'
