#pragma once
#include "store/StationRegistry.h"

#include <QString>
#include <QStringList>
#include <optional>

class QDateTime;
class StationPaths;

// What the network installation does to files, apart from its window.
namespace Installation {

// The answers offered in the input boxes: a folder on this machine for the file-server station,
// the mount (mapped drive) of that folder for a client station. An installed program offers a
// folder the user can find in the home and give other stations as a share.
QString defaultServerFolder(bool installed = false);
QString defaultClientDrive();

// One trailing "\" or "/" is dropped; a path that would become empty is kept as typed.
QString stripTrailingSeparator(const QString &path);

// A typed folder as the station keeps it: blanks around it dropped, one trailing separator
// dropped, a leading "~" taken as the home folder, and a relative path taken from the station's
// own folder (where its dbn.mdb lives),
// never from wherever the program happened to be started.
QString settledPath(const QString &typed, const QString &stationFolder);

// A shared database already lying in a server folder.
struct ExistingDatabase {
    QString path;
    QString newestPage;   // the newest page's date as shown to the user; empty when it has no pages
    QString problem;      // why the file could not be read; empty when it could
    int stationsOpen = 0; // running stations other than self: replacing the file would lose their writes
};
// Null when the folder holds no db.mdb. self is this station's id on that file (0: none).
std::optional<ExistingDatabase> existingDatabase(const QString &serverFolder, qint64 self = 0,
                                                 int timeoutMs = StationRegistry::DefaultTimeoutMs);

// Why the database a connection file names cannot serve as the shared database (the server does
// not answer, or the database holds no Torvane tables); empty when it can.
QString serverProblem(const QString &connectionFile);

// Said instead of the replace question while other stations work on the file: it is kept.
QString inUseText(const ExistingDatabase &existing);

// The question that guards an existing shared database; Yes replaces it.
QString replaceQuestion(const ExistingDatabase &existing, const QString &keptAs);

// The name under which a replaced db.mdb is kept beside it: db-YYYYMMDD-HHMMSS.mdb, with a
// number added when that name is taken.
QString keepAsideName(const QString &serverFolder, const QDateTime &when);

enum class FolderState { Ready, FileInTheWay };
// Makes the server folder when nothing of that name exists; an existing folder is used as it is.
// Throws AppError when the folder cannot be made.
FolderState prepareFolder(const QString &path);

// Files the file-server station receives from the shipped ones, in copying order.
QStringList serverFiles();

// Copies each server file from where the program shipped it into the server folder, replacing a
// file of that name only once the copy is complete. An existing db.mdb is left alone unless keptAs
// names the copy it is first saved to. A folder naming a database server (db.pgconn) gets no
// db.mdb: when keptAs is given, the server's database is saved there as a db.mdb and then gets the
// records of the shipped db.mdb, as a restore would give it (self: this station's id on that
// database, 0 when none). Throws AppError on the first failure.
void copyServerFiles(const StationPaths &shipped, const QString &serverFolder, const QString &keptAs = QString(),
                     qint64 self = 0);

// Copies one file through a temporary file beside the destination, then renames it over it.
void replaceFile(const QString &source, const QString &destination);

} // namespace Installation
