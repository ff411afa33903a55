#include "store/FileProblem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace {
// The words of each cause; they also let a message passed up through an AppError of another
// number be recognised again.
const QString BusyWords = QStringLiteral(" is busy: another station is saving to it");
const QString ReadOnlyWords = QStringLiteral(" cannot be written: the folder ");
const QString FullWords = QStringLiteral(" cannot be written: the disk holding ");
const QString ForeignWords = QStringLiteral(" is not a Torvane database, or it is damaged");
const QString MissingWords = QStringLiteral(" cannot be found");

QString native(const QString &p) { return QDir::toNativeSeparators(p); }

QString folderOf(const QString &file)
{
    const QFileInfo info(file);
    return info.isDir() ? file : info.absolutePath();
}

bool mentions(const QString &text, std::initializer_list<const char *> words)
{
    for (const char *w : words)
        if (text.contains(QLatin1String(w), Qt::CaseInsensitive))
            return true;
    return false;
}
} // namespace

FileProblem::Cause FileProblem::causeOf(const AppError &e)
{
    const QString &d = e.description();
    if (d.contains(BusyWords))
        return Cause::Busy;
    if (d.contains(ReadOnlyWords))
        return Cause::ReadOnly;
    if (d.contains(FullWords))
        return Cause::DiskFull;
    if (d.contains(ForeignWords))
        return Cause::Foreign;
    if (d.contains(MissingWords))
        return Cause::Missing;
    switch (e.number()) {
    case ErrNo::RecordLocked: return Cause::Busy;
    case 61: return Cause::DiskFull; // disk full
    case 70: return Cause::ReadOnly; // permission denied
    case 53:
    case 76: return Cause::Missing; // file, path not found
    case ErrNo::UnrecognizedDatabase:
    case 3078: // no such table: not one of the program's databases
        return Cause::Foreign;
    default: break;
    }
    if (mentions(d, {"readonly database", "read-only file system", "permission denied"}))
        return Cause::ReadOnly;
    if (mentions(d, {"disk is full", "no space left"}))
        return Cause::DiskFull;
    if (mentions(d, {"no such table", "file is not a database", "malformed"}))
        return Cause::Foreign;
    return Cause::Other;
}

QString FileProblem::text(Cause cause, const QString &file, const QString &detail)
{
    const QString f = native(file);
    const QString folder = native(folderOf(file));
    switch (cause) {
    case Cause::Busy: return f + BusyWords + QStringLiteral(". Wait a moment, then try again.");
    case Cause::ReadOnly:
        return f + ReadOnlyWords + folder
               + QStringLiteral(" is read-only, or this user may not write there. Make it writable for this user "
                                "(for a server folder: the share or mount must allow writing), or choose another "
                                "folder.");
    case Cause::DiskFull:
        return f + FullWords + folder
               + QStringLiteral(" is full. Free some space on it (old files or back-ups), then try again.");
    case Cause::Foreign:
        return f + ForeignWords
               + QStringLiteral(". Choose the folder that holds the office's db.mdb, or restore the database from a "
                                "back-up copy.");
    case Cause::Missing:
        return f + MissingWords
               + QStringLiteral(". Check that the folder is there and, for a server folder, that it is mounted; "
                                "then try again.");
    case Cause::Other: break;
    }
    if (detail.isEmpty())
        return f;
    if (detail.contains(f) || detail.contains(file))
        return detail;
    return f + QStringLiteral(": ") + detail;
}

AppError FileProblem::explained(const AppError &e, const QString &file)
{
    return AppError(e.number(), text(causeOf(e), file, e.description()));
}

AppError FileProblem::fromErrno(int systemError, const QString &file, int number)
{
    switch (systemError) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return AppError(61, text(Cause::DiskFull, file));
    case EROFS:
    case EACCES:
    case EPERM: return AppError(70, text(Cause::ReadOnly, file));
    case ENOENT:
    case ENOTDIR: return AppError(53, text(Cause::Missing, file));
    default: break;
    }
    const QString reason = systemError ? QString::fromLocal8Bit(std::strerror(systemError)) : QString();
    return AppError(number,
                    text(Cause::Other, file,
                         QStringLiteral("Path/File access error")
                             + (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QLatin1Char(')'))));
}

FileProblem::Cause FileProblem::folderCause(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return Cause::Missing;
#ifndef Q_OS_WIN
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs fs {};
    if (::statvfs(path.constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return Cause::ReadOnly;
        if (fs.f_bavail == 0)
            return Cause::DiskFull;
    }
    if (::access(path.constData(), W_OK) != 0)
        return Cause::ReadOnly;
#endif
    return Cause::Other;
}

QString FileProblem::withQuestion(const QString &message, const QString &question)
{
    QString m = message.trimmed();
    while (m.endsWith(QLatin1Char('.')))
        m.chop(1);
    if (m.endsWith(QLatin1Char('!')) || m.endsWith(QLatin1Char('?')))
        return m + QLatin1Char(' ') + question;
    return m + QStringLiteral(". ") + question;
}
