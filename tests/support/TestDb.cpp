#include "TestDb.h"

#include <QDir>
#include <QFile>

TestFolder::TestFolder() = default;

QString TestFolder::file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

QString TestFolder::buildFile(const QString &name) { return QDir(QStringLiteral(TORVANE_BUILD_DIR)).filePath(name); }

QString TestFolder::copySeed(const QString &name, const QString &as) const
{
    const QString target = file(as.isEmpty() ? name : as);
    QFile::remove(target);
    QFile::copy(buildFile(name), target);
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return target;
}
