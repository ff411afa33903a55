#include "daypage/DayPage.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/ListText.h"
#include "store/AppError.h"

#include <QPoint>

namespace {
// A page write that met another station's write lock is tried again a few times before the
// failure is shown: each try already waited for the lock, and the write only applies this
// station's own changes to the page as stored, so trying again never writes anything stale. A
// page write given up loses the station's change at the next reload (a booking's name or hours).
constexpr int PageWriteTries = 5;

template <class Write>
auto pageWrite(Write write)
{
    for (int i = 1;; ++i) {
        try {
            return write();
        } catch (const AppError &e) {
            if (e.number() != ErrNo::RecordLocked || i == PageWriteTries)
                throw;
        }
    }
}
} // namespace

DayPage::DayPage(AppState &state, QObject *parent) : QObject(parent), m_state(state), m_model(m_grid) {}

DayPage::~DayPage() = default;

Dialogs &DayPage::dialogs() { return *m_state.dialogs(); }

void DayPage::openDatabase(const QString &path)
{
    m_store.reset();
    m_db = std::make_unique<Database>(path);
    m_store = std::make_unique<PageStore>(*m_db);
}

void DayPage::readLocation()
{
    if (m_store)
        m_location = m_store->settings().location;
}

bool DayPage::openDate(const QDate &date)
{
    const QDate before = m_state.layout().PageDate;
    m_state.layout().PageDate = date;
    if (!OpenPage(date)) {
        m_state.layout().PageDate = before;
        return false;
    }
    PopulateGrid();
    return true;
}

bool DayPage::OpenPage(const QDate &date)
{
    if (!m_store)
        return false;
    for (;;) {
        try {
            if (auto found = m_store->find(date)) {
                m_page = *found;
            } else {
                const PageStore::Created made = m_store->create(date);
                m_page = made.page;
                if (made.created) {
                    NewPageFlag = true;
                    GetEmptyString(made);
                }
            }
            m_closed = m_page.clinic;
            m_baseClosed = m_page.clinic;
            return true;
        } catch (const AppError &e) {
            NewPageFlag = false;
            // Another station making the same page holds the file a moment: wait and try again.
            if (e.number() == ErrNo::RecordLocked || e.number() == ErrNo::DuplicateKey) {
                dialogs().message(QStringLiteral("Another user is currently creating this page. Please wait a while "
                                                 "to open it..."),
                                  QStringLiteral("Seek Record"));
                continue;
            }
            dialogs().error(e, QStringLiteral("Seek Record"));
            return false;
        }
    }
}

void DayPage::GetEmptyString(const PageStore::Created &made)
{
    // The record was made with the weekday's template in the same transaction.
    if (made.templateMissing) {
        NewPageFlag = false;
        dialogs().error(AppError(94, QStringLiteral("Invalid use of Null")), QStringLiteral("Get Empty String"));
        return;
    }
    EmptyPageText = made.page.data;
    NewPageFlag = false;
}

void DayPage::PopulateGrid()
{
    if (!hasPage())
        return;
    try {
        m_pageLock = m_page.date < QDate::currentDate();
        m_state.layout().OpenTime = m_page.open;
        m_state.layout().CloseTime = m_page.close;
        m_state.layout().SlotMinutes = m_page.timeslot;
        GridBatch batch(m_grid);
        DrawRows(m_state.layout().OpenTime, m_state.layout().CloseTime, m_state.layout().SlotMinutes);
        m_state.layout().TechCount = m_page.listno;
        m_state.layout().TechSites = SplitList(m_page.sites);
        m_state.layout().TechNames = SplitList(m_page.names);
        DrawColumns(m_state.layout().TechCount, m_state.layout().TechSites, m_state.layout().TechNames);
        Fillgrid();
    } catch (const AppError &e) {
        dialogs().error(e, QStringLiteral("PopulateGrid"));
    }
}

