#include "store/TableCopy.h"

#include "store/Database.h"
#include "store/Engine.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
QString quoted(const QString &name)
{
    QString q = name;
    q.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

AppError failure(Database &db, const QSqlQuery &q, const QString &table) { return db.failure(q.lastError(), table); }
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
    QStringList read, write;
    if (columns.withId) {
        read << from.engine().rowId();
        write << to.engine().rowId();
    }
    for (const QString &f : columns.fields) {
        read << quoted(f);
        write << quoted(f);
    }
    if (!columns.fixedColumn.isEmpty())
        write << quoted(columns.fixedColumn);
    const int perRow = int(write.size());
    const QString marks =
        QLatin1Char('(') + QStringList(perRow, QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    // Many records to a statement: fewer round trips to a server, and fewer firings of its
    // per-statement triggers. Well below either engine's limit of bound values.
    const int batch = qMax(1, 4000 / perRow);
    Database::AnswerWait toWait(to), fromWait(from);
    QSqlQuery insert(to.connection());
    int prepared = 0;
    const auto store = [&](const QVariantList &values) {
        const int rows = int(values.size()) / perRow;
        if (rows != prepared) {
            QStringList all(rows, marks);
            if (!insert.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                                    .arg(quoted(table), write.join(QLatin1Char(',')), all.join(QLatin1Char(',')))))
                throw failure(to, insert, table);
            prepared = rows;
        }
        for (int i = 0; i < values.size(); ++i)
            insert.bindValue(i, values.at(i));
        toWait.row();
        if (!insert.exec())
            throw failure(to, insert, table);
        toWait.row();
    };

    QSqlQuery source(from.connection());
    source.setForwardOnly(true);
    if (!source.exec(QStringLiteral("SELECT %1 FROM %2").arg(read.join(QLatin1Char(',')), quoted(table))))
        throw failure(from, source, table);
    const int n = int(read.size());
    qint64 copied = 0;
    QVariantList values;
    while (source.next()) {
        fromWait.row();
        for (int i = 0; i < n; ++i)
            values << source.value(i);
        if (!columns.fixedColumn.isEmpty())
            values << columns.fixedValue;
        if (++copied % batch == 0) {
            store(values);
            values.clear();
        }
    }
    if (source.lastError().isValid())
        throw failure(from, source, table);
    source.finish();
    if (!values.isEmpty())
        store(values);
    insert.finish();
    const qint64 high = qMax(from.engine().idHighWater(from, table), to.engine().idHighWater(to, table));
    to.engine().keepIdsAbove(to, table, high);
    return copied;
}

QMap<QString, qint64> TableCopy::copyAll(Database &from, Database &to,
                                         const std::function<void(const QString &, qint64)> &done)
{
    QMap<QString, qint64> out;
    WriteTransaction tx(to);
    for (const QString &table : tables(to)) {
        out.insert(table, copy(from, to, table, {allColumns(to, table), false, {}, {}}));
        if (done)
            done(table, out.value(table));
    }
    tx.commit();
    return out;
}
