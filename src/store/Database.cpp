#include "store/Database.h"

#include "store/PgEngine.h"
#include "store/SqliteEngine.h"

#include <QAtomicInt>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

const QString Database::RowVersionColumn = QStringLiteral("rowver");

namespace {
QAtomicInt s_connectionSerial;

// rid makes the rowid explicit, so compaction never renumbers records another station holds.
bool isBookkeeping(const QString &column)
{
    return column.compare(Database::RowVersionColumn, Qt::CaseInsensitive) == 0
           || column.compare(QLatin1String("rid"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<Engine> engineFor(const QString &path)
{
    if (Database::isConnectionFile(path))
        return std::make_unique<PgEngine>();
    return std::make_unique<SqliteEngine>();
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

Database::Database() : m_engine(std::make_unique<SqliteEngine>()) {}

Database::Database(const QString &path) : Database() { open(path); }

Database::~Database() { close(); }

bool Database::isConnectionFile(const QString &path)
{
    return path.endsWith(QLatin1String(".pgconn"), Qt::CaseInsensitive);
}

QString Database::sharedIn(const QString &folder)
{
    const QDir dir(folder);
    const QString server = dir.filePath(QStringLiteral("db.pgconn"));
    return QFileInfo(server).isFile() ? server : dir.filePath(QStringLiteral("db.mdb"));
}

AppError Database::errorFrom(const QSqlError &e, const QString &context) { return SqliteEngine::errorFrom(e, context); }

AppError Database::duplicateKey()
{
    return AppError(ErrNo::DuplicateKey,
                    QStringLiteral("The changes you requested to the table were not successful because "
                                   "they would create duplicate values in the index, primary key, or "
                                   "relationship."));
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

AppError Database::failure(const QSqlError &e, const QString &context) const
{
    return m_engine->error(e, m_path, context);
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
    m_engine = engineFor(path);
    m_path = path;
    m_connName = QStringLiteral("torvane-%1").arg(s_connectionSerial.fetchAndAddRelaxed(1));
    m_db = QSqlDatabase::addDatabase(m_engine->driver(), m_connName);
    try {
        m_engine->configure(m_db, path);
    } catch (const AppError &) {
        close();
        throw;
    }
    if (!m_db.open()) {
        const AppError err = failure(m_db.lastError(), path);
        close();
        throw AppError(ErrNo::CannotOpen, err.description());
    }
    m_engine->opened(m_db);
    for (const QString &statement : m_engine->sessionSetup())
        execute(statement);
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
    // PostgreSQL prepares only queries and data changes; a statement without values is run as it is.
    if (binds.isEmpty()) {
        if (!q.exec(sql))
            throw failure(q.lastError());
        return;
    }
    if (!q.prepare(sql))
        throw failure(q.lastError());
    for (const QVariant &b : binds)
        q.addBindValue(toStored(b));
    if (!q.exec())
        throw failure(q.lastError());
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
        throw failure(q.lastError());
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

qint64 Database::lastInsertId() { return scalar(m_engine->lastInsertIdQuery()).toLongLong(); }

void Database::begin()
{
    m_engine->beginWrite(*this);
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
    abandon();
}

void Database::abandon()
{
    m_inTransaction = false;
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("ROLLBACK"));
}

void Database::compact() { m_engine->compact(*this); }

void Database::snapshotTo(const QString &file) { m_engine->snapshotTo(*this, file); }

QStringList Database::fieldNames(const QString &table)
{
    QStringList out;
    const ResultRows r = select(m_engine->columnsQuery(), {table});
    for (const auto &row : r.rows) {
        const QString n = row.at(0).toString();
        if (!isBookkeeping(n))
            out << n;
    }
    return out;
}

QStringList Database::indexColumns(const QString &index, QString *table)
{
    const QVariant t = scalar(m_engine->indexTableQuery(), {index});
    if (!t.isValid())
        return {};
    if (table)
        *table = t.toString();
    QStringList out;
    const ResultRows r = select(m_engine->indexColumnsQuery(), {index});
    for (const auto &row : r.rows)
        out << row.at(0).toString();
    return out;
}
