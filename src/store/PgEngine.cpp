#include "store/PgEngine.h"

#include "store/Database.h"
#include "store/Schema.h"
#include "store/TableCopy.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

#include <dlfcn.h>
#include <memory>

namespace {
// What a site's address may set: where the server is, who logs in, how the line is secured and
// how long to wait. Anything else (a password, server options) has no place in the server folder.
const QStringList AddressKeys{QStringLiteral("host"),
                              QStringLiteral("port"),
                              QStringLiteral("dbname"),
                              QStringLiteral("user"),
                              QStringLiteral("sslmode"),
                              QStringLiteral("sslrootcert"),
                              QStringLiteral("sslcert"),
                              QStringLiteral("sslkey"),
                              QStringLiteral("sslcrl"),
                              QStringLiteral("passfile"),
                              QStringLiteral("connect_timeout"),
                              QStringLiteral("application_name")};

// Held by every write transaction: the database-wide write lock that SQLite has of its own, so a
// read-check-write can never be passed by another station's on this engine either. A writer of
// one page holds it shared and that page's lock alone, so writers of other pages pass it; a
// writer of the whole database holds it alone.
constexpr qint64 WriteLockKey = 0x546f7276616e65; // "Torvane"
// The page locks: advisory locks of two numbers (a key space apart from WriteLockKey's), this
// one and the page's day number.
constexpr int PageLockSpace = 0x546f7276; // "Torv"

// The lock of one page, its day number bound; it also tells the change counter which page the
// transaction writes, so writers of different pages count on different rows.
const QString PageLock = QStringLiteral("SELECT pg_advisory_xact_lock_shared(%1), pg_advisory_xact_lock(%2, ?::int), "
                                        "set_config('torvane.page', ?::text, true)")
                             .arg(WriteLockKey)
                             .arg(PageLockSpace);
const QString WholeLock = QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(WriteLockKey);

void lockPage(Database &db, const QDate &page)
{
    const qint64 day = page.toJulianDay();
    db.execute(PageLock, {day, QString::number(day)});
}

QString quoted(const QString &name) { return QLatin1Char('"') + name + QLatin1Char('"'); }

AppError badConnectionFile(const QString &file, const QString &why)
{
    return AppError(ErrNo::CannotOpen,
                    QStringLiteral("The connection file %1 %2.").arg(QDir::toNativeSeparators(file), why));
}

// The few libpq calls Qt SQL does not offer, from the libpq its driver has loaded: only a site on
// a server needs libpq, and the driver and these calls then share one library.
struct LibPq {
    int (*socket)(const void *conn) = nullptr;
    int (*status)(const void *conn) = nullptr;
};

const LibPq &libPq()
{
    static const LibPq lib = [] {
        LibPq l;
        if (void *h = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD)) {
            l.socket = reinterpret_cast<int (*)(const void *)>(dlsym(h, "PQsocket"));
            l.status = reinterpret_cast<int (*)(const void *)>(dlsym(h, "PQstatus"));
        }
        return l;
    }();
    return lib;
}

