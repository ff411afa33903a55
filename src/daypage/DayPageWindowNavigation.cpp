// The navigating side of the day page window: opening a date, the month calendar and its lists,
// the name search.
#include "daypage/DayPageWindow.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DateText.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "core/WindowSwitcher.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace {
const QString OutOfRangeText = QStringLiteral("Pages can be opened for the years %1 to %2 only.")
                                   .arg(CalendarModel::FirstYear)
                                   .arg(CalendarModel::LastYear);
} // namespace

bool DayPageWindow::refuseOutOfRange(const QDate &d, const QString &title)
{
    if (CalendarModel::inRange(d))
        return false;
    m_state.dialogs()->message(OutOfRangeText, title);
    return true;
}

bool DayPageWindow::openDate(const QDate &d, bool rebuild)
{
    if (!m_page->openDate(d))
        return false;
    if (rebuild || m_calendar.indexOf(d) < 0)
        m_calendar.rebuild(d);
    else
        m_calendar.select(m_calendar.indexOf(d));
    syncLists(d);
    paintDayLabels();
    return true;
}

void DayPageWindow::rebuildCalendar(const QDate &d)
{
    m_calendar.rebuild(d);
    paintDayLabels();
}

void DayPageWindow::paintDayLabels()
{
    const int month = m_calendar.firstOfMonth().month();
    for (int i = 0; i < m_lblDay.size(); ++i) {
        const QDate d = m_calendar.dateAt(i);
        QLabel *l = m_lblDay.at(i);
        l->setText(QString::number(d.day()));
        l->setProperty("date", d);
        l->setAccessibleName(DateText::shortDate(d));
        qint64 back = FreeSlotColor;
        if (i == m_calendar.selected())
            back = m_mark == Mark::Focused ? QBColor(14) : m_mark == Mark::Opened ? LunchColor : QBColor(7);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, colorFromNumber(back));
        // Days of the neighbouring months read fainter.
        p.setColor(QPalette::WindowText, d.month() == month ? Qt::black : QColor(128, 128, 128));
        l->setPalette(p);
        l->setAutoFillBackground(true);
    }
}

void DayPageWindow::setMark(Mark m)
{
    m_mark = m;
    paintDayLabels();
}

void DayPageWindow::syncLists(const QDate &d)
{
    if (!CalendarModel::inRange(d))
        return;
    m_syncingLists = true;
    m_calendarCombos[MonthCombo]->setCurrentIndex(d.month() - 1);
    m_calendarCombos[YearCombo]->setCurrentIndex(d.year() - CalendarModel::FirstYear);
    m_syncingLists = false;
}

void DayPageWindow::openToday()
{
    try {
        m_answerBox->hide();
        const QDate today = QDate::currentDate();
        if (refuseOutOfRange(today, QStringLiteral("cmdToday")))
            return;
        m_mark = Mark::Unfocused;
        if (!openDate(today, true))
            return;
        m_page->homeCell();
        focusGrid();
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("cmdToday"));
    }
}

bool DayPageWindow::openCell(const QDate &d, int row, int col, float hours, const QString &asker)
{
    try {
        m_answerBox->hide();
        if (refuseOutOfRange(d, asker))
            return false;
        m_mark = Mark::Unfocused;
        if (!openDate(d, true))
            return false;
        // The cell chosen here, not an earlier booking's, is the one the next activation keeps.
        if (!bookingWindowOpen())
            m_page->forgetBookingCell();
        m_page->grid().setCurrentCell(row, col);
        m_grid->showCell(row, col);
        m_hoursAsked.reset();
        if (hours > 0) {
            m_hoursAsked = BookingCell{d, row, col, 0, {}, hours};
        }
        activateWindow();
        raise();
        focusGrid();
        return true;
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, asker);
        return false;
    }
}

void DayPageWindow::dayLabelClicked(int index)
{
    try {
        const QDate d = m_calendar.dateAt(index);
        if (d == m_page->record().date && m_page->hasPage()) {
            m_calendar.select(index);
            paintDayLabels();
            return;
        }
        openDay(d);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("lblDay"));
    }
}

void DayPageWindow::openSelectedDay()
{
    try {
        openDay(m_calendar.selectedDate());
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("lblDay"));
    }
}

// A day chosen on the calendar strip: opened at its first slot, the grid taking the keys.
void DayPageWindow::openDay(const QDate &d)
{
    if (refuseOutOfRange(d, QStringLiteral("lblDay")))
        return;
    if (!openDate(d, false))
        return;
    m_page->homeCell();
    focusGrid();
    setMark(Mark::Opened);
}

bool DayPageWindow::calendarKey(int key)
{
    using K = CalendarModel::Key;
    K k;
    switch (key) {
    case Qt::Key_Left: k = K::Left; break;
    case Qt::Key_Right: k = K::Right; break;
    case Qt::Key_Up: k = K::Up; break;
    case Qt::Key_Down: k = K::Down; break;
    case Qt::Key_PageUp: k = K::PageUp; break;
    case Qt::Key_PageDown: k = K::PageDown; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Tab: openSelectedDay(); return true;
    default: return false;
    }
    if (m_calendar.press(k) != CalendarModel::Moved::Refused) {
        syncLists(m_calendar.selectedDate());
        m_mark = Mark::Focused;
        paintDayLabels();
    }
    return true;
}

