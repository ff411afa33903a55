// torvane-migrate: moves the shared database between a file and a database server.
//
//   torvane-migrate --from db.mdb --to FOLDER/db.pgconn     a file into an empty server database
//   torvane-migrate --from FOLDER/db.pgconn --to copy.mdb   a server database into a new file
//
// Either side may also be a server folder: its db.pgconn, else its db.mdb. Every table is copied
// with every record, ids and row versions as they are, in one transaction of the target, while
// the source is held under its write lock so no station changes it meanwhile. The target must be
// empty (a server database without tables, or a file that does not exist yet); the source must
// have the current shape and no other station running on it. Afterwards the records of each
// table are counted on both sides; the tool prints one line per table and ends with 0 only when
// every count agrees. While it copies, each table copied is named on standard error.
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/FileProblem.h"
#include "store/Schema.h"
#include "store/StationRegistry.h"
#include "store/TableCopy.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

QString resolved(const QString &path) { return QFileInfo(path).isDir() ? Database::sharedIn(path) : path; }

QString native(const QString &path) { return QDir::toNativeSeparators(path); }

// Opens the target, which must hold nothing yet.
void openEmptyTarget(Database &to, const QString &target)
{
    if (!Database::isConnectionFile(target)) {
        if (QFileInfo::exists(target))
            throw AppError(ErrNo::InUse,
                           QStringLiteral("%1 exists already; the copy goes into a new file.").arg(native(target)));
        to.create(target);
        return;
    }
    to.open(target);
    bool hasSchema = true;
    try {
        to.engine().schemaVersion(to);
    } catch (const AppError &) {
        hasSchema = false; // a server database without the Torvane tables
    }
    if (hasSchema || !TableCopy::tables(to).isEmpty())
        throw AppError(ErrNo::InUse, QStringLiteral("The database named in %1 is not empty; the copy goes only into "
                                                    "an empty database.")
                                         .arg(native(target)));
}

// The shape of one of this program's databases, of this version or an older one.
int knownShape(Database &db, const QString &path)
{
    const int shape = db.engine().schemaVersion(db);
    // A file of some other program has none of the office's tables: no opening makes it one.
    if (shape == 0 && !TableCopy::tables(db).contains(QStringLiteral("tbl_Appt")))
        throw AppError(ErrNo::UnrecognizedDatabase, FileProblem::text(FileProblem::Cause::Foreign, path));
    if (shape > Schema::SharedVersion)
        throw AppError(ErrNo::UnrecognizedDatabase,
                       QStringLiteral("%1 was made by a newer version of the program (shape %2, this one knows %3): "
                                      "use the torvane-migrate of that version.")
                           .arg(native(path))
                           .arg(shape)
                           .arg(Schema::SharedVersion));
    return shape;
}

