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
#include <QRandomGenerator>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

const QString Database::RowVersionColumn = QStringLiteral("rowver");

namespace {
QAtomicInt s_connectionSerial;
std::function<bool()> s_askOnNoAnswer;
std::atomic<const Database *> s_asking{nullptr};
std::atomic<bool> s_givenUp{false};
std::atomic<int> s_lockPatienceMs{Database::DefaultLockPatienceMs};
std::function<void(Database::LockWait)> s_lockWaitNotice;

// This thread's wait for the lock: the outermost LockWaiter's clock and what the user was told.
struct ThreadLockWait {
    int depth = 0;
    QElapsedTimer since;
    bool begun = false;
    bool long_ = false;
};
thread_local ThreadLockWait t_lockWait;

// Bounded, so a program that builds many statement texts does not keep them all.
constexpr int KeptStatements = 64;

// A change of the schema: kept statements and column lists may no longer fit it.
bool changesSchema(const QString &sql)
{
    const QString t = sql.trimmed();
    for (const char *word : {"CREATE", "DROP", "ALTER", "VACUUM", "ATTACH", "DETACH"})
        if (t.startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

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

namespace {
// QDate::toString(Qt::ISODate) without the locale machinery: every page statement binds a date.
QString isoDate(const QDate &d)
{
    int y = 0, m = 0, day = 0;
    d.getDate(&y, &m, &day);
    if (!d.isValid() || y < 0 || y > 9999)
        return d.toString(Qt::ISODate);
    QString out(10, Qt::Uninitialized);
    char16_t *p = reinterpret_cast<char16_t *>(out.data());
    const int parts[] = {y / 1000, y / 100 % 10, y / 10 % 10, y % 10, -1, m / 10, m % 10, -1, day / 10, day % 10};
    for (int i = 0; i < 10; ++i)
        p[i] = parts[i] < 0 ? u'-' : char16_t(u'0' + parts[i]);
    return out;
}
} // namespace

QVariant Database::toStored(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QDate: return isoDate(v.toDate());
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

void Database::setLockPatience(int ms) { s_lockPatienceMs = ms; }
int Database::lockPatience() { return s_lockPatienceMs; }
void Database::setLockWaitNotice(std::function<void(LockWait)> notice) { s_lockWaitNotice = std::move(notice); }

void Database::noticeLockWait(LockWait what)
{
    if (s_lockWaitNotice)
        s_lockWaitNotice(what);
}

LockWaiter::LockWaiter() : m_outer(t_lockWait.depth++ == 0)
{
    if (m_outer)
        t_lockWait.since.start();
}

LockWaiter::~LockWaiter()
{
    --t_lockWait.depth;
    if (!m_outer)
        return;
    const bool begun = t_lockWait.begun;
    t_lockWait = ThreadLockWait();
    if (begun) {
        try {
            Database::noticeLockWait(Database::LockWait::Ends);
        } catch (...) {
        }
    }
}

bool LockWaiter::again()
{
    ThreadLockWait &w = t_lockWait;
    const qint64 waited = w.since.elapsed();
    if (waited >= Database::lockPatience())
        return false;
    if (!w.begun) {
        w.begun = true;
        Database::noticeLockWait(Database::LockWait::Begins);
    }
    if (!w.long_ && waited >= Database::LockNoticeMs) {
        w.long_ = true;
        Database::noticeLockWait(Database::LockWait::LastsLong);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(1000, 10001)));
    return true;
}

AppError Database::failure(const QSqlError &e, const QString &context)
{
    // The columns known may be what failed: another station can change the tables.
    m_fields.clear();
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

bool Database::beginRead()
{
    if (m_inTransaction || m_reading || !isOpen() || !m_engine->statementTakesWriteLock())
        return false;
    m_reading = m_engine->change(*this, QStringLiteral("BEGIN"), {}) >= 0;
    return m_reading;
}

void Database::endRead()
{
    m_reading = false;
    try {
        m_engine->change(*this, QStringLiteral("COMMIT"), {});
    } catch (const AppError &) {
        // Nothing was written: letting the reads go is all that is left.
        try {
            m_engine->change(*this, QStringLiteral("ROLLBACK"), {});
        } catch (const AppError &) {
        }
    }
}

void Database::close()
{
    if (m_connName.isEmpty())
        return;
    // A server ends the transaction of a connection that closes; only the file is told.
    if (m_inTransaction && m_db.isOpen() && m_answerLimitMs == 0)
        m_db.exec(QStringLiteral("ROLLBACK"));
    m_inTransaction = false;
    m_reading = false;
    m_lost = false;
    forgetStatements();
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
        forgetStatements(); // they belonged to the session that went
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

QSqlQuery &Database::kept(const QString &sql)
{
    auto it = m_kept.find(sql);
    if (it == m_kept.end()) {
        if (m_kept.size() >= KeptStatements) {
            auto oldest = m_kept.begin();
            for (auto k = m_kept.begin(); k != m_kept.end(); ++k)
                if (k->used < oldest->used)
                    oldest = k;
            m_kept.erase(oldest);
        }
        auto q = std::make_shared<QSqlQuery>(m_db);
        q->setForwardOnly(true);
        if (!q->prepare(sql))
            throw failure(q->lastError());
        it = m_kept.insert(sql, Kept{std::move(q), 0});
    }
    it->used = ++m_uses;
    return *it->query;
}

void Database::forgetStatements()
{
    m_kept.clear();
    m_fields.clear();
}

QSqlQuery &Database::run(std::unique_ptr<QSqlQuery> &once, const QString &sql, const QVariantList &binds)
{
    const bool schema = changesSchema(sql);
    if (schema)
        forgetStatements();
    if (schema || !m_engine->keepsPrepared(!binds.isEmpty())) {
        // Run as it is: PostgreSQL prepares only queries and data changes.
        once = std::make_unique<QSqlQuery>(m_db);
        once->setForwardOnly(true);
        if (binds.isEmpty()) {
            if (!once->exec(sql))
                throw failure(once->lastError());
            return *once;
        }
        if (!once->prepare(sql))
            throw failure(once->lastError());
        for (const QVariant &b : binds)
            once->addBindValue(toStored(b));
        if (!once->exec())
            throw failure(once->lastError());
        return *once;
    }
    QSqlQuery &q = kept(sql);
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, toStored(binds.at(i)));
    if (!q.exec()) {
        const QSqlError e = q.lastError();
        q.finish();
        throw failure(e);
    }
    return q;
}

namespace {
// A kept statement is reset however the call ends, so no read lock outlives it.
struct Finished {
    QSqlQuery *q = nullptr;
    ~Finished()
    {
        if (q)
            q->finish();
    }
};
} // namespace

template <class F>
auto Database::waitingForLock(F &&f)
{
    // Inside a transaction the caller runs the whole of it again; inside a wait, the wait does.
    if (m_inTransaction || m_waitingForLock)
        return f();
    m_waitingForLock = true;
    struct Reset {
        bool &flag;
        ~Reset() { flag = false; }
    } reset{m_waitingForLock};
    return retryOnLock(f);
}

template <class Use>
auto Database::statement(bool reads, const QString &sql, const QVariantList &binds, Use &&use)
{
    return waitingForLock([&] {
        return answered(reads, [&] {
            AnswerWait wait(*this);
            std::unique_ptr<QSqlQuery> once;
            Finished done;
            QSqlQuery &q = run(once, sql, binds);
            done.q = &q;
            return use(q, wait);
        });
    });
}

int Database::execute(const QString &sql, const QVariantList &binds)
{
    return statement(false, sql, binds, [](QSqlQuery &q, AnswerWait &) { return q.numRowsAffected(); });
}

int Database::executeLocked(const QString &sql, const QVariantList &binds, const QDate &page)
{
    if (m_inTransaction) {
        holdAlso(page);
        return executeBound(sql, binds);
    }
    if (m_engine->statementTakesWriteLock())
        return executeBound(sql, binds);
    WriteTransaction tx(*this, page);
    const int n = executeBound(sql, binds);
    tx.commit();
    return n;
}

int Database::executeBound(const QString &sql, const QVariantList &binds)
{
    QVariantList stored;
    stored.reserve(binds.size());
    for (const QVariant &b : binds)
        stored << toStored(b);
    const int n = waitingForLock([&] { return answered(false, [&] { return m_engine->change(*this, sql, stored); }); });
    return n >= 0 ? n : execute(sql, binds);
}

void Database::scan(const QString &sql, const QVariantList &binds, const std::function<void(const RowView &)> &row,
                    bool restartable)
{
    QVariantList stored;
    stored.reserve(binds.size());
    for (const QVariant &b : binds)
        stored << toStored(b);
    if (restartable) {
        waitingForLock([&] { answered(true, [&] { m_engine->scan(*this, sql, stored, row); }); });
        return;
    }
    // Not run again on a retry: row() has seen part of it.
    answered(false, [&] { m_engine->scan(*this, sql, stored, row); });
}

ResultRows Database::select(const QString &sql, const QVariantList &binds)
{
    return statement(true, sql, binds, [this](QSqlQuery &q, AnswerWait &wait) {
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
        return out;
    });
}

QVariant Database::scalar(const QString &sql, const QVariantList &binds)
{
    return statement(true, sql, binds, [this](QSqlQuery &q, AnswerWait &) {
        QVariant v;
        if (q.next())
            v = q.value(0);
        else if (q.lastError().isValid())
            throw failure(q.lastError());
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

void Database::begin(const QDate &page)
{
    waitingForLock([&] { m_engine->beginWrite(*this, page); });
    m_inTransaction = true;
    m_holdsWhole = !page.isValid();
    m_heldPages.clear();
    if (page.isValid())
        m_heldPages << page;
}

void Database::holdAlso(const QDate &page)
{
    if (!m_inTransaction || m_holdsWhole || (page.isValid() && m_heldPages.contains(page)))
        return;
    m_engine->lockAlso(*this, page);
    if (page.isValid())
        m_heldPages << page;
    else
        m_holdsWhole = true;
}

void Database::commit()
{
    LockWaiter waiter;
    for (;;) {
        try {
            execute(QStringLiteral("COMMIT"));
            break;
        } catch (const AppError &e) {
            // On the file a commit waits for readers to finish, and stays open meanwhile.
            if (e.number() == ErrNo::RecordLocked && m_engine->stillInTransaction(m_db) && waiter.again())
                continue;
            // Otherwise give it up so the file is not held.
            rollback();
            throw;
        }
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
    const auto known = m_fields.constFind(table);
    if (known != m_fields.cend())
        return *known;
    QStringList out;
    const ResultRows r = select(m_engine->columnsQuery(), {table});
    for (const auto &row : r.rows) {
        const QString n = row.at(0).toString();
        if (!isBookkeeping(n))
            out << n;
    }
    // Only a table that exists: another station may make it yet.
    if (!out.isEmpty())
        m_fields.insert(table, out);
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
