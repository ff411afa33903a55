#include "print/FlexGridImport.h"

#include "core/Colors.h"
#include "core/GridModel.h"
#include "store/AppError.h"

namespace {
bool sameSettings(const QFont &a, const QFont &b)
{
    return a.family() == b.family() && a.pointSizeF() == b.pointSizeF() && a.bold() == b.bold()
           && a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut();
}

// Flex grid alignments 0-2 are left, 3-5 centre, 6-8 right; general prints left.
int tableAlignment(int gridAlignment)
{
    if (gridAlignment >= GridModel::AlignCenterTop && gridAlignment <= GridModel::AlignCenterBottom)
        return 1;
    if (gridAlignment >= GridModel::AlignRightTop && gridAlignment <= GridModel::AlignRightBottom)
        return 2;
    return 0;
}
} // namespace

FontRef getCellFont(const GridModel &Grid, int row, int col, FontRef &cache)
{
    const QFont cell = Grid.cellFont(row, col);
    if (!cache || !sameSettings(*cache, cell)) {
        auto font = std::make_shared<QFont>(cell.family());
        font->setPointSizeF(cell.pointSizeF());
        font->setBold(cell.bold());
        font->setItalic(cell.italic());
        font->setUnderline(cell.underline());
        font->setStrikeOut(cell.strikeOut());
        cache = font;
    }
    return cache;
}

void importFlexGrid(TablePrint &Table, const GridModel &Grid, float FitWidth)
{
    const int fixed = Grid.fixedRows();
    const int cols = Grid.cols();
    Table.setHasFooter(false);
    Table.setRows(Grid.rows() - fixed);
    Table.setCols(cols);
    Table.setHeaderRows(fixed);
    Table.setLineThickness(short(Grid.gridLineWidth()));
    Table.setHeaderLineThickness(Table.lineThickness());
    Table.setMinRowHeight(float(Grid.rowHeightMin()));
    Table.setMinFooterHeight(float(Grid.rowHeightMin()));
    Table.setCellXOffset(30);
    Table.setCellYOffset(10);
    Table.setCenterMergedHeader(false);
    Table.setSizeRowsToPictures(true);
    Table.setRepeatHeader(true);
    FontRef cache = std::make_shared<QFont>();

    float total = 0;
    for (int h = 0; h < fixed; ++h) {
        for (int c = 0; c < cols; ++c) {
            Table.setHeaderFont(h, c, getCellFont(Grid, h, c, cache));
            if (h == 0) {
                Table.setColAlignment(c, tableAlignment(Grid.colAlignment(c)));
                total += float(Grid.colWidth(c));
            }
            Table.setHeaderText(h, c, Grid.text(h, c));
        }
    }

    const int rows = Table.rowCount();
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            const int gr = fixed + r;
            Table.setFontMatrix(r, c, getCellFont(Grid, gr, c, cache));
            Table.setTextMatrix(r, c, Grid.text(gr, c));
            // The first data row always prints in the free colour; the grid itself is left alone.
            qint64 back = r == 0 ? FreeSlotColor : Grid.cellBackColor(gr, c);
            if (back == 0)
                back = FreeSlotColor;
            // A single float holds every RGB value exactly, but not a system colour number.
            if (isSystemColor(back))
                back = numberFromColor(colorFromNumber(back));
            Table.setCellcolor(r, c, float(back));
        }
        if (FitWidth <= 0) {
            Table.setColWidth(c, float(Grid.colWidth(c)));
        } else {
            if (total == 0)
                throw AppError(11, QStringLiteral("Division by zero"));
            Table.setColWidth(c, float(Grid.colWidth(c)) / total * FitWidth);
        }
        Table.setMergeCol(c, Grid.mergeCol(c));
        Table.setMergeHeaderCol(c, Grid.mergeCol(c));
    }
}
