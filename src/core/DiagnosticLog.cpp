#include "core/DiagnosticLog.h"

#include "store/AppError.h"
#include "store/PassedOver.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>
#include <QSysInfo>
#include <cstdio>

namespace {
QMutex logLock;
QString station;
bool verbose = false;

void writeLine(const QString &kind, const QString &where, const QString &text)
{
    QMutexLocker lock(&logLock);
    const QString who = station.isEmpty() ? QSysInfo::machineHostName() : station;
    QString line = QStringLiteral("%1 [%2] %3 %4: %5")
                       .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), who, kind, where, text);
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (verbose) {
        std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
        std::fflush(stderr);
    }
    const QString path = DiagnosticLog::filePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFileInfo(path).size() >= DiagnosticLog::MaxBytes) {
        QFile::remove(path + QStringLiteral(".1"));
        QFile::rename(path, path + QStringLiteral(".1"));
    }
    QFile f(path);
    if (f.open(QIODevice::Append | QIODevice::Text))
        f.write((line + QLatin1Char('\n')).toUtf8());
}
} // namespace

void DiagnosticLog::start(const QString &name, bool mirror)
{
    {
        QMutexLocker lock(&logLock);
        station = name;
        verbose = mirror;
    }
    PassedOver::setSink([](const QString &where, const AppError &e) { passedOver(where, e); });
}

QString DiagnosticLog::filePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("torvane.log"));
}

void DiagnosticLog::shown(const QString &title, const QString &text)
{
    writeLine(QStringLiteral("shown"), title, text);
}

void DiagnosticLog::passedOver(const QString &where, const AppError &e)
{
    writeLine(QStringLiteral("passed over"), where,
              QString::number(e.number()) + QStringLiteral(" ") + e.description());
}
