// The grid view's keys and mouse: moving the current cell, selecting, resizing rows and columns.
#include "core/GridView.h"

#include "core/Colors.h"
#include "core/GridModel.h"
#include "core/GridViewOverlay.h"
#include "core/Twips.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

// ---- keys ----

bool GridView::event(QEvent *e)
{
    // Tab is a character for the owner, not a focus move.
    if (e->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QTableView::event(e);
}

void GridView::keyPressEvent(QKeyEvent *e)
{
    e->ignore();
    emit keyPressed(e);
    if (e->isAccepted())
        return;
    e->accept();
    if (navigate(e))
        return;
    const QString text = e->text();
    if (e->key() == Qt::Key_Backtab) {
        emit charTyped(QChar(9));
        return;
    }
    // Delete is a key, not a character, as in the flex grid's key-press event.
    bool typed = false;
    for (const QChar ch : text) {
        if (ch.unicode() == 127)
            continue;
        emit charTyped(ch);
        typed = true;
    }
    if (!typed)
        e->ignore(); // unhandled keys go on to the window
}

int GridView::pageRows() const
{
    const int first = m_grid->topRow();
    int used = 0;
    int n = 0;
    for (int r = first; r < m_grid->rows(); ++r) {
        used += twipsToPixels(m_grid->rowHeight(r));
        if (used > viewport()->height())
            break;
        ++n;
    }
    return qMax(1, n);
}

// Arrow keys, Page Up/Down, Home and End move the current cell within the scrolling cells;
// with Shift they move the far corner of the selection instead.
bool GridView::navigate(QKeyEvent *e)
{
    GridModel *m = m_grid;
    const bool extend = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    int r = extend ? m->rowSel() : m->row();
    int c = extend ? m->colSel() : m->col();
    switch (e->key()) {
    case Qt::Key_Up: --r; break;
    case Qt::Key_Down: ++r; break;
    case Qt::Key_Left: --c; break;
    case Qt::Key_Right: ++c; break;
    case Qt::Key_PageUp: r -= pageRows(); break;
    case Qt::Key_PageDown: r += pageRows(); break;
    case Qt::Key_Home:
        c = m->fixedCols();
        if (ctrl)
            r = m->fixedRows();
        break;
    case Qt::Key_End:
        c = m->cols() - 1;
        if (ctrl)
            r = m->rows() - 1;
        break;
    default: return false;
    }
    if (m->rows() <= m->fixedRows() || m->cols() <= m->fixedCols())
        return true;
    r = qBound(m->fixedRows(), r, m->rows() - 1);
    c = qBound(m->fixedCols(), c, m->cols() - 1);
    if (extend) {
        m->setRowSel(r);
        m->setColSel(c);
    } else {
        m->setCurrentCell(r, c);
    }
    scrollTo(m->index(r, c));
    return true;
}

// ---- mouse ----

void GridView::press(QTableView *from, const QPoint &viewportPos, QMouseEvent *e)
{
    const int r = from->rowAt(viewportPos.y());
    const int c = from->columnAt(viewportPos.x());
    m_mouseRow = r;
    m_mouseCol = c;
    m_pressRow = r;
    m_pressCol = c;
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    const bool cell = r >= 0 && c >= 0;
    if (e->button() == Qt::LeftButton && cell && !m_grid->isFixedCell(r, c)) {
        if (e->modifiers() & Qt::ShiftModifier) {
            m_grid->setRowSel(r);
            m_grid->setColSel(c);
        } else {
            m_grid->setCurrentCell(r, c);
        }
        m_dragSelecting = true;
        scrollTo(m_grid->index(r, c));
    }
    emit mousePressed(e->button(), e->modifiers(), from->viewport()->mapTo(this, viewportPos));
}

void GridView::release(QTableView *from, const QPoint &viewportPos, QMouseEvent *e)
{
    const int r = from->rowAt(viewportPos.y());
    const int c = from->columnAt(viewportPos.x());
    m_mouseRow = r;
    m_mouseCol = c;
    m_dragSelecting = false;
    emit mouseReleased(e->button(), e->modifiers(), from->viewport()->mapTo(this, viewportPos));
    if (e->button() == Qt::LeftButton && r >= 0 && c >= 0 && r == m_pressRow && c == m_pressCol)
        emit clicked(r, c);
}

void GridView::mousePressEvent(QMouseEvent *e) { press(this, e->position().toPoint(), e); }

void GridView::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    m_mouseRow = rowAt(pos.y());
    m_mouseCol = columnAt(pos.x());
    if (!m_dragSelecting || !(e->buttons() & Qt::LeftButton))
        return;
    // Dragging past the edge selects to the last row or column shown.
    const QPoint inside(qBound(0, pos.x(), viewport()->width() - 1), qBound(0, pos.y(), viewport()->height() - 1));
    const int r = rowAt(inside.y());
    const int c = columnAt(inside.x());
    if (r >= 0)
        m_grid->setRowSel(r);
    if (c >= 0)
        m_grid->setColSel(c);
}

void GridView::mouseReleaseEvent(QMouseEvent *e) { release(this, e->position().toPoint(), e); }

void GridView::mouseDoubleClickEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    const int r = rowAt(pos.y());
    const int c = columnAt(pos.x());
    if (r >= 0 && c >= 0)
        emit dblClicked(r, c);
}

void GridView::focusInEvent(QFocusEvent *e)
{
    QTableView::focusInEvent(e);
    repaintCells();
}

void GridView::focusOutEvent(QFocusEvent *e)
{
    QTableView::focusOutEvent(e);
    repaintCells();
}