void DayPageWindow::listChanged()
{
    try {
        const int month = m_calendarCombos[MonthCombo]->currentIndex() + 1;
        const int year = CalendarModel::FirstYear + m_calendarCombos[YearCombo]->currentIndex();
        const QDate d = CalendarModel::rolledDate(year, month, m_calendar.dayAt(m_calendar.selected()));
        if (refuseOutOfRange(d, QStringLiteral("Combo Reset")))
            return;
        m_mark = Mark::Focused;
        rebuildCalendar(d);
        syncLists(d);
        m_daysFrame->setFocus();
    } catch (const AppError &e) {
        m_state.dialogs()->message(QStringLiteral("%1: Error Description: %2").arg(e.number()).arg(e.description()),
                                   QStringLiteral("Combo Reset"));
    }
}

void DayPageWindow::statusChanged()
{
    m_page->setClosed(m_calendarCombos[StatusCombo]->currentIndex() == 1);
    focusGrid();
}

void DayPageWindow::openTypedDate()
{
    const auto text = m_state.dialogs()->input(
        QStringLiteral("Please enter Date of Page to open in shortdate format: (e.g. 11/11/99, 1-1-00)"),
        QStringLiteral("Search Date"), QString());
    if (!text || text->trimmed().isEmpty())
        return;
    const QDate d = DateText::parseShortDate(*text);
    if (!d.isValid()) {
        m_state.dialogs()->message(QStringLiteral("Date entered is an invalid date or entered in the wrong format."),
                                   QStringLiteral("Search Date"));
        return;
    }
    if (refuseOutOfRange(d, QStringLiteral("Search Date")))
        return;
    const int row = m_page->grid().row();
    const int col = m_page->grid().col();
    m_mark = Mark::Unfocused;
    if (!openDate(d, true))
        return;
    m_page->grid().setCurrentCell(row, col);
    focusGrid();
}

void DayPageWindow::searchName()
{
    const auto name =
        m_state.dialogs()->input(QStringLiteral("Please enter Name to search:"), QStringLiteral("Search"), QString());
    if (!name || name->isEmpty()) {
        m_answerBox->hide();
        focusGrid();
        return;
    }
    m_search->start(*name);
    continueSearch();
}

void DayPageWindow::continueSearch()
{
    try {
        const NameSearch::Answer a = m_search->next();
        if (a == NameSearch::Answer::Found) {
            m_mark = Mark::Unfocused;
            openDate(m_search->hitDate(), true);
            if (const auto cell = m_page->findCell(m_search->name())) {
                m_page->grid().setCurrentCell(cell->y(), cell->x());
                m_grid->showCell(cell->y(), cell->x());
            }
            focusGrid();
        }
        showAnswer(a);
    } catch (const AppError &e) {
        m_state.dialogs()->message(
            QStringLiteral("Error Number = %1  Error Description: %2").arg(e.number()).arg(e.description()),
            QStringLiteral("Search Name"));
    }
}

void DayPageWindow::showAnswer(NameSearch::Answer a)
{
    m_answerState = a == NameSearch::Answer::Found ? 1 : 2;
    m_lblMessage->setText(NameSearch::text(a));
    const QRect g = m_grid->geometry();
    const int w = m_answerBox->width();
    const int h = m_answerBox->height();
    QPoint place(g.x() + (g.width() - w) / 2, g.y() + (g.height() - h) / 3);
    // The booking found stays in sight: the box goes where it does not cover that cell.
    if (a == NameSearch::Answer::Found) {
        const GridModel &grid = m_page->grid();
        QRect cell = m_grid->cellRect(grid.row(), grid.col());
        cell.moveTopLeft(m_grid->mapTo(m_answerBox->parentWidget(), cell.topLeft()));
        const int margin = 8;
        const QPoint candidates[] = {place,
                                     {place.x(), cell.bottom() + margin},
                                     {place.x(), cell.top() - h - margin},
                                     {cell.right() + margin, place.y()},
                                     {cell.left() - w - margin, place.y()}};
        const QRect room = m_answerBox->parentWidget()->rect();
        for (const QPoint &p : candidates) {
            const QRect r(p, QSize(w, h));
            if (room.contains(r) && !r.intersects(cell)) {
                place = p;
                break;
            }
        }
    }
    m_answerBox->move(place);
    m_answerBox->show();
    m_answerBox->raise();
    m_cmdYes->setFocus();
}

void DayPageWindow::answerYes()
{
    if (m_answerState == 1) {
        continueSearch();
        return;
    }
    m_answerBox->hide();
    searchName();
}

void DayPageWindow::answerNo()
{
    m_answerBox->hide();
    focusGrid();
}

void DayPageWindow::toggleCalendar()
{
    if (calendarShown()) {
        m_calendarPanel->hide();
        return;
    }
    m_calendarPanel->show();
    m_daysFrame->setFocus();
}

bool DayPageWindow::calendarShown() const { return m_calendarPanel->isVisible(); }
