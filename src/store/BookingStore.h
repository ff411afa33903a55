#pragma once
#include <QDate>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <array>
#include <optional>

class Database;

// The stored fields of a booking besides its cell, in the table's order. A new field is a
// column here and in BookingStore.cpp's list (and a schema step).
namespace BookingField {
enum Id {
    Tech,
    Time,
    Name,
    Phone,
    Address,
    City,
    Prov,
    PostCode,
    Vehicle,
    Make,
    Mainten,
    Menu1,
    Menu2,
    Menu3,
    Menu4,
    Menu5,
    Internal1,
    Internal2,
    Other1,
    Other2,
    ITime,
    TTime,
    Drop,
    Prom,
    Pay,
    Comments,
    Count
};
// The column of a field (bTech, bName, ...).
QString column(Id id);
} // namespace BookingField

// One booking record: its cell, its fields and the row version it was read at.
struct StoredBooking {
    qint64 id = -1;      // the record's key; -1 while not stored
    qint64 version = -1; // row version as read: every write raises it
    QDate date;
    int col = 0;
    int row = 0;
    std::array<QVariant, BookingField::Count> fields; // null: no value stored
    QString text(BookingField::Id f) const { return fields[f].toString(); }
};

// A grid column with bookings on a date.
struct BookedColumn {
    QDate date;
    int col = 0;
};

// A filtered, ordered view of the booking table for a model that reads it page by page.
struct BookingListing {
    QString table, condition;
    QVariantList binds;
    QString order;
};

// The owner of the booking records (tbl_Job): every SQL text against them is here. A record is
// found by its cell (date, column, row; the unique index bRecord) and written compare-and-set on
// its row version: a write names the version it read, and is refused with 3197 when another
// station wrote the record since, with 3167 when it was deleted. A write joins the caller's
// transaction or runs in one of its own. Engine failures are AppError exceptions.
class BookingStore {
public:
    static const QString Table; // tbl_Job, for data sources bound to the table

    explicit BookingStore(Database &db) : m_db(db) {}

    // The key of the cell's record, none when it has no record; 3078 when the table is missing.
    std::optional<qint64> find(const QDate &date, int col, int row);
    // The record as stored now; 3167 when it is gone.
    StoredBooking read(qint64 id);
    // Stores a new record for its cell (3022 when the cell has one) and returns its key.
    qint64 insert(const StoredBooking &b);
    // Writes every field of b over the record b.id, only while it is still at b.version; returns
    // the record as it was before.
    StoredBooking update(const StoredBooking &b);
    // Deletes the record b.id, only while it is still at b.version; returns it as it was.
    StoredBooking remove(const StoredBooking &b);

    // The customer name of the booking stored for a slot; none when the slot has no named one.
    std::optional<QString> nameAt(const QDate &date, int col, int row);
    // Dates from one date on with bookings in columns beyond lastCol, in date and column order.
    QVector<BookedColumn> bookedBeyond(const QDate &from, int lastCol);
    // Every date with a booking record.
    QSet<QDate> bookedDates();
    // The bookings with a name on a date, by column and row.
    static BookingListing dayListing(const QDate &date);

    // The bookings with a name from one date to another, both included, of one column (0 for
    // every column), by date, column and row: what an export writes.
    QVector<StoredBooking> namedBetween(const QDate &from, const QDate &to, int col = 0);
    // The bookings whose name is one of names, spelled exactly so, newest first (by date, then
    // row, latest first).
    QVector<StoredBooking> namedAs(const QStringList &names);
    // Records from one date to another, both included.
    int countBetween(const QDate &from, const QDate &to);
    // Deletes them inside the caller's transaction; returns how many went.
    int removeBetween(const QDate &from, const QDate &to);

private:
    // The record under the caller's write lock, checked against the version b was read at.
    StoredBooking guarded(const StoredBooking &b);
    // The booking's customer kept for the look-up, in the same transaction as the record.
    void rememberCustomer(const StoredBooking &b);
    bool tableMissing();
    Database &m_db;
};
