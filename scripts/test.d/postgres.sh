# Sourced by scripts/test from inside the build folder, before ctest: starts a private
# PostgreSQL 15 server for the tests that need one, reachable only through its own
# unix socket folder (no TCP), and registers the ODBC drivers the program names:
# psqlODBC as "SQL Server" and the SQLite ODBC driver as "SQLite3". The server stops
# when the sourcing shell exits.
#
# scripts/bench sources it too, with these set before (the tests leave them unset):
#   TOLVANE_PG_BASE    folder of the server's data, socket and ODBC files
#                      (default: pg-test in the current folder)
#   TOLVANE_PG_LISTEN  a TCP address to listen on as well (default: none)
#   TOLVANE_PG_PORT    the server's port (default 5432)

tolvane_pg_run() {
  # The server refuses to run as root; as root, act as the postgres user.
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

tolvane_pg_stop() {
  if [ -n "${TOLVANE_PG_DATA:-}" ] && [ -f "$TOLVANE_PG_DATA/postmaster.pid" ]; then
    tolvane_pg_run "$TOLVANE_PG_BIN/pg_ctl" -D "$TOLVANE_PG_DATA" -m fast -w stop >/dev/null || true
  fi
  if [ -n "${TOLVANE_PG_TMP_SOCKET:-}" ]; then
    rm -rf "$TOLVANE_PG_TMP_SOCKET"
  fi
}

tolvane_pg_driver() { # package, library file name
  dpkg -L "$1" 2>/dev/null | grep -m1 "/$2\$" || true
}

tolvane_pg_start() {
  TOLVANE_PG_BIN=/usr/lib/postgresql/15/bin
  if [ ! -x "$TOLVANE_PG_BIN/initdb" ]; then
    echo "== PostgreSQL 15 is missing (package postgresql-15): run scripts/setup" >&2
    return 1
  fi
  local base="${TOLVANE_PG_BASE:-$PWD/pg-test}"
  local socket="$base/socket"
  local listen="${TOLVANE_PG_LISTEN:-}"
  local port="${TOLVANE_PG_PORT:-5432}"
  TOLVANE_PG_DATA="$base/data"
  tolvane_pg_stop # a server left behind by a run that was killed
  # Stop the server however the run ends (an interrupt exits, which runs the EXIT trap).
  trap 'tolvane_pg_stop' EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  # A unix socket path is limited to about 100 characters.
  if [ ${#socket} -gt 80 ]; then
    TOLVANE_PG_TMP_SOCKET="$(mktemp -d /tmp/tolvane-pg.XXXXXX)"
    socket="$TOLVANE_PG_TMP_SOCKET"
  fi
  rm -rf "$base"
  mkdir -p "$TOLVANE_PG_DATA" "$socket" "$base/odbc"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$base" "$TOLVANE_PG_DATA" "$socket"
  fi

  tolvane_pg_run "$TOLVANE_PG_BIN/initdb" -D "$TOLVANE_PG_DATA" -U postgres -A trust -N \
    -E UTF8 --locale=C.UTF-8 >"$base/initdb.log"
  # Throw-away data: no TCP unless asked for, no waiting for the disk.
  cat >>"$TOLVANE_PG_DATA/postgresql.conf" <<CONF
listen_addresses = '$listen'
port = $port
unix_socket_directories = '$socket'
fsync = off
synchronous_commit = off
full_page_writes = off
CONF
  tolvane_pg_run "$TOLVANE_PG_BIN/pg_ctl" -D "$TOLVANE_PG_DATA" -l "$base/server.log" \
    -w -t 60 start >/dev/null
  # psqlODBC reaches a socket folder on port 5432 (the program's texts name no port):
  # on another port the socket answers under that name too.
  if [ "$port" != 5432 ]; then
    ln -s ".s.PGSQL.$port" "$socket/.s.PGSQL.5432"
  fi

  # shop may make roles: the log-in tests make roles of their own with awkward passwords.
  tolvane_pg_run "$TOLVANE_PG_BIN/psql" -h "$socket" -p "$port" -U postgres -d postgres -q -v ON_ERROR_STOP=1 \
    -c "CREATE ROLE shop LOGIN CREATEDB CREATEROLE PASSWORD 'shop-pass'" \
    -c "CREATE DATABASE velmora OWNER shop"
  # From now on every log-in needs its password, as on a shop's server.
  echo "local all all scram-sha-256" >"$TOLVANE_PG_DATA/pg_hba.conf"
  if [ -n "$listen" ]; then
    echo "host all all 127.0.0.0/8 scram-sha-256" >>"$TOLVANE_PG_DATA/pg_hba.conf"
  fi
  tolvane_pg_run "$TOLVANE_PG_BIN/pg_ctl" -D "$TOLVANE_PG_DATA" reload >/dev/null

  cat >"$base/odbc/odbcinst.ini" <<INI
[SQL Server]
Description = PostgreSQL (psqlODBC) under the name the program uses
Driver = $(tolvane_pg_driver odbc-postgresql psqlodbcw.so)

[SQLite3]
Description = SQLite 3
Driver = $(tolvane_pg_driver libsqliteodbc libsqlite3odbc.so)
INI
  : >"$base/odbc/odbc.ini"

  export ODBCSYSINI="$base/odbc"
  export TOLVANE_PG_SOCKET_DIR="$socket"
  export TOLVANE_PG_HOST="$listen"
  export TOLVANE_PG_PORT="$port"
  export TOLVANE_PG_DATABASE=velmora
  export TOLVANE_PG_USER=shop
  export TOLVANE_PG_PASSWORD=shop-pass
  echo "== PostgreSQL server on $socket${listen:+ and $listen:$port}"
}

tolvane_pg_start
