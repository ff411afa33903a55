#include "core/Programs.h"

#include "store/AppError.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QString downsizeFileName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("downsize.exe");
#else
    return QStringLiteral("downsize");
#endif
}

void startProgram(const QString &path, const QStringList &args)
{
    const QFileInfo fi(path);
    if (!fi.isFile())
        throw AppError(53, QStringLiteral("File not found: %1").arg(QDir::toNativeSeparators(path)));
    if (!QProcess::startDetached(fi.absoluteFilePath(), args, fi.absolutePath()))
        throw AppError(5, QStringLiteral("Cannot start %1").arg(QDir::toNativeSeparators(path)));
}
