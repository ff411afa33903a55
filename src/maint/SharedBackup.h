#pragma once
#include "store/StationRegistry.h"

#include <QString>
#include <functional>

// Backup and restore of the shared database, widget-free.
namespace SharedBackup {

// The drive or folder must be there ("drive not ready" otherwise). Throws AppError.
void requireFolder(const QString &folder);

// True when folder is the server folder itself (or its db.mdb is the live file), however either
// is spelled: a back-up there would replace the live database under the other stations.
bool isLiveFolder(const QString &folder, const QString &liveDb);

// The drive the window offers: the remembered one, unless it names nothing on this platform (a
// drive letter where there are none, or nothing at all); then a mounted removable disk if there
// is one, else the user's home folder.
QString offeredDestination(const QString &remembered);

// How many earlier backups are kept beside db.mdb, by date.
constexpr int KeptBackups = 14;

// Writes a consistent snapshot of the live database to a temporary file in folder, flushes it
// to the medium, checks it, and only then renames it over folder/db.mdb: the previous backup
// stays whole until the new one is, and is then kept as db-YYYYMMDD-HHMMSS.mdb (the time it was
// written); of those the newest `keep` stay. Temporary files a backup cut short left behind go.
// Refuses the server folder itself. A live file another station is saving to is tried again for
// a moment. Failures name the file or folder and the cause.
// progress, when given, hears the tables done of all as the copy goes (from the thread it runs on).
using Progress = std::function<void(int done, int total)>;
void backupTo(const QString &liveDb, const QString &folder, const Progress &progress = {}, int keep = KeptBackups);

// The backups folder holds, newest first: db.mdb, then the dated earlier ones.
QStringList backupsIn(const QString &folder);

// Checks that folder/db.mdb is a sound database with every office table and field of the live
// one, then replaces the records of those tables with the backup's in one transaction. A backup
// of an older file is taken as it is: the live database keeps its newer shape. The running
// stations and the ids already used stay the live database's; claims are dropped, so their
// slots are free to be taken over. Refused with ErrNo::InUse while a station other than station
// (0: none) is running. Throws AppError before touching the live database when the backup is not
// usable. backupName picks one of backupsIn(folder); db.mdb when empty.
void restoreFrom(const QString &folder, const QString &liveDb, qint64 station = 0,
                 int timeoutMs = StationRegistry::DefaultTimeoutMs, const Progress &progress = {},
                 const QString &backupName = QString());

} // namespace SharedBackup