bool DayPage::DrawRows(const QString &open, const QString &close, int slotMinutes)
{
    try {
        m_model.drawRows(open, close, slotMinutes, m_store->layoutSettings().rHeight);
        EmptyPageText = m_model.emptyPageText();
        return true;
    } catch (const AppError &e) {
        dialogs().message(QStringLiteral("Error Number: %1 %2").arg(e.number()).arg(e.description()),
                          QStringLiteral("Draw Rows"));
        return false;
    }
}

void DayPage::DrawColumns(int techCount, const QStringList &sites, const QStringList &names)
{
    m_model.drawColumns(techCount, sites, names, m_store->layoutSettings().cwidth);
}

void DayPage::loadText(const QString &data)
{
    m_model.loadPageText(data);
    m_baseCells = m_model.pageCells();
}

void DayPage::Fillgrid()
{
    if (!hasPage())
        return;
    try {
        m_page = m_store->load(m_page.id);
        GridBatch batch(m_grid);
        loadText(m_page.data);
        m_model.setLook(m_closed);
        if (!m_closed) {
            applyColors(m_page.color);
        } else {
            // A closed page shows no cell colours.
            m_model.fillCellColors(0);
            m_baseColors = m_model.cellColors();
        }
        SumTotal();
        TxtTotal();
    } catch (const AppError &e) {
        dialogs().error(e, QStringLiteral("Fillgrid"));
    }
    emit filled();
}

void DayPage::GetCellColor()
{
    if (!hasPage())
        return;
    try {
        m_page.color = m_store->colorList(m_page.id);
    } catch (const AppError &e) {
        // Errors here are passed over: the colours as last read.
        DiagnosticLog::passedOver(QStringLiteral("GetCellColor"), e);
    }
    applyColors(m_page.color);
}

void DayPage::applyColors(const QString &list)
{
    if (ColorList::isUnset(list)) {
        {
            GridBatch batch(m_grid);
            m_model.fillCellColors(m_grid.backColor());
            m_model.lunchPass();
        }
        m_baseColors.reset();
        if (m_recovering)
            return;
        // First showing: the colour list, the text without LUNCH, and that text as the blank page.
        SaveBlankPageFlag = true;
        SaveCellColor();
        SaveGridData();
        return;
    }
    GridBatch batch(m_grid);
    m_model.applyColorList(list);
    m_baseColors = m_model.cellColors();
    m_model.lunchPass();
}

void DayPage::RefreshGrid()
{
    if (!hasPage())
        return;
    try {
        const QString fixedMemo = m_store->fixedMemo();
        m_page = m_store->load(m_page.id);
        emit memosRead(fixedMemo, m_page.memo);
        GridBatch batch(m_grid);
        loadText(m_page.data);
        SumTotal();
        TxtTotal();
        if (!m_closed)
            applyColors(m_page.color);
    } catch (const AppError &e) {
        dialogs().error(e, QStringLiteral("Refresh Grid"));
    }
}

void DayPage::mergeStoredCells(const PageText::Cells &stored, const PageText::Cells &mine)
{
    m_baseCells = stored;
    if (stored == mine)
        return;
    // Another station's cells came in with the save.
    GridBatch batch(m_grid);
    m_model.setPageCells(stored);
    m_baseCells = m_model.pageCells();
    SumTotal();
    TxtTotal();
}

void DayPage::SaveGridData()
{
    if (!hasPage())
        return;
    SaveCellColor();
    if (SkipSaveFlag) {
        SkipSaveFlag = false;
        return;
    }
    try {
        const PageText::Cells mine = m_model.pageCells();
        if (mine == m_baseCells && m_closed == m_baseClosed && !SaveBlankPageFlag)
            return; // nothing of this station's to store
        const PageText::Cells stored = pageWrite([&] {
            return m_store->saveText(m_page.id, m_baseCells, mine, m_baseClosed, m_closed, SaveBlankPageFlag,
                                     PageModel::HoursUsedRow - PageModel::TextTopRow);
        });
        SaveBlankPageFlag = false;
        m_baseClosed = m_closed;
        mergeStoredCells(stored, mine);
    } catch (const AppError &e) {
        dialogs().message(QStringLiteral("%1  %2").arg(e.number()).arg(e.description()), QStringLiteral("Save Grid Data"));
    }
}

