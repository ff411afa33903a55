#pragma once
#include "store/AppError.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class Database;
class RowView;
class QSqlDatabase;
class QSqlError;

// What one database engine does its own way; everything else the store writes once for both.
// An engine holds no state of its own: a Database owns one and hands itself in.
class Engine {
public:
    virtual ~Engine() = default;

    // The Qt SQL driver, set up to reach target (a database file, or a connection file naming a
    // server's database). Throws AppError 3024 when target cannot be read. Returns how long any
    // call may wait for an answer before the connection counts as lost, 0 for no limit.
    virtual QString driver() const = 0;
    virtual int configure(QSqlDatabase &db, const QString &target) const = 0;
    // What to install when the driver cannot be loaded.
    virtual QString driverMissing() const = 0;
    // Statements run once on every new connection.
    virtual QStringList sessionSetup() const = 0;

    // Opens a write transaction that holds the database's write lock, or fails with 3186 after
    // Database::LockWaitMs while another connection holds it. With a valid page date, only that
    // page's lock where the engine has such locks (a server): writers of other pages pass, while
    // a whole-database writer still waits for it and it for them.
    virtual void beginWrite(Database &db, const QDate &page) const = 0;
    // Inside a write transaction: takes the lock of page as well (of the whole database when page
    // is not valid); nothing where beginWrite locked the whole database already.
    virtual void lockAlso(Database &, const QDate &) const {}
    // Maps a failure to the program's numbers (3186 lock, 3022 duplicate, ...).
    virtual AppError error(const QSqlError &e, const QString &target, const QString &context) const = 0;

    // The column that identifies a record for as long as it lives.
    virtual QString rowId() const = 0;
    virtual QString lastInsertIdQuery() const = 0;
    // One bound value, the table: its columns in stored order, each with its declared type.
    virtual QString columnsQuery() const = 0;
    // One bound value, the index name (any case): the index's table, and its columns in key order.
    virtual QString indexTableQuery() const = 0;
    virtual QString indexColumnsQuery() const = 0;

    // The shape of the shared schema the database holds, 0 when older than the first numbered one.
    virtual int schemaVersion(Database &db) const = 0;
    virtual void setSchemaVersion(Database &db, int version) const = 0;
    virtual void createShared(Database &db, const QString &sqliteScript) const = 0;

    // Shrinks the database; fails with 3186 while another connection is in a transaction, and
    // with 3027 when the connection's role may not (on a server, only a table's owner may).
    // progress, when given, hears the tables (on a file: the file) done of all as it goes.
    using Progress = std::function<void(int done, int total)>;
    virtual void compact(Database &db, const Progress &progress) const = 0;
    // A consistent copy of the whole shared database into a new SQLite file; progress as above.
    virtual void snapshotTo(Database &db, const QString &file, const Progress &progress) const = 0;

    // A number that changes whenever a station commits a change to pages, bookings, claims or
    // settings (on SQLite: any commit of another connection), for live refresh.
    virtual qint64 dataVersion(Database &db) const = 0;
    // Shared schema step 4, where the engine counts changes itself: writers of different pages
    // count them without waiting for each other.
    virtual void spreadChangeCounter(Database &) const {}
    // Shared schema step 5: each transaction counts once per row of the count.
    virtual void defineChangeCounting(Database &) const {}
    // Text of the column compared byte by byte, so a range of keys is every key starting with a
    // text (a server's default collation may order otherwise; SQLite does so already).
    virtual void orderBytewise(Database &, const QString &, const QString &) const {}
    // The operator that matches a pattern ignoring the case of ASCII letters.
    virtual QString likeNoCase() const = 0;
    // The socket of an open connection to a server, whose waits are bounded; -1 for none.
    virtual int socket(const QSqlDatabase &) const { return -1; }
    // The connection to the server has gone, whatever the last failure said.
    virtual bool connectionLost(const QSqlDatabase &) const { return false; }
    // Set-up of a connection just opened, before its sessionSetup statements.
    virtual void opened(QSqlDatabase &) const {}

    // Runs a query and hands over each row as the engine holds it, without copying its values.
    virtual void scan(Database &db, const QString &sql, const QVariantList &binds,
                      const std::function<void(const RowView &)> &row) const = 0;
    // Runs one data change with its values bound as the engine holds them, and returns the rows
    // it changed; -1 where the engine has no such path and the driver runs it.
    virtual int change(Database &, const QString &, const QVariantList &) const { return -1; }
    // The connection is about to close: statements the engine keeps prepared are let go.
    virtual void closing() const {}
    // Whether a statement (with bound values or without) may be prepared once and kept for the
    // connection's life; changes of the schema are never kept.
    virtual bool keepsPrepared(bool bound) const = 0;
    // A data change outside a transaction takes the database's write lock by itself, so one
    // statement needs no write transaction around it (SQLite's file lock); on a server every
    // writer takes the lock beginWrite takes.
    virtual bool statementTakesWriteLock() const { return false; }
    // After a commit failed: the transaction is still open, so the commit may be tried again.
    virtual bool stillInTransaction(const QSqlDatabase &) const { return false; }

    // The tables the database holds, by name: one statement without bound values.
    virtual QString tablesQuery() const = 0;
    // A write transaction that also keeps other connections from reading where the engine locks
    // readers (SQLite's whole file); elsewhere the same as beginWrite.
    virtual void beginExclusive(Database &db) const = 0;
    // The highest id table has handed out, never below its greatest id; 0 when it has none.
    virtual qint64 idHighWater(Database &db, const QString &table) const = 0;
    // Ids handed out from now on lie above id (explicit ids loaded into a table stay unique).
    virtual void keepIdsAbove(Database &db, const QString &table, qint64 id) const = 0;
};
