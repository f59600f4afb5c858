#!/usr/bin/env bash
# Soak run of tapelink-cli with random faults (see bench/soak.py). Not timed; prints what it ran and what
# it checked. Usage: bench/soak.sh [BUILD_DIR]   (SOAK_CYCLES, SOAK_RECORDINGS and SOAK_SEED change the run)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
python3 bench/soak.py "$build/cli/tapelink-cli" --cycles "${SOAK_CYCLES:-200}" \
    --recordings "${SOAK_RECORDINGS:-30}" --seed "${SOAK_SEED:-11}"
