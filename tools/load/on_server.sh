#!/usr/bin/env bash
# on_server.sh PGSERVER MIGRATE SEED LOAD [LOAD OPTIONS...], run by "tools/pgserver with", which
# names its server in PGSERVER_DIR: torvane-load on that PostgreSQL server, the seed db.mdb moved
# into a new database there and a server folder whose db.pgconn names it.
set -euo pipefail
pgserver=$1
migrate=$2
seed=$3
load=$4
shift 4
work=$(mktemp -d /tmp/torvane-load.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$pgserver" newdb "$PGSERVER_DIR" load >"$work/db.pgconn"
"$migrate" --from "$seed" --to "$work/db.pgconn" >/dev/null
"$load" "$@" --db "$work"
