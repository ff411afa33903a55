#include "maint/Installation.h"

#include "core/Programs.h"
#include "store/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace {
AppError fileError(int number, const QString &what, const QString &path)
{
    return AppError(number, what + QStringLiteral(": ") + QDir::toNativeSeparators(path));
}
} // namespace

QString Installation::defaultServerFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\server");
#else
    return QDir(QDir::homePath()).filePath(QStringLiteral("server"));
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
    return {QStringLiteral("db.mdb"), DownsizeFileName(), QStringLiteral("Info.doc")};
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

void Installation::copyServerFiles(const QString &programFolder, const QString &serverFolder)
{
    const QDir from(programFolder);
    const QDir to(serverFolder);
    for (const QString &name : serverFiles())
        replaceFile(from.filePath(name), to.filePath(name));
}
