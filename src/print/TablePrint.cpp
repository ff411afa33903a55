#include "print/TablePrint.h"

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "print/DrawSurface.h"
#include "store/AppError.h"

#include <cmath>

namespace {
AppError subscriptError() { return AppError(ErrNo::SubscriptOutOfRange, QStringLiteral("Subscript out of range")); }
AppError invalidValue() { return AppError(ErrNo::InvalidProperty, QStringLiteral("Invalid property value")); }
} // namespace

QSizeF pictureHimetric(const QImage &picture)
{
    // Pictures without a resolution of their own count as screen pictures.
    const double dpmX = picture.dotsPerMeterX() > 0 ? picture.dotsPerMeterX() : 96 / 0.0254;
    const double dpmY = picture.dotsPerMeterY() > 0 ? picture.dotsPerMeterY() : 96 / 0.0254;
    return QSizeF(picture.width() / dpmX * 100000.0, picture.height() / dpmY * 100000.0);
}

TablePrint::TablePrint(Dialogs *dialogs, QObject *parent) : QObject(parent), m_dialogs(dialogs) { redimension(); }

void TablePrint::redimension()
{
    const int cells = m_rows > 0 ? m_rows * m_cols : 0;
    m_text = QVector<QString>(cells);
    m_color = QVector<float>(cells, 0.0f);
    m_font = QVector<FontRef>(cells);
    m_picture = QVector<PictureRef>(cells);

    m_colAlignment = QVector<int>(m_cols, 0);
    m_colWidth = QVector<float>(m_cols, 15.0f);
    m_mergeCol = QVector<bool>(m_cols, false);
    m_mergeHeaderCol = QVector<bool>(m_cols, false);
    m_headerText = QVector<QString>(m_headerRows * m_cols);
    m_headerFont = QVector<FontRef>(m_headerRows * m_cols);
    m_mergeHeaderRow = QVector<bool>(m_headerRows, false);
    m_mergeRow = QVector<bool>(m_rows, false);

    m_footerArrays = m_hasFooter;
    m_footerText = m_hasFooter ? QVector<QString>(m_cols) : QVector<QString>();
    m_footerFont = m_hasFooter ? QVector<FontRef>(m_cols) : QVector<FontRef>();
}

void TablePrint::setRows(int rows)
{
    if (rows < 0)
        throw invalidValue();
    m_rows = rows;
    redimension();
}

void TablePrint::setCols(int cols)
{
    if (cols < 1)
        throw invalidValue();
    m_cols = cols;
    redimension();
}

void TablePrint::setHeaderRows(int headerRows)
{
    if (headerRows < 1)
        throw invalidValue();
    m_headerRows = headerRows;
    redimension();
}

void TablePrint::checkCell(int row, int col) const
{
    if (row < 0 || row >= m_rows || col < 0 || col >= m_cols)
        throw subscriptError();
}

void TablePrint::checkHeader(int hrow, int col) const
{
    if (hrow < 0 || hrow >= m_headerRows || col < 0 || col >= m_cols)
        throw subscriptError();
}

void TablePrint::checkCol(int col) const
{
    if (col < 0 || col >= m_cols)
        throw subscriptError();
}

void TablePrint::checkFooter(int col) const
{
    if (!m_footerArrays)
        throw subscriptError();
    checkCol(col);
}

// Negative indexes fill: a row in every column, a column in every row, or everything (so on a
// table without rows they fill nothing).
template <class T>
void TablePrint::fillCells(QVector<T> &cells, int rows, int row, int col, const T &value)
{
    if (row >= rows || col >= m_cols)
        throw subscriptError();
    for (int r = row < 0 ? 0 : row; r < (row < 0 ? rows : row + 1); ++r)
        for (int c = col < 0 ? 0 : col; c < (col < 0 ? m_cols : col + 1); ++c)
            cells[r * m_cols + c] = value;
}

template <class T>
void TablePrint::fillCols(QVector<T> &values, int col, const T &value)
{
    if (values.isEmpty() || col >= m_cols)
        throw subscriptError();
    if (col < 0)
        values.fill(value);
    else
        values[col] = value;
}

