#include "daypage/DayPage.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DiagnosticLog.h"
#include "core/Dialogs.h"
#include "core/ListText.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/Engine.h"

#include <QPoint>
#include <utility>

namespace {
// A page write that met another station's write lock is tried again before the failure is
// shown: the write only applies this station's own changes to the page as stored, so trying
// again never writes anything stale. Reads meet a lock only while another station commits; they
// are tried as often.
template <class Write>
auto pageWrite(Write write)
{
    return retryOnLock(write);
}

template <class Read>
auto pageRead(Read read)
{
    return retryOnLock(read);
}

// A cell that keeps changing under the replace question is given up after this many answers.
constexpr int QuestionRounds = 10;

int counterRow() { return PageModel::HoursUsedRow - PageModel::TextTopRow; }
} // namespace

const QString DayPage::PageChangedText =
    QStringLiteral("Another station has changed this timeslot. The page now shows what is stored.");

DayPage::DayPage(AppState &state, QObject *parent) : QObject(parent), m_state(state), m_model(m_grid) {}

DayPage::~DayPage() = default;

Dialogs &DayPage::dialogs() { return *m_state.dialogs(); }

void DayPage::openDatabase(const QString &path)
{
    m_store.reset();
    m_settings.reset();
    m_bookings.reset();
    m_db = std::make_unique<Database>(path);
    m_store = std::make_unique<PageStore>(*m_db);
    m_settings = std::make_unique<SettingsStore>(*m_db);
    m_bookings = std::make_unique<BookingStore>(*m_db);
}

void DayPage::readLocation()
{
    if (m_store)
        m_location = m_settings->office().location;
}

bool DayPage::openDate(const QDate &date)
{
    const QDate before = m_state.layout().pageDate;
    m_state.layout().pageDate = date;
    if (!openPage(date)) {
        m_layoutJustRead.reset();
        m_state.layout().pageDate = before;
        return false;
    }
    // The record just read is the one shown: the page row is read once per opening.
    m_pageJustRead = true;
    populateGrid();
    m_pageJustRead = false;
    m_layoutJustRead.reset();
    return true;
}

