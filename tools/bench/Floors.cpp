#include "Floors.h"

#include "store/AppError.h"
#include "store/Database.h"

#include <sqlite3.h>

namespace {
[[noreturn]] void fail(sqlite3 *db, const char *what)
{
    throw AppError(ErrNo::CannotOpen,
                   QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db))));
}
} // namespace

struct Floors::Statements {
    sqlite3_stmt *lookup = nullptr;
    sqlite3_stmt *scan = nullptr;
    sqlite3_stmt *range = nullptr;
    sqlite3_stmt *begin = nullptr;
    sqlite3_stmt *write = nullptr;
    sqlite3_stmt *commit = nullptr;
    sqlite3_stmt *customers = nullptr;
    sqlite3_stmt *keyCount = nullptr;
    sqlite3_stmt *newest = nullptr;
};

Floors::Floors(const QString &dbPath) : m_st(std::make_unique<Statements>())
{
    if (Database::isConnectionFile(dbPath))
        return;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        fail(m_db, "open");
    auto exec = [this](const char *sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(m_db, sql);
    };
    exec("PRAGMA journal_mode=DELETE");
    exec("PRAGMA synchronous=FULL");
    auto prepare = [this](const char *sql, sqlite3_stmt **st) {
        if (sqlite3_prepare_v2(m_db, sql, -1, st, nullptr) != SQLITE_OK)
            fail(m_db, sql);
    };
    prepare("SELECT rowid, * FROM tbl_Appt WHERE caldate = ?", &m_st->lookup);
    // LIKE folds the case of ASCII letters, like the program's search.
    prepare("SELECT count(*) FROM tbl_Appt WHERE Data LIKE ?", &m_st->scan);
    prepare("SELECT rowid, * FROM tbl_Appt WHERE caldate >= ? AND caldate <= ?", &m_st->range);
    prepare("BEGIN IMMEDIATE", &m_st->begin);
    // The look-up's statements: how many keys start with the text (up to 201), then the customers
    // of a few keys sorted, or of many the newest walked.
    prepare("SELECT 1 FROM tbl_CustomerKey WHERE prefix >= ?1 AND prefix < ?1 || char(1114111) LIMIT 201",
            &m_st->keyCount);
    prepare("SELECT c.cName, c.cPhone, c.cAddress, c.cCity, c.cProv, c.cPostCode, c.cVehicle, c.cMake, c.lastVisit "
            "FROM (SELECT DISTINCT nameKey, phoneKey FROM tbl_CustomerKey WHERE prefix >= ?1 AND prefix < ?1 || "
            "char(1114111)) k JOIN tbl_Customer c ON c.nameKey = k.nameKey AND c.phoneKey = k.phoneKey "
            "ORDER BY c.lastVisit DESC, c.nameKey DESC, c.phoneKey DESC LIMIT 10",
            &m_st->customers);
    prepare("SELECT c.cName, c.cPhone, c.cAddress, c.cCity, c.cProv, c.cPostCode, c.cVehicle, c.cMake, c.lastVisit "
            "FROM tbl_Customer c WHERE EXISTS (SELECT 1 FROM tbl_CustomerKey k WHERE k.nameKey = c.nameKey AND "
            "k.phoneKey = c.phoneKey AND k.prefix >= ?1 AND k.prefix < ?1 || char(1114111)) "
            "ORDER BY c.lastVisit DESC, c.nameKey DESC, c.phoneKey DESC LIMIT 10",
            &m_st->newest);
    prepare("UPDATE tbl_Appt SET Data = ?, Color = ? WHERE caldate = ?", &m_st->write);
    prepare("COMMIT", &m_st->commit);
}

Floors::~Floors()
{
    if (!m_db)
        return;
    for (sqlite3_stmt *st : {m_st->lookup, m_st->scan, m_st->range, m_st->begin, m_st->write, m_st->commit,
                             m_st->customers, m_st->keyCount, m_st->newest})
        sqlite3_finalize(st);
    sqlite3_close(m_db);
}

QString Floors::sqliteVersion() { return QString::fromUtf8(sqlite3_libversion()); }

void Floors::pointLookup(const QDate &date)
{
    sqlite3_stmt *st = m_st->lookup;
    const QByteArray key = date.toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(st, 1, key.constData(), int(key.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st) != SQLITE_ROW)
        fail(m_db, "no page");
    // Every field is fetched as the program would use it.
    std::size_t bytes = 0;
    for (int i = 0, n = sqlite3_column_count(st); i < n; ++i) {
        sqlite3_column_text(st, i);
        bytes += std::size_t(sqlite3_column_bytes(st, i));
    }
    sqlite3_reset(st);
    if (bytes == 0)
        fail(m_db, "empty page");
}

int Floors::pageRange(const QDate &from, const QDate &to)
{
    sqlite3_stmt *st = m_st->range;
    const QByteArray a = from.toString(Qt::ISODate).toUtf8(), b = to.toString(Qt::ISODate).toUtf8();
    sqlite3_bind_text(st, 1, a.constData(), int(a.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(st, 2, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    int pages = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int i = 0, n = sqlite3_column_count(st); i < n; ++i)
            sqlite3_column_text(st, i);
        ++pages;
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE)
        fail(m_db, "page range");
    return pages;
}

int Floors::scan(const QString &name)
{
    sqlite3_stmt *st = m_st->scan;
    const QByteArray pattern = (QLatin1Char('%') + name + QLatin1Char('%')).toUtf8();
    sqlite3_bind_text(st, 1, pattern.constData(), int(pattern.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st) != SQLITE_ROW)
        fail(m_db, "scan");
    const int n = sqlite3_column_int(st, 0);
    sqlite3_reset(st);
    return n;
}

int Floors::customerLookup(const QString &key)
{
    const QByteArray k = key.toUtf8();
    auto rows = [&](sqlite3_stmt *st, const char *what, int fields) {
        sqlite3_bind_text(st, 1, k.constData(), int(k.size()), SQLITE_TRANSIENT);
        int n = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            for (int i = 0; i < fields; ++i)
                sqlite3_column_text(st, i);
            ++n;
        }
        sqlite3_reset(st);
        if (rc != SQLITE_DONE)
            fail(m_db, what);
        return n;
    };
    return rows(rows(m_st->keyCount, "key count", 0) <= 200 ? m_st->customers : m_st->newest, "customers", 9);
}

void Floors::pageWrite(const QDate &date, const QString &data, const QString &color)
{
    auto step = [this](sqlite3_stmt *st, const char *what) {
        if (sqlite3_step(st) != SQLITE_DONE) {
            sqlite3_reset(st);
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            fail(m_db, what);
        }
        sqlite3_reset(st);
    };
    const QByteArray d = data.toUtf8(), c = color.toUtf8(), key = date.toString(Qt::ISODate).toUtf8();
    step(m_st->begin, "begin");
    sqlite3_bind_text(m_st->write, 1, d.constData(), int(d.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(m_st->write, 2, c.constData(), int(c.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(m_st->write, 3, key.constData(), int(key.size()), SQLITE_TRANSIENT);
    step(m_st->write, "write");
    step(m_st->commit, "commit");
}
