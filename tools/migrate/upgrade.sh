#!/usr/bin/env bash
# upgrade.sh MIGRATE SEED: a database of an older shape is brought up to date in place by
# --upgrade (its customers' keys made again), one of the current shape is left as it is, and a file
# of another program is refused untouched.
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
# A file of another program is refused and left as it was.
sqlite3 "$work/notes.mdb" "CREATE TABLE notes (line TEXT);"
rc=0
out=$("$1" --upgrade "$work/notes.mdb" 2>&1) || rc=$?
[ "$rc" = 2 ] && grep -qF "is not a Torvane database" <<<"$out" || { echo "ended with $rc: $out" >&2; exit 1; }
[ "$(sqlite3 "$work/notes.mdb" "SELECT group_concat(name) FROM sqlite_master")" = notes ] \
  || { echo "changed $work/notes.mdb" >&2; exit 1; }
echo "upgraded: shape $((now - 1)) -> $now"
