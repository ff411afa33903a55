#include "daypage/PageModel.h"

#include "core/Colors.h"
#include "core/ListText.h"
#include "core/Numbers.h"
#include "core/TimeText.h"
#include "store/AppError.h"

#include <QTime>
#include <cmath>

PageModel::PageModel(GridModel &grid) : m_grid(grid)
{
    GridBatch batch(m_grid);
    m_grid.setRows(60);
    m_grid.setCols(9);
    m_grid.setFixedRows(3);
    m_grid.setFixedCols(1);
    m_grid.setRowHeightMin(LineTwips);
    QFont f(QStringLiteral("Arial"), 8);
    f.setBold(true);
    f.setItalic(false);
    m_grid.setFont(f);
    m_grid.setFocusRect(GridModel::FocusLight);
    setLook(false);
}

QStringList PageModel::timeLabels(const QString &open, const QString &close, int slotMinutes)
{
    const QTime start = parseTimeText(open);
    const QTime end = parseTimeText(close);
    if (!start.isValid() || !end.isValid())
        throw AppError(13, QStringLiteral("Type mismatch"));
    if (slotMinutes <= 0)
        throw AppError(ErrNo::InvalidProperty, QStringLiteral("Invalid property value"));
    auto label = [](int minutes) { return rowLabel(QTime(0, 0).addSecs((minutes % 1440) * 60)); };
    const int endMin = end.msecsSinceStartOfDay() / 60000;
    int t = start.msecsSinceStartOfDay() / 60000;
    QStringList labels{label(t)};
    // Minutes keep counting past midnight, so a late closing time cannot wrap into a loop.
    if (t <= endMin) {
        do {
            t += slotMinutes;
            labels << label(t);
        } while (t + 1 <= endMin);
    }
    return labels;
}

void PageModel::drawRows(const QString &open, const QString &close, int slotMinutes, int linesPerRow)
{
    if (!m_drawnRows || m_drawnRows->slotMinutes != slotMinutes || m_drawnRows->open != open
        || m_drawnRows->close != close)
        m_drawnRows = DrawnRows{open, close, slotMinutes, timeLabels(open, close, slotMinutes)};
    const QStringList labels = m_drawnRows->labels;
    const int rowHeight = linesPerRow * LineTwips;
    GridBatch batch(m_grid);
    m_grid.setRows(FirstTimeRow + 1);
    // The rows that survive from the page shown before start empty.
    for (int r = TextTopRow; r <= FirstTimeRow; ++r)
        for (int c = 1; c < m_grid.cols(); ++c)
            m_grid.setText(r, c, QString());
    for (int c = 1; c < m_grid.cols(); ++c)
        m_grid.setCellBackColor(FirstTimeRow, c, 0);
    for (int r = TextTopRow; r < FirstTimeRow; ++r)
        m_grid.setRowHeight(r, rowHeight);
    m_grid.setText(HoursAvailRow, 0, QStringLiteral("Hrs Avail:"));
    m_grid.setText(HoursUsedRow, 0, QStringLiteral("Hrs Used:"));
    m_grid.setText(HoursStartRow, 0, QStringLiteral("Hrs. Start"));
    m_grid.setText(SeparatorRow, 0, QString());
    for (int r = HoursAvailRow; r <= HoursStartRow; ++r)
        for (int c = 1; c < m_grid.cols(); ++c)
            m_grid.setCellAlignment(r, c, GridModel::AlignCenterCenter);

    const int last = FirstTimeRow + int(labels.size());
    m_grid.setRows(last + 1);
    for (int i = 0; i < labels.size(); ++i) {
        const int r = FirstTimeRow + i;
        m_grid.setRowHeight(r, rowHeight);
        m_grid.setText(r, 0, labels.at(i));
    }
    m_grid.setRowHeight(last, -1);
    m_grid.setText(last, 0, QString());
    for (int r = TextTopRow; r <= last; ++r)
        m_grid.setCellAlignment(r, 0, GridModel::AlignCenterCenter);
    // Empty cells of this many rows and columns: the same text as long as they stay.
    if (m_emptyShape != std::pair(m_grid.rows(), m_grid.cols())) {
        m_emptyPageText = pageText();
        m_emptyShape = {m_grid.rows(), m_grid.cols()};
    }
}

void PageModel::drawColumns(int techCount, const QStringList &sites, const QStringList &names, const QString &cwidth)
{
    GridBatch batch(m_grid);
    m_grid.setCols(qMax(techCount, 0) + 1);
    if (cwidth != m_widthsText) {
        m_widthsText = cwidth;
        m_widths.clear();
        for (const QString &item : splitPlain(cwidth, QLatin1Char('%'))) {
            bool ok = false;
            const double w = item.trimmed().toDouble(&ok);
            // A 16-bit whole number, as the settings store it; anything else leaves the width alone.
            m_widths << (!ok || w < -32768.5 || w > 32767.5 ? std::optional<int>() : int(std::nearbyint(w)));
        }
    }
    for (int c = 0; c < m_grid.cols() && c < m_widths.size(); ++c)
        if (m_widths.at(c))
            m_grid.setColWidth(c, *m_widths.at(c));
    for (int c = 1; c < m_grid.cols(); ++c) {
        if (c < sites.size()) {
            m_grid.setText(0, c, sites.at(c));
            m_grid.setCellAlignment(0, c, GridModel::AlignCenterCenter);
        }
        if (c < names.size()) {
            m_grid.setText(1, c, names.at(c));
            m_grid.setCellAlignment(1, c, GridModel::AlignCenterCenter);
        }
        m_grid.setCellBackColor(SeparatorRow, c, SeparatorColor);
    }
}

