#include "TestRegistry.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/GridModel.h"
#include "print/FlexGridImport.h"
#include "print/TablePrint.h"

#include <QTest>

namespace {
// One fixed row and nine data rows in three columns of 1000, 2000 and 1000 twips.
void scheduleGrid(GridModel &g)
{
    g.setRows(10);
    g.setCols(3);
    g.setFixedRows(1);
    g.setFixedCols(1);
    g.setColWidth(0, 1000);
    g.setColWidth(1, 2000);
    g.setColWidth(2, 1000);
    g.setRowHeightMin(275);
    g.setGridLineWidth(2);
    g.setColAlignment(0, GridModel::AlignRightCenter);
    g.setColAlignment(1, GridModel::AlignCenterCenter);
    g.setColAlignment(2, GridModel::AlignGeneral);
    g.setMergeCol(1, true);
    g.setText(0, 1, QStringLiteral("Anna"));
    for (int r = 1; r < 10; ++r)
        g.setText(r, 0, QStringLiteral("%1:00").arg(7 + r));
}
} // namespace

class FlexGridReaderTest : public QObject {
    Q_OBJECT
private slots:
    void columnWidthsAreKeptOrStretchedToTheFitWidth()
    {
        AppState state;
        TablePrint t(state.dialogs());
        GridModel g;
        scheduleGrid(g);

        importFlexGrid(t, g, 8000);

        QCOMPARE(t.rowCount(), 9);
        QCOMPARE(t.colCount(), 3);
        QCOMPARE(t.headerRowCount(), 1);
        QVERIFY(!t.hasFooter());
        QVERIFY(t.repeatHeader());
        QCOMPARE(t.lineThickness(), short(2));
        QCOMPARE(t.headerLineThickness(), short(2));
        QCOMPARE(t.minRowHeight(), 275.0f);
        QCOMPARE(t.colWidth(0), 2000.0f);
        QCOMPARE(t.colWidth(1), 4000.0f);
        QCOMPARE(t.colWidth(2), 2000.0f);
        QCOMPARE(t.colAlignment(0), 2);
        QCOMPARE(t.colAlignment(1), 1);
        QCOMPARE(t.colAlignment(2), 0);
        QVERIFY(t.mergeCol(1));
        QVERIFY(t.mergeHeaderCol(1));
        QVERIFY(!t.mergeCol(0));
        QCOMPARE(t.headerText(0, 1), QStringLiteral("Anna"));
        QCOMPARE(t.textMatrix(0, 0), QStringLiteral("8:00"));
        QCOMPARE(t.textMatrix(8, 0), QStringLiteral("16:00"));

        importFlexGrid(t, g, -1);
        QCOMPARE(t.colWidth(0), 1000.0f);
        QCOMPARE(t.colWidth(1), 2000.0f);
        QCOMPARE(t.colWidth(2), 1000.0f);

        // A hidden column prints as nothing.
        g.setColWidth(2, 0);
        importFlexGrid(t, g, 9000);
        QCOMPARE(t.colWidth(0), 3000.0f);
        QCOMPARE(t.colWidth(2), 0.0f);
    }

    void noColourPrintsAsFreeAndTheFirstDataRowAlwaysDoes()
    {
        AppState state;
        TablePrint t(state.dialogs());
        GridModel g;
        scheduleGrid(g);
        g.setCellBackColor(1, 1, LunchColor);
        g.setCellBackColor(2, 1, LunchColor);
        g.setCellBackColor(3, 2, 0x80000005); // window background, a system colour

        importFlexGrid(t, g, -1);

        QCOMPARE(qint64(t.cellcolor(0, 1)), FreeSlotColor);
        QCOMPARE(qint64(t.cellcolor(1, 1)), LunchColor);
        QCOMPARE(qint64(t.cellcolor(1, 2)), FreeSlotColor);
        QCOMPARE(qint64(t.cellcolor(2, 2)), numberFromColor(colorFromNumber(0x80000005)));
        // The grid on screen keeps its colours.
        QCOMPARE(g.cellBackColor(1, 1), LunchColor);
    }

    void equalCellFontsShareOneFontObject()
    {
        AppState state;
        TablePrint t(state.dialogs());
        GridModel g;
        scheduleGrid(g);
        QFont plain(QStringLiteral("Arial"), 9);
        QFont bold = plain;
        bold.setBold(true);
        for (int r = 1; r < 10; ++r)
            g.setCellFont(r, 1, plain);
        g.setCellFont(4, 1, bold);
        // Column 2 starts with the same settings as column 1 ends with.
        g.setCellFont(1, 2, plain);
        QFont struck = plain;
        struck.setStrikeOut(true);
        g.setCellFont(2, 2, struck);

        importFlexGrid(t, g, -1);

        const FontRef first = t.fontMatrix(0, 1);
        QCOMPARE(t.fontMatrix(1, 1).get(), first.get());
        QCOMPARE(t.fontMatrix(2, 1).get(), first.get());
        QVERIFY(t.fontMatrix(3, 1).get() != first.get());
        QVERIFY(t.fontMatrix(3, 1)->bold());
        QVERIFY(t.fontMatrix(4, 1).get() != first.get());
        QCOMPARE(t.fontMatrix(4, 1).get(), t.fontMatrix(8, 1).get());
        QCOMPARE(t.fontMatrix(0, 2).get(), t.fontMatrix(8, 1).get());
        QVERIFY(t.fontMatrix(1, 2)->strikeOut());
        QCOMPARE(t.fontMatrix(1, 2)->family(), QStringLiteral("Arial"));
        QCOMPARE(t.fontMatrix(1, 2)->pointSizeF(), 9.0);
        // The heading cells all have the grid's font: one object.
        QCOMPARE(t.headerFont(0, 0).get(), t.headerFont(0, 2).get());
        QVERIFY(t.headerFont(0, 0)->bold());
    }
};
TORVANE_TEST(FlexGridReaderTest)
#include "FlexGridReaderTest.moc"
