#include "store/SqliteEngine.h"

#include "store/Database.h"
#include "store/FileProblem.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <chrono>
#include <memory>
#include <sqlite3.h>
#include <thread>

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

// The driver's own connection, for what Qt SQL does not offer; none when not open.
sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(v.constData());
}

// SQLite's own busy wait sleeps longer the longer it has waited, so a station that has waited
// long keeps losing the lock to newcomers. Short sleeps of random length give every waiter the
// same chance; after LockWaitMs the statement fails and Database waits on above it.
int waitForLock(void *since, int count)
{
    auto &startMs = *static_cast<qint64 *>(since);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (count == 0)
        startMs = now;
    else if (now - startMs >= Database::LockWaitMs)
        return 0;
    std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(1000, 3001)));
    return 1;
}
} // namespace

QString SqliteEngine::driver() const { return QStringLiteral("QSQLITE"); }

int SqliteEngine::configure(QSqlDatabase &db, const QString &target) const
{
    db.setDatabaseName(target);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(Database::LockWaitMs));
    return 0; // a file answers; only its lock is waited for, and that wait is bounded
}

QString SqliteEngine::driverMissing() const
{
    return QStringLiteral("The SQLite driver of Qt SQL (QSQLITE) cannot be loaded: install the package "
                          "libqt6sql6-sqlite.");
}

QStringList SqliteEngine::sessionSetup() const
{
    // Rollback journal: WAL does not work on a network share.
    return {QStringLiteral("PRAGMA journal_mode=DELETE"), QStringLiteral("PRAGMA synchronous=FULL")};
}

// The file has one write lock; a page is no narrower.
void SqliteEngine::beginWrite(Database &db, const QDate &) const { db.execute(QStringLiteral("BEGIN IMMEDIATE")); }

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
    // Read-only, full or unreachable file, or one without our tables: the engine's words name
    // neither the file nor what to do.
    const AppError plain = errorFrom(e, context);
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (code == 8)
        return AppError(plain.number(), FileProblem::text(FileProblem::Cause::ReadOnly, target));
    if (code == 13)
        return AppError(plain.number(), FileProblem::text(FileProblem::Cause::DiskFull, target));
    if (code == 14) {
        const QString folder = QFileInfo(target).absolutePath();
        FileProblem::Cause cause = FileProblem::folderCause(folder);
        if (cause == FileProblem::Cause::Other && !QFileInfo::exists(target))
            cause = FileProblem::Cause::Missing;
        if (cause != FileProblem::Cause::Other)
            return AppError(plain.number(), FileProblem::text(cause, target));
    }
    if (text.startsWith(QLatin1String("no such table"), Qt::CaseInsensitive) && !target.isEmpty())
        return AppError(ErrNo::UnrecognizedDatabase, FileProblem::text(FileProblem::Cause::Foreign, target));
    return plain;
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

void SqliteEngine::setSchemaVersion(Database &db, int version) const
{
    db.execute(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void SqliteEngine::createShared(Database &db, const QString &sqliteScript) const { db.executeScript(sqliteScript); }

void SqliteEngine::compact(Database &db, const Progress &progress) const
{
    db.execute(QStringLiteral("VACUUM"));
    if (progress)
        progress(1, 1);
}

void SqliteEngine::snapshotTo(Database &db, const QString &file, const Progress &progress) const
{
    QFile::remove(file);
    if (progress)
        progress(0, 1);
    db.execute(QStringLiteral("VACUUM INTO ?"), {file});
    if (progress)
        progress(1, 1);
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
    sqlite3 *handle = handleOf(db);
    if (!handle)
        return;
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    sqlite3_busy_handler(handle, waitForLock, &m_busySinceMs);
}

bool SqliteEngine::stillInTransaction(const QSqlDatabase &db) const
{
    sqlite3 *handle = handleOf(db);
    return handle && !sqlite3_get_autocommit(handle);
}

namespace {
class SqliteRow : public RowView {
public:
    explicit SqliteRow(sqlite3_stmt *st) : m_st(st) {}
    QByteArrayView text(int column) const override
    {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_st, column));
        return p ? QByteArrayView(p, sqlite3_column_bytes(m_st, column)) : QByteArrayView();
    }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_st, column); }

private:
    sqlite3_stmt *m_st;
};
} // namespace

sqlite3_stmt *SqliteEngine::bound(Database &db, const QString &sql, const QVariantList &binds) const
{
    // The driver's own connection: same locks, same busy wait. The driver turns every value into a
    // string first, and text into UTF-16 the file does not hold, which a scan of many pages or a
    // page save cannot afford.
    sqlite3 *conn = handleOf(db.connection());
    if (!conn)
        throw AppError(ErrNo::CannotOpen, QStringLiteral("The database is not open."));
    sqlite3_stmt *st = m_kept.value(sql);
    if (!st) {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v3(conn, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &st, nullptr)
            != SQLITE_OK)
            fail(db, sqlite3_extended_errcode(conn));
        m_kept.insert(sql, st);
    }
    sqlite3_reset(st);
    for (int i = 0; i < binds.size(); ++i) {
        const QVariant &v = binds.at(i);
        int rc;
        if (v.isNull())
            rc = sqlite3_bind_null(st, i + 1);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Bool)
            rc = sqlite3_bind_int64(st, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::Double)
            rc = sqlite3_bind_double(st, i + 1, v.toDouble());
        else {
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            fail(db, sqlite3_extended_errcode(conn));
    }
    return st;
}

void SqliteEngine::fail(Database &db, int rc) const
{
    sqlite3 *conn = handleOf(db.connection());
    throw error(QSqlError(QString(), QString::fromUtf8(conn ? sqlite3_errmsg(conn) : ""), QSqlError::StatementError,
                          QString::number(rc)),
                db.path(), QString());
}

void SqliteEngine::scan(Database &db, const QString &sql, const QVariantList &binds,
                        const std::function<void(const RowView &)> &row) const
{
    sqlite3_stmt *st = bound(db, sql, binds);
    // Reset whatever happens, so no read lock outlives the scan.
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> reset(st, sqlite3_reset);
    const SqliteRow view(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW)
        row(view);
    if (rc != SQLITE_DONE)
        fail(db, sqlite3_extended_errcode(handleOf(db.connection())));
}

int SqliteEngine::change(Database &db, const QString &sql, const QVariantList &binds) const
{
    sqlite3_stmt *st = bound(db, sql, binds);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> reset(st, sqlite3_reset);
    sqlite3 *conn = handleOf(db.connection());
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        fail(db, sqlite3_extended_errcode(conn));
    return sqlite3_changes(conn);
}

void SqliteEngine::closing() const
{
    for (sqlite3_stmt *st : std::as_const(m_kept))
        sqlite3_finalize(st);
    m_kept.clear();
}
