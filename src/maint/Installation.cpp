#include "maint/Installation.h"

#include "core/AppState.h"
#include "core/Programs.h"
#include "maint/SharedBackup.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/FileProblem.h"
#include "store/TableCopy.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace {
// The folder itself tells why a file could not be made or written there, when it can.
AppError fileError(int number, const QString &what, const QString &path)
{
    const QFileInfo info(path);
    const QString folder = info.isDir() ? path : info.absolutePath();
    const FileProblem::Cause cause = number == 53 ? FileProblem::Cause::Missing : FileProblem::folderCause(folder);
    if (cause != FileProblem::Cause::Other)
        return AppError(number,
                        FileProblem::text(cause, cause == FileProblem::Cause::Missing && number != 53 ? folder : path));
    return AppError(number, what + QStringLiteral(": ") + QDir::toNativeSeparators(path));
}
} // namespace

QString Installation::defaultServerFolder(bool installed)
{
#ifdef Q_OS_WIN
    Q_UNUSED(installed);
    return QStringLiteral("C:\\server");
#else
    return QDir(QDir::homePath()).filePath(installed ? QStringLiteral("Torvane Server") : QStringLiteral("server"));
#endif
}

QString Installation::defaultClientDrive()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Z:");
#else
    return QStringLiteral("/mnt/server");
#endif
}

QString Installation::stripTrailingSeparator(const QString &path)
{
    if (path.size() > 1 && (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))))
        return path.left(path.size() - 1);
    return path;
}

QString Installation::settledPath(const QString &typed, const QString &stationFolder)
{
    const QString path = stripTrailingSeparator(typed.trimmed());
#ifdef Q_OS_WIN
    Q_UNUSED(stationFolder);
    return path; // drive names such as "Z:" are not relative folders there
#else
    // The shell's shorthand for the home folder, which a typed path means as in a terminal.
    if (path == QLatin1String("~"))
        return QDir::homePath();
    if (path.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(QDir::homePath() + path.mid(1));
    if (path.isEmpty() || !QFileInfo(path).isRelative())
        return path;
    return QDir::cleanPath(QDir(stationFolder).absoluteFilePath(path));
#endif
}

std::optional<Installation::ExistingDatabase> Installation::existingDatabase(const QString &serverFolder, qint64 self,
                                                                             int timeoutMs)
{
    const QString path = Database::sharedIn(serverFolder);
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    ExistingDatabase found{path, {}, {}};
    try {
        Database db(path);
        const QDate newest = QDate::fromString(
            db.scalar(QStringLiteral("SELECT max(caldate) FROM \"tbl_Appt\"")).toString(), Qt::ISODate);
        if (newest.isValid())
            found.newestPage = newest.toString(QStringLiteral("dddd d MMMM yyyy"));
        // A file from before stations registered has no stations to count.
        if (TableCopy::tables(db).contains(QStringLiteral("tbl_Station")))
            found.stationsOpen = StationRegistry::othersRunning(db, self, timeoutMs);
    } catch (const AppError &e) {
        found.problem = e.description();
    }
    return found;
}

QString Installation::serverProblem(const QString &connectionFile)
{
    try {
        Database db(connectionFile);
        db.engine().schemaVersion(db);
        return {};
    } catch (const AppError &e) {
        return e.description();
    }
}

QString Installation::replaceQuestion(const ExistingDatabase &existing, const QString &keptAs)
{
    QString what;
    if (!existing.problem.isEmpty())
        what = QStringLiteral("It cannot be read: %1").arg(existing.problem);
    else if (existing.newestPage.isEmpty())
        what = QStringLiteral("It holds no pages yet.");
    else
        what = QStringLiteral("Its newest page is dated %1.").arg(existing.newestPage);
    return QStringLiteral("The server folder already holds a shared database:\n%1\n%2\n\n"
                          "Do you wish to replace it with the empty database of this installation? "
                          "Answer No to keep it and go on using it. If you replace it, the present file is "
                          "first kept beside it as %3.")
        .arg(QDir::toNativeSeparators(existing.path), what, QFileInfo(keptAs).fileName());
}

QString Installation::inUseText(const ExistingDatabase &existing)
{
    return QStringLiteral("The server folder already holds a shared database:\n%1\n\n%2 on it, so it cannot be "
                          "replaced now. It is kept, and this station will use it. To replace it, close the other "
                          "stations first and install again.")
        .arg(QDir::toNativeSeparators(existing.path), StationRegistry::othersOpenText(existing.stationsOpen));
}

QString Installation::keepAsideName(const QString &serverFolder, const QDateTime &when)
{
    const QDir dir(serverFolder);
    const QString stem = QStringLiteral("db-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = dir.filePath(stem + QStringLiteral(".mdb"));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = dir.filePath(stem + QStringLiteral("-%1.mdb").arg(n));
    return name;
}

Installation::FolderState Installation::prepareFolder(const QString &path)
{
    const QFileInfo fi(path);
    if (fi.exists())
        return fi.isDir() ? FolderState::Ready : FolderState::FileInTheWay;
    if (!QDir().mkpath(path))
        throw fileError(76, QStringLiteral("Path not found"), path);
    return FolderState::Ready;
}

QStringList Installation::serverFiles()
{
    return {QStringLiteral("db.mdb"), downsizeFileName(), QStringLiteral("Info.doc")};
}

void Installation::replaceFile(const QString &source, const QString &destination)
{
    if (!QFileInfo(source).isFile())
        throw fileError(53, QStringLiteral("File not found"), source);
    const QFileInfo dest(destination);
    QString temp;
    {
        QTemporaryFile t(dest.absoluteDir().filePath(dest.fileName() + QStringLiteral(".XXXXXX")));
        if (!t.open())
            throw fileError(75, QStringLiteral("Path/File access error"), destination);
        temp = t.fileName();
        t.setAutoRemove(false);
    }
    QFile::remove(temp); // QFile::copy will not write over an existing file
    if (!QFile::copy(source, temp)) {
        QFile::remove(temp);
        throw fileError(75, QStringLiteral("Path/File access error"), destination);
    }
    std::error_code ec;
    std::filesystem::rename(temp.toStdU16String(), destination.toStdU16String(), ec);
    if (ec) {
        QFile::remove(temp);
        throw fileError(75, QStringLiteral("Path/File access error"), destination);
    }
}

void Installation::copyServerFiles(const StationPaths &shipped, const QString &serverFolder, const QString &keptAs,
                                   qint64 self)
{
    const QDir to(serverFolder);
    const QString shared = Database::sharedIn(serverFolder);
    for (const QString &name : serverFiles()) {
        const QString destination = to.filePath(name);
        if (name == QLatin1String("db.mdb") && Database::isConnectionFile(shared)) {
            if (!keptAs.isEmpty()) {
                {
                    Database server(shared);
                    server.snapshotTo(keptAs);
                }
                SharedBackup::restoreFrom(QFileInfo(shipped.shippedFile(name)).absolutePath(), shared, self);
            }
            continue;
        }
        if (name == QLatin1String("db.mdb") && QFileInfo::exists(destination)) {
            if (keptAs.isEmpty())
                continue; // the shared database in use stays
            if (!QFile::copy(destination, keptAs))
                throw fileError(75, QStringLiteral("Path/File access error"), keptAs);
        }
        replaceFile(shipped.shippedFile(name), destination);
    }
}
