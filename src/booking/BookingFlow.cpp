#include "booking/BookingFlow.h"

#include "booking/BookingDesk.h"
#include "booking/BookingTimes.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "daypage/DayPage.h"
#include "daypage/PageText.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/FileProblem.h"

using namespace BookingEntry;

const QString BookingFlow::Engaged = QStringLiteral("Engaged");

namespace {
constexpr int HoursUsedRow = 3;

const QString TitleCommandSave = QStringLiteral("Command Save");
const QString TitleSaveBooking = QStringLiteral("Save Booking");
const QString TitleDeleteRecord = QStringLiteral("Delete Record");
const QString TitleSeekRecord = QStringLiteral("Seek Record");
const QString TitleBookingRecord = QStringLiteral("Booking Record");
} // namespace

BookingFlow::BookingFlow(AppState &state, BookingPage &page, BookingDesk &desk, const BookingCell &cell)
    : m_state(state), m_page(page), m_desk(desk), m_cell(cell), m_record(page.database())
{
}

QString BookingFlow::totalTime(const BookingEntries &form) { return BookingTimes::totalText(form); }

BookingRecord::Cell BookingFlow::recordCell() const { return {m_cell.date, m_cell.col, m_cell.row}; }

bool BookingFlow::onBookingPage() const { return m_page.pageDate() == m_cell.date; }

bool BookingFlow::claim(int row, int col)
{
    const auto c = m_page.claimSlot(row, col);
    if (c != BookingPage::Claim::Claimed && c != BookingPage::Claim::Booked)
        return false;
    // A cell without a colour of its own (a closed page shows none) is a free slot.
    const int color = m_page.color(row, col);
    m_cell = {m_page.pageDate(), row, col, color ? color : int(FreeSlotColor), m_cell.at};
    return true;
}

bool BookingFlow::open()
{
    m_newRecord = false;
    m_deleted = false;
    m_saved = false;
    if (!reseek()) {
        m_page.bookingClosed(m_cell.row, m_cell.col);
        return false;
    }
    m_oldTotalTime = 0.0f;
    clearEdits();
    return true;
}

BookingRecord::PageLabels BookingFlow::labels() const
{
    BookingRecord::PageLabels labels;
    const int col = m_cell.col;
    if (col >= 0 && col < m_state.layout().techNames.size())
        labels.tech = m_state.layout().techNames.at(col);
    labels.time = m_page.text(m_cell.row, 0);
    return labels;
}

bool BookingFlow::reseek()
{
    try {
        // A read meets a lock only while another station commits.
        // The record is read whole or the form does not open: a form shown blank and saved
        // would write its empty fields over the stored ones.
        const bool created = retryOnLock([&] {
            const bool isNew = m_record.seek(recordCell(), labels());
            m_record.read();
            return isNew;
        });
        if (created) {
            m_newRecord = true;
            m_page.setCurrentCell(m_cell.row, m_cell.col);
        }
        return true;
    } catch (const AppError &e) {
        // Only another station's hold on the slot is reported as the slot being taken; a missing
        // table or a full disk is named as what it is.
        if (e.number() == ErrNo::RecordLocked || e.number() == ErrNo::DuplicateKey)
            m_state.dialogs()->info(QString::number(e.number())
                                        + QStringLiteral(" Another user has currently occupied this timeslot. Please "
                                                         "wait a while and try again, or select another timeslot."),
                                    TitleSeekRecord);
        else
            m_state.dialogs()->error(e, TitleSeekRecord);
        return false;
    }
}

void BookingFlow::resync()
{
    // After a write that rolled back: the record as stored again. A failure here shows at the
    // next command that needs the record.
    try {
        m_record.seek(recordCell(), labels());
    } catch (const AppError &e) {
        DiagnosticLog::passedOver(QStringLiteral("Seek Record"), e);
    }
}

BookingValues BookingFlow::fill()
{
    fillColor();
    return m_record.values();
}

BookingEntries BookingFlow::initialForm() { return emptyBookingEntries(); }

QString BookingFlow::placeholder(BookingEntry::Id id)
{
    switch (id) {
    case Internal1: return QStringLiteral("Int 1");
    case Internal2: return QStringLiteral("Int 2");
    case Other1: return QStringLiteral("Other 1");
    case Other2: return QStringLiteral("Other 2");
    default: return QString();
    }
}