void PageModel::setLook(bool closed)
{
    GridBatch batch(m_grid);
    const qint64 cells = closed ? SystemDesktopColor : FreeSlotColor;
    m_grid.setBackColor(cells);
    m_grid.setBackColorFixed(closed ? SystemDesktopColor : FixedCellColor);
    m_grid.setBackColorSel(cells);
    m_grid.setBackColorBkg(FreeSlotColor);
    m_grid.setGridColor(GridLineColor);
    m_grid.setForeColorSel(WhiteColor);
}

PageText::Cells PageModel::pageCells() const
{
    PageText::Cells out;
    out.reserve(qMax(0, m_grid.rows() - TextTopRow));
    for (int r = TextTopRow; r < m_grid.rows(); ++r) {
        QStringList row;
        row.reserve(m_grid.cols() - 1);
        for (int c = 1; c < m_grid.cols(); ++c)
            row.append(m_grid.text(r, c));
        out.append(row);
    }
    return out;
}

QString PageModel::pageText() const { return PageText::join(pageCells()); }

void PageModel::setPageText(const QString &text) { m_grid.setPageText(TextTopRow, 1, lastRow(), lastCol(), text); }

void PageModel::setPageCells(const PageText::Cells &cells)
{
    GridBatch batch(m_grid);
    for (int i = 0; i < cells.size(); ++i) {
        const int r = TextTopRow + i;
        for (int j = 0; j < cells.at(i).size(); ++j)
            if (m_grid.text(r, j + 1) != cells.at(i).at(j))
                m_grid.setText(r, j + 1, cells.at(i).at(j));
    }
}

void PageModel::loadPageText(const QString &text)
{
    setPageCells(PageText::shaped(PageText::parse(text), m_grid.rows() - TextTopRow, m_grid.cols() - 1));
}

QVector<qint64> PageModel::cellColors() const
{
    QVector<qint64> out;
    out.reserve(qMax(0, (m_grid.cols() - 1) * (m_grid.rows() - FirstTimeRow)));
    for (int c = 1; c < m_grid.cols(); ++c)
        for (int r = FirstTimeRow; r < m_grid.rows(); ++r)
            out.append(m_grid.cellBackColor(r, c));
    return out;
}

void PageModel::setCellColors(const QVector<qint64> &colors)
{
    GridBatch batch(m_grid);
    int i = 0;
    for (int c = 1; c < m_grid.cols(); ++c)
        for (int r = FirstTimeRow; r < m_grid.rows(); ++r, ++i)
            if (i < colors.size() && m_grid.cellBackColor(r, c) != colors.at(i))
                m_grid.setCellBackColor(r, c, colors.at(i));
}

void PageModel::applyColorList(const QString &list)
{
    const auto numbers = ColorList::parse(list);
    QVector<qint64> colors = cellColors();
    for (int i = 0; i < colors.size() && i < numbers.size(); ++i)
        if (numbers.at(i))
            colors[i] = *numbers.at(i);
    setCellColors(colors);
}

void PageModel::fillCellColors(qint64 color)
{
    setCellColors(QVector<qint64>(qMax(0, (m_grid.cols() - 1) * (m_grid.rows() - FirstTimeRow)), color));
}

void PageModel::lunchPass()
{
    GridBatch batch(m_grid);
    for (int c = 1; c < m_grid.cols(); ++c)
        for (int r = FirstTimeRow; r < m_grid.rows(); ++r)
            if (m_grid.text(r, c).trimmed() == QLatin1String("LUNCH")) {
                m_grid.setText(r, c, QString());
                m_grid.setCellBackColor(r, c, LunchColor);
            }
}

void PageModel::sumTotal()
{
    GridBatch batch(m_grid);
    for (int c = 1; c < m_grid.cols(); ++c) {
        const float avail = leadingNumber(m_grid.text(HoursStartRow, c)) - leadingNumber(m_grid.text(HoursUsedRow, c));
        m_grid.setText(HoursAvailRow, c, numberText(avail));
    }
}

PageModel::Totals PageModel::totals() const
{
    Totals t;
    for (int c = 1; c < m_grid.cols(); ++c) {
        t.start += leadingNumber(m_grid.text(HoursStartRow, c));
        t.used += leadingNumber(m_grid.text(HoursUsedRow, c));
    }
    t.avail = t.start - t.used;
    return t;
}

QString PageModel::Totals::startText() const { return QStringLiteral("Start   ") + numberText(start); }
QString PageModel::Totals::usedText() const { return QStringLiteral("Used   ") + numberText(used); }
QString PageModel::Totals::availText() const { return QStringLiteral("Avail   ") + numberText(avail); }