void DayPage::SaveCellColor()
{
    if (!hasPage())
        return;
    try {
        const QVector<qint64> mine = m_model.cellColors();
        if (m_baseColors && mine == *m_baseColors)
            return;
        const QVector<qint64> stored = pageWrite([&] { return m_store->saveColors(m_page.id, m_baseColors, mine); });
        m_baseColors = stored;
        if (stored != mine)
            m_model.setCellColors(stored);
    } catch (const AppError &e) {
        if (e.number() == ErrNo::RecordLocked) {
            dialogs().message(QStringLiteral("Error Number: %1 - Another user is currently updating this page. Please "
                                             "wait a while and try again...")
                                  .arg(e.number()),
                              QStringLiteral("Save Cell Color"));
            SkipSaveFlag = true;
        } else {
            dialogs().error(e, QStringLiteral("Save Cell Color"));
        }
        m_recovering = true;
        RefreshGrid();
        m_recovering = false;
        emit focusGrid();
    }
}

void DayPage::SumTotal() { m_model.sumTotal(); }

void DayPage::TxtTotal()
{
    m_totals = m_model.totals();
    emit totalsChanged();
}

bool DayPage::ClaimSlot(int row, int col, const QString &mark)
{
    if (!hasPage() || !m_model.isTimeSlot(row) || col < 1 || col > m_model.lastCol())
        return false;
    const PageText::Cells mine = m_model.pageCells();
    const PageStore::Claim claim =
        m_store->claimCell(m_page.id, int(mine.size()), m_model.lastCol(), row - PageModel::TextTopRow, col - 1, mark);
    // The claim is stored; this station's other unsaved cells stay as they are on screen.
    PageText::Cells shown = PageText::merged(claim.cells, m_baseCells, mine);
    m_baseCells = claim.cells;
    GridBatch batch(m_grid);
    m_model.setPageCells(shown);
    return claim.claimed;
}

