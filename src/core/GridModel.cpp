#include "core/GridModel.h"

#include "core/Colors.h"

#include <QBrush>

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_font = QFont(QStringLiteral("Arial"));
    m_font.setPointSize(8);
    m_font.setBold(true);
    beginBatch();
    setRows(2);
    setCols(2);
    setFixedRows(1);
    setFixedCols(1);
    endBatch();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_cols; }

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !isValidCell(index.row(), index.column()))
        return {};
    const int r = index.row();
    const int c = index.column();
    const Cell &cl = m_cells[r][c];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return cl.text;
    case Qt::BackgroundRole: return QBrush(colorFromNumber(shownBackColor(r, c)));
    case Qt::ForegroundRole:
        return QBrush(colorFromNumber(cellForeColor(r, c) != 0 ? cl.fore
                                      : isFixedCell(r, c)      ? m_foreColorFixed
                                                               : m_foreColor));
    case Qt::TextAlignmentRole: return int(qtAlignment(r, c));
    case Qt::FontRole: return cellFont(r, c);
    default: return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isFixedCell(index.row(), index.column()))
        return Qt::ItemIsEnabled;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ---- structure ----

void GridModel::aboutToReshape()
{
    if (m_batchDepth > 0 && !m_batchReset) {
        beginResetModel();
        m_batchReset = true;
    }
}

void GridModel::setRows(int n)
{
    n = qMax(0, n);
    if (n == m_rows)
        return;
    const bool signalled = m_batchDepth == 0;
    aboutToReshape();
    if (signalled) {
        if (n > m_rows)
            beginInsertRows(QModelIndex(), m_rows, n - 1);
        else
            beginRemoveRows(QModelIndex(), n, m_rows - 1);
    }
    const bool growing = n > m_rows;
    m_cells.resize(n);
    for (int r = m_rows; r < n; ++r)
        m_cells[r].resize(m_cols);
    m_rowHeight.resize(n, -1);
    m_rows = n;
    if (signalled) {
        if (growing)
            endInsertRows();
        else
            endRemoveRows();
    }
    if (m_fixedRows > n) {
        m_fixedRows = n;
        notify(PendFixed);
    }
    clampPositions();
}

void GridModel::setCols(int n)
{
    n = qMax(0, n);
    if (n == m_cols)
        return;
    const bool signalled = m_batchDepth == 0;
    aboutToReshape();
    const bool growing = n > m_cols;
    if (signalled) {
        if (growing)
            beginInsertColumns(QModelIndex(), m_cols, n - 1);
        else
            beginRemoveColumns(QModelIndex(), n, m_cols - 1);
    }
    for (auto &rowCells : m_cells)
        rowCells.resize(n);
    m_colWidth.resize(n, -1);
    m_colAlign.resize(n, qint8(AlignGeneral));
    m_mergeCol.resize(n, false);
    m_cols = n;
    if (signalled) {
        if (growing)
            endInsertColumns();
        else
            endRemoveColumns();
    }
    if (m_fixedCols > n) {
        m_fixedCols = n;
        notify(PendFixed);
    }
    clampPositions();
}

void GridModel::setFixedRows(int n)
{
    n = qBound(0, n, m_rows);
    if (n == m_fixedRows)
        return;
    m_fixedRows = n;
    // Fixed cells change their look (fixed background) and can no longer be selected.
    allCellsChanged({Qt::BackgroundRole, Qt::ForegroundRole});
    notify(PendFixed);
    clampPositions();
}

void GridModel::setFixedCols(int n)
{
    n = qBound(0, n, m_cols);
    if (n == m_fixedCols)
        return;
    m_fixedCols = n;
    allCellsChanged({Qt::BackgroundRole, Qt::ForegroundRole});
    notify(PendFixed);
    clampPositions();
}

