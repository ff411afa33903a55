#pragma once
#include "booking/BookingEntries.h"
#include "store/BookingStore.h"

#include <QDate>
#include <QString>

class Database;

// The booking record of one cell as the booking form sees it, kept in the BookingStore.
// Widget-free: the booking form and the tests that run stations without windows use it alike.
// Engine failures are AppError exceptions (3167, 3186, 3197, 3022 for a cell created twice).
//
// A cell without a record opens a new one that is written only by the first save, with the rest
// of the booking in the caller's write transaction: opening writes nothing, so a booking costs
// its claim and its save, and a station that stops with a form open leaves no empty record.
class BookingRecord {
public:
    // db: the shared database; the picklist record gives a new booking its city and province.
    explicit BookingRecord(Database &db);
    ~BookingRecord();

    struct Cell {
        QDate date;
        int col = 0;
        int row = 0;
    };
    // What a record created for a cell takes from the page: the column's technician and the
    // row's time label.
    struct PageLabels {
        QString tech;
        QString time;
    };

    // SeekRecord: finds the record of the cell, or opens a new one with the values of a new
    // booking, not yet stored. Returns true when it is new. Positions only: what the form read
    // stays the base of the next save.
    bool seek(const Cell &cell, const PageLabels &labels);
    // Reads the record as the form is to show it: its values, name and row version. Save and
    // remove are refused with 3197 when another station has written the record since.
    void read();
    bool isOpen() const { return m_open; }
    bool isStored() const { return m_open && !m_new; }
    const Cell &cell() const { return m_cell; }

    // FillBooking: the record's values as last read.
    const BookingValues &values() const { return m_read.values; }
    // The customer name as last read: empty when the form opened a slot without a booking.
    QString readName() const { return m_read.values[BookingEntry::Name].value_or(QString()); }
    // The customer name as stored now; a new record another station stored meanwhile is taken up.
    QString storedName();
    // SaveBooking's write, a new record's first; refused with 3197 when another station stored
    // or changed the record since it was read. Returns the old total time: the stored total, 0
    // for a record never saved with one.
    float save(const BookingEntries &form);
    // Deletes the record, refused with 3197 like save; returns its total time (0 for a new
    // record, which has nothing stored).
    float remove();

private:
    void toRecord() const;
    // A new record's cell looked up again: another station may have stored its record.
    void takeUpStored();
    // 3197 when the record is no longer the one read (3167 when it is gone).
    void checkSameRecord();

    Database &m_db;
    BookingStore m_store;
    qint64 m_id = -1; // the stored record of the cell; RecordBookmark
    Cell m_cell;
    bool m_open = false;
    bool m_new = false; // not stored yet
    struct Read {
        BookingValues values;
        StoredBooking record; // id -1: nothing stored when read
    } m_read;
    StoredBooking m_newRecord; // a new record's values
};
