#include "print/PrintedPages.h"

#include "core/AppState.h"
#include "core/Colors.h"
#include "core/DateText.h"
#include "core/GridModel.h"
#include "core/ListText.h"
#include "core/Numbers.h"
#include "daypage/PageStore.h"
#include "print/PrintSettings.h"
#include "store/SettingsStore.h"

#include <QHash>
#include <QLocale>

namespace {
constexpr int WeekRowTwips = 290;
// The landscape preview's width less its margins.
constexpr int WeekWidthTwips = 16000 - 570;
constexpr int WeekMinDayTwips = 900;

// Lays a page (or, without one, the office's empty page) out in grid as the day page does.
bool layOut(PageStore &store, const std::optional<PageRecord> &page, PageModel &model, const QString &widths)
{
    const SettingsStore::Layout layout = SettingsStore(store.database()).layout();
    GridModel &grid = model.grid();
    GridBatch batch(grid);
    if (page) {
        model.drawRows(page->open, page->close, page->timeslot, qMax(1, layout.rHeight));
        model.drawColumns(page->listno, splitList(page->sites), splitList(page->names), layout.cwidth);
    } else {
        const OfficeSettings s = SettingsStore(store.database()).office();
        model.drawRows(s.open, s.close, s.timeslot, qMax(1, layout.rHeight));
        model.drawColumns(s.listno, splitList(s.sites), splitList(s.names), layout.cwidth);
    }
    const QVector<int> own = PrintSettings::parseWidths(widths);
    for (int c = 0; c < own.size() && c < grid.cols(); ++c)
        if (own.at(c) >= 0)
            grid.setColWidth(c, own.at(c));
    const bool closed = page && page->clinic;
    model.setLook(closed);
    if (page) {
        model.loadPageText(page->data);
        if (closed) {
            model.fillCellColors(0);
        } else {
            if (ColorList::isUnset(page->color))
                model.fillCellColors(grid.backColor());
            else
                model.applyColorList(page->color);
            model.lunchPass();
        }
    }
    model.sumTotal();
    return closed;
}
} // namespace

PrintedDay loadPrintedDay(PageStore &store, const QDate &date, GridModel &grid, const QString &widths)
{
    PrintedDay day;
    day.heading = DateText::longHeading(date);
    day.date = DateText::shortDate(date);
    const std::optional<PageRecord> page = store.find(date);
    day.found = page.has_value();
    PageModel model(grid);
    QFont f = grid.font();
    f.setFamily(QStringLiteral("Arial"));
    grid.setFont(f);
    day.closed = layOut(store, page, model, widths);
    day.totals = model.totals();
    return day;
}

WeekData readWeek(PageStore &store, const QDate &monday, int col)
{
    WeekData week;
    week.monday = monday;
    week.texts.resize(9);
    week.colors.resize(9);

    GridModel mondayGrid;
    PageModel mondayPage(mondayGrid);
    layOut(store, store.find(monday), mondayPage, QString());
    const int last = mondayGrid.rows() - 1;
    for (int r = PageModel::TextTopRow; r <= last; ++r)
        week.times << mondayGrid.text(r, 0);
    week.tech = mondayGrid.text(1, col);

    for (int d = 1; d <= 7; ++d) {
        QStringList &texts = week.texts[d];
        QVector<qint64> &colors = week.colors[d];
        texts = QStringList(QList<QString>(week.times.size()));
        colors = QVector<qint64>(week.times.size(), 0);
        const std::optional<PageRecord> page = store.find(monday.addDays(d - 1));
        if (!page)
            continue;
        GridModel dayGrid;
        PageModel dayPage(dayGrid);
        layOut(store, page, dayPage, QString());
        if (col >= dayGrid.cols())
            continue;
        const int dayLast = dayGrid.rows() - 1;
        QHash<QString, int> slotRow;
        for (int r = PageModel::FirstTimeRow; r < dayLast; ++r)
            slotRow.insert(dayGrid.text(r, 0), r);
        for (int i = 0; i < week.times.size(); ++i) {
            const int r = PageModel::TextTopRow + i;
            int from = -1;
            if (r < PageModel::FirstTimeRow)
                from = r;
            else if (r == last)
                from = dayLast;
            else
                from = slotRow.value(week.times.at(i), -1);
            if (from < 0)
                continue;
            texts[i] = dayGrid.text(from, col);
            colors[i] = dayGrid.cellBackColor(from, col);
        }
    }
    return week;
}

