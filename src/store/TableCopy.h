#pragma once
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class Database;

// Copies records between two databases of the shared schema, whatever engine each one is on:
// restoring a backup and moving a db.mdb onto a server share it.
namespace TableCopy {

// What is copied of each record: these fields, the record's id when withId (so records keep
// their ids), and fixedValue in fixedColumn instead of whatever the source holds (a row version).
struct Columns {
    QStringList fields;
    bool withId = false;
    QString fixedColumn;
    QVariant fixedValue;
};

// Inserts every record of table in from into the same table of to, inside whatever transaction
// to is in, then makes to hand out ids above the copied ones and above any from ever handed out.
// Returns the records copied. Throws AppError.
qint64 copy(Database &from, Database &to, const QString &table, const Columns &columns);

// Every table to holds, each record of from's table of that name copied with all its columns,
// bookkeeping included: the whole database in one write transaction of to. The records per table;
// done, when given, hears of each table as soon as it is copied.
QMap<QString, qint64> copyAll(Database &from, Database &to,
                              const std::function<void(const QString &table, qint64 records)> &done = {});

QStringList tables(Database &db);
// Every column of table in stored order, bookkeeping columns included.
QStringList allColumns(Database &db, const QString &table);
qint64 count(Database &db, const QString &table);

} // namespace TableCopy
