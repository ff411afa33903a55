#pragma once
#include "booking/BookingEntries.h"
#include "store/Recordset.h"

#include <QDate>
#include <QString>
#include <memory>

class Database;

// The booking record of one cell in tbl_Job, found by the index bRecord on (bDate, bCol, bRow).
// Widget-free: the booking form and the tests that run stations without windows use it alike.
// Engine failures are AppError exceptions (3167, 3186, 3197, 3022 for a cell created twice).
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

    // SeekRecord: finds the record of the cell or creates it with the values of a new booking.
    // Returns true when it was created.
    bool seek(const Cell &cell, const PageLabels &labels);
    bool isOpen() const { return m_open; }
    const Cell &cell() const { return m_cell; }

    // FillBooking: the record's values for the form.
    BookingValues values();
    // The customer name as stored now.
    QString storedName();
    // SaveBooking's write; refused with 3197 when the stored name is another one. Returns the old total time: the stored total, 0 for a record never
    // saved with one.
    float save(const BookingEntries &form);
    // Deletes the record; returns its total time.
    float remove();

private:
    void toRecord();

    Database &m_db;
    std::unique_ptr<Recordset> m_jobs;
    Recordset::Bookmark m_bookmark = -1; // RecordBookmark
    Cell m_cell;
    bool m_open = false;
};
