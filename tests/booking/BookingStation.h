#pragma once
#include "ScriptedDialogs.h"
#include "SharedDb.h"
#include "booking/BookingDesk.h"
#include "booking/BookingFlow.h"
#include "booking/DayPageBooking.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "daypage/DayPage.h"
#include "store/Database.h"

#include <QDate>
#include <memory>

// A Monday far enough ahead that its page is never locked; the seed office has four
// technicians, 08:00 AM to 05:00 PM in 30-minute slots, lunch at rows 14 and 15.
inline QDate bookingDay() { return QDate(2031, 3, 3); }

// One station on the shared database of folder (its db.mdb, or the server its db.pgconn names):
// its own values, dialogs, day page and connections.
struct BookingStation {
    ScriptedDialogs dialogs;
    AppState state;
    DayPage page;
    DayPageBooking booking;
    BookingDesk desk;
    Database db;

    BookingStation(const TestFolder &folder, const QDate &date = bookingDay()) : BookingStation(folder.path(), date) {}
    BookingStation(const QString &folder, const QDate &date = bookingDay())
        : page(state), booking(page), db(Database::sharedIn(folder))
    {
        state.paths().setProgramFolder(folder);
        state.paths().setServerFolder(folder);
        state.setDialogs(&dialogs);
        page.openDatabase(state.paths().sharedDbPath());
        DayPageBooking::eraseBookingsOn(page, desk);
        page.readLocation();
        page.openDate(date);
    }

    GridModel &grid() { return page.grid(); }

    // The slot as the day page hands it to a booking window after Enter on it.
    BookingCell entered(int row, int col) { return {page.record().date, row, col, page.bookingColor(), {}}; }

    // Enter on the slot, then the booking record found or made.
    std::unique_ptr<BookingFlow> openSlot(int row, int col)
    {
        auto flow = std::make_unique<BookingFlow>(state, booking, desk);
        if (!flow->claim(row, col) || !flow->open())
            return nullptr;
        flow->activate();
        return flow;
    }

    // Enter on the slot and Save: a booking stored whole. False when it was not.
    bool book(int row, int col, const BookingEntries &form)
    {
        auto flow = openSlot(row, col);
        if (!flow)
            return false;
        flow->timeEdited();
        const bool saved = flow->saveCommand(form) == BookingFlow::Outcome::Closed && flow->isStoredBooking();
        flow->closing(QString());
        return saved;
    }

    // The page as another station sees it after a reload.
    QString storedText(int row, int col)
    {
        page.refreshGrid();
        return grid().text(row, col);
    }
    qint64 storedColor(int row, int col)
    {
        page.refreshGrid();
        return grid().cellBackColor(row, col);
    }
};

// A cell's text as a station opening the page now sees it.
inline QString storedText(const TestFolder &folder, int row, int col)
{
    BookingStation other(folder);
    return other.grid().text(row, col);
}

// A seed copy with this station's dbn.mdb pointing at it as the server folder.
inline void pointStationAt(const TestFolder &folder, bool onServer = false)
{
    seedShared(folder, onServer);
    folder.copySeed(QStringLiteral("dbn.mdb"));
    Database station(folder.file(QStringLiteral("dbn.mdb")));
    station.execute(QStringLiteral("UPDATE tbl_netset SET server = ?, net = 1, Main = 1"), {folder.path()});
}