QString TablePrint::textMatrix(int row, int col) const
{
    checkCell(row, col);
    return m_text[row * m_cols + col];
}

void TablePrint::setTextMatrix(int row, int col, const QString &text) { fillCells(m_text, m_rows, row, col, text); }

float TablePrint::cellcolor(int row, int col) const
{
    checkCell(row, col);
    return m_color[row * m_cols + col];
}

void TablePrint::setCellcolor(int row, int col, float color) { fillCells(m_color, m_rows, row, col, color); }

FontRef TablePrint::fontMatrix(int row, int col) const
{
    checkCell(row, col);
    return m_font[row * m_cols + col];
}

void TablePrint::setFontMatrix(int row, int col, const FontRef &font) { fillCells(m_font, m_rows, row, col, font); }

PictureRef TablePrint::pictureMatrix(int row, int col) const
{
    checkCell(row, col);
    return m_picture[row * m_cols + col];
}

void TablePrint::setPictureMatrix(int row, int col, const PictureRef &picture)
{
    fillCells(m_picture, m_rows, row, col, picture);
}

QString TablePrint::headerText(int hrow, int col) const
{
    checkHeader(hrow, col);
    return m_headerText[hrow * m_cols + col];
}

void TablePrint::setHeaderText(int hrow, int col, const QString &text)
{
    fillCells(m_headerText, m_headerRows, hrow, col, text);
}

FontRef TablePrint::headerFont(int hrow, int col) const
{
    checkHeader(hrow, col);
    return m_headerFont[hrow * m_cols + col];
}

void TablePrint::setHeaderFont(int hrow, int col, const FontRef &font)
{
    fillCells(m_headerFont, m_headerRows, hrow, col, font);
}

int TablePrint::colAlignment(int col) const
{
    checkCol(col);
    return m_colAlignment[col];
}

void TablePrint::setColAlignment(int col, int alignment) { fillCols(m_colAlignment, col, alignment); }

float TablePrint::colWidth(int col) const
{
    checkCol(col);
    return m_colWidth[col];
}

void TablePrint::setColWidth(int col, float width) { fillCols(m_colWidth, col, width); }

FontRef TablePrint::colFont(int col) const { return fontMatrix(0, col); }

void TablePrint::setColFont(int col, const FontRef &font) { setFontMatrix(-1, col, font); }

QString TablePrint::footerText(int col) const
{
    checkFooter(col);
    return m_footerText[col];
}

void TablePrint::setFooterText(int col, const QString &text)
{
    if (!m_footerArrays)
        throw subscriptError();
    fillCols(m_footerText, col, text);
}

FontRef TablePrint::footerFont(int col) const
{
    checkFooter(col);
    return m_footerFont[col];
}

void TablePrint::setFooterFont(int col, const FontRef &font)
{
    if (!m_footerArrays)
        throw subscriptError();
    fillCols(m_footerFont, col, font);
}

bool TablePrint::mergeCol(int col) const
{
    checkCol(col);
    return m_mergeCol[col];
}

void TablePrint::setMergeCol(int col, bool merge)
{
    checkCol(col);
    m_mergeCol[col] = merge;
}

bool TablePrint::mergeRow(int row) const
{
    if (row < 0 || row >= m_rows)
        throw subscriptError();
    return m_mergeRow[row];
}

void TablePrint::setMergeRow(int row, bool merge)
{
    if (row < 0 || row >= m_rows)
        throw subscriptError();
    m_mergeRow[row] = merge;
}

bool TablePrint::mergeHeaderCol(int col) const
{
    checkCol(col);
    return m_mergeHeaderCol[col];
}

void TablePrint::setMergeHeaderCol(int col, bool merge)
{
    checkCol(col);
    m_mergeHeaderCol[col] = merge;
}

bool TablePrint::mergeHeaderRow(int hrow) const
{
    if (hrow < 0 || hrow >= m_headerRows)
        throw subscriptError();
    return m_mergeHeaderRow[hrow];
}