int migrate(const QString &source, const QString &target, int timeoutMs)
{
    Database from(source);
    const int shape = knownShape(from, source);
    if (shape != Schema::SharedVersion)
        throw AppError(ErrNo::UnrecognizedDatabase,
                       QStringLiteral("%1 has the shape %2 of the shared database, not %3: bring it up to date with "
                                      "torvane-migrate --upgrade (or by opening it with the program once), then "
                                      "copy it.")
                           .arg(native(source))
                           .arg(shape)
                           .arg(Schema::SharedVersion));
    // The write lock keeps every station from changing the source until the copy is counted.
    WriteTransaction hold(from);
    const int open = StationRegistry::othersRunning(from, 0, timeoutMs);
    if (open > 0)
        throw AppError(ErrNo::InUse,
                       StationRegistry::othersOpenText(open)
                           + QStringLiteral(" on %1: close the program there first.").arg(native(source)));

    Database to;
    openEmptyTarget(to, target);
    QMap<QString, qint64> copied;
    try {
        WriteTransaction tx(to);
        Schema::createShared(to);
        // A ten-year workshop takes most of a minute to a server: say how far it got.
        copied = TableCopy::copyAll(from, to, [](const QString &table, qint64 records) {
            std::fprintf(stderr, "copied %-16s %8lld\n", qPrintable(table), static_cast<long long>(records));
            std::fflush(stderr);
        });
        tx.commit();
    } catch (const AppError &) {
        if (!Database::isConnectionFile(target)) {
            to.close();
            QFile::remove(target);
        }
        throw;
    }
    bool same = true;
    for (const QString &table : TableCopy::tables(from)) {
        const qint64 there = TableCopy::count(from, table);
        const qint64 here = copied.contains(table) ? TableCopy::count(to, table) : -1;
        same &= there == here && copied.value(table) == there;
        std::printf("%-16s %8lld %8lld  %s\n", qPrintable(table), static_cast<long long>(there),
                    static_cast<long long>(here), there == here ? "ok" : "DIFFERENT");
    }
    std::fflush(stdout);
    hold.commit();
    if (!same)
        std::fprintf(stderr, "torvane-migrate: the record counts differ; do not use %s\n", qPrintable(native(target)));
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(
        QStringLiteral("Copies the shared database from a db.mdb file into an empty database server (named by a "
                       "db.pgconn connection file), or from a server into a new db.mdb, checking the record counts."));
    cl.addHelpOption();
    const QCommandLineOption fromOpt(QStringLiteral("from"),
                                     QStringLiteral("Source: db.mdb, db.pgconn, or a server folder holding one."),
                                     QStringLiteral("PATH"));
    const QCommandLineOption toOpt(QStringLiteral("to"),
                                   QStringLiteral("Target: a new .mdb file, or a .pgconn naming an empty database."),
                                   QStringLiteral("PATH"));
    const QCommandLineOption timeoutOpt(
        QStringLiteral("timeout"), QStringLiteral("Seconds a silent station still counts as running."),
        QStringLiteral("SECS"), QString::number(StationRegistry::DefaultTimeoutMs / 1000));
    // On a server only the tables' owner may change their shape, which a station of a newer
    // version needs; its role is refused. The owner brings it up to date with this.
    const QCommandLineOption upgradeOpt(
        QStringLiteral("upgrade"),
        QStringLiteral("Bring the shared database's shape up to date for this version, in place, and exit."),
        QStringLiteral("PATH"));
    cl.addOptions({fromOpt, toOpt, timeoutOpt, upgradeOpt});
    cl.process(app);
    if (cl.isSet(upgradeOpt)) {
        const QString path = resolved(cl.value(upgradeOpt));
        try {
            Database db(path);
            const int before = knownShape(db, path);
            Schema::upgradeShared(db);
            std::printf("shape %d -> %d\n", before, db.engine().schemaVersion(db));
            return 0;
        } catch (const AppError &e) {
            std::fprintf(stderr, "torvane-migrate: %d %s\n", e.number(), qPrintable(e.description()));
            return 2;
        }
    }
    bool ok = false;
    const int timeout = cl.value(timeoutOpt).toInt(&ok);
    if (!cl.isSet(fromOpt) || !cl.isSet(toOpt) || !ok || timeout < 1) {
        std::fputs("usage: torvane-migrate --from SOURCE --to TARGET [--timeout SECS]\n"
                   "       torvane-migrate --upgrade DATABASE\n",
                   stderr);
        return 2;
    }
    const QString source = resolved(cl.value(fromOpt));
    const QString target = resolved(cl.value(toOpt));
    try {
        if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
            throw AppError(ErrNo::InUse, QStringLiteral("The source and the target are the same."));
        return migrate(source, target, timeout * 1000);
    } catch (const AppError &e) {
        // The engine's lock message names no file: the source is the one other stations use.
        const AppError told =
            FileProblem::causeOf(e) == FileProblem::Cause::Busy ? FileProblem::explained(e, source) : e;
        std::fprintf(stderr, "torvane-migrate: %d %s\n", told.number(), qPrintable(told.description()));
        return 2;
    }
}