BookingEntries BookingFlow::loadedForm()
{
    BookingEntries e = initialForm();
    const BookingValues v = fill();
    for (int i = 0; i < Count; ++i)
        if (v[i])
            e[i] = *v[i];
    return e;
}

void BookingFlow::fillColor()
{
    if (m_cell.color == BookingTimes::PaleYellow)
        m_cell.color = BookingTimes::LightBookingColor;
}

void BookingFlow::activate()
{
    if (m_cell.color == FreeSlotColor)
        m_cell.color = BookingTimes::LightBookingColor;
}

void BookingFlow::copy(const BookingEntries &form) { m_desk.setClip(form); }

BookingEntries BookingFlow::paste() const { return m_desk.clip(); }

void BookingFlow::recordBusy(int number, const QString &title)
{
    m_state.dialogs()->info(QStringLiteral("Error Number: ") + QString::number(number)
                                + QStringLiteral(" - Another user is currently updating this record. Please wait a "
                                                 "while and try again..."),
                            title);
}

BookingFlow::Outcome BookingFlow::saveCommand(const BookingEntries &form) { return saveCommand(form, false); }

BookingFlow::Outcome BookingFlow::saveCommand(const BookingEntries &form, bool retry)
{
    if (form[Name].isEmpty()) {
        m_state.dialogs()->info(QStringLiteral("Please enter Customer Name to save record. Press ESC key or Click "
                                               "'Close' icon to abandon record."),
                                TitleCommandSave);
        return Outcome::NameMissing;
    }
    // The slot's claim mark: a booking of that name would look like a free slot being booked.
    if (PageText::cellText(form[Name]).trimmed().compare(Engaged, Qt::CaseInsensitive) == 0) {
        m_state.dialogs()->info(QStringLiteral("\"%1\" marks a slot that is being booked and cannot be a customer "
                                               "name. Please enter the customer's name.")
                                    .arg(form[Name].trimmed()),
                                TitleCommandSave);
        return Outcome::NameMissing;
    }
    QString stored;
    try {
        stored = retryOnLock([&] { return m_record.storedName(); });
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, TitleSaveBooking);
        if (e.number() == ErrNo::RecordDeleted && !retry)
            return remake(form);
        return Outcome::StayOpen;
    }
    // Another station's booking in a slot this form opened empty; a booking the form opened is
    // guarded by its version in saveBooking, so its name can be corrected.
    if (stored.isEmpty() || !m_record.readName().isEmpty())
        return saveBooking(form, retry);
    return slotTaken(form);
}

BookingFlow::Outcome BookingFlow::slotTaken(const BookingEntries &form)
{
    m_state.dialogs()->info(QStringLiteral("A booking has just been been made for this timeslot! Your current data "
                                           "will be copied for pasting to another timeslot."),
                            TitleCommandSave);
    copy(form);
    m_page.bookingClosed(m_cell.row, m_cell.col);
    return Outcome::Closed;
}

BookingFlow::Outcome BookingFlow::remake(const BookingEntries &form)
{
    // Deleted at another station: the booking is made again in its cell with this form, unless
    // another booking has taken the cell since, which is never written over.
    if (!reseek())
        return Outcome::StayOpen;
    copy(form);
    if (m_record.isStored())
        return slotTaken(form);
    return saveCommand(form, true);
}

BookingFlow::Outcome BookingFlow::saveBooking(const BookingEntries &form) { return saveBooking(form, false); }

