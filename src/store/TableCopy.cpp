#include "store/TableCopy.h"

#include "store/Database.h"
#include "store/Engine.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {
QString quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

AppError failure(Database &db, const QSqlQuery &q, const QString &table)
{
    return db.engine().error(q.lastError(), db.path(), table);
}
} // namespace

QStringList TableCopy::tables(Database &db)
{
    QStringList out;
    for (const auto &row : db.select(db.engine().tablesQuery()).rows)
        out << row.at(0).toString();
    return out;
}

QStringList TableCopy::allColumns(Database &db, const QString &table)
{
    QStringList out;
    for (const auto &row : db.select(db.engine().columnsQuery(), {table}).rows)
        out << row.at(0).toString();
    return out;
}

qint64 TableCopy::count(Database &db, const QString &table)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM ") + quoted(table)).toLongLong();
}

qint64 TableCopy::copy(Database &from, Database &to, const QString &table, const Columns &columns)
{
    QStringList read, write, marks;
    if (columns.withId) {
        read << from.engine().rowId();
        write << to.engine().rowId();
        marks << QStringLiteral("?");
    }
    for (const QString &f : columns.fields) {
        read << quoted(f);
        write << quoted(f);
        marks << QStringLiteral("?");
    }
    if (!columns.fixedColumn.isEmpty()) {
        write << quoted(columns.fixedColumn);
        marks << QStringLiteral("?");
    }
    // One statement prepared once for every record: a large table is a long list of them.
    QSqlQuery source(from.connection());
    source.setForwardOnly(true);
    if (!source.exec(QStringLiteral("SELECT %1 FROM %2").arg(read.join(QLatin1Char(',')), quoted(table))))
        throw failure(from, source, table);
    QSqlQuery insert(to.connection());
    if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(quoted(table), write.join(QLatin1Char(',')), marks.join(QLatin1Char(',')))))
        throw failure(to, insert, table);
    const int n = int(read.size());
    qint64 copied = 0;
    while (source.next()) {
        for (int i = 0; i < n; ++i)
            insert.bindValue(i, source.value(i));
        if (!columns.fixedColumn.isEmpty())
            insert.bindValue(n, columns.fixedValue);
        if (!insert.exec())
            throw failure(to, insert, table);
        ++copied;
    }
    if (source.lastError().isValid())
        throw failure(from, source, table);
    source.finish();
    insert.finish();
    const qint64 high = qMax(from.engine().idHighWater(from, table), to.engine().idHighWater(to, table));
    to.engine().keepIdsAbove(to, table, high);
    return copied;
}

QMap<QString, qint64> TableCopy::copyAll(Database &from, Database &to)
{
    QMap<QString, qint64> out;
    WriteTransaction tx(to);
    for (const QString &table : tables(to))
        out.insert(table, copy(from, to, table, {allColumns(to, table), false, {}, {}}));
    tx.commit();
    return out;
}
