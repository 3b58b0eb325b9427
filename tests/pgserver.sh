#!/usr/bin/env bash
# A throw-away database server for the tests.
#   pgserver.sh start DIR   - initdb into DIR, start on a free port with its
#                             socket in DIR; prints the connection text and
#                             keeps it in DIR/verbindung
#   pgserver.sh stop DIR    - stop it and remove DIR
# As root the server runs as the system user postgres (it refuses root).
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?folder}
bin=${GAEB_PG_BIN:-/usr/lib/postgresql/15/bin}
als=()
if [ "$(id -u)" -eq 0 ]; then als=(runuser -u postgres --); fi
# The server's user may not enter the caller's folder: work from the root.
dir=$(realpath -m "$dir")
self=$(realpath "$0")
cd /

case "$cmd" in
start)
  [ -x "$bin/initdb" ] || { echo "no server programs in $bin (scripts/deps.sh installs postgresql)" >&2; exit 1; }
  "$self" stop "$dir"  # a server left by an aborted run
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
  "${als[@]}" "$bin/initdb" -D "$dir/data" -U gaeb --auth=trust -E UTF8 --no-locale --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])' 2>/dev/null ||
         echo $((20000 + RANDOM % 20000)))
  "${als[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir -p $port -c listen_addresses= -c max_connections=100" start >/dev/null ||
    { cat "$dir/server.log" >&2; exit 1; }
  echo "postgresql://gaeb@/postgres?host=$dir&port=$port" | tee "$dir/verbindung"
  ;;
stop)
  if [ -d "$dir/data" ]; then "${als[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true; fi
  # Only a folder this script made is removed.
  if [ -f "$dir/initdb.log" ]; then rm -rf "$dir"; elif [ -d "$dir" ]; then rmdir "$dir" 2>/dev/null || true; fi
  ;;
*) echo "usage: $0 start|stop DIR" >&2; exit 2 ;;
esac
