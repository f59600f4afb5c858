#!/usr/bin/env bash
# Builds the upload and restore workers' tests with ThreadSanitizer (the GUI included, for the jobs that
# run the workers behind the windows) and runs them; any report fails. Qt is not built with
# ThreadSanitizer: tests/tsan.supp and scripts/tsan_reports.py leave aside races made wholly inside Qt.
# Usage: scripts/tsan.sh [BUILD_DIR]   (default build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-tsan}
jobs=${TSAN_BUILD_JOBS:-$(nproc)}
targets=(tapelink_unit_tests tapelink_gui_upload_job tapelink_gui_recycle tapelink_gui_upload_dialogs
    tapelink_gui_mainwindow tapelink_gui_worker_mailbox tapelink_gui_device_watcher)
tests='^(UploadWorkerTest|UploadEngineTest|RecycleBinTest|RestoreCopyTest|PhoneListDeleteTest)\.|^tapelink_gui_(upload_job|recycle|upload_dialogs|mainwindow|worker_mailbox|device_watcher)$'

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAPELINK_SANITIZE=thread >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

logs="$PWD/$build/tsan-logs"
rm -rf "$logs" && mkdir -p "$logs"
# Reports go to the logs, not into the exit status, so that each one can be judged below. The longest
# access history keeps the earlier stack of a race restorable, which the judging needs: a report with
# a lost stack can't be told to be Qt's alone, and fails.
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp log_path=$logs/report exitcode=0 second_deadlock_stack=1 history_size=7"
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure -j "$jobs" -R "$tests")
python3 scripts/tsan_reports.py "$logs"
