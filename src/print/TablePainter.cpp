#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Dialogs.h"
#include "print/DrawSurface.h"
#include "print/clsTablePrint.h"
#include "store/AppError.h"

#include <cmath>
#include <functional>
#include <new>

namespace {
constexpr unsigned FirstColumnText = DT::Center | DT::VCenter | DT::SingleLine | DT::WordBreak | DT::NoPrefix;
constexpr unsigned OtherColumnText = DT::WordBreak | DT::NoPrefix;

QColor colorOf(double number) { return ColorFromNumber(std::llround(number)); }

unsigned alignFlag(int alignment) { return alignment == 1 ? DT::Center : alignment == 2 ? DT::Right : DT::Left; }
} // namespace

unsigned clsTablePrint::dataTextFlags(int col) { return col == 0 ? FirstColumnText : OtherColumnText; }

// One DrawTable call: the layout worked out once, then page after page. Each row is as tall as its
// own tallest cell; a page takes the whole rows that fit. With dryRun nothing is drawn and no
// NewPage is raised: a break puts CurrentY at continueTop and the sheets are counted.
class TablePainter {
public:
    TablePainter(clsTablePrint &table, DrawSurface &target) : m_t(table), m_s(target), m_units(target.ScaleMode()) {}

    void dryRun(double continueTop)
    {
        m_dryRun = true;
        m_continueTop = continueTop;
    }
    int pages() const { return m_pages; }

    void run(int startRow, int pageNo)
    {
        if (startRow < 0 || startRow > m_t.m_rows)
            throw AppError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        m_h = m_t.measure(m_s);
        m_colPx.resize(m_t.m_cols);
        for (int c = 0; c < m_t.m_cols; ++c)
            m_colPx[c] = pxX(m_t.m_colWidth[c]);
        m_leftPx = pxX(m_t.m_marginLeft);
        m_offPx = pxX(m_t.m_cellXOffset);
        m_noFill = m_t.m_print.PrintNoFill;
        m_headerRun = QVector<int>(m_t.m_cols, -1);
        m_rowRun = QVector<int>(m_t.m_rows, -1);
        const double headerTotal = m_h.headerTotal();

        int lastRow = startRow - 1;
        double y = 0;
        bool afterBreak = false;
        m_pages = 1;
        // The first page's header waits for the first page that has room for a row.
        bool headerPending = pageNo == 1;
        for (;;) {
            double available = m_s.ScaleHeight() - m_s.CurrentY() - m_t.m_marginBottom;
            bool placedRows = false;
            const double nextRow = lastRow + 1 < m_t.m_rows ? m_h.rows[lastRow + 1] : 0;
            if (!(available < nextRow)) {
                const bool header = m_t.m_repeatHeader || headerPending;
                headerPending = false;
                if (header)
                    available -= headerTotal;
                const int first = lastRow + 1;
                // Whole rows only; a header taller than the room left takes none.
                while (lastRow + 1 < m_t.m_rows && !(available < m_h.rows[lastRow + 1])) {
                    available -= m_h.rows[lastRow + 1];
                    ++lastRow;
                }
                const double top = m_s.CurrentY();
                y = top;
                if (header) {
                    if (!m_dryRun)
                        drawHeader(top);
                    y = top + headerTotal;
                }
                if (lastRow >= first) {
                    if (!m_dryRun)
                        drawRows(first, lastRow, y);
                    for (int r = first; r <= lastRow; ++r)
                        y += m_h.rows[r];
                    placedRows = true;
                }
                if (lastRow == m_t.m_rows - 1 && m_t.m_hasFooter) {
                    if (!m_dryRun)
                        drawFooter(y);
                    y += m_h.footer;
                }
            }
            m_s.setCurrentY(y);
            if (lastRow == m_t.m_rows - 1)
                break;
            // A fresh page that takes no row would make pages for ever.
            if (afterBreak && !placedRows)
                throw AppError(5, QStringLiteral("The table's rows do not fit on a page"));
            bool positionSet = false;
            bool cancel = false;
            if (m_dryRun) {
                m_s.setCurrentY(m_continueTop);
                positionSet = true;
            } else {
                emit m_t.NewPage(&m_s, positionSet, cancel, lastRow);
            }
            if (cancel)
                break;
            if (!positionSet)
                m_s.setCurrentY(m_t.m_marginTop);
            ++m_pages;
            m_headerRun.fill(-1);
            m_rowRun.fill(-1);
            afterBreak = true;
        }
    }

private:
    int pxX(double v) const { return int(std::lround(m_s.ScaleX(v, m_units, DrawSurface::Pixels))); }
    int pxY(double v) const { return int(std::lround(m_s.ScaleY(v, m_units, DrawSurface::Pixels))); }

