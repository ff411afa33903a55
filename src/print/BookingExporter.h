#pragma once
#include "print/ICalendar.h"

#include <QDate>
#include <QStringList>

class Database;
struct StoredBooking;

// What to export: the bookings from one date to another (both included) of every technician or
// of one, as CSV or as iCalendar, into file; a calendar may go one file per technician instead.
struct ExportOrder {
    enum Format { Csv, Calendar };
    Format format = Csv;
    QDate from;
    QDate to;
    int tech = 0; // the technician's column; 0 for every technician
    bool perTech = false;
    QString file;
};

// Writes the bookings of an order, read from the shared database as stored, to their files. The
// CSV holds every field of a booking record, one row per booking; the calendar one event per
// booking from its row time for its booked hours, identified by its date, column and row, so a
// calendar imported again updates its events instead of doubling them. A file is replaced
// whole or not at all. Widget-free: the export window and the command line share it.
class BookingExporter {
public:
    struct Result {
        int bookings = 0;
        QStringList files;
    };

    explicit BookingExporter(Database &db);

    // The technicians by column as the office names them now (index 0 unused).
    QStringList techNames();
    // Why the order cannot be run, empty when it can.
    QString problem(const ExportOrder &order);
    // Throws AppError: a bad order (5), a failed read, a file not written (75).
    Result run(const ExportOrder &order);

    // What a finished export tells the user: how many bookings went into which file(s).
    static QString doneText(const Result &result);
    // The file of one technician's calendar: the order's file named with the column and name.
    static QString techFile(const QString &file, int column, const QString &name);

private:
    struct Office {
        QString open;
        int slotMinutes = 30;
    };
    static QByteArray csv(const QVector<StoredBooking> &bookings);
    static CalendarEvent event(const StoredBooking &booking, const Office &office);

    Database &m_db;
};
