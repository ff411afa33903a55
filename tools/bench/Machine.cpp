#include "Machine.h"

#include "Floors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QThread>

namespace {
QByteArray firstField(const QString &file, const QByteArray &key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key)) {
            const qsizetype colon = line.indexOf(':');
            return colon < 0 ? QByteArray() : line.mid(colon + 1).trimmed();
        }
    return {};
}

// Type and device of the mount that holds path: the longest mount point that is a prefix of it.
QString fileSystemOf(const QString &path)
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    const QString abs = QDir(path).canonicalPath();
    QString best, bestText;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        const qsizetype dash = parts.indexOf("-");
        if (parts.size() < 5 || dash < 0 || dash + 2 >= parts.size())
            continue;
        const QString mount = QString::fromLocal8Bit(parts.at(4));
        const bool under =
            abs == mount || abs.startsWith(mount.endsWith(QLatin1Char('/')) ? mount : mount + QLatin1Char('/'));
        if (under && mount.size() >= best.size()) {
            best = mount;
            bestText =
                QStringLiteral("%1 on %2 (mounted at %3)")
                    .arg(QString::fromLocal8Bit(parts.at(dash + 1)), QString::fromLocal8Bit(parts.at(dash + 2)), mount);
        }
    }
    return bestText.isEmpty() ? QStringLiteral("unknown") : bestText;
}
QByteArray loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return "unknown";
    return f.readAll().split(' ').mid(0, 3).join(' ');
}
} // namespace

QVector<QPair<QString, QString>> machineDescription(const QString &workDir)
{
    const qint64 memKb = firstField(QStringLiteral("/proc/meminfo"), "MemTotal").split(' ').value(0).toLongLong();
    QString cpu = QString::fromLocal8Bit(firstField(QStringLiteral("/proc/cpuinfo"), "model name"));
    if (cpu.isEmpty())
        cpu = QSysInfo::currentCpuArchitecture();
    return {
        {QStringLiteral("Date"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("Processor"), QStringLiteral("%1, %2 cores").arg(cpu).arg(QThread::idealThreadCount())},
        {QStringLiteral("Memory"), QStringLiteral("%1 GB").arg(QString::number(double(memKb) / (1024 * 1024), 'f', 1))},
        {QStringLiteral("System"),
         QStringLiteral("%1, kernel %2").arg(QSysInfo::prettyProductName(), QSysInfo::kernelVersion())},
        {QStringLiteral("Libraries"),
         QStringLiteral("Qt %1, SQLite %2").arg(QString::fromLatin1(qVersion()), Floors::sqliteVersion())},
#ifdef __clang__
        {QStringLiteral("Compiler"), QStringLiteral("Clang " __clang_version__)},
#else
        {QStringLiteral("Compiler"), QStringLiteral("GCC " __VERSION__)},
#endif
        {QStringLiteral("Storage"), fileSystemOf(workDir)},
        // Other work on the machine shows in the figures' spread.
        {QStringLiteral("Load average at start"), QString::fromLocal8Bit(loadAverage())},
    };
}
