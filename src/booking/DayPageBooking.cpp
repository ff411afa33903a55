#include "booking/DayPageBooking.h"

#include "booking/BookingFlow.h"
#include "daypage/DayPage.h"

void DayPageBooking::eraseBookingsOn(DayPage &page, BookingDesk &desk)
{
    page.setBookingEraser([&page, &desk](int row, int col, const QString &name) {
        DayPageBooking view(page);
        BookingFlow::deleteKey(page.state(), view, desk, row, col, name);
    });
}

QDate DayPageBooking::pageDate() const { return m_page.record().date; }
int DayPageBooking::rowCount() const { return m_page.model().grid().rows(); }
QString DayPageBooking::text(int row, int col) const { return m_page.model().grid().text(row, col); }
void DayPageBooking::setText(int row, int col, const QString &text) { m_page.grid().setText(row, col, text); }
int DayPageBooking::color(int row, int col) const { return int(m_page.model().grid().cellBackColor(row, col)); }
void DayPageBooking::setColor(int row, int col, int color) { m_page.grid().setCellBackColor(row, col, color); }
void DayPageBooking::setCurrentCell(int row, int col) { m_page.grid().setCurrentCell(row, col); }
bool DayPageBooking::pageLocked() const { return m_page.pageLock(); }
Database &DayPageBooking::database() { return m_page.database(); }
void DayPageBooking::writeTogether(const std::function<void()> &change) { m_page.writeTogether(change); }
void DayPageBooking::releaseClaim(int row, int col) { m_page.releaseClaim(row, col); }
void DayPageBooking::refreshGrid() { m_page.refreshGrid(); }
void DayPageBooking::bookingClosed(int row, int col) { m_page.returnAfterBooking(row, col); }
void DayPageBooking::paintSpan(int cells, int color, int cellColor)
{
    m_page.setBookingColor(cellColor);
    m_page.paintSpan(cells, color);
}
void DayPageBooking::sumTotal() { m_page.sumTotal(); }
void DayPageBooking::txtTotal() { m_page.txtTotal(); }

BookingPage::Claim DayPageBooking::claimSlot(int row, int col)
{
    // Enter on a time slot is the day page's own routine.
    switch (m_page.enterSlot(row, col)) {
    case DayPage::SlotEnter::NotSlot: return Claim::NotSlot;
    case DayPage::SlotEnter::Lunch: return Claim::Lunch;
    case DayPage::SlotEnter::Engaged: return Claim::Engaged;
    case DayPage::SlotEnter::Claimed: return Claim::Claimed;
    case DayPage::SlotEnter::Booked: return Claim::Booked;
    }
    return Claim::NotSlot;
}