void GridModel::clampPositions()
{
    unsigned what = 0;
    auto clampTo = [](int v, int lo, int hi) { return hi < lo ? lo : qBound(lo, v, hi); };
    // The current cell leaves the fixed cells when the structure changes, as in the flex grid.
    const int rowLo = m_fixedRows < m_rows ? m_fixedRows : 0;
    const int colLo = m_fixedCols < m_cols ? m_fixedCols : 0;
    const int row = clampTo(m_row, rowLo, m_rows - 1);
    const int col = clampTo(m_col, colLo, m_cols - 1);
    if (row != m_row || col != m_col) {
        m_row = row;
        m_col = col;
        what |= PendCurrent;
    }
    const int rowSel = clampTo(m_rowSel, rowLo, m_rows - 1);
    const int colSel = clampTo(m_colSel, colLo, m_cols - 1);
    if (what || rowSel != m_rowSel || colSel != m_colSel) {
        m_rowSel = (what & PendCurrent) ? m_row : rowSel;
        m_colSel = (what & PendCurrent) ? m_col : colSel;
        what |= PendSelection;
    }
    const int top = clampTo(m_topRow, m_fixedRows, m_rows - 1);
    if (top != m_topRow) {
        m_topRow = top;
        what |= PendTopRow;
    }
    const int left = clampTo(m_leftCol, m_fixedCols, m_cols - 1);
    if (left != m_leftCol) {
        m_leftCol = left;
        what |= PendLeftCol;
    }
    if (what)
        notify(what);
}

// ---- cells ----

GridModel::Cell *GridModel::cell(int r, int c) { return isValidCell(r, c) ? &m_cells[r][c] : nullptr; }

const GridModel::Cell *GridModel::cell(int r, int c) const { return isValidCell(r, c) ? &m_cells[r][c] : nullptr; }

QString GridModel::text(int r, int c) const
{
    const Cell *cl = cell(r, c);
    return cl ? cl->text : QString();
}

void GridModel::setText(int r, int c, const QString &text)
{
    Cell *cl = cell(r, c);
    if (!cl || cl->text == text)
        return;
    cl->text = text;
    cellChanged(r, c, {Qt::DisplayRole, Qt::EditRole, Qt::TextAlignmentRole});
}

qint64 GridModel::cellBackColor(int r, int c) const
{
    const Cell *cl = cell(r, c);
    return cl ? cl->back : 0;
}

void GridModel::setCellBackColor(int r, int c, qint64 colourNumber)
{
    Cell *cl = cell(r, c);
    if (!cl || cl->back == colourNumber)
        return;
    cl->back = colourNumber;
    cellChanged(r, c, {Qt::BackgroundRole});
}

qint64 GridModel::shownBackColor(int r, int c) const
{
    const qint64 own = cellBackColor(r, c);
    if (own != 0)
        return own;
    return isFixedCell(r, c) ? m_backColorFixed : m_backColor;
}

qint64 GridModel::cellForeColor(int r, int c) const
{
    const Cell *cl = cell(r, c);
    return cl ? cl->fore : 0;
}

void GridModel::setCellForeColor(int r, int c, qint64 colourNumber)
{
    Cell *cl = cell(r, c);
    if (!cl || cl->fore == colourNumber)
        return;
    cl->fore = colourNumber;
    cellChanged(r, c, {Qt::ForegroundRole});
}

int GridModel::cellAlignment(int r, int c) const
{
    const Cell *cl = cell(r, c);
    if (!cl)
        return AlignGeneral;
    return cl->align >= 0 ? cl->align : colAlignment(c);
}

void GridModel::setCellAlignment(int r, int c, int alignment)
{
    Cell *cl = cell(r, c);
    if (!cl || alignment < AlignLeftTop || alignment > AlignGeneral || cl->align == alignment)
        return;
    cl->align = qint8(alignment);
    cellChanged(r, c, {Qt::TextAlignmentRole});
}

