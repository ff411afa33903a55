#pragma once
#include <QString>

// Backup and restore of the shared database, widget-free.
namespace SharedBackup {

// The drive or folder must be there ("drive not ready" otherwise). Throws AppError.
void requireFolder(const QString &folder);

// Writes a consistent snapshot of the live database to a temporary file in folder, flushes it
// to the medium, checks it, and only then renames it over folder/db.mdb: the previous backup
// stays whole until the new one is.
void backupTo(const QString &liveDb, const QString &folder);

// Checks that folder/db.mdb is a sound database with every table and field of the live one,
// then replaces the records of every table of the live database with the backup's in one
// transaction. Stations keep their connections; the row versions rise, so a station holding an
// old record gets "changed by another user" instead of writing over the restored data.
// Throws AppError before touching the live database when the backup is not usable.
void restoreFrom(const QString &folder, const QString &liveDb);

} // namespace SharedBackup
