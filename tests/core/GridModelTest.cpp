#include "core/GridModel.h"
#include "TestRegistry.h"
#include "core/Colors.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

// A 6 x 4 grid with one fixed row and column, cells named by position ("r2c3").
static void fill(GridModel &m)
{
    m.setRows(6);
    m.setCols(4);
    for (int r = 0; r < m.rows(); ++r)
        for (int c = 0; c < m.cols(); ++c)
            m.setText(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
}

class GridModelTest : public QObject {
    Q_OBJECT
private slots:
    void growingKeepsCellsAndShrinkingDropsThem()
    {
        GridModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(m);
        m.setRows(8);
        m.setCols(5);
        QCOMPARE(m.text(5, 3), QStringLiteral("r5c3"));
        QCOMPARE(m.text(7, 4), QString());
        m.setRows(3);
        m.setCols(2);
        QCOMPARE(m.rowCount(), 3);
        QCOMPARE(m.columnCount(), 2);
        QCOMPARE(m.text(2, 1), QStringLiteral("r2c1"));
        m.setRows(6);
        QCOMPARE(m.text(5, 1), QString()); // dropped cells come back empty
        QCOMPARE(m.text(99, 0), QString());
        m.setText(99, 0, QStringLiteral("x")); // dropped, no crash
    }
    void clipRoundTrip()
    {
        GridModel m;
        fill(m);
        m.selectRange(3, 2, 1, 1); // corners in any order
        QCOMPARE(m.clip(), QStringLiteral("r1c1\tr1c2\rr2c1\tr2c2\rr3c1\tr3c2"));
        const QString text = m.clip();
        m.setRow(1);
        m.setCol(1);
        QCOMPARE(m.clip(), QStringLiteral("r1c1")); // setting row and column collapses the range
        m.selectRange(2, 2, 4, 3);
        m.setClip(text);
        QCOMPARE(m.pageText(2, 2, 4, 3), text);
    }
    void setClipDropsExcessAndLeavesUnreachedCells()
    {
        GridModel m;
        fill(m);
        m.selectRange(1, 1, 2, 2);
        m.setClip(QStringLiteral("a\tb\tEXTRA\rc\rd"));
        QCOMPARE(m.pageText(1, 1, 3, 3), QStringLiteral("a\tb\tr1c3\rc\tr2c2\tr2c3\rr3c1\tr3c2\tr3c3"));
        // An empty text reaches the first cell only.
        m.setClip(QString());
        QCOMPARE(m.text(1, 1), QString());
        QCOMPARE(m.text(1, 2), QStringLiteral("b"));
        // Rows separated the clipboard's way are rows too.
        m.setPageText(4, 1, 5, 1, QStringLiteral("x\r\ny"));
        QCOMPARE(m.text(4, 1), QStringLiteral("x"));
        QCOMPARE(m.text(5, 1), QStringLiteral("y"));
    }
    void pageTextBeyondTheGridIsClamped()
    {
        GridModel m;
        fill(m);
        QCOMPARE(m.pageText(4, 2, 10, 10), QStringLiteral("r4c2\tr4c3\rr5c2\tr5c3"));
        m.setPageText(5, 3, 10, 10, QStringLiteral("p\tq\rr"));
        QCOMPARE(m.text(5, 3), QStringLiteral("p"));
    }
    void colourZeroMeansGridBackground()
    {
        GridModel m;
        fill(m);
        m.setBackColor(FreeSlotColor);
        m.setBackColorFixed(FixedCellColor);
        QCOMPARE(m.cellBackColor(2, 2), qint64(0));
        QCOMPARE(m.data(m.index(2, 2), Qt::BackgroundRole).value<QBrush>().color(), colorFromNumber(FreeSlotColor));
        QCOMPARE(m.data(m.index(0, 2), Qt::BackgroundRole).value<QBrush>().color(), colorFromNumber(FixedCellColor));
        m.setCellBackColor(2, 2, LunchColor);
        QCOMPARE(m.cellBackColor(2, 2), LunchColor);
        QCOMPARE(m.data(m.index(2, 2), Qt::BackgroundRole).value<QBrush>().color(), colorFromNumber(LunchColor));
        m.setBackColor(SystemDesktopColor); // a closed page: cells without colour follow
        QCOMPARE(m.shownBackColor(3, 3), SystemDesktopColor);
        QCOMPARE(m.shownBackColor(2, 2), LunchColor);
    }
    void alignmentValues_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("qt");
        QTest::newRow("left top") << 0 << "a" << int(Qt::AlignLeft | Qt::AlignTop);
        QTest::newRow("centre centre") << 4 << "a" << int(Qt::AlignHCenter | Qt::AlignVCenter);
        QTest::newRow("right centre") << 7 << "a" << int(Qt::AlignRight | Qt::AlignVCenter);
        QTest::newRow("right bottom") << 8 << "a" << int(Qt::AlignRight | Qt::AlignBottom);
        QTest::newRow("general text") << 9 << "Hrs Used:" << int(Qt::AlignLeft | Qt::AlignVCenter);
        QTest::newRow("general number") << 9 << "7.5" << int(Qt::AlignRight | Qt::AlignVCenter);
    }
    void alignmentValues()
    {
        QFETCH(int, value);
        QFETCH(QString, text);
        QFETCH(int, qt);
        GridModel m;
        m.setText(1, 1, text);
        m.setCellAlignment(1, 1, value);
        QCOMPARE(m.cellAlignment(1, 1), value);
        QCOMPARE(int(m.qtAlignment(1, 1)), qt);
        QCOMPARE(m.data(m.index(1, 1), Qt::TextAlignmentRole).toInt(), qt);
    }
    void cellsFollowTheirColumnUntilSetThemselves()
    {
        GridModel m;
        fill(m);
        m.setColAlignment(2, GridModel::AlignCenterCenter);
        m.setCellAlignment(3, 2, GridModel::AlignLeftTop);
        QCOMPARE(m.cellAlignment(1, 2), int(GridModel::AlignCenterCenter));
        QCOMPARE(m.cellAlignment(3, 2), int(GridModel::AlignLeftTop));
        m.setCellAlignment(3, 2, 42); // not a flex grid value: ignored
        QCOMPARE(m.cellAlignment(3, 2), int(GridModel::AlignLeftTop));
    }
    void fontsDefaultToTheGridFont()
    {
        GridModel m;
        QCOMPARE(m.font().family(), QStringLiteral("Arial"));
        QCOMPARE(m.font().pointSize(), 8);
        QVERIFY(m.font().bold());
        QFont italic = m.font();
        italic.setItalic(true);
        m.setCellFont(1, 1, italic);
        QFont big(QStringLiteral("Courier New"), 12);
        m.setFont(big);
        QCOMPARE(m.cellFont(1, 0), big);
        QCOMPARE(m.cellFont(1, 1), italic);
        QCOMPARE(m.data(m.index(1, 1), Qt::FontRole).value<QFont>(), italic);
    }
    void rowsWithoutHeightUseTheMinimum()
    {
        GridModel m;
        fill(m);
        m.setRowHeightMin(275);
        m.setRowHeight(3, 550);
        m.setRowHeight(4, 100);
        QCOMPARE(m.rowHeight(0), 275);
        QCOMPARE(m.rowHeight(3), 550);
        QCOMPARE(m.rowHeight(4), 275);
        m.setColWidth(1, 1500);
        QCOMPARE(m.colWidth(1), 1500);
        QCOMPARE(m.colWidth(2), int(GridModel::DefaultColWidth));
        m.setRows(10);
        QCOMPARE(m.rowHeight(9), 275);
        QCOMPARE(m.rowHeight(3), 550);
    }
    void currentCellLeavesFixedCellsAndShrinkingGrid()
    {
        GridModel m;
        fill(m);
        m.setFixedRows(3);
        QCOMPARE(m.row(), 3);
        m.setCurrentCell(5, 3);
        m.setRows(4);
        QCOMPARE(m.row(), 3);
        QCOMPARE(m.rowSel(), 3);
        m.setFixedRows(9); // more than there are rows
        QCOMPARE(m.fixedRows(), 4);
        m.setRow(-1);
        QCOMPARE(m.row(), 3);
    }
    void signalsFollowChanges()
    {
        GridModel m;
        fill(m);
        QSignalSpy cur(&m, &GridModel::currentCellChanged);
        QSignalSpy sel(&m, &GridModel::selectionChanged);
        QSignalSpy data(&m, &QAbstractItemModel::dataChanged);
        m.setCurrentCell(2, 2);
        QCOMPARE(cur.count(), 1);
        QCOMPARE(cur.last().at(0).toInt(), 2);
        m.setRowSel(4);
        QCOMPARE(sel.count(), 2);
        m.setText(2, 2, QStringLiteral("new"));
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.last().at(0).toModelIndex(), m.index(2, 2));
        QCOMPARE(data.last().at(1).toModelIndex(), m.index(2, 2));
        m.setText(2, 2, QStringLiteral("new")); // unchanged: no signal
        QCOMPARE(data.count(), 1);
    }
    void batchAnnouncesOnce()
    {
        GridModel m;
        QAbstractItemModelTester tester(&m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        fill(m);
        QSignalSpy data(&m, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&m, &QAbstractItemModel::modelReset);
        QSignalSpy cur(&m, &GridModel::currentCellChanged);
        {
            GridBatch batch(m);
            m.setText(2, 1, QStringLiteral("a"));
            m.setCellBackColor(4, 3, LunchColor);
            m.setCurrentCell(3, 3);
            QCOMPARE(data.count(), 0);
            QCOMPARE(cur.count(), 0);
        }
        QCOMPARE(data.count(), 1);
        QCOMPARE(data.last().at(0).toModelIndex(), m.index(2, 1));
        QCOMPARE(data.last().at(1).toModelIndex(), m.index(4, 3));
        QCOMPARE(cur.count(), 1);
        QCOMPARE(reset.count(), 0);

        // A rebuild that reshapes the grid is one reset.
        m.beginBatch();
        m.setRows(0);
        m.setRows(44);
        m.setCols(9);
        for (int r = 0; r < 44; ++r)
            for (int c = 0; c < 9; ++c)
                m.setText(r, c, QString::number(r * c));
        m.endBatch();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(data.count(), 1);
        QCOMPARE(m.text(43, 8), QStringLiteral("344"));
    }
    void fixedCellsCannotBeSelected()
    {
        GridModel m;
        fill(m);
        QVERIFY(!(m.flags(m.index(0, 2)) & Qt::ItemIsSelectable));
        QVERIFY(!(m.flags(m.index(2, 0)) & Qt::ItemIsSelectable));
        QVERIFY(m.flags(m.index(2, 2)) & Qt::ItemIsSelectable);
    }
    void scrollPositionStaysInTheScrollingPart()
    {
        GridModel m;
        fill(m);
        m.setFixedRows(2);
        m.setTopRow(0);
        QCOMPARE(m.topRow(), 2);
        m.setTopRow(4);
        QCOMPARE(m.topRow(), 4);
        m.setRows(3);
        QCOMPARE(m.topRow(), 2);
        m.setLeftCol(9);
        QCOMPARE(m.leftCol(), 3);
    }
};
TORVANE_TEST(GridModelTest)
#include "GridModelTest.moc"
