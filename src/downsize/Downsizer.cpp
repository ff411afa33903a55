#include "downsize/Downsizer.h"

#include "core/DateText.h"
#include "core/DiagnosticLog.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "store/Schema.h"

const QDate Downsizer::EarliestDate(1999, 1, 1);

Downsizer::Check Downsizer::checkRange(const QString &fromText, const QString &toText, const QLocale &locale)
{
    Check c;
    if (fromText.isEmpty()) {
        c.focus = Check::From;
        return c;
    }
    if (toText.isEmpty()) {
        c.focus = Check::To;
        return c;
    }
    const QDate from = DateText::parseShortDate(fromText, locale);
    if (!from.isValid()) {
        c.text = QStringLiteral("Wrong Input Date Format - format must conform to system 'short-date' format: "
                                "e.g. 10/10/1999, 10-10-2000 ");
        c.title = QStringLiteral("Incorrect Date Format");
        c.focus = Check::From;
        return c;
    }
    const QDate to = DateText::parseShortDate(toText, locale);
    if (!to.isValid()) {
        c.text = QStringLiteral("Incorrect Input Date Format - format must conform to system 'short-date' "
                                "format: e.g. 10/10/1999, 10-10-2000 ");
        c.title = QStringLiteral("Wrong Date Format");
        c.focus = Check::To;
        return c;
    }
    if (from < EarliestDate) {
        c.text = QStringLiteral("You cannot delete files earlier than 01/01/1999 - these are demo files!");
        c.title = QStringLiteral("Delete Files");
        c.focus = Check::From;
        return c;
    }
    if (from > to) {
        c.text = QStringLiteral("Error! Start Date later than End Date!");
        c.title = QStringLiteral("Downsize File");
        c.focus = Check::From;
        return c;
    }
    c.ok = true;
    c.from = from;
    c.to = to;
    return c;
}

Downsizer::Contents Downsizer::contents(const QDate &from, const QDate &to, const QDate &today) const
{
    try {
        Database db(m_path);
        const QDate later = qMax(from, today);
        Contents c;
        const ResultRows r =
            db.select(QStringLiteral("SELECT (SELECT count(*) FROM \"tbl_Appt\" WHERE caldate >= ? AND caldate <= ?), "
                                     "(SELECT count(*) FROM \"tbl_Appt\" WHERE caldate >= ? AND caldate <= ?)"),
                      {from, to, later, to});
        BookingStore bookings(db);
        if (!r.isEmpty()) {
            c.pages = r.rows[0][0].toInt();
            c.bookings = bookings.countBetween(from, to);
            c.fromToday = r.rows[0][1].toInt() + bookings.countBetween(later, to);
        }
        return c;
    } catch (const AppError &e) {
        if (e.number() == ErrNo::RecordLocked)
            throw AppError(InUse, QStringLiteral("The database is in use by another station."));
        throw;
    }
}

// The deletion stands whatever happens here: a station that started reading meanwhile, or a role
// that may not compact the server's tables, leaves the compaction to a later run.
void Downsizer::compactAfterDeletion(Database &db, Result &r, const Progress &progress)
{
    try {
        // The deletion was the first step.
        db.compact([&progress](int done, int total) {
            if (progress)
                progress(done + 1, total + 1);
        });
        r.compacted = true;
    } catch (const AppError &e) {
        if (e.number() == ErrNo::NotUpdatable)
            r.compactionRefused = e.description();
        else if (e.number() != ErrNo::RecordLocked)
            throw;
    }
}

Downsizer::Result Downsizer::run(const QDate &from, const QDate &to, const Progress &progress)
{
    Database db(m_path);
    try {
        Schema::upgradeShared(db);
    } catch (const AppError &e) {
        if (e.number() == ErrNo::RecordLocked)
            throw AppError(InUse, QStringLiteral("The database is in use by another station."));
        throw;
    }
    // On a file, an exclusive lock is granted only while no other connection reads or writes it;
    // it keeps them out until the deletion is committed.
    try {
        db.engine().beginExclusive(db);
    } catch (const AppError &e) {
        if (e.number() == ErrNo::RecordLocked)
            throw AppError(InUse, QStringLiteral("The database is in use by another station."));
        throw;
    }
    Result r;
    try {
        // Checked under the lock, so no station registers between the look and the deletion.
        const int open = StationRegistry::othersRunning(db, m_station, m_timeoutMs);
        if (open > 0)
            throw AppError(InUse, StationRegistry::othersOpenText(open) + QStringLiteral(" on the database."));
        r.pages =
            db.execute(QStringLiteral("DELETE FROM \"tbl_Appt\" WHERE caldate >= ? AND caldate <= ?"), {from, to});
        r.bookings = BookingStore(db).removeBetween(from, to);
        db.execute(QStringLiteral("DELETE FROM \"tbl_Claim\" WHERE caldate >= ? AND caldate <= ?"), {from, to});
        db.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            db.execute(QStringLiteral("ROLLBACK"));
        } catch (const AppError &e) {
            // The failure that got here is the one to report; the connection closes after it.
            DiagnosticLog::passedOver(QStringLiteral("Downsize rollback"), e);
        }
        throw;
    }
    // The engine rewrites the file (or the server its tables) in place under its own lock: a crash
    // leaves the old or the new one, never a missing one, and stations that keep the database open
    // read the new one.
    if (progress)
        progress(1, 2); // the deletion; how many tables compaction takes is known when it starts
    compactAfterDeletion(db, r, progress);
    return r;
}