    // Fill and text inside the border, below its top line. The border goes on after the fill, so
    // a device that rasterises coarser than its own pixels (a PDF on screen) keeps every line.
    void drawCell(int left, int top, int right, int bottom, int pen, const QColor &back, const QString &text,
                  unsigned flags, const std::function<void()> &beneathText = {})
    {
        if (!m_noFill)
            m_s.fillPixels(left, top + 1, right, bottom, back);
        if (beneathText)
            beneathText();
        m_s.boxPixels(left - m_offPx, top, right + m_offPx, bottom, pen, Qt::black);
        m_s.textPixels(text, left, top + 1, right, bottom, flags);
    }

    void drawHeader(double top)
    {
        const int rows = m_t.m_headerRows;
        const int cols = m_t.m_cols;
        // Where each header row starts below the top, and where the last one ends.
        QVector<double> headerTops(rows + 1, 0.0);
        for (int h = 0; h < rows; ++h)
            headerTops[h + 1] = headerTops[h] + m_h.headers[h];
        for (int h = 0; h < rows; ++h) {
            int left = m_leftPx + m_offPx;
            int right = m_leftPx - m_offPx;
            int spanFirst = 0;
            int cellTop = 0;
            int cellBottom = 0;
            for (int c = 0; c < cols; ++c) {
                const QString text = m_t.HeaderText(h, c);
                bool drawn = true;
                if (m_t.m_mergeHeaderCol[c] && h < rows - 1 && m_t.HeaderText(h + 1, c) == text) {
                    drawn = false;
                    if (m_headerRun[c] == -1)
                        m_headerRun[c] = h;
                } else if (!m_t.m_mergeHeaderCol[c]) {
                    m_headerRun[c] = -1;
                }
                right += m_colPx[c];
                if (drawn) {
                    const int from = m_headerRun[c] == -1 ? h : m_headerRun[c];
                    cellTop = pxY(top + headerTops[from]);
                    cellBottom = pxY(top + headerTops[h + 1]);
                    m_headerRun[c] = -1;
                    m_t.switchFont(m_s, m_t.HeaderFont(h, c));
                }
                const bool carried = m_t.m_mergeHeaderRow[h] && c < cols - 1 && m_t.HeaderText(h, c + 1) == text;
                if (drawn && !carried) {
                    const bool spans = c > spanFirst;
                    const unsigned align =
                        spans && m_t.m_centerMergedHeader ? DT::Center : alignFlag(m_t.m_colAlignment[c]);
                    drawCell(left, cellTop, right, cellBottom, m_t.m_headerLineThickness,
                             ColorFromNumber(FixedCellColor), text, DT::NoPrefix | align);
                }
                if (!carried) {
                    left = right + 2 * m_offPx;
                    spanFirst = c + 1;
                }
            }
        }
    }

    void drawRows(int first, int last, double dataTop)
    {
        const int cols = m_t.m_cols;
        const int dataTopPx = pxY(dataTop);
        // Where each row of the page starts, and where the last one ends.
        QVector<double> rowTops(last - first + 2, dataTop);
        for (int r = first; r <= last; ++r)
            rowTops[r - first + 1] = rowTops[r - first] + m_h.rows[r];
        int left = m_leftPx + m_offPx;
        double colLeft = m_t.m_marginLeft;
        for (int c = 0; c < cols; ++c) {
            int top = dataTopPx;
            int bottom = dataTopPx;
            const int right = left + m_colPx[c] - 2 * m_offPx;
            int runFirst = first;
            for (int r = first; r <= last; ++r) {
                const int i = r * cols + c;
                m_t.switchFont(m_s, m_t.m_font[i]);
                bottom = pxY(rowTops[r - first + 1]);
                const QString &text = m_t.m_text[i];
                if (m_t.m_mergeCol[c] && r < last && m_t.m_text[i + cols] == text)
                    continue;
                const bool carried = m_t.m_mergeRow[r] && c < cols - 1 && m_t.m_text[i + 1] == text;
                if (carried) {
                    if (m_rowRun[r] == -1)
                        m_rowRun[r] = left;
                } else {
                    const int cellLeft = m_rowRun[r] != -1 ? m_rowRun[r] : left;
                    const PictureRef &picture = m_t.m_picture[i];
                    const double runTop = rowTops[runFirst - first];
                    std::function<void()> picturePainter;
                    if (picture)
                        picturePainter = [&] { paintPicture(*picture, c, colLeft, cellLeft, runTop, bottom - top); };
                    drawCell(cellLeft, top, right, bottom, m_t.m_lineThickness, colorOf(m_t.m_color[i]), text,
                             clsTablePrint::dataTextFlags(c), picturePainter);
                    m_rowRun[r] = -1;
                }
                top = bottom;
                runFirst = r + 1;
            }
            colLeft += m_t.m_colWidth[c];
            left = right + 2 * m_offPx;
        }
    }

