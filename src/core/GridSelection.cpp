// The grid's current cell, selection, scrolled position and the page text of a block of cells.
#include "core/GridModel.h"

// ---- current cell and selection ----

void GridModel::setRow(int r)
{
    if (r < 0 || r >= m_rows)
        return;
    unsigned what = 0;
    if (r != m_row) {
        m_row = r;
        what |= PendCurrent;
    }
    if (m_rowSel != r) {
        m_rowSel = r;
        what |= PendSelection;
    }
    if (what)
        notify(what | PendSelection);
}

void GridModel::setCol(int c)
{
    if (c < 0 || c >= m_cols)
        return;
    unsigned what = 0;
    if (c != m_col) {
        m_col = c;
        what |= PendCurrent;
    }
    if (m_colSel != c) {
        m_colSel = c;
        what |= PendSelection;
    }
    if (what)
        notify(what | PendSelection);
}

void GridModel::setCurrentCell(int r, int c)
{
    beginBatch();
    setRow(r);
    setCol(c);
    endBatch();
}

void GridModel::setRowSel(int r)
{
    if (r < 0 || r >= m_rows || r == m_rowSel)
        return;
    m_rowSel = r;
    notify(PendSelection);
}

void GridModel::setColSel(int c)
{
    if (c < 0 || c >= m_cols || c == m_colSel)
        return;
    m_colSel = c;
    notify(PendSelection);
}

void GridModel::selectRange(int r0, int c0, int r1, int c1)
{
    beginBatch();
    setRow(r0);
    setCol(c0);
    setRowSel(r1);
    setColSel(c1);
    endBatch();
}

bool GridModel::inSelection(int r, int c) const
{
    return r >= qMin(m_row, m_rowSel) && r <= qMax(m_row, m_rowSel) && c >= qMin(m_col, m_colSel)
           && c <= qMax(m_col, m_colSel);
}

void GridModel::setTopRow(int r)
{
    if (m_rows <= m_fixedRows)
        return;
    r = qBound(m_fixedRows, r, m_rows - 1);
    if (r == m_topRow)
        return;
    m_topRow = r;
    notify(PendTopRow);
}

void GridModel::setLeftCol(int c)
{
    if (m_cols <= m_fixedCols)
        return;
    c = qBound(m_fixedCols, c, m_cols - 1);
    if (c == m_leftCol)
        return;
    m_leftCol = c;
    notify(PendLeftCol);
}

// ---- block text ----

QString GridModel::clip() const { return pageText(m_row, m_col, m_rowSel, m_colSel); }

void GridModel::setClip(const QString &text) { setPageText(m_row, m_col, m_rowSel, m_colSel, text); }

QString GridModel::pageText(int r0, int c0, int r1, int c1) const
{
    const int top = qMax(0, qMin(r0, r1));
    const int bottom = qMin(m_rows - 1, qMax(r0, r1));
    const int left = qMax(0, qMin(c0, c1));
    const int right = qMin(m_cols - 1, qMax(c0, c1));
    QString out;
    for (int r = top; r <= bottom; ++r) {
        if (r > top)
            out += QLatin1Char('\r');
        for (int c = left; c <= right; ++c) {
            if (c > left)
                out += QLatin1Char('\t');
            out += m_cells[r][c].text;
        }
    }
    return out;
}

void GridModel::setPageText(int r0, int c0, int r1, int c1, const QString &text)
{
    const int top = qMin(r0, r1);
    const int bottom = qMin(m_rows - 1, qMax(r0, r1));
    const int left = qMin(c0, c1);
    const int right = qMin(m_cols - 1, qMax(c0, c1));
    if (top < 0 || left < 0)
        return;
    QString rowsText = text;
    rowsText.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    rowsText.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    const QStringList lines = rowsText.split(QLatin1Char('\r'));
    beginBatch();
    for (int i = 0; i < lines.size() && top + i <= bottom; ++i) {
        const QStringList items = lines[i].split(QLatin1Char('\t'));
        for (int j = 0; j < items.size() && left + j <= right; ++j)
            setText(top + i, left + j, items[j]);
    }
    endBatch();
}
