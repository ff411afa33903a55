#include "print/DBGridImport.h"

#include "core/Dialogs.h"
#include "print/TablePrint.h"
#include "print/TableQueryModel.h"
#include "store/AppError.h"

#include <memory>

void importDBGrid(TablePrint &Table, const DataGridLayout &DataGrid, TableQueryModel &Records, float FitWidth,
                  Dialogs &dialogs, bool storeNulls)
{
    try {
        const int cols = int(DataGrid.columns.size());
        Table.setHasFooter(false);
        Table.setRows(Records.rowCount());
        Table.setCols(cols);
        Table.setHeaderRows(1);
        Table.setLineThickness(1);
        Table.setHeaderLineThickness(short(2 * Table.lineThickness()));
        Table.setMinRowHeight(DataGrid.rowHeight);
        Table.setMinFooterHeight(DataGrid.rowHeight);
        Table.setCellXOffset(60);
        Table.setCellYOffset(30);
        Table.setCenterMergedHeader(false);
        Table.setSizeRowsToPictures(true);
        Table.setRepeatHeader(true);
        Table.setHeaderFont(-1, -1, std::make_shared<QFont>(DataGrid.headFont));
        Table.setFontMatrix(-1, -1, std::make_shared<QFont>(DataGrid.font));

        float total = 0;
        for (int c = 0; c < cols; ++c) {
            const DataGridColumn &col = DataGrid.columns.at(c);
            switch (col.alignment) {
            case DataGridColumn::Left: Table.setColAlignment(c, 0); break;
            case DataGridColumn::Right: Table.setColAlignment(c, 2); break;
            case DataGridColumn::Center: Table.setColAlignment(c, 1); break;
            default: Table.setColAlignment(c, Records.isTextField(col.dataField) ? 0 : 2); break;
            }
            if (col.visible) {
                total += col.width;
                Table.setHeaderText(0, c, col.caption);
            }
        }
        // Widths come from the columns, so a query without records still prints its header
        // at the grid's widths.
        for (int c = 0; c < cols; ++c) {
            const DataGridColumn &col = DataGrid.columns.at(c);
            if (!col.visible)
                continue;
            if (FitWidth <= 0)
                Table.setColWidth(c, col.width);
            else if (total > 0)
                Table.setColWidth(c, col.width / total * FitWidth);
        }

        for (int r = 0; r < Records.rowCount(); ++r) {
            for (int c = 0; c < cols; ++c) {
                const DataGridColumn &col = DataGrid.columns.at(c);
                if (!col.visible)
                    continue;
                QVariant value = Records.field(r, col.dataField);
                if (value.isNull()) {
                    if (storeNulls)
                        Records.setField(r, col.dataField, QStringLiteral(""));
                    value = QString();
                }
                Table.setTextMatrix(r, c, TableQueryModel::valueText(value));
            }
        }
    } catch (const AppError &e) {
        dialogs.error(e, QStringLiteral("ImportDBGrid"));
    }
}
