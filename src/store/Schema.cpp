#include "store/Schema.h"

#include "store/CustomerStore.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/FileProblem.h"

#include <QFile>
#include <QRegularExpression>

static void initSchemaResources() { Q_INIT_RESOURCE(data); }

namespace {
QString resourceText(const QString &name)
{
    initSchemaResources();
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        throw AppError(ErrNo::CannotOpen, QStringLiteral("Missing schema ") + name);
    return QString::fromUtf8(f.readAll());
}

QString sharedScript() { return resourceText(QStringLiteral(":/data/schema.sql")); }

int userVersion(Database &db) { return db.engine().schemaVersion(db); }

// The statement of the shared schema that creates table, as written there.
QString createStatement(const QString &table)
{
    const QRegularExpression re(QStringLiteral("^CREATE TABLE %1 \\(.*?\\);$").arg(table),
                                QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(sharedScript());
    if (!m.hasMatch())
        throw AppError(ErrNo::CannotOpen, QStringLiteral("Missing schema of ") + table);
    return m.captured(0);
}

QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// Rebuilds table with an id that is never handed out again. The table's own definition is kept
// word for word (field names, types, defaults and order) apart from the id column; files made
// before ids were explicit get one holding the record's old id.
void giveLastingIds(Database &db, const QString &table)
{
    const QString sql =
        db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), {table})
            .toString();
    if (sql.isEmpty())
        throw AppError(ErrNo::UnrecognizedDatabase, FileProblem::text(FileProblem::Cause::Foreign, db.path())
                                                        + QStringLiteral(" (The table %1 is missing.)").arg(table));
    if (sql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
        return;
    QStringList columns;
    for (const auto &row :
         db.select(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table}).rows)
        columns << quoted(row.at(0).toString());
    const bool hasId = columns.contains(QStringLiteral("\"rid\""), Qt::CaseInsensitive);

    const QString temp = table + QStringLiteral("_upgrade");
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+\"?\\w+\"?\\s*\\("),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression idColumn(QStringLiteral("\\brid\\s+INTEGER\\s+PRIMARY\\s+KEY\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString body = sql;
    if (!head.match(body).hasMatch())
        throw AppError(ErrNo::NotUpdatable, QStringLiteral("Cannot read the definition of %1.").arg(table));
    body.replace(head, QStringLiteral("CREATE TABLE %1 (").arg(quoted(temp)));
    if (hasId) {
        if (!idColumn.match(body).hasMatch())
            throw AppError(ErrNo::NotUpdatable, QStringLiteral("The id of %1 is not its key.").arg(table));
        body.replace(idColumn, QStringLiteral("rid INTEGER PRIMARY KEY AUTOINCREMENT"));
    } else {
        body.insert(body.lastIndexOf(QLatin1Char(')')), QStringLiteral(",\n  rid INTEGER PRIMARY KEY AUTOINCREMENT"));
    }

    QStringList indexes;
    for (const auto &row :
         db.select(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? "
                                  "AND sql IS NOT NULL"),
                   {table})
             .rows)
        indexes << row.at(0).toString();

    db.execute(body);
    const QString list = columns.join(QLatin1String(", "));
    if (hasId)
        db.execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(quoted(temp), list, quoted(table)));
    else
        db.execute(
            QStringLiteral("INSERT INTO %1 (%2, rid) SELECT %2, rowid FROM %3").arg(quoted(temp), list, quoted(table)));
    db.execute(QStringLiteral("DROP TABLE %1").arg(quoted(table)));
    db.execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(temp), quoted(table)));
    for (const QString &index : indexes)
        db.execute(index);
}

bool hasTable(Database &db, const QString &table) { return !db.fieldNames(table).isEmpty(); }

void lastingIdsAndStationTables(Database &db)
{
    if (db.engine().driver() == QLatin1String("QSQLITE"))
        for (const QString &table : {QStringLiteral("tbl_Appt"), QStringLiteral("tbl_Job")})
            giveLastingIds(db, table);
    for (const QString &table : {QStringLiteral("tbl_Station"), QStringLiteral("tbl_Claim")})
        if (!hasTable(db, table))
            db.execute(createStatement(table));
}
// Written with quoted names, so the server keeps their case as the file does.
void customerTables(Database &db)
{
    const QString id = db.engine().driver() == QLatin1String("QSQLITE")
                           ? QStringLiteral("\"rid\" INTEGER PRIMARY KEY AUTOINCREMENT")
                           : QStringLiteral("\"rid\" BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    if (!hasTable(db, QStringLiteral("tbl_Customer"))) {
        db.execute(
            QStringLiteral("CREATE TABLE \"tbl_Customer\" (\"nameKey\" TEXT NOT NULL, \"phoneKey\" TEXT NOT NULL, "
                           "\"cName\" TEXT, \"cPhone\" TEXT, \"cAddress\" TEXT, \"cCity\" TEXT, \"cProv\" TEXT, "
                           "\"cPostCode\" TEXT, \"cVehicle\" TEXT, \"cMake\" TEXT, \"lastVisit\" TEXT, %1)")
                .arg(id));
        db.execute(
            QStringLiteral("CREATE UNIQUE INDEX \"CustomerName\" ON \"tbl_Customer\" (\"nameKey\", \"phoneKey\")"));
    }
    if (!hasTable(db, QStringLiteral("tbl_CustomerKey"))) {
        db.execute(
            QStringLiteral("CREATE TABLE \"tbl_CustomerKey\" (\"prefix\" TEXT NOT NULL, \"nameKey\" TEXT NOT NULL, "
                           "\"phoneKey\" TEXT NOT NULL, \"lastVisit\" TEXT, %1)")
                .arg(id));
        db.execute(QStringLiteral("CREATE UNIQUE INDEX \"CustomerPrefix\" ON \"tbl_CustomerKey\" (\"prefix\", "
                                  "\"nameKey\", \"phoneKey\")"));
        db.execute(QStringLiteral("CREATE INDEX \"CustomerRecent\" ON \"tbl_CustomerKey\" (\"prefix\", \"lastVisit\", "
                                  "\"nameKey\", \"phoneKey\")"));
        db.execute(
            QStringLiteral("CREATE INDEX \"CustomerKeyOwner\" ON \"tbl_CustomerKey\" (\"nameKey\", \"phoneKey\")"));
    }
}

