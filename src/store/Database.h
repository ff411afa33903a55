#pragma once
#include "store/AppError.h"

#include <QDate>
#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class AnswerWatch;
class Engine;
class QSqlError;
class QSqlQuery;

// Rows of a finished query; statements never stay open, so compaction and other stations'
// writers are not held up by a forgotten cursor.
struct ResultRows {
    QStringList columns;
    QVector<QVariantList> rows;
    int columnIndex(const QString &name) const; // case-insensitive, -1 when missing
    QVariant value(int row, const QString &name) const;
    bool isEmpty() const { return rows.isEmpty(); }
};

// One row of Database::scan, valid only while the callback runs.
class RowView {
public:
    virtual ~RowView() = default;
    // The value as UTF-8 text; empty for null.
    virtual QByteArrayView text(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
};

// One connection to one database: a SQLite file, or a PostgreSQL database named by a connection
// file (*.pgconn). Each station (and each window that owns data sources) has its own, so locking
// between them is real. Where the engines differ, the engine answers; the SQL here is written once.
class Database {
public:
    Database();
    explicit Database(const QString &path);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the file, which must exist. An empty path releases the file.
    void open(const QString &path);
    // Creates the file when missing (used when building databases and in tests); a connection
    // file's database must exist on its server.
    void create(const QString &path);
    void close();
    bool isOpen() const { return m_db.isOpen(); }
    const QString &path() const { return m_path; }
    QSqlDatabase &connection() { return m_db; }
    // The engine of the open database; SQLite while none is open.
    const Engine &engine() const { return *m_engine; }
    static bool isConnectionFile(const QString &path);
    // The shared database a server folder holds: its connection file (db.pgconn) when there is
    // one, else its db.mdb.
    static QString sharedIn(const QString &folder);

    // Statement with bound values; returns the number of rows changed.
    int execute(const QString &sql, const QVariantList &binds = {});
    // One data change that needs the write lock only while it runs (guarded by a row version):
    // in the caller's transaction when there is one, else holding the lock for that one statement.
    // page: the page the statement writes, as for begin.
    // Values go to the engine as it holds them where it takes them so (SQLite: text as UTF-8).
    int executeLocked(const QString &sql, const QVariantList &binds, const QDate &page = QDate());
    ResultRows select(const QString &sql, const QVariantList &binds = {});
    QVariant scalar(const QString &sql, const QVariantList &binds = {});
    // Hands each row to row() without copying its values, for reads of many rows that look at a few
    // bytes of each. row() must not run statements on this connection. restartable: row() starts
    // afresh when it sees the first row again, so a read that met a lock or a lost answer is run
    // again as select runs it.
    void scan(const QString &sql, const QVariantList &binds, const std::function<void(const RowView &)> &row,
              bool restartable = false);
    // Runs every statement of a script (schema files).
    void executeScript(const QString &script);
    // The id of the record this connection added last.
    qint64 lastInsertId();

    // A short write transaction that takes the file's write lock at once (BEGIN IMMEDIATE):
    // another station holding it makes this fail with 3186 after a bounded moment. Given a page
    // date, it writes only that page and its bookings: on a server it then locks only that page,
    // so stations writing other pages pass, while a writer of the whole database waits for it.
    void begin(const QDate &page = QDate());
    // Inside a write transaction: the lock of page too, or of the whole database for a null date.
    void holdAlso(const QDate &page);
    void commit();
    void rollback();
    // Ends whatever transaction the connection is in, passing over failure: for clean-up paths
    // where the first failure is the one to report.
    void abandon();
    bool inTransaction() const { return m_inTransaction; }
    // Reads that see one state of the file and take its read lock once instead of once each;
    // nothing is written until endRead. False where nothing was begun: a server, a transaction
    // already open.
    bool beginRead();
    void endRead();

    // Rewrites the file in place to its smallest size; fails while another connection reads.
    // progress hears the tables done of all.
    void compact(const std::function<void(int done, int total)> &progress = {});
    // A consistent copy of the whole database into a new file; progress hears the tables done of all.
    void snapshotTo(const QString &file, const std::function<void(int done, int total)> &progress = {});

    // Table columns in stored order, bookkeeping columns left out.
    QStringList fieldNames(const QString &table);
    // Columns of a named index, in key order; empty when there is no such index.
    QStringList indexColumns(const QString &index, QString *table = nullptr);

    // A failure of the driver on this connection in the program's numbers; 3151 (no answer) when
    // the server's answer did not come within the limit or the connection is gone.
    AppError failure(const QSqlError &e, const QString &context = QString());

    // For code that runs the driver's queries on connection() itself: while it lives, the wait for
    // the server is bounded; row() says part of the answer came. Throws 3151 at once when the
    // connection was lost inside the current transaction, and opens a lost one again otherwise.
    class AnswerWait {
    public:
        explicit AnswerWait(Database &db);
        ~AnswerWait();
        AnswerWait(const AnswerWait &) = delete;
        AnswerWait &operator=(const AnswerWait &) = delete;
        void row();

    private:
        Database &m_db;
    };

    // How a program with windows asks what to do when the server does not answer: true to try
    // again (the connection is opened again and a read outside a transaction runs again), false
    // to give up; from then on every call to a server fails at once. One for the process, like
    // the diagnostic log: whichever station meets the silent server asks its user.
    static void setNoAnswerHandler(std::function<bool()> ask);
    static AppError noAnswer();