bool GridModel::isNumeric(const QString &text) const
{
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

Qt::Alignment GridModel::qtAlignment(int r, int c) const
{
    const int a = cellAlignment(r, c);
    return toQtAlignment(a, a == AlignGeneral && isNumeric(text(r, c)));
}

Qt::Alignment GridModel::toQtAlignment(int alignment, bool numeric)
{
    if (alignment < AlignLeftTop || alignment >= AlignGeneral)
        return (numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    static const Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static const Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[alignment / 3] | vertical[alignment % 3];
}

QFont GridModel::cellFont(int r, int c) const
{
    const Cell *cl = cell(r, c);
    if (!cl || cl->font < 0)
        return m_font;
    return m_fonts[cl->font];
}

int GridModel::fontIndex(const QFont &font)
{
    const int i = int(m_fonts.indexOf(font));
    if (i >= 0)
        return i;
    m_fonts.append(font);
    return int(m_fonts.size()) - 1;
}

void GridModel::setCellFont(int r, int c, const QFont &font)
{
    Cell *cl = cell(r, c);
    if (!cl)
        return;
    const int i = fontIndex(font);
    if (cl->font == i)
        return;
    cl->font = qint16(i);
    cellChanged(r, c, {Qt::FontRole});
}

void GridModel::clearCells()
{
    for (auto &rowCells : m_cells)
        for (auto &cl : rowCells)
            cl = Cell();
    m_fonts.clear();
    allCellsChanged({});
}

// ---- sizes ----

int GridModel::colWidth(int c) const
{
    if (c < 0 || c >= m_cols)
        return 0;
    return m_colWidth[c] >= 0 ? m_colWidth[c] : DefaultColWidth;
}

void GridModel::setColWidth(int c, int twips)
{
    if (c < 0 || c >= m_cols)
        return;
    twips = qMax(-1, twips);
    if (m_colWidth[c] == twips)
        return;
    m_colWidth[c] = twips;
    if (m_batchDepth > 0)
        m_pending |= PendSizes;
    else
        emit colWidthChanged(c);
}

int GridModel::rowHeight(int r) const
{
    if (r < 0 || r >= m_rows)
        return 0;
    const int own = m_rowHeight[r] >= 0 ? m_rowHeight[r] : DefaultRowHeight;
    return qMax(own, m_rowHeightMin);
}

void GridModel::setRowHeight(int r, int twips)
{
    if (r < 0 || r >= m_rows)
        return;
    twips = qMax(-1, twips);
    if (m_rowHeight[r] == twips)
        return;
    m_rowHeight[r] = twips;
    if (m_batchDepth > 0)
        m_pending |= PendSizes;
    else
        emit rowHeightChanged(r);
}

void GridModel::setRowHeightMin(int twips)
{
    twips = qMax(0, twips);
    if (twips == m_rowHeightMin)
        return;
    m_rowHeightMin = twips;
    notify(PendSizes);
}

int GridModel::colAlignment(int c) const { return (c >= 0 && c < m_cols) ? int(m_colAlign[c]) : int(AlignGeneral); }

void GridModel::setColAlignment(int c, int alignment)
{
    if (c < 0 || c >= m_cols || alignment < AlignLeftTop || alignment > AlignGeneral || m_colAlign[c] == alignment)
        return;
    m_colAlign[c] = qint8(alignment);
    if (m_rows > 0)
        blockChanged(0, c, m_rows - 1, c);
}

bool GridModel::mergeCol(int c) const { return c >= 0 && c < m_cols && m_mergeCol[c]; }

void GridModel::setMergeCol(int c, bool merge)
{
    if (c >= 0 && c < m_cols)
        m_mergeCol[c] = merge;
}

// ---- look ----

void GridModel::setFont(const QFont &font)
{
    if (font == m_font)
        return;
    m_font = font;
    allCellsChanged({Qt::FontRole});
    notify(PendLook);
}

void GridModel::setColour(qint64 &member, qint64 n, bool cellsChange)
{
    if (member == n)
        return;
    member = n;
    if (cellsChange)
        allCellsChanged({Qt::BackgroundRole, Qt::ForegroundRole});
    notify(PendLook);
}

void GridModel::setBackColor(qint64 n) { setColour(m_backColor, n, true); }
void GridModel::setBackColorFixed(qint64 n) { setColour(m_backColorFixed, n, true); }
void GridModel::setBackColorSel(qint64 n) { setColour(m_backColorSel, n, false); }
void GridModel::setForeColorSel(qint64 n) { setColour(m_foreColorSel, n, false); }
void GridModel::setBackColorBkg(qint64 n) { setColour(m_backColorBkg, n, false); }
void GridModel::setForeColor(qint64 n) { setColour(m_foreColor, n, true); }
void GridModel::setForeColorFixed(qint64 n) { setColour(m_foreColorFixed, n, true); }
void GridModel::setGridColor(qint64 n) { setColour(m_gridColor, n, false); }
void GridModel::setGridColorFixed(qint64 n) { setColour(m_gridColorFixed, n, false); }

void GridModel::setGridLineWidth(int px)
{
    px = qBound(0, px, 10);
    if (px == m_gridLineWidth)
        return;
    m_gridLineWidth = px;
    notify(PendLook);
}

void GridModel::setFocusRect(int style)
{
    if (style < FocusNone || style > FocusHeavy || style == m_focusRect)
        return;
    m_focusRect = style;
    notify(PendLook);
}

void GridModel::setHighLight(int mode)
{
    if (mode < HighlightNever || mode > HighlightWithFocus || mode == m_highLight)
        return;
    m_highLight = mode;
    notify(PendLook);
}

// ---- change notification ----

void GridModel::cellChanged(int r, int c, const QList<int> &roles)
{
    if (m_batchDepth > 0) {
        blockChanged(r, c, r, c);
        return;
    }
    const QModelIndex i = index(r, c);
    emit dataChanged(i, i, roles);
}

void GridModel::blockChanged(int r0, int c0, int r1, int c1)
{
    if (m_batchDepth == 0) {
        emit dataChanged(index(r0, c0), index(r1, c1));
        return;
    }
    if (m_dirtyR1 < 0) {
        m_dirtyR0 = r0;
        m_dirtyC0 = c0;
        m_dirtyR1 = r1;
        m_dirtyC1 = c1;
        return;
    }
    m_dirtyR0 = qMin(m_dirtyR0, r0);
    m_dirtyC0 = qMin(m_dirtyC0, c0);
    m_dirtyR1 = qMax(m_dirtyR1, r1);
    m_dirtyC1 = qMax(m_dirtyC1, c1);
}

void GridModel::allCellsChanged(const QList<int> &roles)
{
    if (m_rows == 0 || m_cols == 0)
        return;
    if (m_batchDepth > 0) {
        blockChanged(0, 0, m_rows - 1, m_cols - 1);
        return;
    }
    emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1), roles);
}

void GridModel::notify(unsigned what)
{
    if (m_batchDepth > 0) {
        m_pending |= what;
        return;
    }
    if (what & PendFixed)
        emit fixedChanged();
    if (what & PendSizes)
        emit sizesChanged();
    if (what & PendLook)
        emit lookChanged();
    if (what & PendCurrent)
        emit currentCellChanged(m_row, m_col);
    if (what & PendSelection)
        emit selectionChanged();
    if (what & PendTopRow)
        emit topRowChanged(m_topRow);
    if (what & PendLeftCol)
        emit leftColChanged(m_leftCol);
}

void GridModel::beginBatch() { ++m_batchDepth; }

void GridModel::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    unsigned pending = m_pending;
    m_pending = 0;
    if (m_batchReset) {
        m_batchReset = false;
        endResetModel();
        pending |= PendFixed | PendSizes;
    } else if (m_dirtyR1 >= 0) {
        emit dataChanged(index(m_dirtyR0, m_dirtyC0), index(m_dirtyR1, m_dirtyC1));
    }
    m_dirtyR1 = m_dirtyC1 = -1;
    notify(pending);
}