// Every spelling of a customer's name, and the bookings' names indexed, so a customer's bookings
// are found without reading them all.
void customerHistory(Database &db)
{
    if (!hasTable(db, QStringLiteral("tbl_CustomerName"))) {
        const QString id = db.engine().driver() == QLatin1String("QSQLITE")
                               ? QStringLiteral("\"rid\" INTEGER PRIMARY KEY AUTOINCREMENT")
                               : QStringLiteral("\"rid\" BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
        db.execute(QStringLiteral("CREATE TABLE \"tbl_CustomerName\" (\"nameKey\" TEXT NOT NULL, \"spelling\" TEXT "
                                  "NOT NULL, %1)")
                       .arg(id));
        db.execute(QStringLiteral(
            "CREATE UNIQUE INDEX \"CustomerSpelling\" ON \"tbl_CustomerName\" (\"nameKey\", \"spelling\")"));
    }
    db.execute(QStringLiteral("CREATE INDEX IF NOT EXISTS \"JobName\" ON \"tbl_Job\" (\"bName\")"));
}

// A key row per word instead of per prefix: a fifth of the rows and of the writes per booking.
void wholeWordKeys(Database &db)
{
    db.execute(QStringLiteral("DELETE FROM \"tbl_CustomerKey\""));
    db.engine().orderBytewise(db, QStringLiteral("tbl_CustomerKey"), QStringLiteral("prefix"));
    db.execute(QStringLiteral("DROP INDEX IF EXISTS \"CustomerRecent\""));
    db.execute(QStringLiteral("DROP INDEX IF EXISTS \"CustomerKeyOwner\""));
    db.execute(QStringLiteral(
        "CREATE INDEX \"CustomerKeyOwner\" ON \"tbl_CustomerKey\" (\"nameKey\", \"phoneKey\", \"prefix\")"));
    db.execute(QStringLiteral(
        "CREATE INDEX IF NOT EXISTS \"CustomerLast\" ON \"tbl_Customer\" (\"lastVisit\", \"nameKey\", \"phoneKey\")"));
    CustomerStore(db).rebuild();
}
} // namespace

void Schema::createShared(Database &db)
{
    db.engine().createShared(db, sharedScript());
    db.engine().orderBytewise(db, QStringLiteral("tbl_CustomerKey"), QStringLiteral("prefix"));
}

void Schema::createStation(Database &db)
{
    db.executeScript(resourceText(QStringLiteral(":/data/schema_station.sql")));
}

const QVector<Schema::Step> &Schema::sharedSteps()
{
    static const QVector<Step> steps{{1, lastingIdsAndStationTables},
                                     {2, customerTables},
                                     {3, customerHistory},
                                     {4, [](Database &db) { db.engine().spreadChangeCounter(db); }},
                                     {5, [](Database &db) { db.engine().defineChangeCounting(db); }},
                                     {6, wholeWordKeys}};
    return steps;
}

bool Schema::upgrade(Database &db, const QVector<Step> &steps)
{
    if (steps.isEmpty() || userVersion(db) >= steps.last().version)
        return false;
    WriteTransaction tx(db);
    // Another station may have upgraded the database since the look above.
    const int from = userVersion(db);
    try {
        for (const Step &step : steps)
            if (step.version > from)
                step.apply(db);
    } catch (const AppError &e) {
        // On a server only the tables' owner may change their shape; a file's read-only folder is
        // told as it is.
        if (e.number() != ErrNo::NotUpdatable || db.engine().driver() == QLatin1String("QSQLITE"))
            throw;
        throw AppError(ErrNo::NotUpdatable,
                       QStringLiteral("The database has the shape of an older version of the program (%1; this one "
                                      "needs %2), and only the owner of its tables may bring it up to date: run "
                                      "torvane-migrate --upgrade with the owner's address. (%3)")
                           .arg(from)
                           .arg(steps.last().version)
                           .arg(e.description()));
    }
    if (steps.last().version > from)
        db.engine().setSchemaVersion(db, steps.last().version);
    tx.commit();
    return steps.last().version > from;
}
