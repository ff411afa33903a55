#include "core/DiagnosticLog.h"

#include "store/AppError.h"
#include "store/PassedOver.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QSysInfo>
#include <cstdio>

namespace {
QMutex logLock;
QString station;
bool verbose = false;
QtMessageHandler earlierHandler = nullptr;
// A warning raised while a line is written must not write again (nor wait for the lock it holds).
thread_local bool writing = false;

void writeLine(const QString &kind, const QString &where, const QString &text)
{
    if (writing)
        return;
    writing = true;
    const auto done = qScopeGuard([] { writing = false; });
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

QtMessageHandler DiagnosticLog::captureQtMessages()
{
    earlierHandler = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
        if (type != QtDebugMsg && type != QtInfoMsg) {
            const char *kind = type == QtWarningMsg ? "qt warning" : type == QtCriticalMsg ? "qt critical" : "qt fatal";
            writeLine(QLatin1String(kind), QLatin1String(context.category ? context.category : "default"), text);
        }
        if (earlierHandler)
            earlierHandler(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
    });
    return earlierHandler;
}
