#pragma once
#include "store/Engine.h"

#include <QHash>

struct sqlite3_stmt;

// A database file of its own: db.mdb, dbn.mdb and every backup copy.
class SqliteEngine : public Engine {
public:
    QString driver() const override;
    int configure(QSqlDatabase &db, const QString &target) const override;
    QString driverMissing() const override;
    QStringList sessionSetup() const override;
    void beginWrite(Database &db, const QDate &page) const override;
    AppError error(const QSqlError &e, const QString &target, const QString &context) const override;
    QString rowId() const override;
    QString lastInsertIdQuery() const override;
    QString columnsQuery() const override;
    QString indexTableQuery() const override;
    QString indexColumnsQuery() const override;
    int schemaVersion(Database &db) const override;
    void setSchemaVersion(Database &db, int version) const override;
    void createShared(Database &db, const QString &sqliteScript) const override;
    void compact(Database &db, const Progress &progress) const override;
    void snapshotTo(Database &db, const QString &file, const Progress &progress) const override;
    qint64 dataVersion(Database &db) const override;
    QString likeNoCase() const override;
    void opened(QSqlDatabase &db) const override;

    void scan(Database &db, const QString &sql, const QVariantList &binds,
              const std::function<void(const RowView &)> &row) const override;
    int change(Database &db, const QString &sql, const QVariantList &binds) const override;
    void closing() const override;
    bool keepsPrepared(bool) const override { return true; }
    bool statementTakesWriteLock() const override { return true; }
    bool stillInTransaction(const QSqlDatabase &db) const override;

    // The mapping of error(), for callers that run statements on the driver themselves.
    static AppError errorFrom(const QSqlError &e, const QString &context = QString());

    QString tablesQuery() const override;
    void beginExclusive(Database &db) const override;
    qint64 idHighWater(Database &db, const QString &table) const override;
    void keepIdsAbove(Database &db, const QString &table, qint64 id) const override;

private:
    // The statement of sql, prepared once, with binds bound as the file holds them.
    sqlite3_stmt *bound(Database &db, const QString &sql, const QVariantList &binds) const;
    [[noreturn]] void fail(Database &db, int rc) const;
    // Scans prepared once per connection: a scan is run again and again on the same few texts.
    mutable QHash<QString, sqlite3_stmt *> m_kept;
    // When the current statement first met the lock, for the busy handler.
    mutable qint64 m_busySinceMs = 0;
};
