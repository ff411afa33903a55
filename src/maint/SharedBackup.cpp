#include "maint/SharedBackup.h"

#include "store/CustomerStore.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/FileProblem.h"
#include "store/Schema.h"
#include "store/SettingsStore.h"
#include "store/TableCopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <algorithm>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {
const QString DbName = QStringLiteral("db.mdb");

QString native(const QString &p) { return QDir::toNativeSeparators(p); }

// A snapshot written by the engine is not flushed to the medium by it.
void flushToDisk(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        throw AppError(75, QStringLiteral("Path/File access error: ") + native(path));
#ifdef Q_OS_WIN
    const int rc = _commit(f.handle());
#else
    const int rc = ::fsync(f.handle());
#endif
    if (rc != 0)
        throw AppError(57, QStringLiteral("Device I/O error: ") + native(path));
}

void flushFolder([[maybe_unused]] const QString &folder)
{
#ifndef Q_OS_WIN
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

void checkIntegrity(Database &db, const QString &path)
{
    const QString verdict = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (verdict != QLatin1String("ok"))
        throw AppError(3049, QStringLiteral("The database %1 is damaged (%2)").arg(native(path), verdict));
}

// The tables of the office's data; the running stations and their claims belong to the live file.
QStringList officeTables(Database &db)
{
    QStringList out = TableCopy::tables(db);
    out.removeOne(QStringLiteral("tbl_Station"));
    out.removeOne(QStringLiteral("tbl_Claim"));
    return out;
}

bool hasColumn(Database &db, const QString &table, const QString &column)
{
    return TableCopy::allColumns(db, table).contains(column, Qt::CaseInsensitive);
}

// Earlier backups by the time they were written; the name sorts as the time does.
const QRegularExpression DatedName(QStringLiteral("^db-\\d{8}-\\d{6}(-\\d+)?\\.mdb$"));
// What QTemporaryFile makes of "db.mdb.XXXXXX".
const QRegularExpression TempName(QStringLiteral("^db\\.mdb\\.[A-Za-z0-9]{6}$"));

QStringList datedBackups(const QDir &dir)
{
    QStringList names;
    for (const QString &name : dir.entryList({QStringLiteral("db-*.mdb")}, QDir::Files))
        if (DatedName.match(name).hasMatch())
            names << name;
    // Newest first; "-2" of the same second after the one without.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const QString ta = a.mid(3, 15), tb = b.mid(3, 15);
        return ta != tb ? ta > tb : a.size() != b.size() ? a.size() > b.size() : a > b;
    });
    return names;
}

// A name for the previous backup: the time it was written, and a number when that name is taken.
QString datedName(const QDir &dir, const QDateTime &when)
{
    const QString stem = QStringLiteral("db-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem + QStringLiteral(".mdb");
    for (int n = 2; dir.exists(name); ++n)
        name = stem + QStringLiteral("-%1.mdb").arg(n);
    return name;
}

// The reason a file could not be written into folder, told by the folder when it can.
AppError writeFailure(const AppError &e, const QString &folder, const QString &file)
{
    FileProblem::Cause cause = FileProblem::causeOf(e);
    if (cause != FileProblem::Cause::ReadOnly && cause != FileProblem::Cause::DiskFull)
        cause = FileProblem::folderCause(folder);
    if (cause == FileProblem::Cause::Other)
        return e;
    return AppError(e.number(), FileProblem::text(cause, file));
}

QString quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}
} // namespace

void SharedBackup::requireFolder(const QString &folder)
{
    if (folder.trimmed().isEmpty())
        throw AppError(76, QStringLiteral("Path not found: ") + native(folder));
    if (!QFileInfo(folder).isDir())
        throw AppError(76, FileProblem::text(FileProblem::Cause::Missing, folder));
}

