#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Dialogs.h"
#include "print/DrawSurface.h"
#include "print/TablePrint.h"
#include "store/AppError.h"

#include <cmath>
#include <functional>
#include <new>

namespace {
constexpr unsigned FirstColumnText = DT::Center | DT::VCenter | DT::SingleLine | DT::WordBreak | DT::NoPrefix;
constexpr unsigned OtherColumnText = DT::WordBreak | DT::NoPrefix;

QColor colorOf(double number) { return colorFromNumber(std::llround(number)); }

unsigned alignFlag(int alignment) { return alignment == 1 ? DT::Center : alignment == 2 ? DT::Right : DT::Left; }
} // namespace

unsigned TablePrint::dataTextFlags(int col) { return col == 0 ? FirstColumnText : OtherColumnText; }

// One drawTable call: the layout worked out once, then page after page. Each row is as tall as its
// own tallest cell; a page takes the whole rows that fit. With dryRun nothing is drawn and no
// NewPage is raised: a break puts currentY at continueTop and the sheets are counted.
class TablePainter {
public:
    TablePainter(TablePrint &table, DrawSurface &target) : m_t(table), m_s(target), m_units(target.scaleMode()) {}

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
        m_noFill = m_t.m_noFill;
        m_headerRun = QVector<int>(m_t.m_cols, -1);
        m_rowRun = QVector<int>(m_t.m_rows, -1);
        const double headerTotal = m_h.headerTotal();
        // The room of a page of its own: a row taller than that is split over pages.
        const double pageRoom = m_s.scaleHeight() - (m_dryRun ? m_continueTop : m_t.m_marginTop) - m_t.m_marginBottom
                                - (m_t.m_repeatHeader ? headerTotal : 0);

