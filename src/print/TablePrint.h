#pragma once
#include <QFont>
#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

class Dialogs;
class DrawSurface;

// Fonts and pictures are shared, not copied: the printer compares them by identity, so runs of
// cells handed one font object switch the surface's font only once.
using FontRef = std::shared_ptr<QFont>;
using PictureRef = std::shared_ptr<const QImage>;

// Size of a picture in HIMETRIC units (0.01 mm), from its pixels and resolution.
QSizeF pictureHimetric(const QImage &picture);

// The printable table: cell texts, colours, fonts and pictures, header rows, an optional footer
// and page geometry, drawn page by page onto a picture box, the printer or a PDF file.
// Lengths are in the surface's scale units, line thicknesses in pixels. Rows, Cols and
// HeaderRows re-dimension the table and clear everything in it, so set them first.
// No text is lost: texts wrap at their column's width (inside a word only where the word alone is
// wider), each row is as tall as its tallest cell, and a row taller than a page goes on over the
// pages line by line.
class TablePrint : public QObject {
    Q_OBJECT
public:
    // Messages go through dialogs when it is set; print is the print asked for (no fill, ...).
    explicit TablePrint(Dialogs *dialogs, QObject *parent = nullptr);
    // Cells drawn without their fill colours (the details print has none); PrintNoFill.
    void setNoFill(bool noFill) { m_noFill = noFill; }

    int rowCount() const { return m_rows; }
    void setRows(int rows);
    int colCount() const { return m_cols; }
    void setCols(int cols);
    int headerRowCount() const { return m_headerRows; }
    void setHeaderRows(int headerRows);

    // A negative row or column on writing means every row or column.
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    float cellcolor(int row, int col) const;
    void setCellcolor(int row, int col, float color);
    FontRef fontMatrix(int row, int col) const;
    void setFontMatrix(int row, int col, const FontRef &font);
    PictureRef pictureMatrix(int row, int col) const;
    void setPictureMatrix(int row, int col, const PictureRef &picture);
    QString headerText(int hrow, int col) const;
    void setHeaderText(int hrow, int col, const QString &text);
    FontRef headerFont(int hrow, int col) const;
    void setHeaderFont(int hrow, int col, const FontRef &font);

    // 0 left, 1 centre, 2 right.
    int colAlignment(int col) const;
    void setColAlignment(int col, int alignment);
    float colWidth(int col) const;
    void setColWidth(int col, float width);
    FontRef colFont(int col) const;
    void setColFont(int col, const FontRef &font);
    QString footerText(int col) const;
    void setFooterText(int col, const QString &text);
    FontRef footerFont(int col) const;
    void setFooterFont(int col, const FontRef &font);

    bool mergeCol(int col) const;
    void setMergeCol(int col, bool merge);
    bool mergeRow(int row) const;
    void setMergeRow(int row, bool merge);
    bool mergeHeaderCol(int col) const;
    void setMergeHeaderCol(int col, bool merge);
    bool mergeHeaderRow(int hrow) const;
    void setMergeHeaderRow(int hrow, bool merge);

    // Takes effect on the footer texts and fonts at the next re-dimensioning only.
    bool hasFooter() const { return m_hasFooter; }
    void setHasFooter(bool v) { m_hasFooter = v; }

    float marginLeft() const { return m_marginLeft; }
    void setMarginLeft(float v) { m_marginLeft = v; }
    float marginTop() const { return m_marginTop; }
    void setMarginTop(float v) { m_marginTop = v; }
    float marginBottom() const { return m_marginBottom; }
    void setMarginBottom(float v) { m_marginBottom = v; }
    short lineThickness() const { return m_lineThickness; }
    void setLineThickness(short v) { m_lineThickness = v; }
    short headerLineThickness() const { return m_headerLineThickness; }
    void setHeaderLineThickness(short v) { m_headerLineThickness = v; }
    short footerLineThickness() const { return m_footerLineThickness; }
    void setFooterLineThickness(short v) { m_footerLineThickness = v; }
    float cellXOffset() const { return m_cellXOffset; }
    void setCellXOffset(float v) { m_cellXOffset = v; }
    float cellYOffset() const { return m_cellYOffset; }
    void setCellYOffset(float v) { m_cellYOffset = v; }
    bool repeatHeader() const { return m_repeatHeader; }
    void setRepeatHeader(bool v) { m_repeatHeader = v; }
    bool centerMergedHeader() const { return m_centerMergedHeader; }
    void setCenterMergedHeader(bool v) { m_centerMergedHeader = v; }
    float minRowHeight() const { return m_minRowHeight; }
    void setMinRowHeight(float v) { m_minRowHeight = v; }
    float minFooterHeight() const { return m_minFooterHeight; }
    void setMinFooterHeight(float v) { m_minFooterHeight = v; }
    bool sizeRowsToPictures() const { return m_sizeRowsToPictures; }
    void setSizeRowsToPictures(bool v) { m_sizeRowsToPictures = v; }