BookingFlow::Outcome BookingFlow::saveBooking(const BookingEntries &form, bool retry)
{
    m_oldTotalTime = 0.0f;
    copy(form);
    const int row = m_cell.row, col = m_cell.col;
    const float total = leadingNumber(form[TTime]);
    try {
        if (!onBookingPage())
            throw AppError(ErrNo::PageChanged, QStringLiteral("The page of the booking is not shown."));
        // The record, the name in its cell, hours used and the span: one write, all or nothing.
        m_page.writeTogether([&] {
            const float oldTotal = m_record.save(form);
            m_oldTotalTime = oldTotal;
            if (m_timeChanged || m_newRecord) {
                updateHours(oldTotal, form[TTime]);
                if (oldTotal != 0.0f)
                    shadeSpan(oldTotal, 0);
                shadeSpan(total, m_cell.color);
            } else if (m_colorChanged) {
                if (oldTotal != 0.0f)
                    shadeSpan(oldTotal, 0);
                shadeSpan(total, m_cell.color);
            }
            m_page.setCurrentCell(row, col);
            m_page.setText(row, col, form[Name]);
        });
    } catch (const AppError &e) {
        resync();
        switch (e.number()) {
        case ErrNo::RecordLocked: recordBusy(e.number(), TitleSaveBooking); return Outcome::StayOpen;
        case ErrNo::RecordChanged:
            if (!m_record.readName().isEmpty())
                return changedElsewhere(form);
            m_state.dialogs()->info(
                QString::number(e.number())
                    + QStringLiteral(" Another user has just booked an appointment for this timeslot! "
                                     "Your current data will be copied for pasting to another "
                                     "timeslot."),
                TitleSaveBooking);
            copy(form);
            m_page.bookingClosed(m_cell.row, m_cell.col);
            return Outcome::Closed;
        case ErrNo::RecordDeleted:
            m_state.dialogs()->error(e, TitleSaveBooking);
            return retry ? Outcome::StayOpen : remake(form);
        case ErrNo::PageChanged:
            // Nothing was written; the form stays, so the booking can be saved again.
            m_state.dialogs()->info(DayPage::PageChangedText, TitleSaveBooking);
            return Outcome::StayOpen;
        default: {
            m_state.dialogs()->error(e, TitleSaveBooking);
            // Nothing was written, and the message asks for room to be made and Save tried again:
            // the form keeps what was typed for that, its claim on the slot with it.
            const FileProblem::Cause cause = FileProblem::causeOf(e);
            if (cause == FileProblem::Cause::DiskFull || cause == FileProblem::Cause::ReadOnly)
                return Outcome::StayOpen;
            m_page.bookingClosed(m_cell.row, m_cell.col);
            return Outcome::Closed;
        }
        }
    }
    m_newRecord = false;
    m_saved = true;
    m_page.setCurrentCell(row, col);
    m_page.bookingClosed(m_cell.row, m_cell.col);
    return Outcome::Closed;
}

void BookingFlow::updateHours(float oldTotal, const QString &totalText)
{
    // On the page as the booking's write has just read it, under the write lock.
    const int row = m_cell.row, col = m_cell.col;
    m_page.setCurrentCell(HoursUsedRow, col);
    const QString used = m_page.text(HoursUsedRow, col);
    m_page.setText(HoursUsedRow, col, BookingTimes::hoursUsedAfterSave(used, leadingNumber(totalText), oldTotal));
    m_page.sumTotal();
    m_page.txtTotal();
    m_page.setCurrentCell(row, col);
}

void BookingFlow::shadeSpan(float hours, int color)
{
    m_page.setCurrentCell(m_cell.row, m_cell.col);
    m_page.paintSpan(BookingTimes::spanSlots(hours, m_state.layout().slotMinutes), color, m_cell.color);
}

BookingFlow::Outcome BookingFlow::deleteRecord(const BookingEntries &form)
{
    const int row = m_cell.row, col = m_cell.col;
    float oldTotal = 0.0f;
    try {
        if (!m_record.isStored()) {
            // Nothing stored to delete: the claim made for it is given back.
            m_record.remove();
            if (onBookingPage())
                m_page.releaseClaim(row, col);
        } else {
            if (!onBookingPage())
                throw AppError(ErrNo::PageChanged, QStringLiteral("The page of the booking is not shown."));
            // The record, its cell, its hours and its span go in one write.
            m_page.writeTogether([&] {
                oldTotal = m_record.remove();
                m_page.setCurrentCell(row, col);
                m_page.setText(row, col, QString());
                m_page.setText(HoursUsedRow, col,
                               BookingTimes::hoursUsedAfterDelete(m_page.text(HoursUsedRow, col), oldTotal));
                m_page.sumTotal();
                m_page.txtTotal();
                m_cell.color = FreeSlotColor;
                shadeSpan(oldTotal, m_cell.color);
            });
        }
    } catch (const AppError &e) {
        resync();
        if (e.number() == ErrNo::RecordChanged)
            return changedElsewhere(form);
        if (e.number() == ErrNo::RecordLocked)
            recordBusy(e.number(), TitleDeleteRecord);
        else if (e.number() == ErrNo::PageChanged)
            m_state.dialogs()->info(DayPage::PageChangedText, TitleDeleteRecord);
        else
            m_state.dialogs()->error(e, TitleDeleteRecord);
        m_page.bookingClosed(m_cell.row, m_cell.col);
        return Outcome::StayOpen;
    }
    m_oldTotalTime = oldTotal;
    m_deleted = true;
    m_page.setCurrentCell(row, col);
    m_page.bookingClosed(m_cell.row, m_cell.col);
    return Outcome::Closed;
}

