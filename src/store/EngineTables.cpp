// What each engine answers about its tables and record ids, for the tools that copy a whole
// database (backup, restore, the move between a file and a server).
#include "store/Database.h"
#include "store/PgEngine.h"
#include "store/SqliteEngine.h"

namespace {
QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

// A server table's id column, the one that hands out ids (empty when it has none), and its sequence.
QString identityColumn(Database &db, const QString &table)
{
    return db
        .scalar(QStringLiteral("SELECT attname FROM pg_attribute WHERE attrelid = to_regclass(quote_ident(?::text)) "
                               "AND attnum > 0 AND NOT attisdropped AND attidentity <> ''"),
                {table})
        .toString();
}

QString sequenceOf(Database &db, const QString &table, const QString &column)
{
    return db.scalar(QStringLiteral("SELECT pg_get_serial_sequence(quote_ident(?::text), ?::text)"), {table, column})
        .toString();
}
} // namespace

QString SqliteEngine::tablesQuery() const
{
    return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                          "ESCAPE '\\' ORDER BY name");
}

// Readers are kept out too: a station reading a page while it is deleted would write it back.
void SqliteEngine::beginExclusive(Database &db) const { db.execute(QStringLiteral("BEGIN EXCLUSIVE")); }

qint64 SqliteEngine::idHighWater(Database &db, const QString &table) const
{
    qint64 top = db.scalar(QStringLiteral("SELECT max(rowid) FROM %1").arg(quoted(table))).toLongLong();
    if (db.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'sqlite_sequence'")).toInt() > 0)
        top = qMax(top,
                   db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table}).toLongLong());
    return top;
}

// Only AUTOINCREMENT tables remember ids beyond their greatest one; the others hand out the
// greatest plus one, which is above any id loaded.
void SqliteEngine::keepIdsAbove(Database &db, const QString &table, qint64 id) const
{
    const QString sql =
        db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), {table})
            .toString();
    if (id <= 0 || !sql.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive))
        return;
    const QVariant seq = db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});
    if (!seq.isValid())
        db.execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, id});
    else if (seq.toLongLong() < id)
        db.execute(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"), {id, table});
}

QString PgEngine::tablesQuery() const
{
    // torvane_schema and torvane_change are the engine's own (the shape number, the change counter).
    return QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema() "
                          "AND tablename NOT LIKE 'torvane\\_%' ORDER BY tablename COLLATE \"C\"");
}

// Readers see the last committed state on the server and never write on what they read without
// the write lock, so the write lock is enough.
void PgEngine::beginExclusive(Database &db) const { beginWrite(db, QDate()); }

qint64 PgEngine::idHighWater(Database &db, const QString &table) const
{
    const QString column = identityColumn(db, table);
    if (column.isEmpty())
        return 0;
    const qint64 top =
        db.scalar(QStringLiteral("SELECT max(%1) FROM %2").arg(quoted(column), quoted(table))).toLongLong();
    const QVariant last =
        db.scalar(QStringLiteral("SELECT pg_sequence_last_value(?::regclass)"), {sequenceOf(db, table, column)});
    return qMax(top, last.toLongLong());
}

void PgEngine::keepIdsAbove(Database &db, const QString &table, qint64 id) const
{
    const QString column = identityColumn(db, table);
    if (id <= 0 || column.isEmpty())
        return;
    const QString seq = sequenceOf(db, table, column);
    const QVariant last = db.scalar(QStringLiteral("SELECT pg_sequence_last_value(?::regclass)"), {seq});
    if (last.isNull() || last.toLongLong() < id)
        db.scalar(QStringLiteral("SELECT setval(?::regclass, ?::bigint)"), {seq, id});
}
