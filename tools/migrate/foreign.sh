#!/usr/bin/env bash
# foreign.sh MIGRATE: a SQLite file of another program is refused by its name, as not a database
# of this program, without advice to open it with the program; nothing is written.
set -euo pipefail
work=$(mktemp -d /tmp/torvane-foreign.XXXXXX)
trap 'rm -rf "$work"' EXIT
sqlite3 "$work/notes.mdb" "CREATE TABLE notes (line TEXT); INSERT INTO notes VALUES ('hello');"
rc=0
out=$("$1" --from "$work/notes.mdb" --to "$work/copy.mdb" 2>&1) || rc=$?
[ "$rc" = 2 ] || { echo "ended with $rc: $out" >&2; exit 1; }
grep -qF "$work/notes.mdb is not a Torvane database" <<<"$out" || { echo "does not name file and cause: $out" >&2; exit 1; }
if grep -q 'open it with the program' <<<"$out"; then echo "gives the wrong advice: $out" >&2; exit 1; fi
[ ! -e "$work/copy.mdb" ] || { echo "wrote $work/copy.mdb" >&2; exit 1; }
echo "foreign file refused: $out"
