#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

// A busy workshop's shared database, generated: a page for every date of a span, six
// technicians in 30-minute slots from 08:00 AM to 05:00 PM with a lunch row, about 25 bookings
// per working day, closed on Sundays. Pages, colour lists and booking records are written as the
// program leaves them after a page's first showing and its bookings: LUNCH cleared and greyed,
// each booking's name in its cell and its span shaded, hours used adding up the bookings'
// totals, one tbl_Job record per booked cell.
namespace Workshop {

constexpr int Techs = 6;
constexpr int LunchRow = 14;    // 12:00 PM
constexpr int LastSlotRow = 24; // 05:00 PM; row 25 is the extra row
constexpr int TextRows = 24;    // page text rows 2 to 25

// A name found on the oldest page only, and one found on no page.
extern const QString OldestPageName;
extern const QString MissingName;

struct Plan {
    QDate first;
    QDate last;
    quint32 seed = 8;
    int bookingsPerDay = 25; // a working day gets this, give or take five
};

struct Summary {
    int pages = 0;
    int workingDays = 0;
    int bookings = 0;
    QDate oldestNameDate; // the first working day the calendar shows, the only page with OldestPageName
};

// Creates the shared database at dbPath (which must not exist yet, or be a connection file naming
// an empty server database) in one transaction.
// Throws AppError.
Summary generate(const QString &dbPath, const Plan &plan);

// Makes programFolder an installed file-server station whose server folder is serverFolder:
// dbn.mdb with net and Main true.
void makeStation(const QString &programFolder, const QString &serverFolder);

// The technicians' names as the page headings show them.
QStringList techNames();

} // namespace Workshop
