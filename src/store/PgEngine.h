#pragma once
#include "store/Engine.h"

// The shared database on a PostgreSQL server, reached through a connection file (db.pgconn)
// holding one postgresql:// address. Passwords never stand in it: libpq reads them from
// PGPASSFILE or ~/.pgpass. Tables and fields keep their mixed-case names, so every statement
// quotes them.
class PgEngine : public Engine {
public:
    QString driver() const override;
    // The address is read strictly: only the settings a site needs, each passed on quoted;
    // anything else is refused with a message naming it.
    int configure(QSqlDatabase &db, const QString &target) const override;
    QString driverMissing() const override;
    QStringList sessionSetup() const override;
    int socket(const QSqlDatabase &db) const override;
    bool connectionLost(const QSqlDatabase &db) const override;
    void beginWrite(Database &db, const QDate &page) const override;
    void lockAlso(Database &db, const QDate &page) const override;
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
    void spreadChangeCounter(Database &db) const override;
    void defineChangeCounting(Database &db) const override;
    void orderBytewise(Database &db, const QString &table, const QString &column) const override;
    QString likeNoCase() const override;
    // The driver prepares only queries and data changes, which come with bound values.
    bool keepsPrepared(bool bound) const override { return bound; }

    void scan(Database &db, const QString &sql, const QVariantList &binds,
              const std::function<void(const RowView &)> &row) const override;

    // The tables of sqliteScript for PostgreSQL: the same names, quoted, the same column order,
    // types and defaults; ids that are never handed out again.
    // value in single quotes, its backslashes and quotes escaped, as libpq reads settings.
    static QString conninfoQuoted(QString value);
    // How long a call waits for the server when the address gives no connect_timeout.
    static constexpr int DefaultAnswerSeconds = 15;

    static QString schemaFrom(const QString &sqliteScript);

    QString tablesQuery() const override;
    void beginExclusive(Database &db) const override;
    qint64 idHighWater(Database &db, const QString &table) const override;
    void keepIdsAbove(Database &db, const QString &table, qint64 id) const override;
};
