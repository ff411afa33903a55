#include "PgServer.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>
#include <cerrno>
#include <memory>
#include <signal.h>

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

QString PgServer::socketFolder() const { return QUrlQuery(QUrl(m_url)).queryItemValue(QStringLiteral("host")); }

void PgServer::freeze(bool frozen)
{
    QFile dataName(QDir(m_dir.path()).filePath(QStringLiteral("server/data")));
    if (!dataName.open(QIODevice::ReadOnly))
        qFatal("the test server keeps no data folder name");
    QFile pidFile(
        QDir(QString::fromLocal8Bit(dataName.readAll()).trimmed()).filePath(QStringLiteral("postmaster.pid")));
    if (!pidFile.open(QIODevice::ReadOnly))
        qFatal("the test server is not running");
    const QString postmaster = QString::fromLatin1(pidFile.readLine()).trimmed();
    QStringList pids{postmaster};
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(postmaster));
    if (children.open(QIODevice::ReadOnly))
        pids << QString::fromLatin1(children.readAll()).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // The server first, so it starts no new process meanwhile; resumed last.
    if (!frozen)
        std::reverse(pids.begin(), pids.end());
    for (const QString &pid : pids)
        if (::kill(pid.trimmed().toInt(), frozen ? SIGSTOP : SIGCONT) != 0 && errno != ESRCH)
            qFatal("cannot signal the test server's process %s", qPrintable(pid));
}

void PgServer::useStationRole(const QString &connFile)
{
    const QString password = QStringLiteral("desk-secret");
    QString database;
    {
        Database owner(connFile);
        database = owner.scalar(QStringLiteral("SELECT current_database()")).toString();
        owner.execute(QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'station') "
                                     "THEN CREATE ROLE station LOGIN; END IF; END $$"));
        owner.execute(QStringLiteral("ALTER ROLE station PASSWORD '%1'").arg(password));
        // As docs/server.md gives them.
        owner.execute(QStringLiteral("GRANT CONNECT ON DATABASE \"%1\" TO station").arg(database));
        owner.execute(QStringLiteral("GRANT USAGE ON SCHEMA public TO station"));
        owner.execute(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO station"));
        owner.execute(QStringLiteral("GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA public TO station"));
        if (!m_stationPasswords) {
            // The station logs in with its password, as at a site; the test's own role stays trusted.
            QFile dataName(QDir(m_dir.path()).filePath(QStringLiteral("server/data")));
            if (!dataName.open(QIODevice::ReadOnly))
                qFatal("the test server keeps no data folder name");
            QFile hba(
                QDir(QString::fromLocal8Bit(dataName.readAll()).trimmed()).filePath(QStringLiteral("pg_hba.conf")));
            if (!hba.open(QIODevice::ReadOnly))
                qFatal("cannot read %s", qPrintable(hba.fileName()));
            const QByteArray rules = hba.readAll();
            hba.close();
            if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)
                || hba.write("local all station scram-sha-256\n" + rules) < 0)
                qFatal("cannot write %s", qPrintable(hba.fileName()));
            hba.close();
            owner.execute(QStringLiteral("SELECT pg_reload_conf()"));
            m_stationPasswords = true;
        }
    }
    // The password in a password file of the station's own, as a desk's ~/.pgpass holds it.
    const QString passfile = QDir(QFileInfo(connFile).path()).filePath(QStringLiteral("station.pgpass"));
    QFile pass(passfile);
    if (!pass.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || pass.write(QStringLiteral("%1:5432:%2:station:%3\n").arg(socketFolder(), database, password).toUtf8()) < 0
        || !pass.setPermissions(QFile::ReadOwner | QFile::WriteOwner))
        qFatal("cannot write %s", qPrintable(passfile));
    pass.close();
    QFile f(connFile);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(connFile));
    QUrl url(QString::fromUtf8(f.readAll()).trimmed());
    f.close();
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("user"));
    query.addQueryItem(QStringLiteral("user"), QStringLiteral("station"));
    query.addQueryItem(QStringLiteral("passfile"), QString::fromLatin1(QUrl::toPercentEncoding(passfile)));
    url.setQuery(query);
    writeConnectionFile(connFile, url.toString(QUrl::FullyEncoded));
}

FrozenServer::FrozenServer()
{
    PgServer::instance()->freeze(true);
    m_thread = std::thread([this] {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::seconds(90), [this] { return m_done; });
        if (!m_thawed.exchange(true))
            PgServer::instance()->freeze(false);
    });
}

FrozenServer::~FrozenServer()
{
    now();
    m_thread.join();
}

void FrozenServer::now()
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_one();
    if (!m_thawed.exchange(true))
        PgServer::instance()->freeze(false);
}
