#include "print/PrintWindow.h"

#include "core/AppState.h"
#include "core/DateText.h"
#include "core/GridView.h"
#include "daypage/PageStore.h"
#include "print/FlexGridImport.h"
#include "print/PrintSettings.h"
#include "store/SettingsStore.h"

PrintWindow::PrintWindow(AppState &state, const WeekData &week, QWidget *parent)
    : PrintView(state, QStringLiteral("frmPrint"), QStringLiteral("Weekly Schedule"), parent), m_week(week)
{
    const SettingsStore::Layout layout = SettingsStore(m_store->database()).layout();
    buildWeekGrid(m_grid, m_week, layout.rHeight, layout.cwidth);
    m_tech = m_week.tech;
    m_lblCalDay->setText(m_week.tech);
    m_lblCalDate->setText(QStringLiteral("%1 - %2").arg(DateText::shortDate(m_week.monday),
                                                        DateText::shortDate(m_week.monday.addDays(6))));
    const WeekTotals totals = sumWeek(m_grid);
    showTotals(totals.availText(), totals.usedText(), totals.startText());

    m_view = new GridView(this);
    m_view->setObjectName(QStringLiteral("Grid1"));
    m_view->setAccessibleName(QStringLiteral("Weekly schedule"));
    m_view->setGridModel(&m_grid);
    m_view->setAllowUserResizing(GridView::ResizeColumns);
    setGrid(m_view);
    resize(1100, 700);
}

void PrintWindow::printSchedule()
{
    openPreview(
        Schedule::Weekly, [this](TablePrint &t, float fit) { importFlexGrid(t, m_grid, fit); }, m_week.monday);
}

ScheduleHeading PrintWindow::heading() const
{
    ScheduleHeading h = PrintView::heading();
    h.day = QStringLiteral("Week of ") + DateText::longHeading(m_week.monday);
    return h;
}
