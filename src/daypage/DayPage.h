#pragma once
#include "core/GridModel.h"
#include "daypage/PageModel.h"
#include "daypage/PageStore.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QObject>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

class AppState;
class Dialogs;

// The day page without its window: finds or makes the page of a date, lays it out, fills it,
// counts its hours and stores it back. The window DayPageWindow shows grid() and wires its controls
// to these routines; the booking record window calls refreshGrid, saveGridData, sumTotal and
// txtTotal through it.
//
// A save never writes the page as a whole: the text and colours as last loaded are kept, and a
// save applies only the cells this station changed since then to the page as stored at that
// moment, inside one short write transaction, compare-and-set: where a changed cell no longer
// holds what this station last saw, nothing is written, the page is reloaded and the user told.
// Hours used add up instead. The grid then shows the stored result.
class DayPage : public QObject {
    Q_OBJECT
public:
    DayPage(AppState &state, QObject *parent = nullptr);
    ~DayPage() override;

    // Opens the window's own connection to the shared database. Throws AppError.
    void openDatabase(const QString &path);
    // A page record is shown and was laid out completely: only then can it be changed.
    bool hasPage() const { return m_page.id != 0 && m_laidOut; }
    Database &database() { return *m_db; }

    GridModel &grid() { return m_grid; }
    PageModel &model() { return m_model; }
    PageStore &store() { return *m_store; }
    // The office settings and the booking records of the page's database.
    SettingsStore &settings() { return *m_settings; }
    BookingStore &bookings() { return *m_bookings; }
    const PageRecord &record() const { return m_page; }
    AppState &state() { return m_state; }

    // Opening a date: pageDate, openPage, populateGrid. False when the page could not be had.
    bool openDate(const QDate &date);

    bool openPage(const QDate &date);
    void getEmptyString(const PageStore::Created &made);
    void populateGrid();
    bool drawRows(const QString &open, const QString &close, int slotMinutes);
    void drawColumns(int techCount, const QStringList &sites, const QStringList &names);
    void fillGrid();
    void getCellColor();
    void refreshGrid();
    void saveGridData();
    void saveCellColor();
    void sumTotal();
    void txtTotal();

    // One write transaction for a change made on the page as stored: the page is reloaded under
    // the write lock, change edits the grid (and writes whatever belongs with it through
    // database()), then the page's changed cells and colours are written. All of it commits or
    // none of it does; a lock is tried again a few times. Throws AppError, and afterwards the
    // grid shows what is stored.
    void writeTogether(const std::function<void()> &change);

    // Another station's commit: when the page shown changed (its row version), it is shown as
    // stored, the current cell and any text being typed left as they are. Cheap when nothing was
    // committed. True when the grid was redrawn. Called about once a second.
    bool pollChanges();

    // A write refused because the page changed under this station: the page is shown as stored
    // and the user is told.
    void pageChanged(const QString &title);
    static const QString PageChangedText;
    // Enter on a time slot: the page is reloaded first. A lunch cell, and a slot another running
    // station is booking ("Engaged"), are left alone; an empty slot is claimed with "Engaged",
    // stored at once, and so is the claim of a station that has stopped (Booked when a saved
    // booking was found under it). When the slot may be opened (Claimed, Booked) its colour
    // becomes bookingColor. Throws AppError when the claim cannot be stored.
    enum class SlotEnter { NotSlot, Lunch, Engaged, Claimed, Booked };
    SlotEnter enterSlot(int row, int col);

    // Text typed into a cell: the page is reloaded; an empty cell takes the text, a cell holding
    // other text only after the replace question is answered Yes. Only the page text is written.
    // Failures show their message here.
    enum class CellSave { Stored, Unchanged, Declined, Failed };
    CellSave saveCellContent(int row, int col, const QString &editText);

    // The Delete key: the current cell emptied, a time row cell back in the grid's background
    // colour, the page stored. A slot holding a stored booking is handed to the booking eraser
    // instead, which deletes the booking whole or leaves it; without one it is left as it is.
    void deleteCell();
    using BookingEraser = std::function<void(int row, int col, const QString &name)>;
    void setBookingEraser(BookingEraser erase) { m_eraseBooking = std::move(erase); }

    // The span the toolbar's duration and colour buttons last chose (SpanSlots, SpanColor); the
    // single-cell colour becomes its colour too.
    struct SpanChoice {
        int cells = 0;
        int color = 0;
    };
    SpanChoice &spanChoice() { return m_span; }
    // The colour the first cell of a painted span takes: the colour of the slot last entered, or
    // the booking's colour as its window last painted it.
    int bookingColor() const { return m_bookingColor; }
    void setBookingColor(int color) { m_bookingColor = color; }
    // A booking of the cell has closed: the next activation returns to it, once. A cell chosen
    // meanwhile (a click, another date) forgets it.
    void returnAfterBooking(int row, int col) { m_returnCell = QPoint(col, row); }
    void forgetBookingCell() { m_returnCell.reset(); }
    std::optional<QPoint> bookingCellToReturnTo() const { return m_returnCell; }
    // Paints the chosen span's time rows down from the current cell, the current cell first
    // taking bookingColor; lunch cells are passed over without being counted and the last slot
    // ends the walk. The colours are stored.
    void setCellColor();
    // The painting alone of cells slots in color, on the grid as it is; nothing is read or stored.
    void paintSpan(int cells, int color);
    // The current slot alone in colour, on the page as stored; the colours are stored.
    void paintCell(qint64 colour);

