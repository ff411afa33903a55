#include "store/SqliteEngine.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {
int primaryCode(const QSqlError &e)
{
    bool ok = false;
    const int n = e.nativeErrorCode().toInt(&ok);
    return ok ? (n & 0xff) : 0;
}

// SQLITE_BUSY (5) and SQLITE_LOCKED (6), also in their extended forms.
bool isBusy(const QSqlError &e)
{
    const int code = primaryCode(e);
    return code == 5 || code == 6;
}
} // namespace

QString SqliteEngine::driver() const { return QStringLiteral("QSQLITE"); }

void SqliteEngine::configure(QSqlDatabase &db, const QString &target) const
{
    db.setDatabaseName(target);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Database::LockWaitMs));
}

QStringList SqliteEngine::sessionSetup() const
{
    // Rollback journal: WAL does not work on a network share.
    return {QStringLiteral("PRAGMA journal_mode=DELETE"), QStringLiteral("PRAGMA synchronous=FULL")};
}

void SqliteEngine::beginWrite(Database &db) const { db.execute(QStringLiteral("BEGIN IMMEDIATE")); }

AppError SqliteEngine::errorFrom(const QSqlError &e, const QString &context)
{
    if (isBusy(e))
        return AppError(ErrNo::RecordLocked, QStringLiteral("Could not update; currently locked by another user."));
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (text.contains(QLatin1String("UNIQUE constraint failed"), Qt::CaseInsensitive))
        return Database::duplicateKey();
    bool ok = false;
    int n = e.nativeErrorCode().toInt(&ok);
    if (!ok || n == 0)
        n = 3000 + int(e.type()); // the driver's own failures: connection, statement, transaction
    return AppError(n, context.isEmpty() ? text : context + QStringLiteral(": ") + text);
}

AppError SqliteEngine::error(const QSqlError &e, const QString &target, const QString &context) const
{
    // SQLITE_CORRUPT and SQLITE_NOTADB: the engine's words name neither the file nor a remedy.
    const int code = primaryCode(e);
    if (code == 11 || code == 26) {
        const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        return AppError(ErrNo::UnrecognizedDatabase,
                        QStringLiteral("The database file %1 is damaged or is not a Torvane database (%2). "
                                       "Restore it from a back-up copy.")
                            .arg(QDir::toNativeSeparators(target), text));
    }
    return errorFrom(e, context);
}

QString SqliteEngine::rowId() const { return QStringLiteral("rowid"); }
QString SqliteEngine::lastInsertIdQuery() const { return QStringLiteral("SELECT last_insert_rowid()"); }
QString SqliteEngine::columnsQuery() const
{
    return QStringLiteral("SELECT name, type FROM pragma_table_info(?) ORDER BY cid");
}
QString SqliteEngine::indexTableQuery() const
{
    return QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND name = ? COLLATE NOCASE");
}
QString SqliteEngine::indexColumnsQuery() const
{
    return QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno");
}

int SqliteEngine::schemaVersion(Database &db) const { return db.scalar(QStringLiteral("PRAGMA user_version")).toInt(); }

void SqliteEngine::createShared(Database &db, const QString &sqliteScript) const { db.executeScript(sqliteScript); }

void SqliteEngine::compact(Database &db) const { db.execute(QStringLiteral("VACUUM")); }

void SqliteEngine::snapshotTo(Database &db, const QString &file) const
{
    QFile::remove(file);
    db.execute(QStringLiteral("VACUUM INTO ?"), {file});
}

// Changes with every commit of another connection to the file, heartbeats included: the caller
// tells those apart by the row versions it holds.
qint64 SqliteEngine::dataVersion(Database &db) const
{
    return db.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
}

QString SqliteEngine::likeNoCase() const { return QStringLiteral("LIKE"); }

// Names are quoted, as the server needs them. SQLite would take a quoted name that matches no
// column for a text ("Color" reads as the word Color in a damaged file); it must fail instead.
void SqliteEngine::opened(QSqlDatabase &db) const
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return;
    sqlite3 *handle = *static_cast<sqlite3 *const *>(v.constData());
    if (!handle)
        return;
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}
