#pragma once
#include "PgServer.h"
#include "TestDb.h"
#include "TestRegistry.h"

#include <QObject>
#include <QTest>

class Database;

// The shared database of a test office in folder, from the built seed db.mdb: a copy of the file,
// or the same rows in a new database on the test server named by folder/db.pgconn (and no db.mdb).
// Database::sharedIn(folder) names it either way.
QString seedShared(const TestFolder &folder, bool onServer);
// The seed's rows in a new database on the test server, named by folder/db.pgconn; returns its path.
QString seedServer(const QString &folder);

// Holds the whole shared database, so that even readers meet the lock: SQLite's exclusive lock;
// on the server the table locks compaction takes. Let go with Database::abandon().
void holdEverything(Database &db);

// Makes station id a station of another machine, whose process id names no process here: only its
// heartbeat can tell whether it runs.
void moveToAnotherMachine(Database &db, qint64 id);

// Stands in for a test class on the server when the server programs are not installed: the run
// shows it skipped, saying why.
class ServerMissing : public QObject {
    Q_OBJECT
public:
    explicit ServerMissing(const char *name) : m_name(QLatin1String(name)) {}

private slots:
    void serverProgramsInstalled()
    {
        QSKIP(qPrintable(m_name + QStringLiteral(" needs a server: ") + PgServer::missing()));
    }

private:
    QString m_name;
};

namespace testreg {
// A test class on the test server, skipped only when the server programs are not installed.
template <class OnServer>
struct AddOnServer {
    explicit AddOnServer(const char *name)
    {
        registry().push_back({name, [name]() -> QObject * {
                                  if (!PgServer::instance())
                                      return new ServerMissing(name);
                                  return new OnServer;
                              }});
    }
};
// A test class that runs on both engines: registered as name on a file and as name + "Pg" on
// the test server.
template <class OnFile, class OnServer>
struct AddOnBothEngines {
    AddOnBothEngines(const char *onFile, const char *onServer)
    {
        registry().push_back({onFile, []() -> QObject * { return new OnFile; }});
        AddOnServer<OnServer>{onServer};
    }
};
} // namespace testreg
