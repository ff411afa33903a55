#pragma once
#include <QDate>
#include <QString>
#include <functional>

class Database;

// The day page as a booking sees it: its grid and the public routines a booking calls back.
// The day page implements it over its page model and store, so a booking runs the same with or
// without windows. Rows and columns are those of the page grid (slots from row 6, hours used in
// row 3); colour 0 is a cell without a colour of its own.
class BookingPage {
public:
    virtual ~BookingPage() = default;

    virtual QDate pageDate() const = 0;
    virtual int rowCount() const = 0;
    virtual QString text(int row, int col) const = 0;
    virtual void setText(int row, int col, const QString &text) = 0;
    virtual int color(int row, int col) const = 0;
    virtual void setColor(int row, int col, int color) = 0;
    virtual void setCurrentCell(int row, int col) = 0;
    // The page lock: booking text boxes become read-only.
    virtual bool pageLocked() const = 0;

    // Enter on a time slot: reloads the page and claims an empty slot with "Engaged", stored at
    // once; sets bookingDate, bookingCol, bookingRow and bookingColor when the slot may be opened.
    enum class Claim { NotSlot, Lunch, Engaged, Claimed, Booked };
    virtual Claim claimSlot(int row, int col) = 0;

    // The connection the page is written through: a booking's record is written on it too, so
    // the two commit together.
    virtual Database &database() = 0;
    // One write transaction: the page reloaded as stored under the write lock, change run (it
    // edits the grid and writes the booking record through database()), the page's changed cells
    // and colours written; all of it or nothing. Throws AppError; the grid then shows what is
    // stored. PageChanged when the page of the date is gone.
    virtual void writeTogether(const std::function<void()> &change) = 0;
    // Empties a claim this station did not use, where the stored cell still holds it.
    virtual void releaseClaim(int row, int col) = 0;
    // The booking of the cell has closed: the page's next activation returns to that cell.
    virtual void bookingClosed(int row, int col) = 0;

    // The day page's own routines; each reports its failures itself.
    virtual void refreshGrid() = 0;
    virtual void sumTotal() = 0;
    virtual void txtTotal() = 0;
    // That many slots from the current cell in color, the cell itself in cellColor, on the grid
    // only: the write stores them.
    virtual void paintSpan(int cells, int color, int cellColor) = 0;
};