const void *connectionOf(const QSqlDatabase &db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant v = db.driver()->handle();
    if (!v.isValid() || (qstrcmp(v.typeName(), "pg_conn*") != 0 && qstrcmp(v.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<void *const *>(v.constData());
}

QString pgType(const QString &sqliteType)
{
    const QString t = sqliteType.toUpper();
    if (t.contains(QLatin1String("INT")))
        return QStringLiteral("BIGINT"); // times in milliseconds need 64 bits, as in SQLite
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")))
        return QStringLiteral("DOUBLE PRECISION");
    return QStringLiteral("TEXT");
}
} // namespace

QString PgEngine::driver() const { return QStringLiteral("QPSQL"); }

int PgEngine::configure(QSqlDatabase &db, const QString &target) const
{
    QFile f(target);
    if (!f.open(QIODevice::ReadOnly))
        throw badConnectionFile(target, QStringLiteral("cannot be read"));
    QString address;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char('#'))) {
            address = t;
            break;
        }
    }
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != QLatin1String("postgresql") && url.scheme() != QLatin1String("postgres")))
        throw badConnectionFile(target, QStringLiteral("does not hold a postgresql://host/database address"));
    const QUrlQuery query(url);
    if (!url.password().isEmpty() || query.hasQueryItem(QStringLiteral("password")))
        throw badConnectionFile(target, QStringLiteral("holds a password; keep passwords in PGPASSFILE or ~/.pgpass, "
                                                       "never in clear in the server folder"));
    if (url.hasFragment())
        throw badConnectionFile(target, QStringLiteral("holds a #fragment, which no address has"));

    QMap<QString, QString> settings;
    const auto put = [&](const QString &key, const QString &value) {
        if (settings.contains(key))
            throw badConnectionFile(target, QStringLiteral("names the setting \"%1\" twice").arg(key));
        // Values are quoted below; a line break or a ';' (which the driver turns into a blank
        // between settings) could still change what the server is asked.
        if (value.contains(QLatin1Char(';')) || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
            || value.contains(QChar(0)))
            throw badConnectionFile(target, QStringLiteral("gives the setting \"%1\" a value with ';' or a line "
                                                           "break, which cannot be passed on")
                                                .arg(key));
        settings.insert(key, value);
    };
    if (!url.host().isEmpty())
        put(QStringLiteral("host"), url.host(QUrl::FullyDecoded));
    if (url.port(-1) > 0)
        put(QStringLiteral("port"), QString::number(url.port()));
    if (!url.userName().isEmpty())
        put(QStringLiteral("user"), url.userName(QUrl::FullyDecoded));
    const QString path = url.path(QUrl::FullyDecoded);
    if (path.size() > 1) {
        if (path.indexOf(QLatin1Char('/'), 1) >= 0)
            throw badConnectionFile(target, QStringLiteral("names a database with '/' in it"));
        put(QStringLiteral("dbname"), path.mid(1));
    }
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (!AddressKeys.contains(key))
            throw badConnectionFile(target, QStringLiteral("holds the setting \"%1\", which Torvane does not pass to "
                                                           "the server (allowed: %2)")
                                                .arg(key, AddressKeys.join(QLatin1String(", "))));
        put(key, value);
    }
    if (settings.value(QStringLiteral("dbname")).isEmpty())
        throw badConnectionFile(target, QStringLiteral("names no database"));
    const auto number = [&](const QString &key, int low, int high) {
        bool ok = false;
        const int n = settings.value(key).toInt(&ok);
        if (!ok || n < low || n > high || !settings.value(key).front().isDigit())
            throw badConnectionFile(target,
                                    QStringLiteral("gives \"%1\" the value \"%2\"; it must be a number from %3 to %4")
                                        .arg(key, settings.value(key))
                                        .arg(low)
                                        .arg(high));
        return n;
    };
    const QStringList sslModes{QStringLiteral("disable"), QStringLiteral("allow"),     QStringLiteral("prefer"),
                               QStringLiteral("require"), QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    if (settings.contains(QStringLiteral("sslmode")) && !sslModes.contains(settings.value(QStringLiteral("sslmode"))))
        throw badConnectionFile(
            target, QStringLiteral("gives \"sslmode\" the value \"%1\"; it must be one of %2")
                        .arg(settings.value(QStringLiteral("sslmode")), sslModes.join(QLatin1String(", "))));
    if (settings.contains(QStringLiteral("port")))
        number(QStringLiteral("port"), 1, 65535);
    // connect_timeout bounds the wait for every answer of the server, not only the first one.
    if (!settings.contains(QStringLiteral("connect_timeout")))
        settings.insert(QStringLiteral("connect_timeout"), QString::number(DefaultAnswerSeconds));
    const int seconds = number(QStringLiteral("connect_timeout"), 2, 3600);

    // Every value goes to the driver quoted, so a blank or a quote in it can never start a
    // setting of its own; none goes through the driver's own fields, which it pastes as given.
    QStringList options;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it)
        options << it.key() + QLatin1Char('=') + conninfoQuoted(it.value());
    db.setConnectOptions(options.join(QLatin1Char(' ')));
    return seconds * 1000;
}

