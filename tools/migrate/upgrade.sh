#!/usr/bin/env bash
# upgrade.sh MIGRATE SEED: a database of an older shape is brought up to date in place by
# --upgrade (its customers' keys made again), and one of the current shape is left as it is.
set -euo pipefail
work=$(mktemp -d /tmp/torvane-upgrade.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/db.mdb"
now=$(sqlite3 "$work/db.mdb" "PRAGMA user_version")
sqlite3 "$work/db.mdb" "INSERT INTO tbl_CustomerKey (prefix, nameKey, phoneKey) VALUES ('zz', 'zz', ''); PRAGMA user_version = $((now - 1));"
out=$("$1" --upgrade "$work")
[ "$out" = "shape $((now - 1)) -> $now" ] || { echo "said: $out" >&2; exit 1; }
[ "$(sqlite3 "$work/db.mdb" "PRAGMA user_version")" = "$now" ] || { echo "shape not raised" >&2; exit 1; }
[ "$(sqlite3 "$work/db.mdb" "SELECT count(*) FROM tbl_CustomerKey WHERE prefix = 'zz'")" = 0 ] \
  || { echo "keys not made again" >&2; exit 1; }
out=$("$1" --upgrade "$work/db.mdb")
[ "$out" = "shape $now -> $now" ] || { echo "said: $out" >&2; exit 1; }
echo "upgraded: shape $((now - 1)) -> $now"