bool DayPage::openPage(const QDate &date)
{
    if (!m_store)
        return false;
    for (;;) {
        try {
            m_layoutJustRead.reset();
            if (auto found = pageRead([&] { return m_store->find(date, &m_layoutJustRead); })) {
                m_page = *found;
            } else {
                const PageStore::Created made = pageWrite([&] { return m_store->create(date); });
                m_page = made.page;
                if (made.created)
                    getEmptyString(made);
            }
            m_closed = m_page.clinic;
            m_baseClosed = m_page.clinic;
            m_laidOut = false;
            return true;
        } catch (const AppError &e) {
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

void DayPage::getEmptyString(const PageStore::Created &made)
{
    // The record was made with the weekday's template in the same transaction.
    if (made.templateMissing)
        dialogs().error(AppError(94, QStringLiteral("Invalid use of Null")), QStringLiteral("Get Empty String"));
}

void DayPage::populateGrid()
{
    try {
        layOut();
    } catch (const AppError &e) {
        dialogs().error(e, QStringLiteral("PopulateGrid"));
    }
}

void DayPage::layOut()
{
    if (!m_page.id)
        return;
    m_laidOut = false;
    // A layout read half way would leave a grid of another shape that could be booked.
    if (auto justRead = std::exchange(m_layoutJustRead, std::nullopt))
        m_layout = *justRead;
    else
        m_layout = pageRead([&] { return m_settings->layout(); });
    m_pageLock = m_page.date < QDate::currentDate();
    m_state.layout().openTime = m_page.open;
    m_state.layout().closeTime = m_page.close;
    m_state.layout().slotMinutes = m_page.timeslot;
    GridBatch batch(m_grid);
    drawRows(m_state.layout().openTime, m_state.layout().closeTime, m_state.layout().slotMinutes);
    m_state.layout().techCount = m_page.listno;
    m_state.layout().techSites = splitList(m_page.sites);
    m_state.layout().techNames = splitList(m_page.names);
    drawColumns(m_state.layout().techCount, m_state.layout().techSites, m_state.layout().techNames);
    m_laidOut = true;
    fillGrid();
}

bool DayPage::drawRows(const QString &open, const QString &close, int slotMinutes)
{
    try {
        m_model.drawRows(open, close, slotMinutes, m_layout.rHeight);
        return true;
    } catch (const AppError &e) {
        dialogs().message(QStringLiteral("Error Number: %1 %2").arg(e.number()).arg(e.description()),
                          QStringLiteral("Draw Rows"));
        return false;
    }
}

void DayPage::drawColumns(int techCount, const QStringList &sites, const QStringList &names)
{
    m_model.drawColumns(techCount, sites, names, m_layout.cwidth);
}

void DayPage::loadText(const QString &data)
{
    m_model.loadPageText(data);
    m_baseCells = m_model.pageCells();
}

void DayPage::fillGrid()
{
    if (!hasPage())
        return;
    try {
        if (!std::exchange(m_pageJustRead, false))
            m_page = pageRead([&] { return m_store->load(m_page.key()); });
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
        sumTotal();
        txtTotal();
    } catch (const AppError &e) {
        if (e.number() == ErrNo::PageChanged) {
            reopen();
            return;
        }
        // A page whose text could not be read is not one to book in.
        m_laidOut = false;
        dialogs().error(e, QStringLiteral("Fillgrid"));
    }
    emit filled();
}

void DayPage::getCellColor()
{
    if (!hasPage())
        return;
    try {
        m_page.color = m_store->colorList(m_page.key());
    } catch (const AppError &e) {
        // Errors here are passed over: the colours as last read.
        DiagnosticLog::passedOver(QStringLiteral("GetCellColor"), e);
    }
    applyColors(m_page.color);
}

bool DayPage::showColors(const QString &list)
{
    GridBatch batch(m_grid);
    if (ColorList::isUnset(list)) {
        m_model.fillCellColors(m_grid.backColor());
        m_model.lunchPass();
        m_baseColors.reset();
        return false;
    }
    m_model.applyColorList(list);
    m_baseColors = m_model.cellColors();
    m_model.lunchPass();
    return true;
}

void DayPage::applyColors(const QString &list)
{
    if (showColors(list) || m_recovering)
        return;
    // First showing: the colour list, the text without LUNCH, and that text as the blank page.
    m_saveBlankPage = true;
    saveGridData();
}

void DayPage::adoptVersion(qint64 readAt, qint64 written)
{
    // A write over the version this station holds leaves what it shows as stored. Over a newer
    // one, another station's change to the rest of the page (its memo, its other cells or
    // colours) is not shown yet: the older version makes the next look read the page again.
    if (readAt == m_page.version)
        m_page.version = written;
}

bool DayPage::shownAsStored()
{
    // Nobody has written the page since this station read or wrote it, and nothing of this
    // station's own is on screen unstored: reading it again would show the same.
    if (m_saveBlankPage || m_closed != m_baseClosed || !m_baseColors)
        return false;
    const std::optional<qint64> stored = m_store->version(m_page.key());
    return stored && *stored == m_page.version && m_model.pageCells() == m_baseCells
           && m_model.cellColors() == *m_baseColors;
}

void DayPage::reloadStored()
{
    if (shownAsStored()) {
        GridBatch batch(m_grid);
        sumTotal();
        txtTotal();
        return;
    }
    m_page = m_store->load(m_page.key());
    GridBatch batch(m_grid);
    loadText(m_page.data);
    if (!m_closed && !showColors(m_page.color))
        m_saveBlankPage = true; // a write of the page now is its first showing
    sumTotal();
    txtTotal();
}

void DayPage::reopen()
{
    // The record this station showed is gone: the page of the same date as stored now.
    const int row = m_grid.row(), col = m_grid.col();
    if (openDate(m_page.date) && m_grid.isValidCell(row, col))
        m_grid.setCurrentCell(row, col);
}

void DayPage::refreshGrid()
{
    if (!hasPage())
        return;
    try {
        const QString fixedMemo = pageRead([&] { return m_settings->fixedMemo(); });
        const bool firstShowing = pageRead([&] {
            reloadStored();
            return m_saveBlankPage;
        });
        emit memosRead(fixedMemo, m_page.memo);
        if (firstShowing && !m_recovering)
            saveGridData();
    } catch (const AppError &e) {
        if (e.number() == ErrNo::PageChanged)
            reopen();
        else
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
    sumTotal();
    txtTotal();
}

void DayPage::storeChanges()
{
    const QVector<qint64> mineColors = m_model.cellColors();
    std::optional<PageStore::ColorsToSave> colorsToSave;
    if (!m_baseColors || mineColors != *m_baseColors)
        colorsToSave = PageStore::ColorsToSave{m_baseColors, mineColors};
    const PageText::Cells mine = m_model.pageCells();
    std::optional<PageStore::TextToSave> textToSave;
    if (mine != m_baseCells || m_closed != m_baseClosed || m_saveBlankPage)
        textToSave = PageStore::TextToSave{m_baseCells, mine, m_baseClosed, m_closed, m_saveBlankPage, counterRow()};
    if (!colorsToSave && !textToSave)
        return;
    const PageStore::Saved saved = m_store->savePage(m_page.key(), colorsToSave, textToSave);
    adoptVersion(saved.readAt, saved.version);
    if (saved.colors) {
        m_baseColors = *saved.colors;
        if (*saved.colors != mineColors)
            m_model.setCellColors(*saved.colors);
    }
    if (saved.cells) {
        m_saveBlankPage = false;
        m_baseClosed = m_closed;
        mergeStoredCells(*saved.cells, mine);
    }
}

void DayPage::pageChanged(const QString &title)
{
    const int row = m_grid.row(), col = m_grid.col();
    refreshGrid();
    if (m_grid.isValidCell(row, col))
        m_grid.setCurrentCell(row, col);
    dialogs().info(PageChangedText, title);
}

void DayPage::saveGridData()
{
    if (!hasPage())
        return;
    // Colours and text go in one write; a lock on it is the colour save's, as it comes first.
    const int row = m_grid.row(), col = m_grid.col();
    try {
        pageWrite([&] { storeChanges(); });
    } catch (const AppError &e) {
        if (e.number() == ErrNo::PageChanged) {
            pageChanged(QStringLiteral("Save Grid Data"));
        } else if (e.number() == ErrNo::RecordLocked) {
            dialogs().message(QStringLiteral("Error Number: %1 - Another user is currently updating this page. Please "
                                             "wait a while and try again...")
                                  .arg(e.number()),
                              QStringLiteral("Save Cell Color"));
            m_recovering = true;
            refreshGrid();
            m_recovering = false;
            emit focusGrid();
        } else {
            const QString text = QStringLiteral("%1  %2").arg(e.number()).arg(e.description());
            dialogs().message(text, QStringLiteral("Save Grid Data"));
        }
    }
    if (m_grid.isValidCell(row, col))
        m_grid.setCurrentCell(row, col);
}

void DayPage::saveCellColor()
{
    if (!hasPage())
        return;
    try {
        const QVector<qint64> mine = m_model.cellColors();
        if (m_baseColors && mine == *m_baseColors)
            return;
        const PageStore::Saved saved = pageWrite([&] {
            return m_store->savePage(m_page.key(), PageStore::ColorsToSave{m_baseColors, mine}, {});
        });
        adoptVersion(saved.readAt, saved.version);
        const QVector<qint64> stored = *saved.colors;
        m_baseColors = stored;
        if (stored != mine)
            m_model.setCellColors(stored);
    } catch (const AppError &e) {
        if (e.number() == ErrNo::PageChanged) {
            pageChanged(QStringLiteral("Save Cell Color"));
            emit focusGrid();
            return;
        }
        if (e.number() == ErrNo::RecordLocked) {
            dialogs().message(QStringLiteral("Error Number: %1 - Another user is currently updating this page. Please "
                                             "wait a while and try again...")
                                  .arg(e.number()),
                              QStringLiteral("Save Cell Color"));
        } else {
            dialogs().error(e, QStringLiteral("Save Cell Color"));
        }
        m_recovering = true;
        refreshGrid();
        m_recovering = false;
        emit focusGrid();
    }
}

void DayPage::writeTogether(const std::function<void()> &change)
{
    if (!hasPage())
        throw AppError(ErrNo::PageChanged, QStringLiteral("No page is shown."));
    const int row = m_grid.row(), col = m_grid.col();
    try {
        pageWrite([&] {
            WriteTransaction tx(*m_db, m_page.date);
            reloadStored();
            change();
            storeChanges();
            tx.commit();
        });
    } catch (const AppError &) {
        // Whatever change put into the grid was not stored.
        m_recovering = true;
        refreshGrid();
        m_recovering = false;
        if (m_grid.isValidCell(row, col))
            m_grid.setCurrentCell(row, col);
        throw;
    }
}

bool DayPage::pollChanges()
{
    if (!m_page.id || !m_db)
        return false;
    if (!m_leftClaims.isEmpty())
        releaseLeftClaims(); // a release shows below as any other change of the page
    try {
        if (!m_laidOut) {
            // A page that could not be read completely is laid out again, without a message
            // each time the file is still busy.
            layOut();
            return m_laidOut;
        }
        const qint64 now = m_db->engine().dataVersion(*m_db);
        if (now == m_dataVersion)
            return false;
        const std::optional<qint64> version = m_store->version(m_page.key());
        if (version && *version == m_page.version) {
            m_dataVersion = now; // heartbeats and other pages cost no redraw
            return false;
        }
        const int row = m_grid.row(), col = m_grid.col(), top = m_grid.topRow();
        if (!version) {
            reopen();
        } else {
            // Cells this station changed and has not stored yet stay as they are on screen.
            const PageText::Cells mine = m_model.pageCells();
            const PageText::Cells base = m_baseCells;
            const std::optional<QVector<qint64>> baseColors = m_baseColors;
            const QVector<qint64> mineColors = m_model.cellColors();
            const PageRecord page = m_store->load(m_page.key());
            GridBatch batch(m_grid);
            m_page = page;
            m_closed = m_baseClosed = page.clinic;
            loadText(page.data);
            m_model.setPageCells(PageText::merged(m_baseCells, base, mine));
            m_model.setLook(m_closed);
            if (m_closed) {
                m_model.fillCellColors(0);
                m_baseColors = m_model.cellColors();
            } else if (showColors(page.color) && baseColors && mineColors != *baseColors) {
                QVector<qint64> shown = m_model.cellColors();
                for (int i = 0; i < shown.size() && i < mineColors.size() && i < baseColors->size(); ++i)
                    if (mineColors.at(i) != baseColors->at(i))
                        shown[i] = mineColors.at(i);
                m_model.setCellColors(shown);
            }
            sumTotal();
            txtTotal();
            emit memosRead(m_settings->fixedMemo(), page.memo);
        }
        m_dataVersion = now;
        if (m_grid.isValidCell(row, col)) {
            m_grid.setCurrentCell(row, col);
            m_grid.setTopRow(top);
        }
        return true;
    } catch (const AppError &e) {
        // Another station committing right now: the next poll reads it.
        DiagnosticLog::passedOver(QStringLiteral("Live refresh"), e);
        return false;
    }
}

void DayPage::sumTotal() { m_model.sumTotal(); }

void DayPage::txtTotal()
{
    m_totals = m_model.totals();
    emit totalsChanged();
}

bool DayPage::claimSlot(int row, int col, const QString &mark)
{
    if (!hasPage() || !m_model.isTimeSlot(row) || col < 1 || col > m_model.lastCol())
        return false;
    // Claimed again here: a release still waiting must not empty it under the new booking.
    m_leftClaims.removeIf(
        [&](const LeftClaim &left) { return left.key.id == m_page.id && left.row == row && left.col == col; });
    const PageText::Cells mine = m_model.pageCells();
    const PageStore::Claim claim = pageWrite([&] {
        return m_store->claimCell(m_page.key(), int(mine.size()), m_model.lastCol(), row - PageModel::TextTopRow,
                                  col - 1, mark, {m_state.registration().id, m_state.registration().timeoutMs});
    });
    // The claim is stored; this station's other unsaved cells stay as they are on screen.
    PageText::Cells shown = PageText::merged(claim.cells, m_baseCells, mine);
    m_baseCells = claim.cells;
    adoptVersion(claim.readAt, claim.version);
    GridBatch batch(m_grid);
    m_model.setPageCells(shown);
    return claim.claimed;
}

void DayPage::releaseClaim(int row, int col, const QString &mark)
{
    if (!hasPage() || !m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return;
    try {
        writeTogether([&] {
            if (m_grid.text(row, col) != mark
                || !m_store->holdsClaim(m_page.key(), row - PageModel::TextTopRow, col - 1, m_state.registration().id))
                return; // taken, emptied or taken over at another station meanwhile: left as stored
            m_grid.setText(row, col, QString());
            m_grid.setCellBackColor(row, col, FreeSlotColor);
        });
    } catch (const AppError &e) {
        if (e.number() != ErrNo::RecordLocked)
            throw;
        DiagnosticLog::passedOver(QStringLiteral("Release claim"), e);
        m_leftClaims.append({m_page.key(), row, col, mark});
    }
}

int DayPage::releaseLeftClaims()
{
    for (qsizetype i = 0; i < m_leftClaims.size();) {
        const LeftClaim &left = m_leftClaims.at(i);
        try {
            m_store->releaseCell(left.key, left.row - PageModel::TextTopRow, left.col - 1, left.mark,
                                 m_state.registration().id);
        } catch (const AppError &e) {
            if (e.number() == ErrNo::RecordLocked) {
                ++i; // still busy: next time
                continue;
            }
            DiagnosticLog::passedOver(QStringLiteral("Release claim"), e); // the page is gone
        }
        m_leftClaims.removeAt(i);
    }
    return int(m_leftClaims.size());
}

DayPage::SlotEnter DayPage::enterSlot(int row, int col)
{
    if (!hasPage() || !m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return SlotEnter::NotSlot;
    m_grid.setCurrentCell(row, col);
    refreshGrid();
    if (!hasPage())
        return SlotEnter::NotSlot;
    if (m_grid.shownBackColor(row, col) == LunchColor)
        return SlotEnter::Lunch;
    const QString engaged = QStringLiteral("Engaged");
    SlotEnter result = SlotEnter::Booked;
    const QString text = m_grid.text(row, col);
    if (text.isEmpty() || text == engaged) {
        bool claimed = false;
        try {
            // A claim of a station that has stopped is taken over; a booking found under it is shown.
            claimed = claimSlot(row, col, engaged);
        } catch (const AppError &e) {
            if (e.number() != ErrNo::PageChanged)
                throw;
            pageChanged(QStringLiteral("Booking"));
            return SlotEnter::NotSlot;
        }
        if (claimed) {
            result = m_grid.text(row, col) == engaged ? SlotEnter::Claimed : SlotEnter::Booked;
        } else {
            // Another station got there between the reload and the claim.
            const QString now = m_grid.text(row, col);
            if (now.isEmpty() || now == engaged)
                return SlotEnter::Engaged;
        }
    }
    // A cell without a colour of its own (a closed page shows none) is a free slot.
    const qint64 colour = m_grid.cellBackColor(row, col);
    m_bookingColor = int(colour ? colour : FreeSlotColor);
    return result;
}

DayPage::CellSave DayPage::saveCellContent(int row, int col, const QString &editText)
{
    if (!hasPage() || !m_grid.isValidCell(row, col) || m_grid.isFixedCell(row, col))
        return CellSave::Failed;
    const QString EditText = PageText::cellText(editText);
    // The text is stored only over what this station has just shown: a cell another station
    // changed between the reload and the write is asked about again, as it is stored now.
    for (int round = 0; round < QuestionRounds; ++round) {
        m_grid.setCurrentCell(row, col);
        refreshGrid();
        if (!hasPage() || !m_grid.isValidCell(row, col))
            return CellSave::Failed;
        const QString reloaded = m_grid.text(row, col);
        try {
            if (!reloaded.isEmpty()) {
                if (reloaded == EditText)
                    return CellSave::Unchanged;
                emit cellTextShown(reloaded);
                const auto answer = dialogs().message(QStringLiteral("An entry has already been made for this "
                                                                     "timeslot. Do you wish to replace this entry?"),
                                                      QStringLiteral("Booking"), Dialogs::YesNoDefaultNo);
                if (answer != Dialogs::AnsYes) {
                    refreshGrid();
                    m_grid.setCurrentCell(row, col);
                    return CellSave::Declined;
                }
            }
            m_grid.setText(row, col, EditText);
            pageWrite([&] { storeChanges(); });
            m_grid.setCurrentCell(row, col);
            return CellSave::Stored;
        } catch (const AppError &e) {
            m_grid.setText(row, col, reloaded);
            m_grid.setCurrentCell(row, col);
            if (e.number() == ErrNo::PageChanged)
                continue;
            dialogs().error(e, QStringLiteral("Save Cell Content"));
            return CellSave::Failed;
        }
    }
    pageChanged(QStringLiteral("Save Cell Content"));
    return CellSave::Failed;
}

void DayPage::deleteCell()
{
    const int r = m_grid.row();
    const int c = m_grid.col();
    if (!hasPage() || !m_grid.isValidCell(r, c) || m_grid.isFixedCell(r, c))
        return;
    if (m_model.isTimeSlot(r) && m_model.isTechColumn(c)) {
        // A booked name goes only with its record, hours and span; a name another station saves
        // after this look is guarded by the page write below, which stores only over what is shown.
        std::optional<QString> booked;
        try {
            booked = retryOnLock([&] { return m_bookings->nameAt(m_page.date, c, r); });
        } catch (const AppError &e) {
            dialogs().error(e, QStringLiteral("Delete"));
            return;
        }
        if (booked) {
            // Shown stale (a claim, another name): the page as stored first, then the user decides.
            if (m_grid.text(r, c) != PageText::cellText(*booked))
                pageChanged(QStringLiteral("Save Grid Data"));
            else if (m_eraseBooking)
                m_eraseBooking(r, c, *booked);
            return;
        }
    }
    {
        GridBatch batch(m_grid);
        m_grid.setText(r, c, QString());
        // Only time rows keep colours of their own; a closed page shows none.
        if (r >= PageModel::FirstTimeRow && !m_closed)
            m_grid.setCellBackColor(r, c, m_grid.backColor());
    }
    saveGridData();
}

void DayPage::setCellColor()
{
    const int row = m_grid.row();
    const int col = m_grid.col();
    if (!hasPage() || !m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return;
    getCellColor();
    paintSpan(m_span.cells, m_span.color);
    saveCellColor();
}

void DayPage::paintSpan(int cells, int color)
{
    const int row = m_grid.row();
    const int col = m_grid.col();
    if (!m_model.isTimeSlot(row) || !m_model.isTechColumn(col))
        return;
    {
        GridBatch batch(m_grid);
        // A lunch cell is never painted, not even as the first cell of a span.
        if (m_grid.shownBackColor(row, col) != LunchColor)
            m_grid.setCellBackColor(row, col, m_bookingColor);
        for (int r = row, painted = 0; painted != cells && m_model.isTimeSlot(r); ++r) {
            if (m_grid.shownBackColor(r, col) == LunchColor)
                continue;
            m_grid.setCellBackColor(r, col, color);
            ++painted;
        }
    }
    m_grid.setCurrentCell(row, col);
}

void DayPage::paintCell(qint64 colour)
{
    if (!hasPage())
        return;
    m_span.color = int(colour);
    const int row = m_grid.row();
    const int col = m_grid.col();
    refreshGrid();
    if (m_model.isTimeSlot(row) && m_model.isTechColumn(col))
        m_grid.setCellBackColor(row, col, colour);
    m_grid.setCurrentCell(row, col);
    saveCellColor();
}

void DayPage::setClosed(bool closed)
{
    if (!hasPage())
        return;
    m_closed = closed;
    fillGrid();
    homeCell();
    try {
        m_store->setClosed(m_page.key(), closed);
        m_page.clinic = closed;
        m_baseClosed = closed;
    } catch (const AppError &e) {
        dialogs().message(QStringLiteral("%1: Error Description: %2").arg(e.number()).arg(e.description()),
                          QStringLiteral("Combo Reset"));
    }
}

std::optional<QString> DayPage::storeText(SharedText which, const PageKey &page, const QString &base,
                                          const QString &text)
{
    auto stored = [&]() -> QString {
        switch (which) {
        case SharedText::DailyMemo: return m_store->memo(page);
        case SharedText::FixedMemo: return m_settings->fixedMemo();
        case SharedText::BookNo: return m_settings->bookNo();
        }
        return {};
    };
    auto write = [&](const std::optional<QString> &over) {
        switch (which) {
        case SharedText::DailyMemo: m_store->saveMemo(page, over, text); break;
        case SharedText::FixedMemo: m_settings->saveFixedMemo(over, text); break;
        case SharedText::BookNo: m_settings->saveBookNo(over, text); break;
        }
    };
    static const char *const titles[] = {"Text Memo", "Fixed Memo", "txtBook"};
    const QString title = QLatin1String(titles[int(which)]);
    try {
        QString over = base;
        for (;;) {
            try {
                pageWrite([&] { write(over); });
                return text;
            } catch (const AppError &e) {
                if (e.number() != ErrNo::PageChanged)
                    throw;
            }
            const QString now = stored();
            const auto answer = dialogs().message(QStringLiteral("Another station has changed this text since it "
                                                                 "was shown here. It now reads:\n\n%1\n\nDo you "
                                                                 "wish to replace it with yours?")
                                                      .arg(now),
                                                  title, Dialogs::YesNoDefaultNo);
            if (answer != Dialogs::AnsYes)
                return now;
            over = now;
        }
    } catch (const AppError &e) {
        dialogs().error(e, title);
        return std::nullopt;
    }
}

void DayPage::activate()
{
    fillGrid();
    if (m_returnCell) {
        // Once: a later activation (back from help or another window) must not send the user,
        // and their next Enter, to an old booking's cell.
        const QPoint cell = *std::exchange(m_returnCell, std::nullopt);
        m_grid.setCurrentCell(cell.y(), cell.x());
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
