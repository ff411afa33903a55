#include "SharedDb.h"

#include "store/Database.h"
#include "store/Engine.h"
#include "store/Schema.h"

QString seedShared(const TestFolder &folder, bool onServer)
{
    const QString file = folder.copySeed(QStringLiteral("db.mdb"));
    if (!onServer)
        return file;
    const QString path = PgServer::instance()->newDatabase(folder.path());
    Database seed(file), db(path);
    Schema::createShared(db);
    WriteTransaction tx(db);
    const ResultRows tables =
        seed.select(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"));
    for (const auto &t : tables.rows) {
        const QString table = QLatin1Char('"') + t.at(0).toString() + QLatin1Char('"');
        QStringList cols, marks;
        for (const auto &c : seed.select(seed.engine().columnsQuery(), {t.at(0)}).rows) {
            cols << QLatin1Char('"') + c.at(0).toString() + QLatin1Char('"');
            marks << QStringLiteral("?");
        }
        const QString list = cols.join(QLatin1Char(','));
        for (const auto &row : seed.select(QStringLiteral("SELECT %1 FROM %2").arg(list, table)).rows)
            db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, list, marks.join(QLatin1Char(','))),
                       row);
    }
    // New ids follow the copied ones, as they would in the file.
    for (const auto &c : db.select(QStringLiteral("SELECT table_name, column_name FROM information_schema.columns "
                                                  "WHERE is_identity = 'YES' AND table_schema = current_schema()"))
                             .rows)
        db.scalar(QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), max(\"%1\")) FROM \"%2\"")
                      .arg(c.at(1).toString(), c.at(0).toString()),
                  {QLatin1Char('"') + c.at(0).toString() + QLatin1Char('"'), c.at(1)});
    tx.commit();
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
