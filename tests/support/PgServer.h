#pragma once
#include <QString>
#include <QTemporaryDir>

// The throwaway PostgreSQL server of one test process, started by tools/pgserver in a temporary
// folder on first use and stopped by the test main at the end. Each test asks for a database of
// its own, named by a connection file in the test's folder, so tests never see each other's rows.
class PgServer {
public:
    // The running server, started on the first call; nullptr when the server programs are not
    // installed (missing() says so). Any other failure to start ends the test run.
    static PgServer *instance();
    static QString missing();
    static void shutdown();

    // A new empty database on the server; writes folder/db.pgconn naming it and returns that path.
    QString newDatabase(const QString &folder);
    const QString &socketUrl() const { return m_url; }

    ~PgServer();

private:
    PgServer() = default;
    bool start();

    QTemporaryDir m_dir;
    QString m_url; // address of the server's database "torvane"
    int m_databases = 0;
};
