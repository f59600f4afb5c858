#!/usr/bin/env bash
# The team archive: publishing 5,000 recordings against psql's \copy of the same rows and bytes, and the team
# search over 1,000,000 rows and the marks of a 5,000-row telephone list against the same SQL in psql, on a private
# server unless PGHOST names one.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ -z "${PGHOST:-}" ]; then
    source scripts/pg-server.sh
    start_pg_server
    trap stop_pg_server EXIT
fi
"$build/bench/bench_team" "${TEAM_RECORDINGS:-5000}" "${TEAM_ROWS:-1000000}"
