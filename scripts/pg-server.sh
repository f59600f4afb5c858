# Sourced by the test scripts: a private PostgreSQL 15 server in a temporary folder, reached only through a
# Unix socket there, so team archive tests never touch a real server. initdb refuses root: as root the
# server runs as the unprivileged user TAPELINK_PG_USER (default nobody).
# Exports PGHOST, PGPORT and PGUSER (the server's superuser) for the tests, and TAPELINK_PG_DATA,
# TAPELINK_PG_BIN, TAPELINK_PG_RUNAS and TAPELINK_PG_OPTIONS so that a test can stop and start the server itself.

TAPELINK_PG_BIN=${TAPELINK_PG_BIN:-/usr/lib/postgresql/15/bin}

# Runs a server program as the server's owner.
pg_as_owner() {
    if [ -n "${TAPELINK_PG_RUNAS:-}" ]; then
        runuser -u "$TAPELINK_PG_RUNAS" -- "$@"
    else
        "$@"
    fi
}

start_pg_server() {
    export TAPELINK_PG_BIN TAPELINK_PG_DATA TAPELINK_PG_DIR TAPELINK_PG_RUNAS TAPELINK_PG_OPTIONS PGHOST PGPORT PGUSER
    if [ ! -x "$TAPELINK_PG_BIN/initdb" ]; then
        echo "PostgreSQL 15 is not installed; team archive tests will skip" >&2
        return 0
    fi
    TAPELINK_PG_DIR=$(mktemp -d /tmp/tapelink-pg-XXXXXX)
    TAPELINK_PG_DATA="$TAPELINK_PG_DIR/data"
    TAPELINK_PG_RUNAS=""
    if [ "$(id -u)" -eq 0 ]; then
        TAPELINK_PG_RUNAS=${TAPELINK_PG_USER:-nobody}
        chown "$TAPELINK_PG_RUNAS" "$TAPELINK_PG_DIR"
    fi
    PGHOST="$TAPELINK_PG_DIR"
    PGPORT=${TAPELINK_PG_PORT:-54329}
    PGUSER=postgres
    # Trust on the socket only: the folder is reachable by this user alone, and no TCP port is opened.
    if ! pg_as_owner "$TAPELINK_PG_BIN/initdb" -D "$TAPELINK_PG_DATA" -U postgres --auth=trust -E UTF8 \
        --locale=C.UTF-8 >"$TAPELINK_PG_DIR/initdb.log" 2>&1; then
        echo "initdb failed (see $TAPELINK_PG_DIR/initdb.log); team archive tests will skip" >&2
        return 0
    fi
    # fsync off: a test server's data need not outlive the machine, only the server.
    TAPELINK_PG_OPTIONS="-c listen_addresses='' -c unix_socket_directories='$TAPELINK_PG_DIR' -p $PGPORT -c fsync=off"
    pg_as_owner "$TAPELINK_PG_BIN/pg_ctl" -D "$TAPELINK_PG_DATA" -l "$TAPELINK_PG_DIR/server.log" -w \
        -o "$TAPELINK_PG_OPTIONS" start >/dev/null 2>&1 || echo "the PostgreSQL server did not start; team archive tests will skip" >&2
}

stop_pg_server() {
    [ -n "${TAPELINK_PG_DIR:-}" ] || return 0
    pg_as_owner "$TAPELINK_PG_BIN/pg_ctl" -D "$TAPELINK_PG_DATA" -m fast stop >/dev/null 2>&1 || true
    rm -rf "$TAPELINK_PG_DIR"
}
