#!/usr/bin/env bash
# roundtrip.sh MIGRATE PGSERVER SEED, run by "tools/pgserver with", which names its server in
# PGSERVER_DIR: a db.mdb moved onto that PostgreSQL server and back into a new file holds the same
# records, ids and row versions included (sqlite3 .dump compared), and the server refuses a second
# copy on top of the first.
set -euo pipefail
migrate=$1
pgserver=$2
seed=$3
work=$(mktemp -d /tmp/torvane-migrate.XXXXXX)
trap 'rm -rf "$work"' EXIT

# The seed, and records that are easy to lose on the way: quotes and letters beyond ASCII, NULL
# beside an empty text, tabs and carriage returns, a claim, a stopped station, and a booking
# deleted after it took the highest id (which must never be handed out again).
src=$work/src.mdb
cp "$seed" "$src"
chmod u+w "$src"
sqlite3 "$src" <<'SQL'
INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bComments, rowver) VALUES ('2031-01-02', 1, 6, 'O''Brien – Zoë', '', 3);
INSERT INTO tbl_Job (bDate, bCol, bRow, bName, bComments) VALUES ('2031-01-02', 2, 6, NULL, 'one' || char(13) || 'two');
INSERT INTO tbl_Job (bDate, bCol, bRow, bName) VALUES ('2031-01-03', 1, 6, 'Deleted');
DELETE FROM tbl_Job WHERE bName = 'Deleted';
INSERT INTO tbl_Appt (caldate, Data, Color, Clinic) VALUES ('2031-01-02', 'a' || char(9) || 'b', '16777215 0 ', 1);
INSERT INTO tbl_Station (started, beat, host, machine, pid) VALUES (1, 2, 'desk 1', 'm1', 12);
INSERT INTO tbl_Claim VALUES ('2031-01-02', 7, 2, 1, 99);
SQL

mkdir "$work/server"
"$pgserver" newdb "$PGSERVER_DIR" roundtrip >"$work/server/db.pgconn"
"$migrate" --from "$src" --to "$work/server/db.pgconn"

rc=0
"$migrate" --from "$src" --to "$work/server/db.pgconn" 2>"$work/again.log" || rc=$?
if [ "$rc" = 0 ] || ! grep -q "not empty" "$work/again.log"; then
  echo "a second copy onto the same server database was not refused:" >&2
  cat "$work/again.log" >&2
  exit 1
fi

"$migrate" --from "$work/server" --to "$work/back.mdb"

records() { sqlite3 "$1" .dump | grep '^INSERT' | sort; }
if ! diff <(records "$src") <(records "$work/back.mdb") >"$work/diff"; then
  echo "the copy back from the server differs from the original:" >&2
  head -n 40 "$work/diff" >&2
  exit 1
fi
echo "round trip: $(records "$src" | wc -l) records the same"
