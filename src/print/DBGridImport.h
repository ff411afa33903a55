#pragma once
#include <QFont>
#include <QString>
#include <QVector>

class TablePrint;
class Dialogs;
class TableQueryModel;

// What the table printer reads of a data grid: its columns, its fonts and its row height.
struct DataGridColumn {
    // The data grid's alignment values.
    enum Alignment { Left = 0, Right = 1, Center = 2, General = 3 };
    int alignment = General;
    bool visible = true;
    float width = 0; // twips
    QString caption;
    QString dataField;
};

struct DataGridLayout {
    QVector<DataGridColumn> columns;
    QFont headFont;
    QFont font;
    float rowHeight = 0; // twips
};

// Fills Table from a data grid bound to Records: one header row of captions, the records'
// values as texts. A null value prints empty and, with storeNulls, is stored back as an empty
// text (a print that only reads leaves it alone). FitWidth > 0 stretches the visible columns to
// fill it; otherwise the grid's widths are kept. A failure is shown in the "ImportDBGrid" message
// and ends the reading.
void importDBGrid(TablePrint &Table, const DataGridLayout &DataGrid, TableQueryModel &Records, float FitWidth,
                  Dialogs &dialogs, bool storeNulls = true);
