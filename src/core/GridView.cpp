#include "core/GridView.h"

#include "core/Colors.h"
#include "core/GridModel.h"
#include "core/GridViewOverlay.h"
#include "core/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

// Draws a cell as the flex grid does: its colour, its text clipped to the cell, the grid lines on
// its right and bottom edges, the selection colours on the range but not on the current cell,
// and the focus rectangle on the current cell.
class GridView::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(GridView *view) : QStyledItemDelegate(view), m_view(view) {}

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const GridModel *m = m_view->grid();
        const int r = index.row();
        const int c = index.column();
        if (!m->isValidCell(r, c))
            return;
        const bool fixed = m->isFixedCell(r, c);
        const bool current = r == m->row() && c == m->col();
        const bool highlightOn = m->highLight() == GridModel::HighlightAlways
                                 || (m->highLight() == GridModel::HighlightWithFocus && m_view->hasFocus());
        const bool selected = highlightOn && !fixed && !current && m->inSelection(r, c);

        const QRect rect = option.rect;
        p->save();
        p->setClipRect(rect);
        p->fillRect(rect, selected ? colorFromNumber(m->backColorSel())
                                   : index.data(Qt::BackgroundRole).value<QBrush>().color());

        const int line = m->gridLineWidth();
        const QString text = m->text(r, c);
        if (!text.isEmpty()) {
            p->setFont(m->cellFont(r, c));
            p->setPen(selected ? colorFromNumber(m->foreColorSel())
                               : index.data(Qt::ForegroundRole).value<QBrush>().color());
            const QRect textRect = rect.adjusted(3, 1, -3 - line, -1 - line);
            p->drawText(textRect, int(m->qtAlignment(r, c)) | Qt::TextSingleLine, text);
        }
        if (line > 0) {
            const QColor lineColour = colorFromNumber(fixed ? m->gridColorFixed() : m->gridColor());
            p->fillRect(QRect(rect.right() - line + 1, rect.top(), line, rect.height()), lineColour);
            p->fillRect(QRect(rect.left(), rect.bottom() - line + 1, rect.width(), line), lineColour);
        }
        if (current && m->focusRect() != GridModel::FocusNone && m_view->isEnabled()) {
            // Dark outside and light inside, so the current cell shows on every cell colour.
            const QRect box = rect.adjusted(0, 0, -line, -line);
            const int dark = m->focusRect() == GridModel::FocusHeavy ? 3 : 2;
            frame(p, box, dark, Qt::black);
            frame(p, box.adjusted(dark, dark, -dark, -dark), 1, Qt::white);
        }
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        const GridModel *m = m_view->grid();
        return QSize(twipsToPixels(m->colWidth(index.column())), twipsToPixels(m->rowHeight(index.row())));
    }

private:
    static void frame(QPainter *p, const QRect &r, int width, const QColor &color)
    {
        p->fillRect(QRect(r.left(), r.top(), r.width(), width), color);
        p->fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), color);
        p->fillRect(QRect(r.left(), r.top(), width, r.height()), color);
        p->fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), color);
    }

    GridView *m_view;
};

GridView::GridView(QWidget *parent) : QTableView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setAutoScroll(false); // moving the current cell from code does not scroll, as in the flex grid
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    setFocusPolicy(Qt::StrongFocus);
    for (QHeaderView *h : {horizontalHeader(), verticalHeader()}) {
        h->setMinimumSectionSize(0);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setHighlightSections(false);
    }
    m_delegate = new Delegate(this);
    setItemDelegate(m_delegate);
    m_corner = new Overlay(this, QStringLiteral("qt_grid_fixed_corner"));
    m_top = new Overlay(this, QStringLiteral("qt_grid_fixed_rows"));
    m_left = new Overlay(this, QStringLiteral("qt_grid_fixed_cols"));
    for (Overlay *o : {m_corner, m_top, m_left}) {
        o->setItemDelegate(m_delegate);
        o->viewport()->installEventFilter(this);
    }

    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        m_top->horizontalScrollBar()->setValue(v);
        syncScrollToGrid();
        emit scrolled();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        m_left->verticalScrollBar()->setValue(v);
        syncScrollToGrid();
        emit scrolled();
    });

    m_ownGrid = new GridModel(this);
    setGridModel(m_ownGrid);
}