    // Sized to the picture, squeezed into the column when wider, centred in the cell's height.
    void paintPicture(const QImage &picture, int c, double colLeft, int cellLeftPx, double cellTop, int cellHeightPx)
    {
        const QSizeF himetric = pictureHimetric(picture);
        double width = m_s.ScaleX(himetric.width(), DrawSurface::Himetric, m_units);
        double height = m_s.ScaleY(himetric.height(), DrawSurface::Himetric, m_units);
        const double colWidth = m_t.m_colWidth[c];
        const double xOffset = m_t.m_cellXOffset;
        if (width > colWidth - 2 * xOffset)
            width = colWidth - 2 * xOffset;
        const double cellHeight = m_s.ScaleY(cellHeightPx, DrawSurface::Pixels, m_units);
        double yOffset = (cellHeight - height) / 2;
        if (yOffset < 0) {
            height = cellHeight;
            yOffset = 0;
        }
        double x = m_s.ScaleX(cellLeftPx, DrawSurface::Pixels, m_units);
        if (m_t.m_colAlignment[c] == 1)
            x = colLeft + (colWidth - width) / 2;
        else if (m_t.m_colAlignment[c] == 2)
            x = colLeft + colWidth - xOffset - width;
        m_s.PaintPicture(picture, x, cellTop + yOffset, width, height);
    }

    // A box with column lines and no fill.
    void drawFooter(double y)
    {
        const int top = pxY(y);
        const int bottom = top + pxY(m_h.footer);
        const int pen = m_t.m_footerLineThickness;
        int right = m_leftPx;
        for (int w : m_colPx)
            right += w;
        m_s.boxPixels(m_leftPx, top, right, bottom, pen, Qt::black);
        int colLeft = m_leftPx;
        for (int c = 0; c < m_t.m_cols; ++c) {
            m_t.switchFont(m_s, m_t.FooterFont(c));
            m_s.textPixels(m_t.FooterText(c), colLeft + m_offPx, top + 1, colLeft + m_colPx[c] - m_offPx, bottom,
                           DT::NoPrefix | alignFlag(m_t.m_colAlignment[c]));
            if (c > 0)
                m_s.linePixels(colLeft, top, colLeft, bottom, pen, Qt::black);
            colLeft += m_colPx[c];
        }
    }

    clsTablePrint &m_t;
    DrawSurface &m_s;
    const DrawSurface::Units m_units;
    clsTablePrint::Heights m_h;
    QVector<int> m_colPx;
    int m_leftPx = 0;
    int m_offPx = 0;
    bool m_noFill = false;
    bool m_dryRun = false;
    double m_continueTop = 0;
    int m_pages = 0;
    QVector<int> m_headerRun; // header row where a column's vertical run starts, -1 none
    QVector<int> m_rowRun;    // pixel left where a data row's horizontal run starts, -1 none
};

int clsTablePrint::CountPages(DrawSurface &Target, double firstTop, double continueTop)
{
    const QFont savedFont = Target.Font();
    const double savedY = Target.CurrentY();
    int pages = 0;
    try {
        Target.setCurrentY(firstTop);
        TablePainter painter(*this, Target);
        painter.dryRun(continueTop);
        painter.run(0, 1);
        pages = painter.pages();
    } catch (const AppError &) {
        // Rows that fit on no sheet: DrawTable says so when it gets there.
        pages = 0;
    }
    Target.setCurrentY(savedY);
    Target.setFont(savedFont);
    m_currentFont.reset();
    return pages;
}

void clsTablePrint::DrawTable(DrawSurface &Target, int StartRow, int PageNo)
{
    const QFont savedFont = Target.Font();
    try {
        TablePainter(*this, Target).run(StartRow, PageNo);
    } catch (const AppError &e) {
        if (m_dialogs)
            m_dialogs->message(QString::number(e.number()) + QLatin1Char(' ') + e.description(),
                               QStringLiteral("Draw Table"));
    } catch (const std::bad_alloc &) {
        if (m_dialogs)
            m_dialogs->message(QStringLiteral("7 Out of memory"), QStringLiteral("Draw Table"));
    }
    Target.setFont(savedFont);
    m_currentFont.reset();
}
