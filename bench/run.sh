#!/usr/bin/env bash
# Runs every benchmark against its baseline, measured in the same run. Build first (scripts/test.sh or
# cmake --build build); pass another build folder as the first argument if needed.
set -euo pipefail
here=$(dirname "$0")
build=${1:-build}
for bench in "$here"/list.sh; do
    bash "$bench" "$build"
done