QString PgEngine::conninfoQuoted(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

int PgEngine::socket(const QSqlDatabase &db) const
{
    const void *conn = connectionOf(db);
    return conn && libPq().socket ? libPq().socket(conn) : -1;
}

bool PgEngine::connectionLost(const QSqlDatabase &db) const
{
    constexpr int ConnectionBad = 1; // CONNECTION_BAD
    const void *conn = connectionOf(db);
    return conn && libPq().status && libPq().status(conn) == ConnectionBad;
}

QString PgEngine::driverMissing() const
{
    return QStringLiteral("The PostgreSQL driver of Qt SQL (QPSQL) cannot be loaded: install the package "
                          "libqt6sql6-psql to reach the database server.");
}

QStringList PgEngine::sessionSetup() const
{
    // A lock held by another station fails the statement after the same moment as on SQLite.
    return {QStringLiteral("SET lock_timeout = %1").arg(Database::LockWaitMs),
            QStringLiteral("SET client_min_messages = warning")};
}

void PgEngine::beginWrite(Database &db, const QDate &page) const
{
    db.execute(QStringLiteral("BEGIN"));
    try {
        if (page.isValid())
            lockPage(db, page);
        else
            db.execute(WholeLock);
    } catch (const AppError &) {
        db.abandon();
        throw;
    }
}

void PgEngine::lockAlso(Database &db, const QDate &page) const
{
    // Taken in the middle of a transaction: two stations doing so crosswise fail one of them on
    // lock_timeout, and its caller runs its transaction again whole.
    if (page.isValid())
        lockPage(db, page);
    else
        db.execute(WholeLock);
}

AppError PgEngine::error(const QSqlError &e, const QString &, const QString &context) const
{
    const QString state = e.nativeErrorCode();
    // lock_not_available (lock_timeout), deadlock_detected, serialization_failure: another
    // station was in the way; trying again later helps.
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01") || state == QLatin1String("40001"))
        return AppError(ErrNo::RecordLocked, QStringLiteral("Could not update; currently locked by another user."));
    if (state == QLatin1String("23505"))
        return Database::duplicateKey();
    const QString text = (e.databaseText().isEmpty() ? e.text() : e.databaseText()).trimmed();
    // insufficient_privilege: the role may not do this (change the tables' shape, say).
    if (state == QLatin1String("42501"))
        return AppError(ErrNo::NotUpdatable, context.isEmpty() ? text : context + QStringLiteral(": ") + text);
    const int n = 3000 + int(e.type()); // connection, statement, transaction
    return AppError(n, context.isEmpty() ? text : context + QStringLiteral(": ") + text);
}

QString PgEngine::rowId() const { return QStringLiteral("rid"); }
QString PgEngine::lastInsertIdQuery() const { return QStringLiteral("SELECT lastval()"); }
QString PgEngine::columnsQuery() const
{
    return QStringLiteral("SELECT attname, format_type(atttypid, atttypmod) FROM pg_attribute "
                          "WHERE attrelid = to_regclass(quote_ident(?::text)) AND attnum > 0 AND NOT attisdropped "
                          "ORDER BY attnum");
}
QString PgEngine::indexTableQuery() const
{
    return QStringLiteral("SELECT t.relname FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid "
                          "JOIN pg_class t ON t.oid = x.indrelid "
                          "WHERE lower(i.relname) = lower(?::text) AND pg_table_is_visible(i.oid)");
}
QString PgEngine::indexColumnsQuery() const
{
    return QStringLiteral("SELECT a.attname FROM pg_index x JOIN pg_class i ON i.oid = x.indexrelid "
                          "CROSS JOIN LATERAL unnest(x.indkey::int2[]) WITH ORDINALITY AS k(attnum, n) "
                          "JOIN pg_attribute a ON a.attrelid = x.indrelid AND a.attnum = k.attnum "
                          "WHERE lower(i.relname) = lower(?::text) AND pg_table_is_visible(i.oid) ORDER BY k.n");
}

int PgEngine::schemaVersion(Database &db) const
{
    if (!db.scalar(QStringLiteral("SELECT to_regclass('torvane_schema') IS NOT NULL")).toBool())
        throw AppError(ErrNo::UnrecognizedDatabase,
                       QStringLiteral("The database %1 holds no Torvane tables.")
                           .arg(db.scalar(QStringLiteral("SELECT current_database()")).toString()));
    return db.scalar(QStringLiteral("SELECT max(version) FROM torvane_schema")).toInt();
}

void PgEngine::setSchemaVersion(Database &db, int version) const
{
    db.execute(QStringLiteral("UPDATE torvane_schema SET version = ?"), {version});
}

QString PgEngine::schemaFrom(const QString &sqliteScript)
{
    Database model;
    model.create(QStringLiteral(":memory:"));
    model.executeScript(sqliteScript);
    QStringList out;
    const ResultRows tables = model.select(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY rowid"));
    for (const auto &t : tables.rows) {
        const QString table = t.at(0).toString();
        const ResultRows cols = model.select(
            QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?) ORDER BY cid"),
            {table});
        QStringList key;
        for (const auto &c : cols.rows)
            if (c.at(4).toInt() > 0)
                key << quoted(c.at(0).toString());
        QStringList lines;
        for (const auto &c : cols.rows) {
            QString line = quoted(c.at(0).toString()) + QLatin1Char(' ') + pgType(c.at(1).toString());
            if (key.size() == 1 && c.at(4).toInt() > 0) {
                // An id handed out once is never handed out again, as AUTOINCREMENT promises.
                lines << line + QStringLiteral(" GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
                continue;
            }
            if (c.at(2).toInt())
                line += QStringLiteral(" NOT NULL");
            if (!c.at(3).isNull())
                line += QStringLiteral(" DEFAULT ") + c.at(3).toString();
            lines << line;
        }
        if (key.size() > 1)
            lines << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QLatin1String(", ")));
        out << QStringLiteral("CREATE TABLE %1 (\n  %2\n);").arg(quoted(table), lines.join(QLatin1String(",\n  ")));
        const ResultRows indexes =
            model.select(QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list(?) WHERE origin = 'c' "
                                        "ORDER BY name"),
                         {table});
        for (const auto &i : indexes.rows) {
            QStringList on;
            for (const auto &c :
                 model.select(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), {i.at(0)}).rows)
                on << quoted(c.at(0).toString());
            out << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4);")
                       .arg(i.at(1).toInt() ? QStringLiteral("UNIQUE ") : QString(), quoted(i.at(0).toString()),
                            quoted(table), on.join(QLatin1String(", ")));
        }
    }
    // The shape number that SQLite keeps in user_version.
    out << QStringLiteral("CREATE TABLE torvane_schema (version INTEGER NOT NULL);")
        << QStringLiteral("INSERT INTO torvane_schema VALUES (%1);")
               .arg(model.scalar(QStringLiteral("PRAGMA user_version")).toInt());
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void PgEngine::createShared(Database &db, const QString &sqliteScript) const
{
    WriteTransaction tx(db);
    db.executeScript(schemaFrom(sqliteScript));
    // The change counter of live refresh, counted up in the writer's own transaction, so a station
    // that reads a new count also reads what was committed with it. Heartbeats (tbl_Station)
    // leave it alone: they are no change anyone needs to redraw for.
    db.execute(QStringLiteral("CREATE TABLE torvane_change (n BIGINT NOT NULL)"));
    db.execute(QStringLiteral("INSERT INTO torvane_change VALUES (0)"));
    spreadChangeCounter(db);
    const ResultRows tables = db.select(QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = "
                                                       "current_schema() AND tablename LIKE 'tbl%' ORDER BY 1"));
    for (const auto &t : tables.rows) {
        const QString table = t.at(0).toString();
        if (table != QLatin1String("tbl_Station"))
            db.execute(QStringLiteral("CREATE TRIGGER torvane_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE "
                                      "ON %1 FOR EACH STATEMENT EXECUTE FUNCTION torvane_changed()")
                           .arg(quoted(table)));
    }
    tx.commit();
}