GridView::~GridView()
{
    for (const auto &c : m_connections)
        disconnect(c);
}

void GridView::setGridModel(GridModel *model)
{
    if (!model || model == m_grid)
        return;
    for (const auto &c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_grid = model;
    setModel(model);
    if (model != m_ownGrid) {
        // An outside model that goes away leaves the view on its own, empty model.
        // The views let go of the dying model themselves; the own model is put back once they
        // have, and meanwhile the painter reads the own model.
        m_connections << connect(model, &QObject::destroyed, this, [this]() {
            m_grid = m_ownGrid;
            QMetaObject::invokeMethod(
                this,
                [this]() {
                    if (m_grid == m_ownGrid && QTableView::model() != m_ownGrid) {
                        m_grid = nullptr;
                        setGridModel(m_ownGrid);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    for (Overlay *o : {m_corner, m_top, m_left})
        o->setModel(model);
    attach();
    applyLook();
    applyStructure();
}

void GridView::attach()
{
    GridModel *m = m_grid;
    auto structure = [this]() { applyStructure(); };
    m_connections << connect(m, &QAbstractItemModel::modelReset, this, structure)
                  << connect(m, &QAbstractItemModel::rowsInserted, this, structure)
                  << connect(m, &QAbstractItemModel::rowsRemoved, this, structure)
                  << connect(m, &QAbstractItemModel::columnsInserted, this, structure)
                  << connect(m, &QAbstractItemModel::columnsRemoved, this, structure)
                  << connect(m, &GridModel::fixedChanged, this, structure)
                  << connect(m, &GridModel::sizesChanged, this, structure)
                  << connect(m, &GridModel::rowHeightChanged, this, [this](int r) { applyRowHeight(r); })
                  << connect(m, &GridModel::colWidthChanged, this, [this](int c) { applyColWidth(c); })
                  << connect(m, &GridModel::lookChanged, this, [this]() { applyLook(); })
                  << connect(m, &GridModel::currentCellChanged, this,
                             [this]() {
                                 syncCurrentIndex();
                                 repaintCells();
                             })
                  << connect(m, &GridModel::selectionChanged, this, [this]() { repaintCells(); })
                  << connect(m, &GridModel::topRowChanged, this, [this]() { applyScroll(); })
                  << connect(m, &GridModel::leftColChanged, this, [this]() { applyScroll(); });
}

int GridView::fixedWidthPx() const
{
    int w = 0;
    for (int c = 0; c < m_grid->fixedCols(); ++c)
        w += twipsToPixels(m_grid->colWidth(c));
    return w;
}

int GridView::fixedHeightPx() const
{
    int h = 0;
    for (int r = 0; r < m_grid->fixedRows(); ++r)
        h += twipsToPixels(m_grid->rowHeight(r));
    return h;
}

// Hidden rows and columns decide which view shows which cells; sizes come from the model.
void GridView::applyStructure()
{
    const GridModel *m = m_grid;
    const int fr = m->fixedRows();
    const int fc = m->fixedCols();
    struct Part {
        QTableView *view;
        bool fixedRowsShown;
        bool fixedColsShown;
    };
    const Part parts[] = {{this, false, false}, {m_top, true, false}, {m_left, false, true}, {m_corner, true, true}};
    for (const Part &part : parts) {
        QHeaderView *vh = part.view->verticalHeader();
        QHeaderView *hh = part.view->horizontalHeader();
        for (int r = 0; r < m->rows(); ++r) {
            vh->resizeSection(r, twipsToPixels(m->rowHeight(r)));
            vh->setSectionHidden(r, (r < fr) != part.fixedRowsShown);
        }
        for (int c = 0; c < m->cols(); ++c) {
            hh->resizeSection(c, colWidthPx(c));
            hh->setSectionHidden(c, (c < fc) != part.fixedColsShown);
        }
    }
    // The table's own headers hold the room the fixed parts are laid over.
    const int w = fixedWidthPx();
    const int h = fixedHeightPx();
    verticalHeader()->setFixedWidth(w);
    verticalHeader()->setVisible(w > 0);
    horizontalHeader()->setFixedHeight(h);
    horizontalHeader()->setVisible(h > 0);
    updateGeometries();
    syncCurrentIndex();
    repaintCells();
}

void GridView::applyRowHeight(int r)
{
    const int px = twipsToPixels(m_grid->rowHeight(r));
    for (QTableView *v : std::initializer_list<QTableView *>{this, m_top, m_left, m_corner})
        v->verticalHeader()->resizeSection(r, px);
    if (r < m_grid->fixedRows())
        horizontalHeader()->setFixedHeight(fixedHeightPx());
    updateGeometries();
}

void GridView::applyColWidth(int c)
{
    const int px = colWidthPx(c);
    for (QTableView *v : std::initializer_list<QTableView *>{this, m_top, m_left, m_corner})
        v->horizontalHeader()->resizeSection(c, px);
    if (c < m_grid->fixedCols())
        verticalHeader()->setFixedWidth(fixedWidthPx());
    updateGeometries();
}

int GridView::colWidthPx(int c) const
{
    const int px = twipsToPixels(m_grid->colWidth(c));
    return c < m_grid->fixedCols() ? px : int(px * m_widthScale);
}

void GridView::setFillWidth(bool on)
{
    m_fillWidth = on;
    fitColumns();
}

void GridView::resizeEvent(QResizeEvent *e)
{
    QTableView::resizeEvent(e);
    fitColumns();
}

void GridView::fitColumns()
{
    if (!m_grid || m_fitting)
        return;
    double scale = 1.0;
    if (m_fillWidth) {
        int stored = 0;
        for (int c = m_grid->fixedCols(); c < m_grid->cols(); ++c)
            stored += twipsToPixels(m_grid->colWidth(c));
        // The room beside the fixed columns; a vertical scroll bar takes its share.
        int room = width() - 2 * frameWidth() - fixedWidthPx();
        if (verticalScrollBar()->isVisible())
            room -= verticalScrollBar()->width();
        if (stored > 0 && room > stored)
            scale = double(room) / stored;
    }
    if (qFuzzyCompare(scale, m_widthScale))
        return;
    m_fitting = true;
    m_widthScale = scale;
    for (int c = m_grid->fixedCols(); c < m_grid->cols(); ++c) {
        const int px = colWidthPx(c);
        for (QTableView *v : std::initializer_list<QTableView *>{this, m_top, m_left, m_corner})
            v->horizontalHeader()->resizeSection(c, px);
    }
    m_fitting = false;
    updateGeometries();
}

void GridView::applyLook()
{
    // The area outside the cells.
    QPalette pal = palette();
    pal.setColor(QPalette::Base, colorFromNumber(m_grid->backColorBkg()));
    for (QTableView *v : std::initializer_list<QTableView *>{this, m_top, m_left, m_corner}) {
        v->setPalette(pal);
        v->viewport()->setPalette(pal);
    }
    repaintCells();
}

void GridView::alignTopRow(QTableView *view)
{
    const QScrollBar *bar = view->verticalScrollBar();
    if (view->verticalScrollMode() != QAbstractItemView::ScrollPerItem || bar->maximum() <= 0
        || bar->value() != bar->maximum())
        return;
    QHeaderView *rows = view->verticalHeader();
    const int before = rows->offset();
    rows->setOffsetToSectionPosition(bar->value());
    if (rows->offset() != before)
        view->viewport()->update();
}

void GridView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    alignTopRow(this);
}

void GridView::updateGeometries()
{
    // Ranges are fresh here: put the scroll position the model asks for, then report back
    // what it became (a grid too short to scroll keeps the first row on top).
    if (!m_grid) { // still being constructed
        QTableView::updateGeometries();
        return;
    }
    fitColumns();
    m_inGeometry = true;
    QTableView::updateGeometries();
    alignTopRow(this);
    placeOverlays();
    m_inGeometry = false;
    applyScroll();
    syncScrollToGrid();
}

void GridView::placeOverlays()
{
    if (!m_top)
        return;
    const QRect vp = viewport()->geometry();
    const int w = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
    const int h = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
    m_corner->setGeometry(vp.left() - w, vp.top() - h, w, h);
    m_top->setGeometry(vp.left(), vp.top() - h, vp.width(), h);
    m_left->setGeometry(vp.left() - w, vp.top(), w, vp.height());
    m_corner->setVisible(w > 0 && h > 0);
    m_top->setVisible(h > 0);
    m_left->setVisible(w > 0);
    for (Overlay *o : {m_corner, m_top, m_left})
        o->raise();
    m_top->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    m_left->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

// Scroll values count the visible rows and columns, and the fixed ones are hidden here, so the
// value is the top row less the fixed rows.
void GridView::applyScroll()
{
    if (m_syncing)
        return;
    m_syncing = true;
    verticalScrollBar()->setValue(m_grid->topRow() - m_grid->fixedRows());
    horizontalScrollBar()->setValue(m_grid->leftCol() - m_grid->fixedCols());
    m_syncing = false;
}

void GridView::syncScrollToGrid()
{
    if (m_syncing || m_inGeometry)
        return;
    m_syncing = true;
    m_grid->setTopRow(m_grid->fixedRows() + verticalScrollBar()->value());
    m_grid->setLeftCol(m_grid->fixedCols() + horizontalScrollBar()->value());
    m_syncing = false;
}

// The table's current index follows the model's current cell, for screen readers.
void GridView::syncCurrentIndex()
{
    if (!selectionModel())
        return;
    const int r = m_grid->row();
    const int c = m_grid->col();
    const QModelIndex idx =
        m_grid->isValidCell(r, c) && !m_grid->isFixedCell(r, c) ? m_grid->index(r, c) : QModelIndex();
    if (selectionModel()->currentIndex() != idx)
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
}

void GridView::repaintCells()
{
    for (QTableView *v : std::initializer_list<QTableView *>{this, m_top, m_left, m_corner})
        v->viewport()->update();
}

void GridView::showCell(int r, int c)
{
    if (!m_grid->isValidCell(r, c))
        return;
    const int row = r < m_grid->fixedRows() ? m_grid->topRow() : r;
    const int col = c < m_grid->fixedCols() ? m_grid->leftCol() : c;
    if (m_grid->isValidCell(row, col) && !m_grid->isFixedCell(row, col))
        scrollTo(m_grid->index(row, col));
}

QTableView *GridView::viewFor(int r, int c) const
{
    const bool fr = r < m_grid->fixedRows();
    const bool fc = c < m_grid->fixedCols();
    if (fr && fc)
        return m_corner;
    if (fr)
        return m_top;
    if (fc)
        return m_left;
    return const_cast<GridView *>(this);
}

QRect GridView::cellRect(int r, int c) const
{
    if (!m_grid->isValidCell(r, c))
        return {};
    QTableView *v = viewFor(r, c);
    const QRect inView = v->visualRect(m_grid->index(r, c));
    const QRect shown = inView.intersected(v->viewport()->rect());
    if (shown.isEmpty())
        return {};
    return inView.translated(v->viewport()->mapTo(this, QPoint(0, 0)));
}

bool GridView::cellAt(const QPoint &pos, int *r, int *c) const
{
    for (QTableView *v : std::initializer_list<QTableView *>{m_corner, m_top, m_left, const_cast<GridView *>(this)}) {
        if (!v->isVisible())
            continue;
        const QPoint local = v->viewport()->mapFrom(this, pos);
        if (!v->viewport()->rect().contains(local))
            continue;
        const int row = v->rowAt(local.y());
        const int col = v->columnAt(local.x());
        if (row < 0 || col < 0)
            return false;
        *r = row;
        *c = col;
        return true;
    }
    return false;
}
