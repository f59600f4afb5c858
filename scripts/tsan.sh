#!/usr/bin/env bash
# Builds the upload and restore workers' tests with ThreadSanitizer (the GUI included, for the jobs that
# run the workers behind the windows), and the listening ones: the player's stages (speed, silence map,
# waveform peaks), the sound output, the waveform's worker behind the player window, and the CLI's audio
# module (play at several speeds, volume, mute) driven through its command table. Runs them, the audio ones
# on a private sound server with a null sink; any report fails. Qt is not built with ThreadSanitizer:
# tests/tsan.supp and scripts/tsan_reports.py leave aside races made wholly inside Qt or the sound server's
# client library.
# Usage: scripts/tsan.sh [BUILD_DIR]   (default build-tsan)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-tsan}
jobs=${TSAN_BUILD_JOBS:-$(nproc)}
targets=(tapelink_unit_tests tapelink_gui_upload_job tapelink_gui_recycle tapelink_gui_upload_dialogs
    tapelink_gui_mainwindow tapelink_gui_worker_mailbox tapelink_gui_device_watcher
    tapelink_listening_tests tapelink_audio_tests tapelink_audio_module_tests tapelink_gui_listening
    tapelink_gui_player_audio)
workers='UploadWorkerTest|UploadEngineTest|RecycleBinTest|RestoreCopyTest|PhoneListDeleteTest'
listening='PlaybackSessionTest|ListeningStreamTest|SilenceMapTest|WaveformPeaksTest|QtAudioOutputTest|PulseMixerTest|AudioModuleTest'
windows='upload_job|recycle|upload_dialogs|mainwindow|worker_mailbox|device_watcher|listening|player_audio'
tests="^($workers|$listening)\\.|^tapelink_gui_($windows)\$"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAPELINK_SANITIZE=thread >/dev/null
cmake --build "$build" -j "$jobs" --target "${targets[@]}"

logs="$PWD/$build/tsan-logs"
rm -rf "$logs" && mkdir -p "$logs"
# Reports go to the logs, not into the exit status, so that each one can be judged below. The longest
# access history keeps the earlier stack of a race restorable, which the judging needs: a report with
# a lost stack can't be told to be Qt's alone, and fails.
export TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp log_path=$logs/report exitcode=0 second_deadlock_stack=1 history_size=7"
export QT_QPA_PLATFORM=offscreen
# Always a server of its own, never a desktop's: the audio tests set the volume and the mute switch.
source scripts/audio-server.sh
start_audio_server
trap stop_audio_server EXIT
(cd "$build" && ctest --output-on-failure -j "$jobs" -R "$tests")
python3 scripts/tsan_reports.py "$logs"
