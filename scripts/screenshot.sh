#!/usr/bin/env bash
# Starts tapelink under Xvfb on a demo telephone with a fresh home folder and writes screenshots into
# the folder given as argument (default screenshots/):
#   tapelink-window.png  the running program's main window, as the X server shows it
#   *.png                each window built and drawn by tests/gui/ScreenshotTool.cpp, caption included
# The pictures show paths as a user's desktop has them: the home folder is /home/用户 with the archive in
# ~/录音, the telephone is mounted at /media/用户/录音电话. Both are empty in-memory folders laid over /home
# and /media in a private mount namespace of this script, so nothing of the machine's is touched or shown.
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-screenshots}"
build="${TAPELINK_BUILD_DIR:-build}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target tapelink tapelink-cli tapelink_screenshots >/dev/null

case "$out/" in /home/* | /media/*)
    echo "the output folder must lie outside /home and /media, which the pictures' own folders cover" >&2
    exit 2
    ;;
esac
if [ -z "${TAPELINK_SHOT_NAMESPACE:-}" ] && unshare -Urm true 2>/dev/null; then
    exec unshare -Urm env TAPELINK_SHOT_NAMESPACE=1 TAPELINK_BUILD_DIR="$build" "$0" "$out"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/run"
chmod 700 "$work/run"
if [ -n "${TAPELINK_SHOT_NAMESPACE:-}" ]; then
    mount -t tmpfs tapelink-home /home
    mount -t tmpfs tapelink-media /media
    home="/home/用户"
    phone="/media/用户/录音电话"
else
    echo "no private mount namespace: the pictures show temporary paths" >&2
    home="$work/home"
    phone="$work/phone"
fi
mkdir -p "$home/录音" "$(dirname "$phone")"
cli="$(pwd)/$build/cli/tapelink-cli"
"$cli" demo-store "$phone" --recordings 40 >/dev/null

export HOME="$home" XDG_RUNTIME_DIR="$work/run" TAPELINK_STORE="$phone" TAPELINK_ARCHIVE="$home/录音"
export TAPELINK_BIN="$(pwd)/$build" SHOT_DIR="$out"
# The archive holds the telephone's recordings, so the main window marks them archived.
"$cli" upload --to "$TAPELINK_ARCHIVE" --all --overwrite none >/dev/null
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -euo pipefail
    # First the drawn windows: the tool also stores the archive as the upload folder the program then shows.
    "$TAPELINK_BIN/tests/gui/tapelink_screenshots" "$SHOT_DIR" "$TAPELINK_STORE" "$TAPELINK_ARCHIVE"
    "$TAPELINK_BIN/app/tapelink" &
    pid=$!
    window=""
    for _ in $(seq 1 100); do
        window="$(xwininfo -root -tree | awk "/Quorvalent audio/ { print \$1; exit }")"
        [ -n "$window" ] && break
        sleep 0.1
    done
    if [ -z "$window" ]; then
        echo "tapelink did not open its window" >&2
        kill "$pid"
        exit 1
    fi
    sleep 0.5  # let the first paint finish
    import -window "$window" "$SHOT_DIR/tapelink-window.png"
    echo "$SHOT_DIR/tapelink-window.png"
    kill "$pid"
    wait "$pid" || true
'
