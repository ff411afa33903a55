#include "store/BookingStore.h"

#include "store/CustomerStore.h"
#include "store/Database.h"
#include "store/Engine.h"

const QString BookingStore::Table = QStringLiteral("tbl_Job");

namespace {
const char *const Columns[BookingField::Count] = {
    "bTech",   "bTime",    "bName",  "bPhone", "bAddress", "bCity",  "bProv",  "bPostCode",  "bVehicle",
    "bMake",   "bMainten", "bMenu1", "bMenu2", "bMenu3",   "bMenu4", "bMenu5", "bInternal1", "bInternal2",
    "bOther1", "bOther2",  "bITime", "bTTime", "bDrop",    "bProm",  "bPay",   "bComments"};

QString quoted(const char *name) { return QLatin1Char('"') + QLatin1String(name) + QLatin1Char('"'); }

// Key, version and cell first, then the fields in their order.
QString recordColumns(const Database &db)
{
    QStringList c{db.engine().rowId(), QStringLiteral("rowver"), QStringLiteral("\"bDate\""),
                  QStringLiteral("\"bCol\""), QStringLiteral("\"bRow\"")};
    for (const char *f : Columns)
        c << quoted(f);
    return c.join(QLatin1Char(','));
}

StoredBooking fromRow(const QVariantList &v)
{
    StoredBooking b;
    b.id = v.at(0).toLongLong();
    b.version = v.at(1).toLongLong();
    b.date = QDate::fromString(v.at(2).toString(), Qt::ISODate);
    b.col = v.at(3).toInt();
    b.row = v.at(4).toInt();
    for (int i = 0; i < BookingField::Count; ++i)
        b.fields[i] = v.at(5 + i);
    return b;
}

// A field without a value is bound as a null text, which both engines take for a TEXT column.
QVariant bound(const QVariant &v) { return v.isNull() ? QVariant(QMetaType::fromType<QString>()) : v; }

AppError gone() { return AppError(ErrNo::RecordDeleted, QStringLiteral("Record is deleted.")); }
} // namespace

namespace BookingField {
QString column(Id id) { return id >= 0 && id < Count ? QLatin1String(Columns[id]) : QString(); }
} // namespace BookingField

bool BookingStore::tableMissing()
{
    try {
        return m_db.fieldNames(Table).isEmpty();
    } catch (const AppError &) {
        return false; // the failure that asked is the one to report
    }
}

std::optional<qint64> BookingStore::find(const QDate &date, int col, int row)
{
    QVariant id;
    try {
        id = m_db.scalar(QStringLiteral("SELECT %1 FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bCol\" = ? "
                                        "AND \"bRow\" = ? ORDER BY %1 LIMIT 1")
                             .arg(m_db.engine().rowId()),
                         {date, col, row});
    } catch (const AppError &e) {
        // A file without the table is named as such, not with the engine's words for a bad query.
        if (e.number() != ErrNo::RecordLocked && e.number() != ErrNo::NoAnswer && tableMissing())
            throw AppError(3078, QStringLiteral("The database engine cannot find the input table '%1'.").arg(Table));
        throw;
    }
    if (!id.isValid())
        return std::nullopt;
    return id.toLongLong();
}

StoredBooking BookingStore::read(qint64 id)
{
    const ResultRows r = m_db.select(
        QStringLiteral("SELECT %1 FROM \"tbl_Job\" WHERE %2 = ?").arg(recordColumns(m_db), m_db.engine().rowId()),
        {id});
    if (r.isEmpty())
        throw gone();
    return fromRow(r.rows.first());
}

qint64 BookingStore::insert(const StoredBooking &b)
{
    QStringList cols{QStringLiteral("\"bDate\""), QStringLiteral("\"bCol\""), QStringLiteral("\"bRow\"")};
    QStringList marks{QStringLiteral("?"), QStringLiteral("?"), QStringLiteral("?")};
    QVariantList binds{b.date, b.col, b.row};
    for (int i = 0; i < BookingField::Count; ++i) {
        if (b.fields[i].isNull())
            continue; // left to the column's default, as never given
        cols << quoted(Columns[i]);
        marks << QStringLiteral("?");
        binds << b.fields[i];
    }
    WriteTransaction tx(m_db, b.date);
    m_db.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (%1) VALUES (%2)")
                     .arg(cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                 binds);
    const qint64 id = m_db.lastInsertId();
    rememberCustomer(b);
    tx.commit();
    return id;
}

StoredBooking BookingStore::guarded(const StoredBooking &b)
{
    const StoredBooking stored = read(b.id);
    // The lock taken is the page of the date the caller named; the record's own is the one that counts.
    m_db.holdAlso(stored.date);
    // Row versions count per record: another record in the cell may stand at the same number.
    if (stored.version != b.version)
        throw AppError(ErrNo::RecordChanged, QStringLiteral("Record has been changed by another user."));
    return stored;
}