DayPage::SlotEnter DayPage::EnterSlot(int row, int col)
{
    if (!hasPage() || !m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return SlotEnter::NotSlot;
    m_grid.setCurrentCell(row, col);
    RefreshGrid();
    if (m_grid.shownBackColor(row, col) == LunchColor)
        return SlotEnter::Lunch;
    const QString engaged = QStringLiteral("Engaged");
    SlotEnter result = SlotEnter::Booked;
    const QString text = m_grid.text(row, col);
    if (text == engaged)
        return SlotEnter::Engaged;
    if (text.isEmpty()) {
        if (ClaimSlot(row, col, engaged)) {
            result = SlotEnter::Claimed;
        } else {
            // Another station got there between the reload and the claim.
            const QString now = m_grid.text(row, col);
            if (now.isEmpty() || now == engaged)
                return SlotEnter::Engaged;
        }
    }
    m_state.booking().BookingCol = col;
    m_state.booking().BookingRow = row;
    // A cell without a colour of its own (a closed page shows none) is a free slot.
    const qint64 colour = m_grid.cellBackColor(row, col);
    m_state.booking().BookingColor = int(colour ? colour : FreeSlotColor);
    m_state.booking().BookingDate = m_page.date;
    return result;
}

void DayPage::storeCells()
{
    const PageText::Cells mine = m_model.pageCells();
    if (mine == m_baseCells)
        return;
    mergeStoredCells(m_store->saveCells(m_page.id, m_baseCells, mine), mine);
}

DayPage::CellSave DayPage::SaveCellContent(int row, int col, const QString &editText)
{
    if (!hasPage() || !m_grid.isValidCell(row, col) || m_grid.isFixedCell(row, col))
        return CellSave::Failed;
    EditText = PageText::cellText(editText);
    m_grid.setCurrentCell(row, col);
    RefreshGrid();
    const QString reloaded = m_grid.text(row, col);
    try {
        if (!reloaded.isEmpty()) {
            if (reloaded == EditText)
                return CellSave::Unchanged;
            emit cellTextShown(reloaded);
            const auto answer = dialogs().message(
                QStringLiteral("An entry has already been made for this timeslot. Do you wish to replace this entry?"),
                QStringLiteral("Booking"), Dialogs::YesNoDefaultNo);
            if (answer != Dialogs::AnsYes) {
                RefreshGrid();
                m_grid.setCurrentCell(row, col);
                return CellSave::Declined;
            }
        }
        m_grid.setText(row, col, EditText);
        storeCells();
        m_grid.setCurrentCell(row, col);
        return CellSave::Stored;
    } catch (const AppError &e) {
        m_grid.setText(row, col, reloaded);
        m_grid.setCurrentCell(row, col);
        dialogs().error(e, QStringLiteral("Save Cell Content"));
        return CellSave::Failed;
    }
}

void DayPage::DeleteCell()
{
    const int r = m_grid.row();
    const int c = m_grid.col();
    if (!hasPage() || !m_grid.isValidCell(r, c) || m_grid.isFixedCell(r, c))
        return;
    {
        GridBatch batch(m_grid);
        m_grid.setText(r, c, QString());
        // Only time rows keep colours of their own; a closed page shows none.
        if (r >= PageModel::FirstTimeRow && !m_closed)
            m_grid.setCellBackColor(r, c, m_grid.backColor());
    }
    SaveGridData();
}

void DayPage::SetCellColor()
{
    const int row = m_grid.row();
    const int col = m_grid.col();
    if (!hasPage() || !m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return;
    m_state.span().SpanSlotsChosen = false;
    m_state.span().SpanColorChosen = false;
    GetCellColor();
    {
        GridBatch batch(m_grid);
        // A lunch cell is never painted, not even as the first cell of a span.
        if (m_grid.shownBackColor(row, col) != LunchColor)
            m_grid.setCellBackColor(row, col, m_state.booking().BookingColor);
        for (int r = row, painted = 0; painted != m_state.span().SpanSlots && m_model.isTimeSlot(r); ++r) {
            if (m_grid.shownBackColor(r, col) == LunchColor)
                continue;
            m_grid.setCellBackColor(r, col, m_state.span().SpanColor);
            ++painted;
        }
    }
    m_grid.setCurrentCell(row, col);
    SaveCellColor();
}

void DayPage::PaintCell(qint64 colour)
{
    if (!hasPage())
        return;
    m_state.span().SpanColor = int(colour);
    const int row = m_grid.row();
    const int col = m_grid.col();
    RefreshGrid();
    if (m_model.isTimeSlot(row) && m_model.isTechColumn(col))
        m_grid.setCellBackColor(row, col, colour);
    m_grid.setCurrentCell(row, col);
    SaveCellColor();
}

void DayPage::setClosed(bool closed)
{
    if (!hasPage())
        return;
    m_closed = closed;
    Fillgrid();
    homeCell();
    try {
        m_store->setClosed(m_page.id, closed);
        m_page.clinic = closed;
        m_baseClosed = closed;
    } catch (const AppError &e) {
        dialogs().message(QStringLiteral("%1: Error Description: %2").arg(e.number()).arg(e.description()),
                          QStringLiteral("Combo Reset"));
    }
}

void DayPage::activate()
{
    SkipSaveFlag = false;
    Fillgrid();
    BookingEdit &booking = m_state.booking();
    if (booking.BookingClosed) {
        // Once: a later activation (back from help or another window) must not send the user,
        // and their next Enter, to an old booking's cell.
        booking.BookingClosed = false;
        m_grid.setCurrentCell(booking.BookingRow, booking.BookingCol);
    } else if (!m_activated) {
        homeCell();
    }
    m_activated = true;
}

void DayPage::homeCell()
{
    m_grid.setCurrentCell(PageModel::FirstTimeRow, 1);
    m_grid.setTopRow(PageModel::SeparatorRow);
}

std::optional<QPoint> DayPage::findCell(const QString &text) const
{
    for (int c = 1; c < m_grid.cols(); ++c)
        for (int r = PageModel::HoursUsedRow; r < m_grid.rows(); ++r)
            if (m_grid.text(r, c).contains(text, Qt::CaseInsensitive))
                return QPoint(c, r);
    return std::nullopt;
}
