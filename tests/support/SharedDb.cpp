#include "SharedDb.h"

#include "store/Database.h"
#include "store/Schema.h"
#include "store/TableCopy.h"

QString seedShared(const TestFolder &folder, bool onServer)
{
    return onServer ? seedServer(folder.path()) : folder.copySeed(QStringLiteral("db.mdb"));
}

QString seedServer(const QString &folder)
{
    const QString path = PgServer::instance()->newDatabase(folder);
    Database seed(TestFolder::buildFile(QStringLiteral("db.mdb"))), db(path);
    Schema::createShared(db);
    TableCopy::copyAll(seed, db); // new ids follow the copied ones, as they would in the file
    return path;
}

void holdEverything(Database &db)
{
    if (!Database::isConnectionFile(db.path())) {
        db.execute(QStringLiteral("BEGIN EXCLUSIVE"));
        return;
    }
    db.execute(QStringLiteral("BEGIN"));
    db.execute(QStringLiteral("LOCK TABLE \"tbl_Setup\", \"tbl_Setup2\", \"tbl_Appt\", \"tbl_Job\", \"tbl_Claim\" "
                              "IN ACCESS EXCLUSIVE MODE"));
}

void moveToAnotherMachine(Database &db, qint64 id)
{
    // Above any process id this system hands out.
    constexpr qint64 FreePid = 2147483646;
    db.execute(QStringLiteral("UPDATE \"tbl_Station\" SET host = 'bay-office', machine = 'another machine', pid = ? "
                              "WHERE id = ?"),
               {FreePid, id});
}
