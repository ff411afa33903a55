#pragma once
#include "booking/BookingEntries.h"
#include "booking/BookingPage.h"
#include "booking/BookingRecord.h"
#include "core/BookingCell.h"

#include <optional>

class AppState;
class BookingDesk;

// One opening of a booking record, without any window: claim the slot, find or create the
// record, save it with its hours and span, delete it, close. The booking form wires its
// controls to this; contention tests and the benchmark drive it directly.
//
// The cell is the one the flow was opened on, or claimed by claim(). Messages go through
// AppState::dialogs(); the paste buffer is the station's BookingDesk, which outlives every opening.
class BookingFlow {
public:
    // The record is read and written on the page's connection, so a booking's save commits
    // the record and the page together.
    BookingFlow(AppState &state, BookingPage &page, BookingDesk &desk, const BookingCell &cell = {});

    // What the form does after a command.
    enum class Outcome {
        StayOpen,    // the form stays as it is
        NameMissing, // refused: focus to the name
        Closed,      // the form closes (the page is told where the closing path tells it)
        Reloaded     // another station wrote the record first: the form shows it as stored now
    };

    // Enter on a slot of the page: the day page's claim. True when a booking may be opened; the
    // flow's cell is then that slot.
    bool claim(int row, int col);
    const BookingCell &cell() const { return m_cell; }
    // The hours the record held before this opening's last save or delete.
    float oldTotalTime() const { return m_oldTotalTime; }

    // Load: SeekRecord for the booking cell, then the flags cleared. False when the record
    // could not be found or made (slot-occupied message shown): the form closes.
    bool open();
    // FillBooking: the record's values; an entry without a value leaves its control as it is.
    BookingValues fill();
    // The texts of a form just created: all empty.
    static BookingEntries initialForm();
    // What an empty job box shows in grey ("Int 1", "Other 2"), never stored.
    static QString placeholder(BookingEntry::Id id);
    // A new form filled from the record: what the window shows after loading.
    BookingEntries loadedForm();
    // FillBooking's colour rule: a cell opened pale yellow is shown in the light booking colour.
    void fillColor();
    // Activation: a booking in a free slot gets the light booking colour.
    void activate();

    bool newRecord() const { return m_newRecord; }
    bool deleted() const { return m_deleted; }
    bool isStoredBooking() const { return m_record.isStored(); }
    // What this opening's form has had edited: any entry but the province and postal code, the
    // total (typed or added up), the colour. Saving and closing go by them.
    void recordEdited() { m_recordChanged = true; }
    void timeEdited() { m_timeChanged = true; }
    void clearEdits() { m_recordChanged = m_timeChanged = m_colorChanged = false; }
    bool recordChanged() const { return m_recordChanged; }
    bool timeChanged() const { return m_timeChanged; }
    bool colorChanged() const { return m_colorChanged; }

    // The day page's Delete key on a slot holding a stored booking: asks "Delete the booking of
    // NAME?" (No the default) and on Yes deletes it as the form's Delete does; no form may be open.
    static void deleteKey(AppState &state, BookingPage &page, BookingDesk &desk, int row, int col, const QString &name);

    // Commands of the form.
    Outcome saveCommand(const BookingEntries &form);
    // Save, Delete and Cut write only over the record as the form read it: when another station
    // saved it meanwhile, nothing is written, the form's data go to the paste buffer and the form
    // shows the stored record (Reloaded).
    Outcome deleteCommand(const BookingEntries &form);
    Outcome cut(const BookingEntries &form);
    Outcome exitForm(const BookingEntries &form);
    void copy(const BookingEntries &form);
    BookingEntries paste() const;
    // Colour button: the colour picked, then shadeCells. True when the form repaints.
    bool colorButton(int color);
    bool shadecells();
    // Closing: an unused claim is released; otherwise the cell shows what is stored, whatever
    // name the form holds.
    void closing(const QString &formName);

    // The routines the commands are made of. SaveBooking and DeleteRecord each write the record,
    // its cell, hours used and the span in one write transaction; UpdateHours and ShadeSpan are
    // their steps on the grid inside it.
    Outcome saveBooking(const BookingEntries &form);
    Outcome deleteRecord(const BookingEntries &form);
    void updateHours(float oldTotal, const QString &totalText);
    void shadeSpan(float hours, int color);

    // The sum of the ten job times as the total's text.
    static QString totalTime(const BookingEntries &form);

    static const QString Engaged;

private:
    Outcome saveCommand(const BookingEntries &form, bool retry);
    Outcome saveBooking(const BookingEntries &form, bool retry);
    bool reseek();
    Outcome changedElsewhere(const BookingEntries &form);
    Outcome slotTaken(const BookingEntries &form);
    Outcome remake(const BookingEntries &form);
    void resync();
    BookingRecord::PageLabels labels() const;
    void recordBusy(int number, const QString &title);
    BookingRecord::Cell recordCell() const;
    bool onBookingPage() const;

    AppState &m_state;
    BookingPage &m_page;
    BookingDesk &m_desk;
    BookingCell m_cell;
    BookingRecord m_record;
    float m_oldTotalTime = 0.0f;
    bool m_newRecord = false;
    bool m_deleted = false;
    bool m_saved = false; // this opening's save went through
    bool m_recordChanged = false;
    bool m_timeChanged = false;
    bool m_colorChanged = false;
    std::optional<int> m_pickedColor; // ColorPicked with SpanColor: a colour button was pressed
};