StoredBooking BookingStore::update(const StoredBooking &b)
{
    WriteTransaction tx(m_db, b.date);
    const StoredBooking before = guarded(b);
    QStringList sets;
    QVariantList binds;
    for (int i = 0; i < BookingField::Count; ++i) {
        sets << quoted(Columns[i]) + QStringLiteral(" = ?");
        binds << bound(b.fields[i]);
    }
    sets << QStringLiteral("rowver = ?");
    binds << b.version + 1 << b.id;
    m_db.execute(QStringLiteral("UPDATE \"tbl_Job\" SET %1 WHERE %2 = ?")
                     .arg(sets.join(QLatin1Char(',')), m_db.engine().rowId()),
                 binds);
    rememberCustomer(b);
    tx.commit();
    return before;
}

void BookingStore::rememberCustomer(const StoredBooking &b)
{
    using namespace BookingField;
    CustomerStore(m_db).remember(b.date, {b.text(Name),
                                          b.text(Phone),
                                          b.text(Address),
                                          b.text(City),
                                          b.text(Prov),
                                          b.text(PostCode),
                                          b.text(Vehicle),
                                          b.text(Make),
                                          {}});
}

StoredBooking BookingStore::remove(const StoredBooking &b)
{
    WriteTransaction tx(m_db, b.date);
    const StoredBooking before = guarded(b);
    if (m_db.execute(QStringLiteral("DELETE FROM \"tbl_Job\" WHERE %1 = ?").arg(m_db.engine().rowId()), {b.id}) == 0)
        throw gone();
    tx.commit();
    return before;
}

std::optional<QString> BookingStore::nameAt(const QDate &date, int col, int row)
{
    const QString name =
        m_db.scalar(QStringLiteral(
                        "SELECT \"bName\" FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bRow\" = ? AND \"bCol\" = ?"),
                    {date, row, col})
            .toString();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

QVector<BookedColumn> BookingStore::bookedBeyond(const QDate &from, int lastCol)
{
    const ResultRows r =
        m_db.select(QStringLiteral("SELECT DISTINCT \"bDate\", \"bCol\" FROM \"tbl_Job\" "
                                   "WHERE \"bDate\" >= ? AND \"bCol\" > ? ORDER BY \"bDate\", \"bCol\""),
                    {from, lastCol});
    QVector<BookedColumn> out;
    for (const QVariantList &row : r.rows)
        out.append({QDate::fromString(row.at(0).toString(), Qt::ISODate), row.at(1).toInt()});
    return out;
}

QSet<QDate> BookingStore::bookedDates()
{
    QSet<QDate> out;
    m_db.scan(QStringLiteral("SELECT DISTINCT \"bDate\" FROM \"tbl_Job\""), {},
              [&out](const RowView &r) { out.insert(QDate::fromString(QString::fromUtf8(r.text(0)), Qt::ISODate)); });
    return out;
}

BookingListing BookingStore::dayListing(const QDate &date)
{
    return {Table,
            QStringLiteral("\"bDate\" = ? AND TRIM(COALESCE(\"bName\", '')) <> ''"),
            {date},
            QStringLiteral("\"bCol\", \"bRow\"")};
}

QVector<StoredBooking> BookingStore::namedBetween(const QDate &from, const QDate &to, int col)
{
    QString sql = QStringLiteral("SELECT %1 FROM \"tbl_Job\" WHERE \"bDate\" >= ? AND \"bDate\" <= ? "
                                 "AND TRIM(COALESCE(\"bName\", '')) <> ''")
                      .arg(recordColumns(m_db));
    QVariantList binds{from, to};
    if (col > 0) {
        sql += QStringLiteral(" AND \"bCol\" = ?");
        binds << col;
    }
    sql += QStringLiteral(" ORDER BY \"bDate\", \"bCol\", \"bRow\"");
    QVector<StoredBooking> out;
    for (const QVariantList &row : m_db.select(sql, binds).rows)
        out << fromRow(row);
    return out;
}

QVector<StoredBooking> BookingStore::namedAs(const QStringList &names)
{
    QVector<StoredBooking> out;
    if (names.isEmpty())
        return out;
    const QStringList marks(names.size(), QStringLiteral("?"));
    QVariantList binds;
    for (const QString &name : names)
        binds << name;
    for (const QVariantList &row : m_db.select(QStringLiteral("SELECT %1 FROM \"tbl_Job\" WHERE \"bName\" IN (%2) "
                                                              "ORDER BY \"bDate\" DESC, \"bRow\" DESC, \"bCol\"")
                                                   .arg(recordColumns(m_db), marks.join(QLatin1Char(','))),
                                               binds)
                                       .rows)
        out << fromRow(row);
    return out;
}

int BookingStore::countBetween(const QDate &from, const QDate &to)
{
    return m_db
        .scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\" WHERE \"bDate\" >= ? AND \"bDate\" <= ?"), {from, to})
        .toInt();
}

int BookingStore::removeBetween(const QDate &from, const QDate &to)
{
    return m_db.execute(QStringLiteral("DELETE FROM \"tbl_Job\" WHERE \"bDate\" >= ? AND \"bDate\" <= ?"), {from, to});
}
