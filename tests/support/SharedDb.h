#pragma once
#include "PgServer.h"
#include "TestDb.h"
#include "TestRegistry.h"

#include <QtGlobal>

class Database;

// The shared database of a test office in folder, from the built seed db.mdb: a copy of the file,
// or the same rows in a new database on the test server named by folder/db.pgconn.
// Database::sharedIn(folder) names it either way.
QString seedShared(const TestFolder &folder, bool onServer);

// Holds the whole shared database, so that even readers meet the lock: SQLite's exclusive lock;
// on the server the table locks compaction takes. Let go with Database::abandon().
void holdEverything(Database &db);

namespace testreg {
// A test class that runs on both engines: registered as name on a file and as name + "Pg" on
// the test server. The server's is left out, saying why, only when the server programs are
// not installed.
template <class OnFile, class OnServer>
struct AddOnBothEngines {
    AddOnBothEngines(const char *onFile, const char *onServer)
    {
        registry().push_back({onFile, []() -> QObject * { return new OnFile; }});
        registry().push_back({onServer, [onServer]() -> QObject * {
                                  if (!PgServer::instance()) {
                                      qWarning("%s left out: %s", onServer, qPrintable(PgServer::missing()));
                                      return nullptr;
                                  }
                                  return new OnServer;
                              }});
    }
};
} // namespace testreg