// VACUUM FULL rewrites a table to its smallest size, as SQLite's VACUUM does the file; like it, it
// cannot go on while another connection is inside a transaction (3186 after the lock wait). Only
// this program's tables, each in a statement of its own: the rest of the database is not ours, and
// a role that may not compact a table only gets a warning from the server, so that is asked first.
void PgEngine::compact(Database &db, const Progress &progress) const
{
    const QString ours = QStringLiteral("SELECT tablename FROM pg_tables WHERE schemaname = current_schema() "
                                        "AND (tablename LIKE 'tbl%' OR tablename LIKE 'torvane\\_%') ");
    const ResultRows refused =
        db.select(ours
                  + QStringLiteral("AND NOT (SELECT rolsuper FROM pg_roles WHERE rolname = current_user) "
                                   "AND NOT pg_has_role(current_user, tableowner, 'MEMBER') "
                                   "AND NOT pg_has_role(current_user, (SELECT datdba FROM pg_database "
                                   "WHERE datname = current_database()), 'MEMBER') ORDER BY 1"));
    if (!refused.isEmpty()) {
        QStringList names;
        for (const auto &row : refused.rows)
            names << row.at(0).toString();
        throw AppError(
            ErrNo::NotUpdatable,
            QStringLiteral("The role %1 may not compact the tables %2: only their owner may.")
                .arg(db.scalar(QStringLiteral("SELECT current_user")).toString(), names.join(QLatin1String(", "))));
    }
    const ResultRows tables = db.select(ours + QStringLiteral("ORDER BY 1"));
    for (int i = 0; i < tables.rows.size(); ++i) {
        db.execute(QStringLiteral("VACUUM FULL %1").arg(quoted(tables.rows.at(i).at(0).toString())));
        if (progress)
            progress(i + 1, int(tables.rows.size()));
    }
}

