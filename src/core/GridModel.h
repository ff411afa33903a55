#pragma once
#include <QAbstractTableModel>
#include <QFont>
#include <QString>
#include <QVector>

// The flex grid as data: cells with text, background colour, alignment and font; fixed heading
// rows and columns; sizes in twips; the current cell and the selection range; the grid's
// colours. Windows show it with GridView; the page logic, the template editor and the grid
// readers work on it without any widget.
//
// Out-of-range cells read as empty and writes to them are dropped: every caller of the grid
// skipped such a step anyway.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Cell alignment values of the flex grid.
    enum Alignment {
        AlignLeftTop = 0,
        AlignLeftCenter = 1,
        AlignLeftBottom = 2,
        AlignCenterTop = 3,
        AlignCenterCenter = 4,
        AlignCenterBottom = 5,
        AlignRightTop = 6,
        AlignRightCenter = 7,
        AlignRightBottom = 8,
        AlignGeneral = 9, // text left, numbers right, both vertically centred
    };
    enum FocusRect { FocusNone = 0, FocusLight = 1, FocusHeavy = 2 };
    enum HighLight { HighlightNever = 0, HighlightAlways = 1, HighlightWithFocus = 2 };

    static constexpr int DefaultColWidth = 960;  // twips
    static constexpr int DefaultRowHeight = 240; // twips

    explicit GridModel(QObject *parent = nullptr);

    // QAbstractItemModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Structure. Growing keeps the existing cells; new cells are empty.
    int rows() const { return m_rows; }
    void setRows(int n);
    int cols() const { return m_cols; }
    void setCols(int n);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);
    int fixedCols() const { return m_fixedCols; }
    void setFixedCols(int n);
    bool isValidCell(int r, int c) const { return r >= 0 && c >= 0 && r < m_rows && c < m_cols; }
    bool isFixedCell(int r, int c) const { return r < m_fixedRows || c < m_fixedCols; }

    // Cells.
    QString text(int r, int c) const;
    void setText(int r, int c, const QString &text);
    QString currentText() const { return text(m_row, m_col); }
    void setCurrentText(const QString &t) { setText(m_row, m_col, t); }
    // 0 = no colour of its own: shown in the grid's background (or fixed) colour.
    qint64 cellBackColor(int r, int c) const;
    void setCellBackColor(int r, int c, qint64 colourNumber);
    // Effective colour the cell is drawn in.
    qint64 shownBackColor(int r, int c) const;
    qint64 cellForeColor(int r, int c) const;
    void setCellForeColor(int r, int c, qint64 colourNumber);
    // A cell without an alignment of its own follows its column's alignment.
    int cellAlignment(int r, int c) const;
    void setCellAlignment(int r, int c, int alignment);
    Qt::Alignment qtAlignment(int r, int c) const;
    static Qt::Alignment toQtAlignment(int alignment, bool numeric);
    QFont cellFont(int r, int c) const;
    void setCellFont(int r, int c, const QFont &font);

    // Columns and rows; sizes in twips. A row without a height of its own, or one lower than
    // the minimum row height, is drawn at the larger of the minimum and the default height.
    int colWidth(int c) const;
    void setColWidth(int c, int twips); // a negative width restores the default
    int rowHeight(int r) const;
    void setRowHeight(int r, int twips); // a negative height restores the default
    int rowHeightMin() const { return m_rowHeightMin; }
    void setRowHeightMin(int twips);
    int colAlignment(int c) const;
    void setColAlignment(int c, int alignment);
    bool mergeCol(int c) const;
    void setMergeCol(int c, bool merge);

    // Look of the whole grid.
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    qint64 backColor() const { return m_backColor; }
    void setBackColor(qint64 n);
    qint64 backColorFixed() const { return m_backColorFixed; }
    void setBackColorFixed(qint64 n);
    qint64 backColorSel() const { return m_backColorSel; }
    void setBackColorSel(qint64 n);
    qint64 foreColorSel() const { return m_foreColorSel; }
    void setForeColorSel(qint64 n);
    qint64 backColorBkg() const { return m_backColorBkg; }
    void setBackColorBkg(qint64 n);
    qint64 foreColor() const { return m_foreColor; }
    void setForeColor(qint64 n);
    qint64 foreColorFixed() const { return m_foreColorFixed; }
    void setForeColorFixed(qint64 n);
    qint64 gridColor() const { return m_gridColor; }
    void setGridColor(qint64 n);
    qint64 gridColorFixed() const { return m_gridColorFixed; }
    void setGridColorFixed(qint64 n);
    int gridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int px);
    int focusRect() const { return m_focusRect; }
    void setFocusRect(int style);
    int highLight() const { return m_highLight; }
    void setHighLight(int mode);

    // Current cell, the opposite corner of the selection, and the scroll position. Setting the
    // row (column) also moves the selection's row (column) to it, as the flex grid does: to
    // select a block set row and column first, then rowSel and colSel.
    int row() const { return m_row; }
    void setRow(int r);
    int col() const { return m_col; }
    void setCol(int c);
    void setCurrentCell(int r, int c);
    int rowSel() const { return m_rowSel; }
    void setRowSel(int r);
    int colSel() const { return m_colSel; }
    void setColSel(int c);
    void selectRange(int r0, int c0, int r1, int c1); // current cell r0,c0, opposite corner r1,c1
    bool inSelection(int r, int c) const;
    int topRow() const { return m_topRow; }
    void setTopRow(int r);
    int leftCol() const { return m_leftCol; }
    void setLeftCol(int c);

    // Block text: cells separated by tab, rows by carriage return, no trailing separator.
    QString clip() const;
    void setClip(const QString &text);
    QString pageText(int r0, int c0, int r1, int c1) const;
    // Fills the block from its top-left cell; text beyond the block is dropped, cells the text
    // does not reach keep what they hold. Rows may also be separated by CR LF or LF.
    void setPageText(int r0, int c0, int r1, int c1, const QString &text);

    // Clears every cell's text, colours, alignment and font, keeping rows, columns and sizes.
    void clearCells();

    // Rebuilding many cells: changes between beginBatch and endBatch are announced once at the
    // end (a reset if the shape changed, otherwise one dataChanged over the changed block).
    void beginBatch();
    void endBatch();

