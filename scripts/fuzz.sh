#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in their own
# build folder and runs each for FUZZ_SECONDS (default 60) from its seed corpus in tests/fuzz/corpus/.
# Any crash, leak, timeout or sanitizer report fails the script; the failing input is kept in
# BUILD/fuzz-work/TARGET/. Usage: scripts/fuzz.sh [TARGET...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_BUILD_JOBS:-$(nproc)}
all_targets=(fuzz_index_header fuzz_recording_info fuzz_folder_names fuzz_settings fuzz_archive_inputs fuzz_cli_arguments fuzz_contact_csv fuzz_contact_vcard)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${all_targets[@]}")

start=$SECONDS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DTAPELINK_BUILD_GUI=OFF -DTAPELINK_BUILD_AUDIO=OFF -DTAPELINK_BUILD_TESTS=OFF -DTAPELINK_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"
echo "fuzz: built ${#targets[@]} targets in $((SECONDS - start)) s"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# One fuzzer per core at a time; each reports into its own work folder.
run_target() {
    local target=$1 work="$build/fuzz-work/$1"
    rm -rf "$work" && mkdir -p "$work/corpus"
    # New inputs go to the work corpus; the seeds in the repository are only read.
    if "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "tests/fuzz/corpus/$target" \
        >"$work/fuzz.log" 2>&1; then
        echo ok >"$work/status"
    else
        echo FAILED >"$work/status"
    fi
}
for target in "${targets[@]}"; do
    while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do wait -n || true; done
    run_target "$target" &
done
wait

failed=()
for target in "${targets[@]}"; do
    work="$build/fuzz-work/$target"
    log="$work/fuzz.log"
    status=$(cat "$work/status" 2>/dev/null || echo FAILED)
    if [[ $status != ok ]]; then
        failed+=("$target")
        tail -n 60 "$log" >&2 || true
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' "$log" | tail -1)
    echo "fuzz: $target $status: ${runs:-?} executions in ${seconds} s, coverage ${cov:-?} edges, corpus $(ls "$work/corpus" | wc -l) new inputs"
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz: failed: ${failed[*]} (inputs and logs in $build/fuzz-work/)" >&2
    exit 1
fi
echo "fuzz: all ${#targets[@]} targets clean in $((SECONDS - start)) s"
