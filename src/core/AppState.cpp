#include "core/AppState.h"

#include "core/Programs.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

StationPaths StationPaths::forProgram(const QString &programDir, const QString &userDataFolder)
{
    StationPaths paths;
    const QDir bin(programDir);
    const QString share = QDir::cleanPath(bin.filePath(QStringLiteral("../share/torvane")));
    // The layout decides, not whether the folder can be written: root can write anywhere.
    if (bin.dirName() == QLatin1String("bin") && QFileInfo(QDir(share).filePath(QStringLiteral("db.mdb"))).isFile()) {
        paths.m_installed = true;
        paths.m_programFolder = userDataFolder;
        paths.m_dataFolder = share;
        paths.m_helperFolder = QDir::cleanPath(bin.filePath(QStringLiteral("../lib/torvane")));
    } else {
        paths.setProgramFolder(programDir);
    }
    return paths;
}

void StationPaths::setProgramFolder(const QString &folder)
{
    m_installed = false;
    m_programFolder = m_dataFolder = m_helperFolder = folder;
}

QString StationPaths::shippedFile(const QString &name) const
{
    return QDir(name == downsizeFileName() ? m_helperFolder : m_dataFolder).filePath(name);
}

QString StationPaths::stationDbPath() const { return QDir(m_programFolder).filePath(QStringLiteral("dbn.mdb")); }
QString StationPaths::installDbPath() const { return shippedFile(QStringLiteral("db.mdb")); }
QString StationPaths::sharedDbPath() const { return Database::sharedIn(m_serverFolder); }

void StationPaths::makeStationDb() const
{
    const QString target = stationDbPath();
    if (QFileInfo::exists(target))
        return;
    const QString source = shippedFile(QStringLiteral("dbn.mdb"));
    if (!QFileInfo(source).isFile())
        throw AppError(53, QStringLiteral("File not found: %1").arg(QDir::toNativeSeparators(source)));
    if (!QDir().mkpath(m_programFolder))
        throw AppError(76, QStringLiteral("Path not found: %1").arg(QDir::toNativeSeparators(m_programFolder)));
    // Copied under another name and renamed, so a start cut short never leaves half a file behind
    // that the next start would take for the station's own.
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part) || !QFile::rename(part, target)) {
        QFile::remove(part);
        throw AppError(75, QStringLiteral("Path/File access error: %1").arg(QDir::toNativeSeparators(target)));
    }
    // The shipped file is read-only for the user; the copy is the station's to write.
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}
