#!/usr/bin/env bash
# on_server.sh PGSERVER MIGRATE SEED LOAD [LOAD OPTIONS...]
# Runs torvane-load on a throwaway PostgreSQL server: the seed db.mdb moved into a new database
# there, a server folder whose db.pgconn names it, the stations run on that folder. Ends with
# torvane-load's result, or 77 (skipped) when the server programs are not installed.
set -euo pipefail
pgserver=$1
migrate=$2
seed=$3
load=$4
shift 4
work=$(mktemp -d /tmp/torvane-load.XXXXXX)
chmod 755 "$work"
cleanup() {
  "$pgserver" stop "$work/pg" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

rc=0
"$pgserver" start "$work/pg" >/dev/null 2>"$work/start.log" || rc=$?
if [ "$rc" = 3 ]; then
  cat "$work/start.log"
  exit 77
fi
[ "$rc" = 0 ] || { cat "$work/start.log" >&2; exit 1; }
mkdir "$work/server"
"$pgserver" newdb "$work/pg" load >"$work/server/db.pgconn"
"$migrate" --from "$seed" --to "$work/server/db.pgconn" >/dev/null
"$load" "$@" --db "$work/server"
