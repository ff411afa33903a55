#pragma once
#include "core/GridModel.h"
#include "daypage/PageText.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <utility>

// One day page laid out in a GridModel: rows 0-1 the technicians' headings, rows 2-4 their hours,
// row 5 a separator band, time slots from row 6, one extra unlabelled row at the end; column 0
// the captions and time labels, one column per technician.
class PageModel {
public:
    static constexpr int HoursAvailRow = 2;
    static constexpr int HoursUsedRow = 3;
    static constexpr int HoursStartRow = 4;
    static constexpr int SeparatorRow = 5;
    static constexpr int FirstTimeRow = 6;
    static constexpr int TextTopRow = 2; // the page text block: rows 2 to last, columns 1 to last
    static constexpr int LineTwips = 275;

    explicit PageModel(GridModel &grid);
    GridModel &grid() { return m_grid; }
    const GridModel &grid() const { return m_grid; }

    int lastRow() const { return m_grid.rows() - 1; }
    int lastCol() const { return m_grid.cols() - 1; }
    bool isTimeSlot(int row) const { return row >= FirstTimeRow && row < lastRow(); }
    // Rows typed into with the edit box: hours used, starting hours, the separator band and the
    // extra last row. Hours available are computed.
    bool isTypedRow(int row) const
    {
        return (row >= HoursUsedRow && row < FirstTimeRow) || (row == lastRow() && row >= FirstTimeRow);
    }
    bool isTechColumn(int col) const { return col >= 1 && col <= lastCol(); }

    // Labels from open in steps of slot minutes to the first that reaches or passes close.
    // Throws AppError on a time that is no time or a slot that is no length.
    static QStringList timeLabels(const QString &open, const QString &close, int slotMinutes);
    void drawRows(const QString &open, const QString &close, int slotMinutes, int linesPerRow);
    // Missing or bad widths and headings leave those cells as they were.
    void drawColumns(int techCount, const QStringList &sites, const QStringList &names, const QString &cwidth);
    // The text of the empty page as left by drawRows.
    const QString &emptyPageText() const { return m_emptyPageText; }

    // Open page: light cells, grey headings. Closed page: the desktop colour throughout.
    void setLook(bool closed);

    // Page text of rows 2 to last, columns 1 to last.
    PageText::Cells pageCells() const;
    QString pageText() const;
    // Cells the text does not reach keep what they hold.
    void setPageText(const QString &text);
    // Writes the cells that differ (a shaped block).
    void setPageCells(const PageText::Cells &cells);
    // The block emptied, then the text loaded: nothing of an earlier page stays.
    void loadPageText(const QString &text);

    // Background colour numbers of the booking cells (columns 1 to last, rows 6 to last),
    // column by column.
    QVector<qint64> cellColors() const;
    void setCellColors(const QVector<qint64> &colors);
    QString colorList() const { return ColorList::format(cellColors()); }
    // Cells the list has no number for keep their colour.
    void applyColorList(const QString &list);
    void fillCellColors(qint64 color);
    // Cells marked LUNCH by the templates become empty grey lunch cells.
    void lunchPass();

    // Hours: row 2 = row 4 - row 3 per technician; page totals of start, used and available.
    void sumTotal();
    struct Totals {
        float start = 0, used = 0, avail = 0;
        QString startText() const;
        QString usedText() const;
        QString availText() const;
    };
    Totals totals() const;

private:
    GridModel &m_grid;
    QString m_emptyPageText;
    // The time labels last drawn and what they were drawn for: most pages share their hours.
    struct DrawnRows {
        QString open, close;
        int slotMinutes = 0;
        QStringList labels;
    };
    std::optional<DrawnRows> m_drawnRows;
    std::pair<int, int> m_emptyShape{-1, -1}; // rows and columns m_emptyPageText was made for
    // The column widths of the last cwidth text laid out, as parsed; none where an item is no width.
    QString m_widthsText;
    QVector<std::optional<int>> m_widths;
};