bool SharedBackup::isLiveFolder(const QString &folder, const QString &liveDb)
{
    const QString here = QFileInfo(folder).canonicalFilePath();
    if (here.isEmpty())
        return false;
    const QFileInfo live(liveDb);
    if (here == live.absoluteDir().canonicalPath())
        return true;
    const QString copy = QFileInfo(QDir(folder).filePath(DbName)).canonicalFilePath();
    return !copy.isEmpty() && copy == live.canonicalFilePath();
}

QString SharedBackup::offeredDestination(const QString &remembered)
{
    const QString r = remembered.trimmed();
#ifdef Q_OS_WIN
    if (!r.isEmpty())
        return r;
    return QStringLiteral("A:");
#else
    static const QRegularExpression driveLetter(QStringLiteral("^[A-Za-z]:[\\/]?$"));
    if (!r.isEmpty() && !driveLetter.match(r).hasMatch())
        return r;
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty()) {
        for (const QString &media : {QStringLiteral("/media/"), QStringLiteral("/run/media/")}) {
            const QDir mounts(media + user);
            const QStringList disks = mounts.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            if (!disks.isEmpty())
                return mounts.filePath(disks.first());
        }
    }
    return QDir::homePath();
#endif
}

void SharedBackup::backupTo(const QString &liveDb, const QString &folder, const Progress &progress, int keep)
{
    requireFolder(folder);
    if (isLiveFolder(folder, liveDb))
        throw AppError(75, QStringLiteral("The back-up destination is the server folder itself: ") + native(folder));
    const QDir dir(folder);
    // A backup cut short (the program killed) left its temporary file; nothing else uses them.
    for (const QString &name : dir.entryList({QStringLiteral("db.mdb.*")}, QDir::Files | QDir::Hidden))
        if (TempName.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    const QString destination = dir.filePath(DbName);
    QString temp;
    {
        QTemporaryFile t(dir.filePath(QStringLiteral("db.mdb.XXXXXX")));
        if (!t.open())
            throw writeFailure(AppError(75, QStringLiteral("Path/File access error: ") + native(destination)), folder,
                               destination);
        temp = t.fileName();
        t.setAutoRemove(false);
    }
    try {
        FileProblem::retryWhileBusy([&] {
            Database live(liveDb);
            live.snapshotTo(temp, progress);
        });
        flushToDisk(temp);
        {
            Database copy(temp);
            checkIntegrity(copy, temp);
        }
    } catch (const AppError &e) {
        QFile::remove(temp);
        const FileProblem::Cause cause = FileProblem::causeOf(e);
        if (cause == FileProblem::Cause::Busy || cause == FileProblem::Cause::Missing)
            throw FileProblem::explained(e, liveDb);
        throw writeFailure(e, folder, destination);
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    // The previous backup keeps its place under the time it was written; a hard link leaves
    // db.mdb whole until the rename below replaces it.
    QString kept;
    const QFileInfo previous(destination);
    if (previous.isFile()) {
        kept = dir.filePath(datedName(dir, previous.lastModified()));
        std::error_code linkError;
        std::filesystem::create_hard_link(destination.toStdU16String(), kept.toStdU16String(), linkError);
        if (linkError && !QFile::copy(destination, kept)) {
            QFile::remove(kept);
            QFile::remove(temp);
            throw writeFailure(AppError(75, QStringLiteral("Path/File access error: ") + native(kept)), folder, kept);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp.toStdU16String(), destination.toStdU16String(), ec);
    if (ec) {
        QFile::remove(temp);
        if (!kept.isEmpty())
            QFile::remove(kept);
        throw FileProblem::fromErrno(ec.value(), destination);
    }
    const QStringList dated = datedBackups(dir);
    for (int i = qMax(0, keep); i < dated.size(); ++i)
        QFile::remove(dir.filePath(dated.at(i)));
    flushFolder(folder);
}

QStringList SharedBackup::backupsIn(const QString &folder)
{
    const QDir dir(folder);
    QStringList names;
    if (QFileInfo(dir.filePath(DbName)).isFile())
        names << DbName;
    return names + datedBackups(dir);
}

void SharedBackup::restoreFrom(const QString &folder, const QString &liveDb, qint64 station, int timeoutMs,
                               const Progress &progress, const QString &backupName)
{
    requireFolder(folder);
    const QString source = QDir(folder).filePath(backupName.isEmpty() ? DbName : backupName);
    if (!QFileInfo(source).isFile())
        throw AppError(53, FileProblem::text(FileProblem::Cause::Missing, source));
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(liveDb).canonicalFilePath())
        throw AppError(75, QStringLiteral("The backup is the live database itself: ") + native(source));

    Database live(liveDb);
    try {
        FileProblem::retryWhileBusy([&] { Schema::upgradeShared(live); });
    } catch (const AppError &e) {
        throw FileProblem::causeOf(e) == FileProblem::Cause::Busy ? FileProblem::explained(e, liveDb) : e;
    }
    const QStringList tables = officeTables(live);
    // The backup is read through a connection of its own, so the live database may be on a server.
    Database backup;
    try {
        backup.open(source);
        checkIntegrity(backup, source);
    } catch (const AppError &e) {
        throw AppError(3049, QStringLiteral("%1 is not a readable database (%2)").arg(native(source), e.description()));
    }
    // A backup older than the customer look-up, or than its whole-word keys, has the bookings
    // its customers are made from.
    const bool customersMissing =
        backup.engine().schemaVersion(backup) < Schema::WholeWordKeysVersion
        || std::any_of(CustomerStore::tables().begin(), CustomerStore::tables().end(),
                       [&backup](const QString &t) { return backup.fieldNames(t).isEmpty(); });
    for (const QString &table : tables) {
        if (customersMissing && CustomerStore::tables().contains(table))
            continue;
        for (const QString &field : live.fieldNames(table)) {
            if (!hasColumn(backup, table, field))
                throw AppError(
                    3265,
                    QStringLiteral("%1 is not a Torvane database: %2.%3 is missing").arg(native(source), table, field));
        }
    }
    for (const QString &table : {SettingsStore::SetupTable, SettingsStore::ListsTable}) {
        if (tables.contains(table) && TableCopy::count(backup, table) == 0)
            throw AppError(3021, QStringLiteral("%1 has no settings record in %2").arg(native(source), table));
    }

    // Another station saving just now is waited for a moment before the user hears of it.
    try {
        FileProblem::retryWhileBusy([&] { live.begin(); });
    } catch (const AppError &e) {
        throw FileProblem::causeOf(e) == FileProblem::Cause::Busy ? FileProblem::explained(e, liveDb) : e;
    }
    // Rolled back unless committed below.
    struct Abandon {
        Database &db;
        ~Abandon()
        {
            if (db.inTransaction())
                db.abandon();
        }
    } guard{live};
    // Under the write lock, so no station registers between the look and the copy.
    const int open = StationRegistry::othersRunning(live, station, timeoutMs);
    if (open > 0)
        throw AppError(ErrNo::InUse, StationRegistry::othersOpenText(open)
                                         + QStringLiteral(" on the database: close the program there first"));
    live.execute(QStringLiteral("DELETE FROM \"tbl_Claim\""));
    int done = 0;
    if (progress)
        progress(done, int(tables.size()));
    for (const QString &table : tables) {
        if (customersMissing && CustomerStore::tables().contains(table))
            continue;
        const QString t = quoted(table);
        TableCopy::Columns columns{live.fieldNames(table), true, {}, {}};
        // Every restored record is newer than any version a station may still hold.
        if (hasColumn(live, table, Database::RowVersionColumn)) {
            columns.fixedColumn = Database::RowVersionColumn;
            columns.fixedValue =
                live.scalar(
                        QStringLiteral("SELECT coalesce(max(%1), 0) + 1 FROM %2").arg(Database::RowVersionColumn, t))
                    .toLongLong();
        }
        live.execute(QStringLiteral("DELETE FROM ") + t);
        TableCopy::copy(backup, live, table, columns);
        if (progress)
            progress(++done, int(tables.size()));
    }
    if (customersMissing)
        CustomerStore(live).rebuild();
    live.commit();
}
