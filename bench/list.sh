#!/usr/bin/env bash
# `tapelink-cli list` on a 5,000-recording telephone against a program that only lists the folder and
# reads each 23-byte block. Target: within 1.3x, under 30 MB.
set -euo pipefail
build=${1:-build}
work=$(mktemp -d /tmp/tapelink-bench-list-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$build/cli/tapelink-cli" demo-store "$work/phone" --recordings 5000 --max-seconds 2 --seed 11
# The first listing moves the legacy name and clears the index fields; measure the steady state.
"$build/cli/tapelink-cli" --store "$work/phone" list >/dev/null
python3 "$(dirname "$0")/measure.py" list 25 -- "$build/bench/bench_list_baseline" "$work/phone" \
    -- "$build/cli/tapelink-cli" --store "$work/phone" list
