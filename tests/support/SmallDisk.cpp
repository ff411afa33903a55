#include "SmallDisk.h"

#include <QDir>
#include <QFile>
#include <sys/mount.h>

SmallDisk::SmallDisk(int kilobytes)
{
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    m_mounted = m_dir.isValid()
                && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, options.constData()) == 0;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

QString SmallDisk::file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }

bool SmallDisk::makeReadOnly()
{
    return m_mounted
           && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr)
                  == 0;
}

void SmallDisk::fill()
{
    QFile f(file(QStringLiteral("filler")));
    if (!f.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size() && f.flush()) {
    }
}