void TablePrint::setMergeHeaderRow(int hrow, bool merge)
{
    if (hrow < 0 || hrow >= m_headerRows)
        throw subscriptError();
    m_mergeHeaderRow[hrow] = merge;
}

// ---------------------------------------------------------------------------------------------
// Measuring

void TablePrint::switchFont(DrawSurface &target, const FontRef &font)
{
    if (!font || font == m_currentFont)
        return;
    m_currentFont = font;
    target.setFont(*font);
}

double TablePrint::Heights::tallestRow() const
{
    double tallest = 0;
    for (double h : rows)
        tallest = std::max(tallest, h);
    return tallest;
}

double TablePrint::Heights::headerTotal() const
{
    double total = 0;
    for (double h : headers)
        total += h;
    return total;
}

TablePrint::Heights TablePrint::measure(DrawSurface &target)
{
    // Every measurement starts afresh: the surface's font may have been changed since.
    m_currentFont.reset();
    const DrawSurface::Units units = target.scaleMode();
    auto pixels = [&](double v) { return int(std::lround(target.scaleX(v, units, DrawSurface::Pixels))); };
    const int offPx = pixels(m_cellXOffset);
    Heights h;
    h.rows = QVector<double>(m_rows, m_minRowHeight - 2.0 * m_cellYOffset);
    h.headers = QVector<double>(m_headerRows, MinHeaderHeight);
    h.footer = m_minFooterHeight - 2.0 * m_cellYOffset;
    for (int c = 0; c < m_cols; ++c) {
        // Measured as drawn: wrapped into the column's text area. A column too narrow to show
        // any text counts its lines only.
        const int textPx = pixels(m_colWidth[c]) - 2 * offPx;
        auto height = [&](const QString &text, unsigned flags) {
            if (textPx <= 0)
                return target.textHeight(text);
            return target.scaleY(target.wrappedHeightPixels(text, textPx, flags), DrawSurface::Pixels, units);
        };
        for (int r = 0; r < m_rows; ++r) {
            const int i = r * m_cols + c;
            switchFont(target, m_font[i]);
            const double th = height(m_text[i], dataTextFlags(c));
            if (th > h.rows[r])
                h.rows[r] = th;
            if (m_sizeRowsToPictures && m_picture[i]) {
                const double ph =
                    target.scaleY(pictureHimetric(*m_picture[i]).height(), DrawSurface::Himetric, target.scaleMode());
                if (ph > h.rows[r])
                    h.rows[r] = ph;
            }
        }
        for (int hr = 0; hr < m_headerRows; ++hr) {
            switchFont(target, headerFont(hr, c));
            const double th = height(headerText(hr, c), DT::NoPrefix);
            if (th > h.headers[hr])
                h.headers[hr] = th;
        }
        if (m_hasFooter) {
            switchFont(target, footerFont(c));
            const double th = height(footerText(c), DT::NoPrefix);
            if (th > h.footer)
                h.footer = th;
        }
    }
    for (double &row : h.rows)
        row += 2.0 * m_cellYOffset;
    for (double &header : h.headers)
        header += 2.0 * m_cellYOffset;
    if (h.footer > 0)
        h.footer += 2.0 * m_cellYOffset;
    return h;
}

float TablePrint::calcNumRowsPerPage(DrawSurface &Target, bool IncludeHeader, std::optional<bool> IncludeFooter)
{
    const bool withFooter = IncludeFooter.value_or(m_hasFooter);
    const Heights h = measure(Target);
    double available = Target.scaleHeight() - m_marginBottom - m_marginTop;
    if (IncludeHeader)
        available -= h.headerTotal();
    if (withFooter)
        available -= h.footer;
    // Rows of different heights: as many as fit were each as tall as the tallest.
    double row = m_rows > 0 ? h.tallestRow() : m_minRowHeight;
    if (row == 0)
        throw AppError(11, QStringLiteral("Division by zero"));
    return float(std::floor(available / row));
}