void buildWeekGrid(GridModel &grid, const WeekData &week, int rHeight, const QString &cwidth)
{
    GridBatch batch(grid);
    grid.clearCells();
    grid.setCols(8);
    grid.setRows(PageModel::TextTopRow + int(qMax<qsizetype>(week.times.size(), 1)));
    grid.setFixedRows(2);
    grid.setFixedCols(1);
    grid.setRowHeightMin(PageModel::LineTwips);
    QFont f(QStringLiteral("Arial"), 8);
    f.setBold(true);
    grid.setFont(f);
    grid.setBackColor(FreeSlotColor);
    grid.setBackColorFixed(FixedCellColor);
    grid.setBackColorSel(FreeSlotColor);
    grid.setBackColorBkg(FreeSlotColor);
    grid.setGridColor(GridLineColor);
    grid.setFocusRect(GridModel::FocusLight);

    // The labels keep the day page's first width; the seven days share the rest of a landscape
    // page equally, whatever the technicians' own widths.
    const QVector<int> widths = PrintSettings::parseWidths(cwidth);
    const int labels = !widths.isEmpty() && widths.at(0) > 0 ? widths.at(0) : grid.colWidth(0);
    grid.setColWidth(0, labels);
    const int day = qMax(WeekMinDayTwips, (WeekWidthTwips - labels) / 7);
    for (int c = 1; c < 8; ++c)
        grid.setColWidth(c, day);
    const QLocale locale;
    for (int d = 1; d <= 7; ++d) {
        const QDate day = week.monday.addDays(d - 1);
        grid.setText(0, d, DateText::shortDate(day, locale));
        grid.setText(1, d, locale.toString(day, QStringLiteral("dddd")));
        grid.setCellAlignment(0, d, GridModel::AlignCenterCenter);
        grid.setCellAlignment(1, d, GridModel::AlignCenterCenter);
    }
    const int last = grid.rows() - 1;
    for (int r = PageModel::TextTopRow; r <= last; ++r) {
        if (r >= PageModel::FirstTimeRow && r < last)
            grid.setRowHeight(r, qMax(1, rHeight) * WeekRowTwips);
        for (int c = 0; c < 8; ++c)
            grid.setCellAlignment(r, c, GridModel::AlignCenterCenter);
    }
    for (int i = 0; i < week.times.size(); ++i) {
        const int r = PageModel::TextTopRow + i;
        grid.setText(r, 0, week.times.at(i));
        for (int d = 1; d <= 7 && d < week.texts.size(); ++d) {
            if (i < week.texts.at(d).size())
                grid.setText(r, d, week.texts.at(d).at(i));
            if (d < week.colors.size() && i < week.colors.at(d).size())
                grid.setCellBackColor(r, d, week.colors.at(d).at(i));
        }
    }
    grid.setCurrentCell(qMin(PageModel::FirstTimeRow, last), 1);
}

WeekTotals sumWeek(const GridModel &grid)
{
    WeekTotals t;
    for (int d = 1; d < grid.cols(); ++d) {
        t.avail += leadingNumber(grid.text(PageModel::HoursAvailRow, d));
        t.used += leadingNumber(grid.text(PageModel::HoursUsedRow, d));
        t.start += leadingNumber(grid.text(PageModel::HoursStartRow, d));
    }
    return t;
}

QString WeekTotals::availText() const { return QStringLiteral("A  ") + numberText(avail); }
QString WeekTotals::usedText() const { return QStringLiteral("U  ") + numberText(used); }
QString WeekTotals::startText() const { return QStringLiteral("S  ") + numberText(start); }