// The grid line under the pointer in a fixed part that the user may drag: the column (or row)
// whose right (or bottom) edge it is; -1 when none.
int GridView::resizeEdge(QTableView *overlay, const QPoint &pos, Qt::Orientation *orientation) const
{
    constexpr int slack = 3;
    const bool rowsPart = overlay == m_top || overlay == m_corner;
    const bool colsPart = overlay == m_left || overlay == m_corner;
    if ((m_userResizing & ResizeColumns) && rowsPart) {
        const int c = overlay->columnAt(pos.x());
        if (c >= 0) {
            const int left = overlay->columnViewportPosition(c);
            const int right = left + overlay->columnWidth(c);
            *orientation = Qt::Horizontal;
            if (right - pos.x() <= slack)
                return c;
            if (pos.x() - left <= slack) {
                for (int p = c - 1; p >= 0; --p)
                    if (!overlay->isColumnHidden(p))
                        return p;
            }
        }
    }
    if ((m_userResizing & ResizeRows) && colsPart) {
        const int r = overlay->rowAt(pos.y());
        if (r >= 0) {
            const int top = overlay->rowViewportPosition(r);
            const int bottom = top + overlay->rowHeight(r);
            *orientation = Qt::Vertical;
            if (bottom - pos.y() <= slack)
                return r;
            if (pos.y() - top <= slack) {
                for (int p = r - 1; p >= 0; --p)
                    if (!overlay->isRowHidden(p))
                        return p;
            }
        }
    }
    return -1;
}

bool GridView::overlayMouse(QTableView *overlay, QEvent *e)
{
    auto *me = static_cast<QMouseEvent *>(e);
    const QPoint pos = me->position().toPoint();
    switch (e->type()) {
    case QEvent::MouseMove: {
        if (m_resizeIndex >= 0) {
            const int now = m_resizeOrientation == Qt::Horizontal ? me->globalPosition().toPoint().x()
                                                                  : me->globalPosition().toPoint().y();
            const int px = qMax(0, m_resizeStartSize + now - m_resizeStart);
            if (m_resizeOrientation == Qt::Horizontal)
                m_grid->setColWidth(m_resizeIndex, int(pixelsToTwips(px)));
            else
                m_grid->setRowHeight(m_resizeIndex, int(pixelsToTwips(px)));
            return true;
        }
        Qt::Orientation o;
        const int edge = resizeEdge(overlay, pos, &o);
        if (edge >= 0)
            overlay->viewport()->setCursor(o == Qt::Horizontal ? Qt::SplitHCursor : Qt::SplitVCursor);
        else
            overlay->viewport()->unsetCursor();
        m_mouseRow = overlay->rowAt(pos.y());
        m_mouseCol = overlay->columnAt(pos.x());
        return true;
    }
    case QEvent::MouseButtonPress: {
        Qt::Orientation o;
        const int edge = me->button() == Qt::LeftButton ? resizeEdge(overlay, pos, &o) : -1;
        if (edge >= 0) {
            m_resizeIndex = edge;
            m_resizeOrientation = o;
            m_resizeStart =
                o == Qt::Horizontal ? me->globalPosition().toPoint().x() : me->globalPosition().toPoint().y();
            m_resizeStartSize =
                o == Qt::Horizontal ? twipsToPixels(m_grid->colWidth(edge)) : twipsToPixels(m_grid->rowHeight(edge));
            return true;
        }
        press(overlay, pos, me);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_resizeIndex >= 0) {
            m_resizeIndex = -1;
            return true;
        }
        release(overlay, pos, me);
        return true;
    case QEvent::MouseButtonDblClick: {
        const int r = overlay->rowAt(pos.y());
        const int c = overlay->columnAt(pos.x());
        if (r >= 0 && c >= 0)
            emit dblClicked(r, c);
        return true;
    }
    default: return false;
    }
}

bool GridView::eventFilter(QObject *watched, QEvent *e)
{
    for (QTableView *o : std::initializer_list<QTableView *>{m_top, m_left, m_corner}) {
        if (watched != o->viewport())
            continue;
        if (e->type() == QEvent::Wheel) {
            // The fixed parts do not scroll themselves; the wheel scrolls the grid.
            QApplication::sendEvent(viewport(), e);
            return true;
        }
        if (e->type() == QEvent::MouseMove || e->type() == QEvent::MouseButtonPress
            || e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick)
            return overlayMouse(o, e);
        return false;
    }
    return QTableView::eventFilter(watched, e);
}

void typeIntoEditBox(QLineEdit *box, const QString &typed)
{
    box->selectAll();
    const bool back = typed == QLatin1String("\b");
    QKeyEvent key(QEvent::KeyPress, back ? Qt::Key_Backspace : Qt::Key_unknown, Qt::NoModifier,
                  back ? QString() : typed);
    QCoreApplication::sendEvent(box, &key);
}

void hideEditBox(QLineEdit *box, QWidget *grid)
{
    if (!box || !box->isVisible())
        return;
    const bool hadFocus = box->hasFocus();
    box->hide();
    if (hadFocus)
        grid->setFocus();
}

bool placeEditBox(QLineEdit *box, GridView *grid, int r, int c)
{
    grid->showCell(r, c);
    QRect rect = grid->cellRect(r, c);
    if (rect.isEmpty())
        return false;
    rect.moveTopLeft(grid->mapTo(box->parentWidget(), rect.topLeft()));
    box->setGeometry(rect);
    return true;
}