    // Stores an empty time slot's claim mark at once if nobody else holds the slot, or takes over
    // the claim of a stopped station; the grid shows the page as stored either way. True when
    // this station got the slot.
    bool claimSlot(int row, int col, const QString &mark = QStringLiteral("Engaged"));
    // A claim this station made and did not use: the slot is emptied, in the free colour, where
    // the stored cell still holds the mark. Throws AppError.
    void releaseClaim(int row, int col, const QString &mark = QStringLiteral("Engaged"));
    // A claim the page stayed too busy to release is not left "Engaged" behind this running
    // station, where no other station may take it over: it is released again at each live
    // refresh until the write goes through. Returns the claims still waiting.
    int releaseLeftClaims();

    // The hidden check box Check1: ticked = closed page.
    bool closed() const { return m_closed; }
    // The status list: makes the page open or closed, refills it and stores Clinic.
    void setClosed(bool closed);
    // The page lock: ticked for pages dated before today.
    bool pageLock() const { return m_pageLock; }
    // The user ticks or clears it for the page shown.
    void setPageLock(bool locked) { m_pageLock = locked; }

    // Whole texts typed into a box (daily memo, fixed memo, next booking number), stored
    // compare-and-set against base, the text the box last showed from the database. Where another
    // station stored something else meanwhile, the user is asked whether to replace it (No the
    // default). Returns the text the box is to show now; nullopt when storing failed (message
    // shown) and the box keeps what is typed.
    enum class SharedText { DailyMemo, FixedMemo, BookNo };
    std::optional<QString> storeText(SharedText which, const PageKey &page, const QString &base, const QString &text);

    // Window activation: page refilled, current cell back to the booking's
    // cell once after a booking window has closed, to the first time slot at the first
    // activation, and otherwise left where the user had it.
    void activate();
    // Column 1, row 6, with row 5 the top scrollable row.
    void homeCell();

    // Column by column from column 1, rows 3 to last: the first cell containing text.
    std::optional<QPoint> findCell(const QString &text) const; // x = col, y = row

    // Status list entries: a blank, the office's location, a blank, "Open" / "Closed".
    QString statusOpenText() const { return QStringLiteral(" %1 Open").arg(m_location); }
    QString statusClosedText() const { return QStringLiteral(" %1 Closed").arg(m_location); }
    void readLocation();

    QString totalStartText() const { return m_totals.startText(); }
    QString totalUsedText() const { return m_totals.usedText(); }
    QString totalAvailText() const { return m_totals.availText(); }

signals:
    // After fillGrid: the look, the status entry and the date headings follow the page.
    void filled();
    void totalsChanged();
    // refreshGrid read the memos; the memo boxes show them.
    void memosRead(const QString &fixedMemo, const QString &dailyMemo);
    // A failed colour save reloaded the page; the grid should take the focus.
    void focusGrid();
    // Before the replace question: the cell's current text, for the edit box to show.
    void cellTextShown(const QString &text);

private:
    void loadText(const QString &data);
    // getCellColor on a colour list just read; the first showing stores the page.
    void applyColors(const QString &list);
    // The colours shown from a list just read; false when the page has none stored yet.
    bool showColors(const QString &list);
    // The page as stored, text, colours and hours, without a message. Throws AppError.
    void reloadStored();
    bool shownAsStored();
    // The page's version after a write of this station that read readAt.
    void adoptVersion(qint64 readAt, qint64 written);
    // This station's changed cells, colours and closed flag written compare-and-set, in the
    // caller's transaction or one of its own. Throws AppError.
    void storeChanges();
    // The page of the date shown opened again: it was deleted or made again meanwhile.
    void reopen();
    // populateGrid without its message. Throws AppError.
    void layOut();
    void mergeStoredCells(const PageText::Cells &stored, const PageText::Cells &mine);
    Dialogs &dialogs();

    AppState &m_state;
    GridModel m_grid;
    PageModel m_model;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PageStore> m_store;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<BookingStore> m_bookings;

    PageRecord m_page;     // the page shown, as last read
    bool m_closed = false; // Check1
    bool m_pageLock = false;
    QString m_location;
    PageModel::Totals m_totals;

    // The page as last loaded or stored, against which this station's changes are found.
    PageText::Cells m_baseCells;
    std::optional<QVector<qint64>> m_baseColors; // none before the page's first showing
    struct LeftClaim {
        PageKey key;
        int row = 0, col = 0;
        QString mark;
    };
    QVector<LeftClaim> m_leftClaims;
    bool m_baseClosed = false;
    bool m_activated = false;
    bool m_recovering = false;    // a failed colour save is reloading the page
    bool m_saveBlankPage = false; // the next page write is the page's first showing: blankPage too
    bool m_laidOut = false;       // rows, columns and text all read
    bool m_pageJustRead = false;  // m_page was read by this opening: filling the grid needs no second read
    SettingsStore::Layout m_layout;
    std::optional<SettingsStore::Layout> m_layoutJustRead; // read with the page by this opening
    qint64 m_dataVersion = -1;                             // the connection's view of other stations' commits
    BookingEraser m_eraseBooking;
    SpanChoice m_span;
    int m_bookingColor = 0;
    std::optional<QPoint> m_returnCell; // x: column, y: row
};
