#include "booking/DayPageBooking.h"

#include "app/AppState.h"
#include "app/Colors.h"
#include "daypage/DayPage.h"

QDate DayPageBooking::pageDate() const { return m_page.record().date; }
int DayPageBooking::rowCount() const { return m_page.model().grid().rows(); }
QString DayPageBooking::text(int row, int col) const { return m_page.model().grid().text(row, col); }
void DayPageBooking::setText(int row, int col, const QString &text) { m_page.grid().setText(row, col, text); }
int DayPageBooking::color(int row, int col) const { return int(m_page.model().grid().cellBackColor(row, col)); }
void DayPageBooking::setColor(int row, int col, int color) { m_page.grid().setCellBackColor(row, col, color); }
void DayPageBooking::setCurrentCell(int row, int col) { m_page.grid().setCurrentCell(row, col); }
bool DayPageBooking::pageLocked() const { return m_page.pageLock(); }
void DayPageBooking::RefreshGrid() { m_page.RefreshGrid(); }
void DayPageBooking::SaveGridData() { m_page.SaveGridData(); }
void DayPageBooking::SetCellColor() { m_page.SetCellColor(); }
void DayPageBooking::SumTotal() { m_page.SumTotal(); }
void DayPageBooking::TxtTotal() { m_page.TxtTotal(); }

BookingPage::Claim DayPageBooking::claimSlot(int row, int col)
{
    PageModel &model = m_page.model();
    GridModel &grid = m_page.grid();
    if (!model.isTimeSlot(row) || col < 1 || col > model.lastCol())
        return Claim::NotSlot;
    grid.setCurrentCell(row, col);
    m_page.RefreshGrid();
    if (grid.shownBackColor(row, col) == LunchColor)
        return Claim::Lunch;
    const QString text = grid.text(row, col);
    if (text == QLatin1String("Engaged"))
        return Claim::Engaged;
    Claim claim = Claim::Booked;
    if (text.isEmpty()) {
        if (!m_page.ClaimSlot(row, col))
            return Claim::Engaged;
        claim = Claim::Claimed;
    }
    AppState &state = m_page.state();
    state.BookingCol = col;
    state.BookingRow = row;
    // A cell without a colour of its own shows the grid's background, the free slot colour.
    state.BookingColor = int(grid.shownBackColor(row, col));
    state.BookingDate = m_page.record().date;
    return claim;
}