        int lastRow = startRow - 1;
        double y = 0;
        bool afterBreak = false;
        m_pages = 1;
        // The first page's header waits for the first page that has room for a row.
        bool headerPending = pageNo == 1;
        for (;;) {
            double available = m_s.scaleHeight() - m_s.currentY() - m_t.m_marginBottom;
            bool placedRows = false;
            const int next = lastRow + 1;
            const bool split = next < m_t.m_rows && (m_split == next || m_h.rows[next] > pageRoom);
            const double nextRow = next >= m_t.m_rows ? 0 : m_split == next ? splitRest() : m_h.rows[next];
            // A row too tall for any page starts wherever a line of it fits.
            if (!(available < nextRow) || (split && !(available < firstLine(next)))) {
                const bool header = m_t.m_repeatHeader || headerPending;
                headerPending = false;
                if (header)
                    available -= headerTotal;
                const double top = m_s.currentY();
                y = top;
                if (header) {
                    if (!m_dryRun)
                        drawHeader(top);
                    y = top + headerTotal;
                }
                if (split && available > 0) {
                    if (m_split != next)
                        startSplit(next);
                    const double rest = splitRest();
                    const double slice = std::min(rest, available);
                    placedRows = drawSlice(next, y, slice);
                    y += slice;
                    available -= slice;
                    if (m_split == -1)
                        lastRow = next;
                }
                const int first = lastRow + 1;
                // Whole rows only, and none after a row that goes on over the page.
                while (m_split == -1 && lastRow + 1 < m_t.m_rows && !(available < m_h.rows[lastRow + 1])
                       && !(m_h.rows[lastRow + 1] > pageRoom)) {
                    available -= m_h.rows[lastRow + 1];
                    ++lastRow;
                }
                if (lastRow >= first) {
                    if (!m_dryRun)
                        drawRows(first, lastRow, y);
                    for (int r = first; r <= lastRow; ++r)
                        y += m_h.rows[r];
                    placedRows = true;
                }
                // A row too tall for any page begins in the room the whole rows left.
                const int after = lastRow + 1;
                if (m_split == -1 && after < m_t.m_rows && m_h.rows[after] > pageRoom
                    && !(available < firstLine(after))) {
                    startSplit(after);
                    const double slice = std::min(splitRest(), available);
                    placedRows |= drawSlice(after, y, slice);
                    y += slice;
                    if (m_split == -1)
                        lastRow = after;
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
                emit m_t.newPage(&m_s, positionSet, cancel, lastRow);
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
    int pxX(double v) const { return int(std::lround(m_s.scaleX(v, m_units, DrawSurface::Pixels))); }
    int pxY(double v) const { return int(std::lround(m_s.scaleY(v, m_units, DrawSurface::Pixels))); }

    // A row taller than a page goes on over the pages, line by line in each cell: where each
    // cell's text goes on (pixels into it, -1 when shown whole) and how tall it is.
    void startSplit(int row)
    {
        m_split = row;
        m_splitFrom = QVector<double>(m_t.m_cols, 0.0);
        m_splitPx = QVector<int>(m_t.m_cols, 0);
        for (int c = 0; c < m_t.m_cols; ++c) {
            const int i = row * m_t.m_cols + c;
            m_t.switchFont(m_s, m_t.m_font[i]);
            const int textPx = m_colPx[c] - 2 * m_offPx;
            m_splitPx[c] =
                textPx > 0 ? m_s.wrappedHeightPixels(m_t.m_text[i], textPx, TablePrint::dataTextFlags(c)) : 0;
        }
    }

    // The least a slice of the row must have: one line of its tallest font.
    double firstLine(int row)
    {
        double line = 0;
        for (int c = 0; c < m_t.m_cols; ++c) {
            m_t.switchFont(m_s, m_t.m_font[row * m_t.m_cols + c]);
            line = std::max(line, m_s.textHeight(QString()));
        }
        return line + m_s.scaleY(2, DrawSurface::Pixels, m_units) + 2.0 * m_t.m_cellYOffset;
    }

    // The height the split row still needs.
    double splitRest() const
    {
        int px = 0;
        for (int c = 0; c < m_t.m_cols; ++c)
            if (m_splitFrom[c] >= 0)
                px = std::max(px, m_splitPx[c] - int(std::floor(m_splitFrom[c])));
        // A pixel for the line below the border, one for rounding.
        return m_s.scaleY(px + 2, DrawSurface::Pixels, m_units) + 2.0 * m_t.m_cellYOffset;
    }

    // The split row's part on this page; false when not a line of it fitted.
    bool drawSlice(int row, double top, double height)
    {
        const int topPx = pxY(top);
        const int bottomPx = pxY(top + height);
        bool moved = false;
        bool done = true;
        int left = m_leftPx + m_offPx;
        for (int c = 0; c < m_t.m_cols; ++c) {
            const int i = row * m_t.m_cols + c;
            const int right = left + m_colPx[c] - 2 * m_offPx;
            m_t.switchFont(m_s, m_t.m_font[i]);
            if (!m_dryRun) {
                if (!m_noFill)
                    m_s.fillPixels(left, topPx + 1, right, bottomPx, colorOf(m_t.m_color[i]));
                m_s.boxPixels(left - m_offPx, topPx, right + m_offPx, bottomPx, m_t.m_lineThickness, Qt::black);
            }
            if (m_splitFrom[c] >= 0 && right > left) {
                const double from = m_splitFrom[c];
                m_splitFrom[c] = m_s.textSlice(m_t.m_text[i], left, topPx + 1, right, bottomPx,
                                               TablePrint::dataTextFlags(c) & ~DT::VCenter, from, !m_dryRun);
                moved |= m_splitFrom[c] != from;
            } else {
                m_splitFrom[c] = -1;
            }
            done &= m_splitFrom[c] < 0;
            left = right + 2 * m_offPx;
        }
        if (done)
            m_split = -1;
        return moved;
    }

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
                const QString text = m_t.headerText(h, c);
                bool drawn = true;
                if (m_t.m_mergeHeaderCol[c] && h < rows - 1 && m_t.headerText(h + 1, c) == text) {
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
                    m_t.switchFont(m_s, m_t.headerFont(h, c));
                }
                const bool carried = m_t.m_mergeHeaderRow[h] && c < cols - 1 && m_t.headerText(h, c + 1) == text;
                if (drawn && !carried) {
                    const bool spans = c > spanFirst;
                    const unsigned align =
                        spans && m_t.m_centerMergedHeader ? DT::Center : alignFlag(m_t.m_colAlignment[c]);
                    drawCell(left, cellTop, right, cellBottom, m_t.m_headerLineThickness,
                             colorFromNumber(FixedCellColor), text, DT::NoPrefix | align);
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
                             TablePrint::dataTextFlags(c), picturePainter);
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
        double width = m_s.scaleX(himetric.width(), DrawSurface::Himetric, m_units);
        double height = m_s.scaleY(himetric.height(), DrawSurface::Himetric, m_units);
        const double colWidth = m_t.m_colWidth[c];
        const double xOffset = m_t.m_cellXOffset;
        if (width > colWidth - 2 * xOffset)
            width = colWidth - 2 * xOffset;
        const double cellHeight = m_s.scaleY(cellHeightPx, DrawSurface::Pixels, m_units);
        double yOffset = (cellHeight - height) / 2;
        if (yOffset < 0) {
            height = cellHeight;
            yOffset = 0;
        }
        double x = m_s.scaleX(cellLeftPx, DrawSurface::Pixels, m_units);
        if (m_t.m_colAlignment[c] == 1)
            x = colLeft + (colWidth - width) / 2;
        else if (m_t.m_colAlignment[c] == 2)
            x = colLeft + colWidth - xOffset - width;
        m_s.paintPicture(picture, x, cellTop + yOffset, width, height);
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
            m_t.switchFont(m_s, m_t.footerFont(c));
            m_s.textPixels(m_t.footerText(c), colLeft + m_offPx, top + 1, colLeft + m_colPx[c] - m_offPx, bottom,
                           DT::NoPrefix | alignFlag(m_t.m_colAlignment[c]));
            if (c > 0)
                m_s.linePixels(colLeft, top, colLeft, bottom, pen, Qt::black);
            colLeft += m_colPx[c];
        }
    }

    TablePrint &m_t;
    DrawSurface &m_s;
    const DrawSurface::Units m_units;
    TablePrint::Heights m_h;
    QVector<int> m_colPx;
    int m_leftPx = 0;
    int m_offPx = 0;
    bool m_noFill = false;
    bool m_dryRun = false;
    double m_continueTop = 0;
    int m_pages = 0;
    int m_split = -1; // the row going on over the pages, -1 none
    QVector<double> m_splitFrom;
    QVector<int> m_splitPx;
    QVector<int> m_headerRun; // header row where a column's vertical run starts, -1 none
    QVector<int> m_rowRun;    // pixel left where a data row's horizontal run starts, -1 none
};

int TablePrint::countPages(DrawSurface &Target, double firstTop, double continueTop)
{
    const QFont savedFont = Target.currentFont();
    const double savedY = Target.currentY();
    int pages = 0;
    try {
        Target.setCurrentY(firstTop);
        TablePainter painter(*this, Target);
        painter.dryRun(continueTop);
        painter.run(0, 1);
        pages = painter.pages();
    } catch (const AppError &) {
        // Rows that fit on no sheet: drawTable says so when it gets there.
        pages = 0;
    }
    Target.setCurrentY(savedY);
    Target.setFont(savedFont);
    m_currentFont.reset();
    return pages;
}

void TablePrint::drawTable(DrawSurface &Target, int StartRow, int PageNo)
{
    const QFont savedFont = Target.currentFont();
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
