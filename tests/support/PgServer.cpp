#include "PgServer.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>
#include <memory>

namespace {
std::unique_ptr<PgServer> s_server;
QString s_missing;
bool s_tried = false;

QString script() { return QStringLiteral(TORVANE_SOURCE_DIR "/tools/pgserver"); }

// tools/pgserver answers 3 when the server programs are missing.
constexpr int ProgramsMissing = 3;

void writeConnectionFile(const QString &file, const QString &url)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(url.toUtf8() + '\n') < 0)
        qFatal("cannot write %s", qPrintable(file));
}
} // namespace

PgServer *PgServer::instance()
{
    if (!s_tried) {
        s_tried = true;
        std::unique_ptr<PgServer> server(new PgServer);
        if (server->start())
            s_server = std::move(server);
    }
    return s_server.get();
}

QString PgServer::missing() { return s_missing; }

void PgServer::shutdown() { s_server.reset(); }

bool PgServer::start()
{
    QProcess p;
    p.start(script(), {QStringLiteral("start"), m_dir.path()});
    p.waitForFinished(180000);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == ProgramsMissing) {
        s_missing = err;
        return false;
    }
    const QStringList out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || out.isEmpty())
        qFatal("The test PostgreSQL server did not start: %s", qPrintable(err));
    m_url = out.last().trimmed();
    return true;
}

PgServer::~PgServer() { QProcess::execute(script(), {QStringLiteral("stop"), m_dir.path()}); }

QString PgServer::newDatabase(const QString &folder)
{
    const QString name = QStringLiteral("t%1").arg(++m_databases);
    const QString admin = QDir(m_dir.path()).filePath(QStringLiteral("admin.pgconn"));
    writeConnectionFile(admin, m_url);
    {
        Database db(admin);
        db.execute(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    QUrl url(m_url);
    url.setPath(QLatin1Char('/') + name);
    const QString file = QDir(folder).filePath(QStringLiteral("db.pgconn"));
    writeConnectionFile(file, url.toString());
    return file;
}
