#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `start DIR` creates it in DIR (removed first) and
# starts it listening on a Unix socket in DIR only, no TCP port; `stop DIR` stops it and removes
# DIR. The server refuses to run as root, so under root the cluster belongs to an unprivileged
# user (MENUCOST_PG_USER, default nobody).
#
#   scripts/pg-test-cluster.sh start /tmp/menucost-pg   then connect to
#     postgresql:///postgres?host=/tmp/menucost-pg&user=menucost
#   scripts/pg-test-cluster.sh stop /tmp/menucost-pg
set -euo pipefail
action=${1:-}
dir=${2:-}
if [ -z "$action" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "PostgreSQL server programs not found under /usr/lib/postgresql (scripts/deps.sh)" >&2
  exit 1
fi
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(setpriv --reuid="${MENUCOST_PG_USER:-nobody}" --regid=nogroup --clear-groups --)
fi

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

case "$action" in
  start)
    stop
    mkdir -p "$dir"
    [ ${#as_owner[@]} -eq 0 ] || chown "${MENUCOST_PG_USER:-nobody}:nogroup" "$dir"
    # Durability is worth nothing for a cluster thrown away after the run.
    "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U menucost --auth=trust --encoding=UTF8 \
      --locale=C --no-sync >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
    "${as_owner[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-k $dir -c listen_addresses='' -c fsync=off -c synchronous_commit=off \
          -c full_page_writes=off -c max_connections=200" >/dev/null ||
      { cat "$dir/server.log" >&2; exit 1; }
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