    // Maps a SQLite failure to the program's numbers (3186 lock, 3022 duplicate, ...), for callers
    // that run statements on the driver themselves.
    static AppError errorFrom(const QSqlError &e, const QString &context = QString());
    static AppError duplicateKey();
    // Values as stored: dates as "YYYY-MM-DD", yes/no as 0/1.
    static QVariant toStored(const QVariant &v);

    // Other stations' write locks are waited for, a try of LockWaitMs at a time, until the
    // patience is spent; only then does a call fail with 3186. A statement outside a transaction,
    // the start of a write transaction and its commit wait by themselves; a transaction that met
    // the lock halfway is run again whole by retryOnLock.
    static constexpr int LockWaitMs = 200;
    static constexpr int DefaultLockPatienceMs = 30000;
    static void setLockPatience(int ms);
    static int lockPatience();
    // What a wait for the lock tells the user: it began, it has lasted LockNoticeMs, it ended.
    // One for the process, called on the thread that waits.
    enum class LockWait { Begins, LastsLong, Ends };
    static constexpr int LockNoticeMs = 2000;
    static void setLockWaitNotice(std::function<void(LockWait)> notice);
    static void noticeLockWait(LockWait what);

    static const QString RowVersionColumn; // "rowver"

    // The statement of sql, prepared once on this connection and kept (a bounded number of them).
    // The caller runs it and finishes it before the next call that may use it.
    QSqlQuery &kept(const QString &sql);

private:
    // execute with the values handed to the engine itself where it can take them.
    int executeBound(const QString &sql, const QVariantList &binds);
    // Runs q for sql: kept prepared where the engine allows, else run as it is.
    QSqlQuery &run(std::unique_ptr<QSqlQuery> &once, const QString &sql, const QVariantList &binds);
    void forgetStatements();
    template <class F>
    auto waitingForLock(F &&f);
    void connect();
    void callStarts();
    void callEnds();
    // Runs a call; when the server gave no answer, asks through the handler and, on a retry, runs
    // it again if it only reads outside a transaction.
    template <class F>
    auto answered(bool reads, F &&f);
    bool askRetry();
    // One statement of sql run whole: waited for while locked, answered, finished; use(q, wait)
    // reads what it needs of the result.
    template <class Use>
    auto statement(bool reads, const QString &sql, const QVariantList &binds, Use &&use);

    std::unique_ptr<Engine> m_engine;
    std::unique_ptr<AnswerWatch> m_watch;
    int m_answerLimitMs = 0;
    // The server did not answer: the connection is opened again before the next call, unless
    // that call belongs to the transaction that was under way (which the server has given up).
    bool m_lost = false;
    bool m_transactionLost = false;
    QSqlDatabase m_db;
    QString m_path;
    QString m_connName;
    bool m_inTransaction = false;
    bool m_reading = false; // between beginRead and endRead
    // What the transaction under way has locked: the whole database, or these pages.
    bool m_holdsWhole = false;
    QVector<QDate> m_heldPages;
    bool m_waitingForLock = false;
    struct Kept {
        std::shared_ptr<QSqlQuery> query;
        quint64 used = 0;
    };
    QHash<QString, Kept> m_kept;
    quint64 m_uses = 0;
    QHash<QString, QStringList> m_fields;
};

// One wait for other stations' write locks on this thread. Waits inside it share its clock, so
// nesting never stretches the patience, and the user hears of it once.
class LockWaiter {
public:
    LockWaiter();
    ~LockWaiter();
    LockWaiter(const LockWaiter &) = delete;
    LockWaiter &operator=(const LockWaiter &) = delete;
    // After a try met the lock: false once the patience is spent, else a short pause of random
    // length (so stations that keep meeting each other do not keep colliding) and true.
    bool again();

private:
    bool m_outer;
};

// Runs f again while it fails on another station's lock, until the lock patience is spent.
template <class F>
auto retryOnLock(F &&f)
{
    LockWaiter waiter;
    for (;;) {
        try {
            return f();
        } catch (const AppError &e) {
            if (e.number() != ErrNo::RecordLocked || !waiter.again())
                throw;
        }
    }
}

// Database::beginRead for a scope.
class ReadTogether {
public:
    explicit ReadTogether(Database &db) : m_db(db), m_own(db.beginRead()) {}
    ~ReadTogether()
    {
        if (m_own)
            m_db.endRead();
    }
    ReadTogether(const ReadTogether &) = delete;
    ReadTogether &operator=(const ReadTogether &) = delete;

private:
    Database &m_db;
    bool m_own;
};

// Begin on construction, roll back on destruction unless committed. Inside a transaction the
// caller already holds, it joins that one: the outer owner commits or rolls back the whole.
class WriteTransaction {
public:
    explicit WriteTransaction(Database &db, const QDate &page = QDate()) : m_db(db), m_own(!db.inTransaction())
    {
        if (m_own)
            m_db.begin(page);
        else
            m_db.holdAlso(page);
    }
    ~WriteTransaction()
    {
        if (m_own && !m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;
    void commit()
    {
        if (m_own)
            m_db.commit();
        m_done = true;
    }

private:
    Database &m_db;
    bool m_own;
    bool m_done = false;
};
