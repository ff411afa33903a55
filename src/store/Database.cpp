#include "store/Database.h"

#include <QAtomicInt>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

const QString Database::RowVersionColumn = QStringLiteral("rowver");

namespace {
// rid makes the rowid explicit, so compaction never renumbers records another station holds.
bool isBookkeeping(const QString &column)
{
    return column.compare(Database::RowVersionColumn, Qt::CaseInsensitive) == 0
           || column.compare(QLatin1String("rid"), Qt::CaseInsensitive) == 0;
}
} // namespace

namespace {
QAtomicInt s_connectionSerial;

int primaryCode(const QSqlError &e)
{
    bool ok = false;
    const int n = e.nativeErrorCode().toInt(&ok);
    return ok ? (n & 0xff) : 0;
}

bool isBusy(const QSqlError &e)
{
    const QString code = e.nativeErrorCode();
    // SQLITE_BUSY (5) and SQLITE_LOCKED (6), also in their extended forms.
    bool ok = false;
    const int n = code.toInt(&ok);
    return ok && ((n & 0xff) == 5 || (n & 0xff) == 6);
}
} // namespace

int ResultRows::columnIndex(const QString &name) const
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ResultRows::value(int row, const QString &name) const
{
    const int c = columnIndex(name);
    if (c < 0 || row < 0 || row >= rows.size())
        return {};
    return rows.at(row).at(c);
}

Database::~Database() { close(); }

AppError Database::errorFrom(const QSqlError &e, const QString &context)
{
    if (isBusy(e))
        return AppError(ErrNo::RecordLocked, QStringLiteral("Could not update; currently locked by another user."));
    const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
    if (text.contains(QLatin1String("UNIQUE constraint failed"), Qt::CaseInsensitive))
        return AppError(ErrNo::DuplicateKey,
                        QStringLiteral("The changes you requested to the table were not successful because "
                                       "they would create duplicate values in the index, primary key, or "
                                       "relationship."));
    bool ok = false;
    int n = e.nativeErrorCode().toInt(&ok);
    if (!ok || n == 0)
        n = 3000 + int(e.type()); // the driver's own failures: connection, statement, transaction
    return AppError(n, context.isEmpty() ? text : context + QStringLiteral(": ") + text);
}

QVariant Database::toStored(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: return v.toDateTime().date().toString(Qt::ISODate);
    case QMetaType::Bool: return v.toBool() ? 1 : 0;
    default: return v;
    }
}

AppError Database::failure(const QSqlError &e, const QString &path, const QString &context)
{
    // SQLITE_CORRUPT and SQLITE_NOTADB: the engine's words name neither the file nor a remedy.
    const int code = primaryCode(e);
    if (code == 11 || code == 26) {
        const QString text = e.databaseText().isEmpty() ? e.text() : e.databaseText();
        return AppError(ErrNo::UnrecognizedDatabase,
                        QStringLiteral("The database file %1 is damaged or is not a Torvane database (%2). "
                                       "Restore it from a back-up copy.")
                            .arg(QDir::toNativeSeparators(path), text));
    }
    return errorFrom(e, context);
}

void Database::open(const QString &path)
{
    close();
    if (path.isEmpty())
        return;
    if (!QFileInfo(path).isFile())
        throw AppError(ErrNo::CannotOpen, QStringLiteral("Could not find file '%1'.").arg(path));
    create(path);
}

void Database::create(const QString &path)
{
    close();
    m_connName = QStringLiteral("torvane-%1").arg(s_connectionSerial.fetchAndAddRelaxed(1));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connName);
    m_db.setDatabaseName(path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(LockWaitMs));
    if (!m_db.open()) {
        const AppError err = failure(m_db.lastError(), path, path);
        close();
        throw AppError(ErrNo::CannotOpen, err.description());
    }
    m_path = path;
    // Rollback journal: WAL does not work on a network share.
    execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
    execute(QStringLiteral("PRAGMA synchronous=FULL"));
}

void Database::close()
{
    if (m_connName.isEmpty())
        return;
    if (m_inTransaction && m_db.isOpen())
        m_db.exec(QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connName);
    m_connName.clear();
    m_path.clear();
}

void Database::prepareAndRun(QSqlQuery &q, const QString &sql, const QVariantList &binds)
{
    if (!m_db.isOpen())
        throw AppError(ErrNo::CannotOpen, QStringLiteral("The database is not open."));
    if (!q.prepare(sql))
        throw failure(q.lastError(), m_path);
    for (const QVariant &b : binds)
        q.addBindValue(toStored(b));
    if (!q.exec())
        throw failure(q.lastError(), m_path);
}

int Database::execute(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(m_db);
    prepareAndRun(q, sql, binds);
    const int n = q.numRowsAffected();
    q.finish();
    return n;
}

ResultRows Database::select(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    prepareAndRun(q, sql, binds);
    ResultRows out;
    const QSqlRecord rec = q.record();
    const int n = rec.count();
    for (int i = 0; i < n; ++i)
        out.columns << rec.fieldName(i);
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << q.value(i);
        out.rows << row;
    }
    if (q.lastError().isValid())
        throw failure(q.lastError(), m_path);
    q.finish();
    return out;
}

QVariant Database::scalar(const QString &sql, const QVariantList &binds)
{
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    prepareAndRun(q, sql, binds);
    QVariant v;
    if (q.next())
        v = q.value(0);
    q.finish();
    return v;
}

void Database::executeScript(const QString &script)
{
    // Statements end with ";" at a line end; the schema files keep to that.
    QString statement;
    for (const QString &line : script.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1String("--")) || t.isEmpty())
            continue;
        statement += line + QLatin1Char('\n');
        if (t.endsWith(QLatin1Char(';'))) {
            execute(statement);
            statement.clear();
        }
    }
    if (!statement.trimmed().isEmpty())
        execute(statement);
}

void Database::begin()
{
    execute(QStringLiteral("BEGIN IMMEDIATE"));
    m_inTransaction = true;
}

void Database::commit()
{
    try {
        execute(QStringLiteral("COMMIT"));
    } catch (const AppError &) {
        // A failed commit leaves the transaction open; give it up so the file is not held.
        rollback();
        throw;
    }
    m_inTransaction = false;
}

void Database::rollback()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("ROLLBACK"));
}

void Database::compact() { execute(QStringLiteral("VACUUM")); }

void Database::snapshotTo(const QString &file)
{
    QFile::remove(file);
    execute(QStringLiteral("VACUUM INTO ?"), {file});
}

QStringList Database::fieldNames(const QString &table)
{
    QStringList out;
    const ResultRows r = select(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
    for (const auto &row : r.rows) {
        const QString n = row.at(0).toString();
        if (!isBookkeeping(n))
            out << n;
    }
    return out;
}

QStringList Database::indexColumns(const QString &index, QString *table)
{
    const QVariant t = scalar(QStringLiteral("SELECT tbl_name FROM sqlite_master WHERE type = 'index' AND "
                                             "name = ? COLLATE NOCASE"),
                              {index});
    if (!t.isValid())
        return {};
    if (table)
        *table = t.toString();
    QStringList out;
    const ResultRows r = select(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), {index});
    for (const auto &row : r.rows)
        out << row.at(0).toString();
    return out;
}
