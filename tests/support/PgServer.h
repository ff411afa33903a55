#pragma once
#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

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
    // Gives the role "station" (made when missing) only the rights on records that a station
    // needs on the database of connFile, and points connFile at the same database as that role,
    // which logs in with a password read from a password file beside connFile.
    void useStationRole(const QString &connFile);
    // The folder of the server's socket.
    QString socketFolder() const;
    // Stops (SIGSTOP) or resumes (SIGCONT) the server and every process it has started, as a
    // server that stops answering: connections stay open, no answer comes.
    void freeze(bool frozen);

    ~PgServer();

private:
    PgServer() = default;
    bool start();

    QTemporaryDir m_dir;
    QString m_url; // address of the server's database "torvane"
    int m_databases = 0;
    bool m_stationPasswords = false;
};

// The test server stopped while it lives (PgServer::freeze), resumed by now() or at the end. It
// also resumes after a while whatever happens, so a wait that is not bounded makes a test fail
// (its call succeeds) instead of hanging the run.
class FrozenServer {
public:
    FrozenServer();
    ~FrozenServer();
    FrozenServer(const FrozenServer &) = delete;
    FrozenServer &operator=(const FrozenServer &) = delete;
    void now();
    // The server answers again, by now() or by the end of the while: a call that ended only
    // then was not bounded by its limit.
    bool thawed() const { return m_thawed.load(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_thawed{false};
    std::thread m_thread;
};
