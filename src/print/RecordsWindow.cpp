#include "print/RecordsWindow.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/GridModel.h"
#include "core/Twips.h"
#include "daypage/PageStore.h"
#include "print/PrintSettings.h"
#include "print/PrintedPages.h"
#include "print/TableQueryModel.h"

#include <QHeaderView>
#include <QTableView>

RecordsWindow::RecordsWindow(AppState &state, QWidget *parent)
    : PrintView(state, QStringLiteral("frmRecords"), QStringLiteral("Daily Details"), parent),
      m_date(state.layout().pageDate), m_layout(recordsLayout())
{
    GridModel page;
    const PrintedDay day = loadPrintedDay(*m_store, m_date, page, QString());
    m_lblCalDay->setText(day.heading);
    m_lblCalDate->setText(day.date);
    showTotals(day.totals.availText(), day.totals.usedText(), day.totals.startText());

    m_records = dayRecords(*m_db, m_date);
    const QVector<int> widths = PrintSettings::parseWidths(PrintSettings(*m_db).widthList("DWidth"));
    for (int c = 0; c < widths.size() && c < m_layout.columns.size(); ++c)
        if (widths.at(c) > 0)
            m_layout.columns[c].width = float(widths.at(c));

    m_model = new RecordsGridModel(*m_records, m_layout, this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("Grid1"));
    m_view->setAccessibleName(QStringLiteral("Booking records"));
    m_view->setModel(m_model);
    m_view->setFont(m_layout.font);
    m_view->horizontalHeader()->setFont(m_layout.headFont);
    m_view->verticalHeader()->setDefaultSectionSize(twipsToPixels(m_layout.rowHeight));
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int c = 0; c < m_layout.columns.size(); ++c)
        m_view->setColumnWidth(c, twipsToPixels(m_layout.columns.at(c).width));
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int c, int, int px) {
        if (c >= 0 && c < m_layout.columns.size())
            m_layout.columns[c].width = float(pixelsToTwips(px));
    });
    setGrid(m_view);
    resize(1100, 600);
}

RecordsWindow::~RecordsWindow() = default;

void RecordsWindow::storeWidths()
{
    QVector<int> widths;
    for (const DataGridColumn &c : m_layout.columns)
        widths << int(c.width);
    try {
        PrintSettings(*m_db).saveWidthList("DWidth", widths);
    } catch (const AppError &e) {
        m_state.dialogs()->error(e, QStringLiteral("Daily Details"));
    }
}

void RecordsWindow::printSchedule()
{
    storeWidths();
    openPreview(
        Schedule::Details,
        [this](TablePrint &t, float fit) { importDBGrid(t, m_layout, *m_records, fit, *m_state.dialogs()); }, m_date);
}
