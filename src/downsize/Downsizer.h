#pragma once
#include "store/AppError.h"
#include "store/StationRegistry.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <functional>

class Database;

// What the housekeeping program checks and does, apart from its window.
class Downsizer {
public:
    // The first date that may be deleted: the shipped database holds demonstration data before it.
    static const QDate EarliestDate;

    // The verdict on the two typed dates, in the order the checks run.
    struct Check {
        enum Field { None, From, To };
        bool ok = false;
        QString text; // message to show; empty when the box only gets the focus
        QString title;
        Field focus = None;
        QDate from;
        QDate to;
    };
    // Dates are read in the short-date order of locale.
    static Check checkRange(const QString &fromText, const QString &toText, const QLocale &locale);

    // What a range holds, looked at before anything is deleted.
    struct Contents {
        int pages = 0;
        int bookings = 0;
        int fromToday = 0; // pages and bookings dated today or later
        bool isEmpty() const { return pages == 0 && bookings == 0; }
    };

    struct Result {
        int pages = 0;
        int bookings = 0;
        // False when a station started reading between the deletion and the compaction; the
        // deletion stands and the next run compacts.
        bool compacted = false;
        // Why not, when the server's role may not compact the tables.
        QString compactionRefused;
    };

    // station: the id of the station that started this program, which is not counted as open.
    explicit Downsizer(const QString &dbPath, qint64 station = 0, int timeoutMs = StationRegistry::DefaultTimeoutMs)
        : m_path(dbPath), m_station(station), m_timeoutMs(timeoutMs)
    {
    }

    // Counts the day pages and booking records from `from` to `to`, both included. A station
    // holding the file while it commits throws AppError InUse.
    Contents contents(const QDate &from, const QDate &to, const QDate &today) const;

    // Deletes the day pages and booking records from `from` to `to`, both included, in one
    // transaction, then compacts the file in place. Before deleting, the whole file is locked
    // for this program alone; when another station holds it or is running (even idle, it
    // holds page and record ids), throws AppError InUse and nothing is deleted. progress hears
    // the steps done of all: the deletion, then each table compacted.
    using Progress = std::function<void(int done, int total)>;
    Result run(const QDate &from, const QDate &to, const Progress &progress = {});

    static constexpr int InUse = ErrNo::InUse;

private:
    static void compactAfterDeletion(Database &db, Result &r, const Progress &progress);

    QString m_path;
    qint64 m_station;
    int m_timeoutMs;
};