signals:
    void currentCellChanged(int row, int col);
    void selectionChanged();
    void topRowChanged(int row);
    void leftColChanged(int col);
    void rowHeightChanged(int row);
    void colWidthChanged(int col);
    void sizesChanged(); // many sizes changed: take them all again
    void fixedChanged(); // fixed rows or columns changed
    void lookChanged();  // grid colours, focus rectangle, highlight or line width

private:
    struct Cell {
        QString text;
        qint64 back = 0;
        qint64 fore = 0;
        qint8 align = -1; // -1: the column's alignment
        qint16 font = -1; // index into m_fonts; -1: the grid font
    };
    enum Pending : unsigned {
        PendCurrent = 1,
        PendSelection = 2,
        PendTopRow = 4,
        PendLeftCol = 8,
        PendSizes = 16,
        PendFixed = 32,
        PendLook = 64,
    };

    Cell *cell(int r, int c);
    const Cell *cell(int r, int c) const;
    void cellChanged(int r, int c, const QList<int> &roles = {});
    void blockChanged(int r0, int c0, int r1, int c1);
    void allCellsChanged(const QList<int> &roles);
    void aboutToReshape(); // before a row or column count change inside a batch
    void notify(unsigned what);
    void clampPositions();
    int fontIndex(const QFont &font);
    void setColour(qint64 &member, qint64 n, bool cellsChange);
    bool isNumeric(const QString &text) const;

    int m_rows = 0;
    int m_cols = 0;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    // A new grid has the flex grid's 2 x 2 cells, one fixed row and column (see constructor).
    QVector<QVector<Cell>> m_cells; // [row][col]
    QVector<int> m_colWidth;        // -1: default
    QVector<int> m_rowHeight;       // -1: default
    QVector<qint8> m_colAlign;
    QVector<bool> m_mergeCol;
    QVector<QFont> m_fonts;
    int m_rowHeightMin = 0;

    QFont m_font;
    qint64 m_backColor = 0x80000005;
    qint64 m_backColorFixed = 0x8000000F;
    qint64 m_backColorSel = 0x8000000D;
    qint64 m_foreColorSel = 0x8000000E;
    qint64 m_backColorBkg = 0x8000000C;
    qint64 m_foreColor = 0x80000008;
    qint64 m_foreColorFixed = 0x80000012;
    qint64 m_gridColor = 0xC0C0C0;
    qint64 m_gridColorFixed = 0x808080;
    int m_gridLineWidth = 1;
    int m_focusRect = FocusLight;
    int m_highLight = HighlightAlways;

    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    int m_topRow = 0;
    int m_leftCol = 0;

    int m_batchDepth = 0;
    bool m_batchReset = false;
    int m_dirtyR0 = 0, m_dirtyC0 = 0, m_dirtyR1 = -1, m_dirtyC1 = -1;
    unsigned m_pending = 0;
};

// Holds a batch for the lifetime of a scope.
class GridBatch {
public:
    explicit GridBatch(GridModel &m) : m_model(m) { m_model.beginBatch(); }
    ~GridBatch() { m_model.endBatch(); }
    GridBatch(const GridBatch &) = delete;
    GridBatch &operator=(const GridBatch &) = delete;

private:
    GridModel &m_model;
};
