#include "store/Database.h"

#include "store/AnswerWatch.h"
#include "store/PassedOver.h"
#include "store/PgEngine.h"
#include "store/SqliteEngine.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <atomic>

const QString Database::RowVersionColumn = QStringLiteral("rowver");

namespace {
QAtomicInt s_connectionSerial;
std::function<bool()> s_askOnNoAnswer;
std::atomic<const Database *> s_asking{nullptr};
std::atomic<bool> s_givenUp{false};

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

AppError Database::noAnswer()
{
    return AppError(ErrNo::NoAnswer, QStringLiteral("The database server does not answer."));
}

void Database::setNoAnswerHandler(std::function<bool()> ask)
{
    s_askOnNoAnswer = std::move(ask);
    s_givenUp = false;
}

AppError Database::failure(const QSqlError &e, const QString &context)
{
    if (m_answerLimitMs > 0 && ((m_watch && m_watch->fired()) || m_engine->connectionLost(m_db))) {
        m_lost = true;
        return noAnswer();
    }
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
    if (!QSqlDatabase::isDriverAvailable(m_engine->driver()))
        throw AppError(ErrNo::CannotOpen, m_engine->driverMissing());
    m_path = path;
    m_connName = QStringLiteral("torvane-%1").arg(s_connectionSerial.fetchAndAddRelaxed(1));
    m_db = QSqlDatabase::addDatabase(m_engine->driver(), m_connName);
    QElapsedTimer waited;
    try {
        m_answerLimitMs = m_engine->configure(m_db, path);
        if (m_answerLimitMs > 0 && (s_givenUp || s_asking))
            throw noAnswer();
        waited.start();
        connect();
    } catch (const AppError &e) {
        // A server that let the whole limit pass without an answer is silent, not refusing: the
        // user is asked as for any other call, and Retry connects again.
        const bool silent = e.number() == ErrNo::CannotOpen && m_answerLimitMs > 0 && waited.isValid()
                            && waited.elapsed() >= m_answerLimitMs - 100;
        if (silent) {
            PassedOver::report(QStringLiteral("Connect"), e);
            m_lost = true;
            if (askRetry())
                return;
        }
        close();
        throw silent ? noAnswer() : e;
    }
}

void Database::connect()
{
    if (!m_db.open())
        throw AppError(ErrNo::CannotOpen, m_engine->error(m_db.lastError(), m_path, m_path).description());
    m_engine->opened(m_db);
    const int socket = m_answerLimitMs > 0 ? m_engine->socket(m_db) : -1;
    if (socket >= 0)
        m_watch = std::make_unique<AnswerWatch>(socket, m_answerLimitMs);
    m_lost = false;
    for (const QString &statement : m_engine->sessionSetup())
        execute(statement);
}

void Database::close()
{
    if (m_connName.isEmpty())
        return;
    // A server ends the transaction of a connection that closes; only the file is told.
    if (m_inTransaction && m_db.isOpen() && m_answerLimitMs == 0)
        m_db.exec(QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    m_lost = false;
    m_engine->closing();
    m_watch.reset(); // before the socket it watches goes
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connName);
    m_connName.clear();
    m_path.clear();
}

void Database::callStarts()
{
    if (m_answerLimitMs > 0 && (s_givenUp || (s_asking && s_asking != this)))
        throw noAnswer(); // the user already knows; nobody waits for the server again meanwhile
    if (m_lost) {
        // The server gave up the transaction with the connection: none of its statements may
        // go on in a new one.
        if (m_inTransaction)
            throw noAnswer();
        m_engine->closing();
        m_watch.reset();
        m_db.close();
        try {
            connect();
        } catch (const AppError &e) {
            PassedOver::report(QStringLiteral("Connect again"), e); // its text may say why
            m_lost = true;
            throw noAnswer();
        }
    }
    if (!m_db.isOpen())
        throw AppError(ErrNo::CannotOpen, QStringLiteral("The database is not open."));
    if (m_watch)
        m_watch->start();
}

void Database::callEnds()
{
    if (!m_watch)
        return;
    m_watch->stop();
    if (m_watch->fired())
        m_lost = true; // an answer that came as the socket was shut still leaves it shut
}

Database::AnswerWait::AnswerWait(Database &db) : m_db(db) { db.callStarts(); }
Database::AnswerWait::~AnswerWait() { m_db.callEnds(); }
void Database::AnswerWait::row()
{
    if (m_db.m_watch)
        m_db.m_watch->answered();
}

bool Database::askRetry()
{
    // Only the thread of the windows may show a question.
    const QCoreApplication *app = QCoreApplication::instance();
    if (!s_askOnNoAnswer || s_asking || (app && QThread::currentThread() != app->thread()))
        return false;
    s_asking = this;
    struct Asked {
        ~Asked() { s_asking = nullptr; }
    } asked;
    while (s_askOnNoAnswer()) {
        if (m_inTransaction)
            return true; // the caller gives the transaction up; the next call connects again
        try {
            callStarts(); // connects again
            callEnds();
            return true;
        } catch (const AppError &) {
            // Still no answer: ask again.
        }
    }
    s_givenUp = true;
    return false;
}

template <class F>
auto Database::answered(bool reads, F &&f)
{
    for (;;) {
        const bool wasLost = m_lost;
        try {
            return f();
        } catch (const AppError &e) {
            // Asked once when the server falls silent, not again for each statement of the
            // transaction it took with it.
            if (e.number() != ErrNo::NoAnswer || !m_lost || (wasLost && m_inTransaction) || !askRetry())
                throw;
            if (!reads || m_inTransaction)
                throw;
        }
    }
}

void Database::prepareAndRun(QSqlQuery &q, const QString &sql, const QVariantList &binds)
{
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
    return answered(false, [&] {
        AnswerWait wait(*this);
        QSqlQuery q(m_db);
        prepareAndRun(q, sql, binds);
        const int n = q.numRowsAffected();
        q.finish();
        return n;
    });
}

void Database::scan(const QString &sql, const QVariantList &binds, const std::function<void(const RowView &)> &row)
{
    QVariantList stored;
    stored.reserve(binds.size());
    for (const QVariant &b : binds)
        stored << toStored(b);
    // Not run again on a retry: row() has seen part of it.
    answered(false, [&] { m_engine->scan(*this, sql, stored, row); });
}

ResultRows Database::select(const QString &sql, const QVariantList &binds)
{
    return answered(true, [&] {
        AnswerWait wait(*this);
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        prepareAndRun(q, sql, binds);
        ResultRows out;
        const QSqlRecord rec = q.record();
        const int n = rec.count();
        for (int i = 0; i < n; ++i)
            out.columns << rec.fieldName(i);
        while (q.next()) {
            wait.row();
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
    });
}

QVariant Database::scalar(const QString &sql, const QVariantList &binds)
{
    return answered(true, [&] {
        AnswerWait wait(*this);
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        prepareAndRun(q, sql, binds);
        QVariant v;
        if (q.next())
            v = q.value(0);
        else if (q.lastError().isValid())
            throw failure(q.lastError());
        q.finish();
        return v;
    });
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
    if (m_lost || !m_db.isOpen())
        return; // the server ended the transaction with the connection
    try {
        AnswerWait wait(*this);
        QSqlQuery q(m_db);
        q.exec(QStringLiteral("ROLLBACK"));
    } catch (const AppError &e) {
        PassedOver::report(QStringLiteral("Rollback"), e); // the first failure is the one reported
    }
}

void Database::compact(const std::function<void(int done, int total)> &progress) { m_engine->compact(*this, progress); }

void Database::snapshotTo(const QString &file, const std::function<void(int, int)> &progress)
{
    m_engine->snapshotTo(*this, file, progress);
}

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