    // The header row height never goes below this, spacing excluded.
    static constexpr float MinHeaderHeight = 275;

    // Whole data rows that fit on one page of the target, were each as tall as the tallest; may
    // be 0 or negative.
    float calcNumRowsPerPage(DrawSurface &Target, bool IncludeHeader, std::optional<bool> IncludeFooter = std::nullopt);

    // The sheets drawTable takes from row 0 when the table starts at firstTop on the first sheet
    // and every later sheet at continueTop, measured on the target without drawing. A table whose
    // rows fit on no sheet counts 0.
    int countPages(DrawSurface &Target, double firstTop, double continueTop);

    // Draws from StartRow at the target's currentY, raising NewPage at every page break. On
    // return currentY is below the last thing drawn and the target has its font back. A failure
    // (a line taller than a whole page, say) is shown in the "Draw Table" message.
    void drawTable(DrawSurface &Target, int StartRow, int PageNo);

signals:
    // At a page break. Set Cancel to stop drawing; set PositionSet when the handler has placed
    // currentY itself, otherwise drawing goes on at marginTop.
    void newPage(DrawSurface *Target, bool &PositionSet, bool &Cancel, int LastRow);

private:
    friend class TablePainter;
    // Each row as tall as its tallest cell with the text wrapped into the column, spacing included.
    struct Heights {
        QVector<double> rows;
        QVector<double> headers;
        double footer = 0;
        double tallestRow() const;
        double headerTotal() const;
    };

    void redimension();
    void checkCell(int row, int col) const;
    void checkHeader(int hrow, int col) const;
    void checkCol(int col) const;
    void checkFooter(int col) const;
    template <class T>
    void fillCells(QVector<T> &cells, int rows, int row, int col, const T &value);
    template <class T>
    void fillCols(QVector<T> &values, int col, const T &value);

    void switchFont(DrawSurface &target, const FontRef &font);
    Heights measure(DrawSurface &target);
    // How a data cell's text is placed: column 0 centred on one line, the others wrapped.
    static unsigned dataTextFlags(int col);

    Dialogs *m_dialogs;
    bool m_noFill = false;

    int m_rows = 5;
    int m_cols = 2;
    int m_headerRows = 1;

    QVector<QString> m_text;
    QVector<float> m_color;
    QVector<FontRef> m_font;
    QVector<PictureRef> m_picture;
    QVector<QString> m_headerText;
    QVector<FontRef> m_headerFont;
    QVector<int> m_colAlignment;
    QVector<float> m_colWidth;
    QVector<bool> m_mergeCol;
    QVector<bool> m_mergeRow;
    QVector<bool> m_mergeHeaderCol;
    QVector<bool> m_mergeHeaderRow;
    bool m_footerArrays = false;
    QVector<QString> m_footerText;
    QVector<FontRef> m_footerFont;

    bool m_hasFooter = true;
    float m_marginLeft = 0;
    float m_marginTop = 0;
    float m_marginBottom = 0;
    short m_lineThickness = 1;
    short m_headerLineThickness = 1;
    short m_footerLineThickness = 1;
    float m_cellXOffset = 0;
    float m_cellYOffset = 0;
    bool m_repeatHeader = false;
    bool m_centerMergedHeader = false;
    float m_minRowHeight = 0;
    float m_minFooterHeight = 0;
    bool m_sizeRowsToPictures = false;

    // The font last handed to the surface while measuring or drawing.
    FontRef m_currentFont;
};