BookingFlow::Outcome BookingFlow::changedElsewhere(const BookingEntries &form)
{
    m_state.dialogs()->info(QStringLiteral("Another station has changed this booking. Your changes have been kept "
                                           "for pasting; the form now shows what is stored."),
                            TitleBookingRecord);
    copy(form);
    // The stored record becomes the form's base: a save from here on starts from what is shown.
    if (!reseek()) {
        m_page.bookingClosed(m_cell.row, m_cell.col);
        return Outcome::Closed;
    }
    clearEdits();
    return Outcome::Reloaded;
}

BookingFlow::Outcome BookingFlow::deleteCommand(const BookingEntries &form)
{
    // No is the default: Enter alone never deletes a booking.
    if (m_state.dialogs()->message(QStringLiteral("Are you sure you want to delete this record?"), TitleDeleteRecord,
                                   Dialogs::YesNoDefaultNo, Dialogs::NoIcon)
        != Dialogs::AnsYes) {
        m_page.bookingClosed(m_cell.row, m_cell.col);
        return Outcome::Closed;
    }
    return deleteRecord(form) == Outcome::Reloaded ? Outcome::Reloaded : Outcome::Closed;
}

void BookingFlow::deleteKey(AppState &state, BookingPage &page, BookingDesk &desk, int row, int col,
                            const QString &name)
{
    if (state.dialogs()->message(QStringLiteral("Delete the booking of %1?").arg(name), TitleDeleteRecord,
                                 Dialogs::YesNoDefaultNo, Dialogs::NoIcon)
        != Dialogs::AnsYes)
        return;
    BookingFlow flow(state, page, desk, {page.pageDate(), row, col, page.color(row, col), {}});
    if (!flow.open())
        return;
    // Deleted as the form would, and only the booking the question named.
    const BookingEntries stored = flow.loadedForm();
    if (!flow.isStoredBooking() || stored[Name] != name) {
        page.refreshGrid();
        state.dialogs()->info(DayPage::PageChangedText, TitleDeleteRecord);
        return;
    }
    flow.deleteRecord(stored);
}

BookingFlow::Outcome BookingFlow::cut(const BookingEntries &form)
{
    copy(form);
    return deleteRecord(form);
}

BookingFlow::Outcome BookingFlow::exitForm(const BookingEntries &form)
{
    // Whatever was typed, in a new record or an existing one, is not dropped without a word.
    // Yes goes through the Save command, so an emptied name or another station's booking is
    // never written over from here either; No (the default) closes as before.
    if (m_recordChanged
        && m_state.dialogs()->message(QStringLiteral("Do you wish to save the changes made to this record?"),
                                      TitleBookingRecord, Dialogs::YesNoDefaultNo, Dialogs::NoIcon)
               == Dialogs::AnsYes)
        return saveCommand(form);
    if (form[Name].isEmpty() && m_newRecord)
        deleteRecord(form);
    m_page.bookingClosed(m_cell.row, m_cell.col);
    return Outcome::Closed;
}

bool BookingFlow::colorButton(int color)
{
    m_pickedColor = color;
    return shadecells();
}

bool BookingFlow::shadecells()
{
    if (!m_pickedColor)
        return false;
    m_cell.color = *m_pickedColor;
    m_colorChanged = true;
    return true;
}

void BookingFlow::closing(const QString &)
{
    if (!onBookingPage())
        return;
    const int row = m_cell.row, col = m_cell.col;
    m_page.setCurrentCell(row, col);
    // The cell shows what is stored: a saved booking's name and colour came in with its write,
    // and a name or colour never saved is not put into the page, where the next page save would
    // store it without its record.
    // Told by this opening's save, not by the text: a booking saved keeps its cell whatever its
    // name, and a claim over a record left from before is still released.
    if (m_saved || m_page.text(row, col) != Engaged)
        return;
    // The claim was not used: release it on the page as stored, so other stations see the slot
    // free again.
    try {
        m_page.releaseClaim(row, col);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, TitleBookingRecord);
    }
    m_page.setCurrentCell(row, col);
}
