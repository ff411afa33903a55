#include "print/DailyPrintWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/GridView.h"
#include "daypage/PageStore.h"
#include "print/FlexGridImport.h"
#include "print/PrintSettings.h"
#include "print/PrintedPages.h"

DailyPrintWindow::DailyPrintWindow(AppState &state, const QDate &date, QWidget *parent)
    : PrintView(state, QStringLiteral("frmDaily"), QStringLiteral("Daily Schedule"), parent), m_date(date)
{
    const PrintedDay day = loadPrintedDay(*m_store, m_date, m_grid, PrintSettings(*m_db).widthList("PWidth"));
    m_lblCalDay->setText(day.heading);
    m_lblCalDate->setText(day.date);
    showTotals(day.totals.availText(), day.totals.usedText(), day.totals.startText());
    m_grid.setCurrentCell(PageModel::FirstTimeRow, 1);

    m_view = new GridView(this);
    m_view->setObjectName(QStringLiteral("Grid1"));
    m_view->setAccessibleName(QStringLiteral("Daily schedule"));
    m_view->setGridModel(&m_grid);
    m_view->setAllowUserResizing(GridView::ResizeColumns);
    setGrid(m_view);
    resize(1000, 700);
}

void DailyPrintWindow::storeWidths()
{
    QVector<int> widths;
    for (int c = 0; c < m_grid.cols(); ++c)
        widths << m_grid.colWidth(c);
    try {
        PrintSettings(*m_db).saveWidthList("PWidth", widths);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Daily Schedule"));
    }
}

void DailyPrintWindow::printSchedule()
{
    storeWidths();
    openPreview(
        Schedule::Daily, [this](TablePrint &t, float fit) { importFlexGrid(t, m_grid, fit); }, m_date);
}
