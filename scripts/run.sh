#!/usr/bin/env bash
# Installs what is needed, builds Tapelink and starts it. Where no telephone is attached it starts on
# the demo telephone kept in ~/.cache/tapelink/demo-phone.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

if [ -z "${TAPELINK_STORE:-}" ] && ! ./build/cli/tapelink-cli locate >/dev/null 2>&1; then
    demo="${XDG_CACHE_HOME:-$HOME/.cache}/tapelink/demo-phone"
    [ -f "$demo/system/phone.bin" ] || ./build/cli/tapelink-cli demo-store "$demo"
    export TAPELINK_STORE="$demo"
fi
exec ./build/app/tapelink "$@"
