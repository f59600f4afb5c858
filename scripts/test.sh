#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: the normal build (unit, gui, cli,
# fault), every test again under AddressSanitizer and UndefinedBehaviorSanitizer, windows included, the
# fuzz targets for a bounded time each (FUZZ_SECONDS, default 30: eight targets share the run), and the
# worker and listening tests under ThreadSanitizer; the Debian package is built from the normal build,
# installed and checked.
# Each step prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)
step_start=$SECONDS
step_done() {
    echo "test.sh: $1 took $((SECONDS - step_start)) s"
    step_start=$SECONDS
}

# Formatting is part of the build's contract.
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# Line tables are all the tests' stack traces need: full debug information makes every object several times
# larger and every compile and link slower. The package is stripped either way.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build -j "$jobs"
step_done "build"

# Audio tests talk to a private sound server with a null sink.
source scripts/audio-server.sh
start_audio_server
# Team archive tests talk to a private PostgreSQL server on a Unix socket in a temporary folder.
source scripts/pg-server.sh
start_pg_server
trap 'stop_pg_server; stop_audio_server' EXIT

# A test that fails is run once more before it counts: the sound-server tests depend on a real
# server's timing, which a loaded machine can upset. A fault of our own fails both runs.
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --repeat until-pass:2)
step_done "tests"

# The Debian package from the same build, installed and checked as a user would meet it.
bash scripts/package-test.sh build
step_done "Debian package"

# The windows' tests too, offscreen and on the private sound server, like the normal build's. Qt is not
# built with LeakSanitizer in mind: tests/lsan.supp leaves aside leaks made wholly inside Qt's libraries.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
    -DTAPELINK_SANITIZE=address,undefined -DTAPELINK_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
(cd build-asan && LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp print_suppressions=0" \
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --repeat until-pass:2)
step_done "address and undefined-behaviour sanitizer build and tests"

FUZZ_SECONDS=${FUZZ_SECONDS:-30} FUZZ_BUILD_JOBS=$jobs bash scripts/fuzz.sh
step_done "fuzzing"

bash scripts/tsan.sh
step_done "thread sanitizer build and tests"