void PgEngine::snapshotTo(Database &db, const QString &file, const Progress &progress) const
{
    QFile::remove(file);
    Database copy;
    copy.create(file);
    Schema::createShared(copy);
    // One snapshot of the server for every table, so the copy is consistent across them.
    db.execute(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
    try {
        const int total = int(TableCopy::tables(copy).size());
        int done = 0;
        if (progress)
            progress(0, total);
        TableCopy::copyAll(db, copy, [&](const QString &, qint64) {
            if (progress)
                progress(++done, total);
        });
        db.execute(QStringLiteral("COMMIT"));
    } catch (const AppError &) {
        db.abandon();
        copy.close();
        QFile::remove(file);
        throw;
    }
}

qint64 PgEngine::dataVersion(Database &db) const
{
    return db.scalar(QStringLiteral("SELECT sum(n) FROM torvane_change")).toLongLong();
}

// One row of the counter for all writers held every writer up until its commit, as the row
// stays locked: a writer of one page counts on the row of its day number (of 1024, so pages
// written at the same time never share one), any other on the row -1. The count is their sum.
void PgEngine::orderBytewise(Database &db, const QString &table, const QString &column) const
{
    db.execute(
        QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE TEXT COLLATE \"C\"").arg(quoted(table), quoted(column)));
}

void PgEngine::spreadChangeCounter(Database &db) const
{
    db.execute(QStringLiteral("ALTER TABLE torvane_change ADD COLUMN shard INTEGER NOT NULL DEFAULT -1"));
    db.execute(QStringLiteral("CREATE UNIQUE INDEX torvane_change_shard ON torvane_change (shard)"));
    defineChangeCounting(db);
}

// Counted once per row of the count and transaction: a reader only needs to see the sum change
// when it commits, and a row updated again and again inside one transaction costs more each time
// (a rebuild of the customers, a restore, would take hours).
void PgEngine::defineChangeCounting(Database &db) const
{
    db.execute(QStringLiteral(
        "CREATE OR REPLACE FUNCTION torvane_changed() RETURNS trigger LANGUAGE plpgsql AS $$ "
        "DECLARE s int := coalesce(nullif(current_setting('torvane.page', true), '')::int % 1024, -1); "
        "counted text := coalesce(nullif(current_setting('torvane.counted', true), ''), ','); "
        "BEGIN IF position(',' || s || ',' IN counted) > 0 THEN RETURN NULL; END IF; "
        "INSERT INTO torvane_change AS c (shard, n) VALUES (s, 1) ON CONFLICT (shard) DO UPDATE SET n = c.n + 1; "
        "PERFORM set_config('torvane.counted', counted || s || ',', true); "
        "RETURN NULL; END $$"));
}

// LIKE on the server minds the case of every letter; SQLite's ignores it for ASCII ones.
QString PgEngine::likeNoCase() const { return QStringLiteral("ILIKE"); }

namespace {
class PgRow : public RowView {
public:
    QByteArrayView text(int column) const override { return values.at(column); }
    qint64 integer(int column) const override { return numbers.at(column); }
    QVector<QByteArray> values;
    QVector<qint64> numbers;
};
} // namespace

void PgEngine::scan(Database &db, const QString &sql, const QVariantList &binds,
                    const std::function<void(const RowView &)> &row) const
{
    Database::AnswerWait wait(db);
    QSqlQuery &q = db.kept(sql);
    const std::unique_ptr<QSqlQuery, void (*)(QSqlQuery *)> finished(&q, [](QSqlQuery *k) { k->finish(); });
    for (int i = 0; i < binds.size(); ++i)
        q.bindValue(i, binds.at(i));
    if (!q.exec())
        throw db.failure(q.lastError());
    PgRow view;
    const int n = q.record().count();
    view.values.resize(n);
    view.numbers.resize(n);
    while (q.next()) {
        wait.row();
        for (int i = 0; i < n; ++i) {
            const QVariant v = q.value(i);
            view.values[i] = v.isNull() ? QByteArray() : v.toString().toUtf8();
            view.numbers[i] = v.toLongLong();
        }
        row(view);
    }
    if (q.lastError().isValid())
        throw db.failure(q.lastError());
}
