#!/usr/bin/env bash
# nodriver.sh MIGRATE: on a machine without Qt's PostgreSQL driver (here: a copy of the program
# whose qt.conf points its plugins at an empty folder), a server address is refused with the
# name of the package to install, not blamed on the address.
set -euo pipefail
work=$(mktemp -d /tmp/torvane-nodriver.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/torvane-migrate"
mkdir "$work/plugins"
printf '[Paths]\nPlugins=%s\n' "$work/plugins" >"$work/qt.conf"
echo 'postgresql://dbhost/torvane' >"$work/db.pgconn"
rc=0
out=$("$work/torvane-migrate" --from "$work/db.pgconn" --to "$work/copy.mdb" 2>&1) || rc=$?
[ "$rc" = 2 ] || { echo "ended with $rc: $out" >&2; exit 1; }
grep -q 'install the package libqt6sql6-psql' <<<"$out" || { echo "does not name the package: $out" >&2; exit 1; }
[ ! -e "$work/copy.mdb" ] || { echo "wrote $work/copy.mdb" >&2; exit 1; }
echo "missing driver named: $out"
