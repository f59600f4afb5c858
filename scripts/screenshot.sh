#!/usr/bin/env bash
# Starts tapelink under Xvfb on a demo telephone with a fresh home folder and writes screenshots into
# the folder given as argument (default screenshots/):
#   tapelink-window.png  the running program's main window, as the X server shows it
#   *.png                each window built and drawn by tests/gui/ScreenshotTool.cpp, caption included
set -euo pipefail
cd "$(dirname "$0")/.."

out="${1:-screenshots}"
build="${TAPELINK_BUILD_DIR:-build}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target tapelink tapelink-cli tapelink_screenshots >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
"$build/cli/tapelink-cli" demo-store "$work/phone" --recordings 40 >/dev/null

export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" TAPELINK_STORE="$work/phone"
export TAPELINK_BIN="$(pwd)/$build" SHOT_DIR="$out"
unset QT_QPA_PLATFORM

xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    set -euo pipefail
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
    "$TAPELINK_BIN/tests/gui/tapelink_screenshots" "$SHOT_DIR" "$TAPELINK_STORE"
'
