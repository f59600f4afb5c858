#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the normal build (unit, gui, cli)
# and the core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

# Formatting is part of the build's contract.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"

# Audio tests talk to a private sound server with a null sink.
source scripts/audio-server.sh
start_audio_server
trap stop_audio_server EXIT

(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAPELINK_BUILD_GUI=OFF \
    -DTAPELINK_SANITIZE=address,undefined
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs" -LE gui)
