#!/usr/bin/env bash
# Runs every benchmark and prints each one's ratio against its baseline, measured in the same run.
# Build first (scripts/test.sh or cmake --build build); TAPELINK_BUILD_DIR names another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${TAPELINK_BUILD_DIR:-build}"

cmake --build "$build" -j 2 >/dev/null

# The telephone's catalogue: tapelink-cli list against listing the folder and reading each block.
bash bench/list.sh "$build"
# The phone list: model-based view against a one-item-per-cell table, 10,000 rows.
QT_QPA_PLATFORM=offscreen "$build/bench/bench_phone_list_view" 2>/dev/null
# The spreadsheet export: 10,000 rows through the exporter against libxlsxwriter used directly.
bash bench/export.sh "$build"
# The archive search: tapelink-cli search over 20,000 recordings against listing and reading each block.
bash bench/search.sh "$build"
# The upload: 500 recordings into the upload folder against cp of the same files (and cp with a flush).
bash bench/upload.sh "$build"
# Listening fast: time-stretch at 2x and the waveform on a 60-minute recording, against decoding it.
"$build/bench/bench_listen"
# The demo telephone: 5,000 recordings by tapelink-cli demo-store against writing each one's audio on its own.
bash bench/demo_store.sh "$build"
# The archive catalogue: marks, reconciliation, rebuild and upload --new against their baselines.
bash bench/catalogue.sh "$build"
bash bench/upload_new.sh "$build"
# Sharing: 100 recordings converted to MP3 by tapelink-cli share against sox converting the same files.
bash bench/share.sh "$build"
# The phonebook: importing 5,000 vCard contacts against the sqlite3 shell importing the same as CSV.
bash bench/contacts.sh "$build"
# Statistics over 200,000 catalogued recordings against the same statements in the sqlite3 shell.
bash bench/stats.sh "$build"
# The team archive: publishing against psql's \copy, and the team search over 1,000,000 rows against psql.
bash bench/team.sh "$build"
# Names and notes: 200,000 catalogued recordings searched by name and by note or tag, against the sqlite3 shell.
names_notes=$(mktemp -d)
"$build/bench/bench_names_notes" "$names_notes"
rm -rf "$names_notes"
