#!/usr/bin/env bash
# Builds the benchmark programs, runs them and prints each one's ratio against its baseline, measured
# in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TAPELINK_BUILD_DIR:-build}"

cmake --build "$build" -j 2 --target bench_phone_list_view >/dev/null
# The phone list: model-based view against a one-item-per-cell table, 10,000 rows.
QT_QPA_PLATFORM=offscreen "$build/bench/bench_phone_list_view" 2>/dev/null
