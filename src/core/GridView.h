#pragma once
#include <QPointer>
#include <QTableView>

class GridModel;
class QKeyEvent;

// Shows a GridModel the way the flex grid looks and behaves: the model's fixed rows and columns
// are headings that stay in place while the rest scrolls by whole rows and columns, the current
// cell and selection range live in the model (so logic code moves them without a widget), and
// the owner window sees every key before the grid does anything with it.
//
// The fixed parts are three overlay views on the same model laid over the table's header areas
// (the frozen-column technique); the table itself shows only the scrolling cells.
class GridView : public QTableView {
    Q_OBJECT
public:
    // Which grid lines the user may drag in the fixed cells.
    enum UserResizing { ResizeNone = 0, ResizeColumns = 1, ResizeRows = 2, ResizeBoth = 3 };

    explicit GridView(QWidget *parent = nullptr);
    ~GridView() override;

    // The view starts with a model of its own; an outside model is not owned.
    GridModel *grid() const { return m_grid; }
    void setGridModel(GridModel *model);

    // The cell's rectangle relative to this control, to lay an edit box exactly over it. An
    // empty rectangle when the cell is scrolled out of sight.
    QRect cellRect(int r, int c) const;
    // The cell under a point relative to this control; false outside the cells.
    bool cellAt(const QPoint &pos, int *r, int *c) const;
    // The cell under the mouse at the last mouse event (-1 when none).
    int mouseRow() const { return m_mouseRow; }
    int mouseCol() const { return m_mouseCol; }

    int allowUserResizing() const { return m_userResizing; }
    void setAllowUserResizing(int mode) { m_userResizing = mode; }

    // Scrolls so the cell is visible (the flex grid's programmatic Row and Col do not scroll).
    void showCell(int r, int c);

    // The scrolling columns widen, in proportion to the model's widths, to fill a control wider
    // than they are; the model's widths stay as they are. Off by default.
    void setFillWidth(bool on);
    bool fillWidth() const { return m_fillWidth; }

signals:
    // Emitted before any default handling with the event ignored; a handler that accepts the
    // event consumes the key.
    void keyPressed(QKeyEvent *event);
    // The character typed, as a key press's character code: Enter 13, Tab 9, Esc 27, letters...
    void charTyped(QChar ch);
    // Positions relative to this control. The current cell has already moved on a left press.
    void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pos);
    void clicked(int r, int c);
    void dblClicked(int r, int c);
    void scrolled();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent *e) override;
    // Scrolled to the end, a table scrolled by rows lines its last row up with the bottom edge and
    // shows part of the row above its top row; the grid starts at its whole top row instead.
    static void alignTopRow(QTableView *view);

private:
    class Overlay;
    class Delegate;

    void attach();
    void applyStructure();
    void applyRowHeight(int r);
    void applyColWidth(int c);
    void applyLook();
    void placeOverlays();
    void applyScroll();
    void syncScrollToGrid();
    void syncCurrentIndex();
    void repaintCells();
    int fixedWidthPx() const;
    int colWidthPx(int c) const;
    void fitColumns();
    int fixedHeightPx() const;
    QTableView *viewFor(int r, int c) const;
    bool navigate(QKeyEvent *e);
    int pageRows() const;
    void press(QTableView *from, const QPoint &viewportPos, QMouseEvent *e);
    void release(QTableView *from, const QPoint &viewportPos, QMouseEvent *e);
    bool overlayMouse(QTableView *overlay, QEvent *e);
    int resizeEdge(QTableView *overlay, const QPoint &pos, Qt::Orientation *orientation) const;

    GridModel *m_grid = nullptr;
    GridModel *m_ownGrid = nullptr;
    QList<QMetaObject::Connection> m_connections;
    Overlay *m_top = nullptr;    // fixed rows over scrolling columns
    Overlay *m_left = nullptr;   // fixed columns beside scrolling rows
    Overlay *m_corner = nullptr; // fixed rows and columns
    Delegate *m_delegate = nullptr;
    int m_mouseRow = -1;
    int m_mouseCol = -1;
    int m_pressRow = -1;
    int m_pressCol = -1;
    bool m_dragSelecting = false;
    bool m_syncing = false;
    bool m_inGeometry = false;
    bool m_fillWidth = false;
    bool m_fitting = false;
    double m_widthScale = 1.0;
    int m_userResizing = ResizeNone;
    // Dragging a grid line in the fixed cells.
    int m_resizeIndex = -1;
    Qt::Orientation m_resizeOrientation = Qt::Horizontal;
    int m_resizeStart = 0;
    int m_resizeStartSize = 0;
};

class QLineEdit;
// A key typed on a grid cell becomes the first keystroke in the floating edit box over it,
// replacing what the cell held ("\b" empties it).
void typeIntoEditBox(QLineEdit *box, const QString &typed);
// Scrolls cell (r, c) into view and lays the floating edit box over it, in the box's parent's
// coordinates. False when the cell cannot be shown.
bool placeEditBox(QLineEdit *box, GridView *grid, int r, int c);
// Hides the floating edit box; the focus it had goes back to the grid.
void hideEditBox(QLineEdit *box, QWidget *grid);
