#include "core/GridView.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/GridModel.h"
#include "core/Twips.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

// A day page's shape: 3 fixed heading rows, the time column fixed, 40 rows of slots.
static void layOut(GridModel &m)
{
    GridBatch batch(m);
    m.setRows(44);
    m.setCols(9);
    m.setFixedRows(3);
    m.setFixedCols(1);
    m.setRowHeightMin(275);
    m.setColWidth(0, 1200);
    for (int c = 1; c < 9; ++c)
        m.setColWidth(c, 1500);
    for (int r = 2; r < 44; ++r)
        m.setRowHeight(r, 550);
    m.setBackColor(FreeSlotColor);
    m.setBackColorFixed(FixedCellColor);
    for (int c = 1; c < 9; ++c)
        m.setText(0, c, QStringLiteral("Bay %1").arg(c));
    for (int r = 6; r < 43; ++r)
        m.setText(r, 0, QStringLiteral("row %1").arg(r));
}

class GridViewTest : public QObject {
    Q_OBJECT
    GridView *view = nullptr;
    GridModel *m = nullptr;

    QWidget *part(const char *name) const { return view->findChild<QTableView *>(QLatin1String(name))->viewport(); }

private slots:
    void init()
    {
        view = new GridView;
        m = view->grid();
        layOut(*m);
        view->resize(600, 400);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
    }
    void cleanup()
    {
        delete view;
        view = nullptr;
    }

    void cellsHaveTheModelsSizes()
    {
        const QRect heading = view->cellRect(0, 1);
        QCOMPARE(heading.width(), twipsToPixels(1500));
        QCOMPARE(heading.height(), twipsToPixels(275));
        const QRect slot = view->cellRect(3, 1);
        QCOMPARE(slot.height(), twipsToPixels(550));
        // The first scrolling row starts right under the fixed rows.
        QCOMPARE(slot.top(), view->cellRect(2, 1).bottom() + 1);
        QCOMPARE(slot.left(), view->cellRect(3, 0).right() + 1);
    }
    // Scrolled to the end, in the grid and in its fixed column alike, the top row starts right
    // under the fixed rows: no part of the row above it peeks out.
    void scrolledToTheEndTheTopRowStartsWhole()
    {
        view->resize(600, 400 + twipsToPixels(550) / 2);
        m->setTopRow(m->rows() - 1);
        QTest::qWait(20);
        QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
        const int top = m->fixedRows() + view->verticalScrollBar()->value();
        for (int c : {0, 1}) {
            QCOMPARE(view->cellRect(top, c).top(), view->cellRect(2, c).bottom() + 1);
            QVERIFY2(view->cellRect(top - 1, c).isEmpty(), qPrintable(QString::number(c)));
        }
    }
    void fixedRowsStayWhileTheRestScrolls()
    {
        const QRect heading = view->cellRect(0, 1);
        const QRect timeLabel = view->cellRect(3, 0);
        QSignalSpy scrolled(view, &GridView::scrolled);
        m->setTopRow(10);
        QCOMPARE(view->verticalScrollBar()->value(), 7);
        QVERIFY(scrolled.count() >= 1);
        QCOMPARE(view->cellRect(0, 1), heading);
        QCOMPARE(view->cellRect(10, 1).top(), timeLabel.top());
        QCOMPARE(view->cellRect(10, 0).top(), timeLabel.top()); // the fixed column scrolls along
        QVERIFY(view->cellRect(3, 1).isEmpty());                // scrolled out of sight
        // Scrolling by the bar reaches the model.
        view->verticalScrollBar()->setValue(2);
        QCOMPARE(m->topRow(), 5);
        view->horizontalScrollBar()->setValue(1);
        QCOMPARE(m->leftCol(), 2);
        QCOMPARE(view->cellRect(0, 2).left(), view->cellRect(0, 0).right() + 1);
    }
    void clickingMovesTheCurrentCellButNotIntoFixedCells()
    {
        QSignalSpy clicked(view, &GridView::clicked);
        QSignalSpy pressed(view, &GridView::mousePressed);
        const QRect slot = view->cellRect(4, 2);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->viewport()->mapFrom(view, slot.center()));
        QCOMPARE(m->row(), 4);
        QCOMPARE(m->col(), 2);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(clicked.last().at(0).toInt(), 4);
        QCOMPARE(pressed.last().at(2).toPoint(), slot.center());

        const QRect heading = view->cellRect(1, 3);
        QTest::mouseClick(part("qt_grid_fixed_rows"), Qt::LeftButton, {},
                          part("qt_grid_fixed_rows")->mapFrom(view, heading.center()));
        QCOMPARE(m->row(), 4);
        QCOMPARE(m->col(), 2);
        QCOMPARE(clicked.last().at(0).toInt(), 1);
        QCOMPARE(view->mouseRow(), 1);
        QCOMPARE(view->mouseCol(), 3);

        const QRect corner = view->cellRect(6, 3);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          view->viewport()->mapFrom(view, corner.center()));
        QCOMPARE(m->row(), 4);
        QCOMPARE(m->rowSel(), 6);
        QCOMPARE(m->colSel(), 3);
    }
    void ownerSeesKeysFirst()
    {
        view->setFocus();
        QSignalSpy chars(view, &GridView::charTyped);
        QTest::keyClick(view, Qt::Key_A);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(chars.count(), 3);
        QCOMPARE(chars.at(0).at(0).value<QChar>(), QLatin1Char('a'));
        QCOMPARE(chars.at(1).at(0).value<QChar>(), QChar(13));
        QCOMPARE(chars.at(2).at(0).value<QChar>(), QChar(9));
        QVERIFY(view->hasFocus()); // Tab did not move the focus away

        auto consume = connect(view, &GridView::keyPressed, this, [](QKeyEvent *e) {
            if (e->key() == Qt::Key_Delete || e->key() == Qt::Key_B || e->key() == Qt::Key_Down)
                e->accept();
        });
        m->setCurrentCell(5, 1);
        QTest::keyClick(view, Qt::Key_B);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(chars.count(), 3);
        QCOMPARE(m->row(), 5);
        disconnect(consume);
    }
    void deleteIsAKeyNotACharacter()
    {
        view->setFocus();
        QSignalSpy chars(view, &GridView::charTyped);
        QSignalSpy keys(view, &GridView::keyPressed);
        QTest::keyClick(view, Qt::Key_Delete);
        QTest::keyClick(view, Qt::Key_Escape);
        QCOMPARE(keys.count(), 2);
        QCOMPARE(chars.count(), 1);
        QCOMPARE(chars.at(0).at(0).value<QChar>(), QChar(27));
    }
    void outsideModelGoingAwayLeavesAnEmptyGrid()
    {
        auto *outside = new GridModel;
        layOut(*outside);
        view->setGridModel(outside);
        QCOMPARE(view->grid(), outside);
        QCOMPARE(view->cellRect(0, 1).width(), twipsToPixels(1500));
        delete outside;
        QCOMPARE(view->grid(), m); // the view's own model again
        view->grab();              // still paints
        QCoreApplication::processEvents();
        QCOMPARE(view->model(), m);
        QCOMPARE(view->cellRect(0, 1).width(), twipsToPixels(1500));
    }
    void arrowsStayInTheScrollingCells()
    {
        view->setFocus();
        m->setCurrentCell(3, 1);
        QTest::keyClick(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Left);
        QCOMPARE(m->row(), 3);
        QCOMPARE(m->col(), 1);
        QTest::keyClick(view, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyClick(view, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(m->row(), 3);
        QCOMPARE(m->rowSel(), 4);
        QCOMPARE(m->colSel(), 2);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m->row(), 43);
        QCOMPARE(m->col(), 8);
        QVERIFY(!view->cellRect(43, 8).isEmpty()); // moving by keys scrolls it into sight
    }
    void cellsAreDrawnInTheirColours()
    {
        m->setCellBackColor(7, 2, LunchColor);
        m->setCurrentCell(20, 5);
        const QImage shot = view->grab().toImage();
        auto colourAt = [&](int r, int c) { return shot.pixelColor(view->cellRect(r, c).center()); };
        QCOMPARE(colourAt(7, 2), colorFromNumber(LunchColor));
        QCOMPARE(colourAt(8, 2), colorFromNumber(FreeSlotColor));
        QCOMPARE(colourAt(1, 2), colorFromNumber(FixedCellColor));
        // A selected block shows the selection colour, except on the current cell.
        m->setBackColorSel(BlockSelectColor);
        m->selectRange(4, 1, 5, 2);
        const QImage sel = view->grab().toImage();
        QCOMPARE(sel.pixelColor(view->cellRect(5, 2).center()), colorFromNumber(BlockSelectColor));
        QCOMPARE(sel.pixelColor(view->cellRect(4, 1).center()), colorFromNumber(FreeSlotColor));
        // Grid lines on the cells' right edges.
        m->setGridColor(GridLineColor);
        const QImage lines = view->grab().toImage();
        const QRect cell = view->cellRect(9, 3);
        QCOMPARE(lines.pixelColor(cell.right(), cell.center().y()), colorFromNumber(GridLineColor));
    }
    void currentCellShowsOnEveryBackground()
    {
        m->setCurrentCell(8, 2);
        for (const int colour : {0x000000, 0xFFFFFF, int(FreeSlotColor), int(LunchColor), 0x800000, 0x00FFFF}) {
            m->setCellBackColor(8, 2, colour);
            const QImage shot = view->grab().toImage();
            const QRect cell = view->cellRect(8, 2);
            const int back = colorFromNumber(colour).lightness();
            // Along each edge, within a few pixels, something stands out from the cell's colour.
            for (const QPoint &step : {QPoint(1, 0), QPoint(0, 1), QPoint(-1, 0), QPoint(0, -1)}) {
                QPoint at = step.x() > 0   ? QPoint(cell.left(), cell.center().y())
                            : step.y() > 0 ? QPoint(cell.center().x(), cell.top())
                            : step.x() < 0 ? QPoint(cell.right() - 1, cell.center().y())
                                           : QPoint(cell.center().x(), cell.bottom() - 1);
                int contrast = 0;
                for (int i = 0; i < 5; ++i, at += step)
                    contrast = qMax(contrast, qAbs(shot.pixelColor(at).lightness() - back));
                QVERIFY2(contrast >= 128, qPrintable(QString::number(colour, 16)));
            }
        }
    }

    void fillWidthSharesTheRoomInProportionAndKeepsTheModelsWidths()
    {
        m->setCols(4); // the time column and three technicians
        m->setColWidth(2, 3000);
        view->setFillWidth(true);
        view->resize(1000, 400);
        auto widths = [this] {
            return QList<int>{view->cellRect(3, 1).width(), view->cellRect(3, 2).width(), view->cellRect(3, 3).width()};
        };
        QTRY_VERIFY(view->cellRect(3, 3).right() > 900);
        const QList<int> wide = widths();
        QVERIFY(qAbs(wide[1] - 2 * wide[0]) <= 2 && qAbs(wide[2] - wide[0]) <= 1);
        // The last column ends at the viewport's edge: no room left over, no scroll bar.
        QVERIFY(view->cellRect(3, 3).right() >= view->viewport()->geometry().right() - 3);
        QVERIFY(!view->horizontalScrollBar()->isVisible());
        QCOMPARE(m->colWidth(1), 1500);
        QCOMPARE(m->colWidth(2), 3000);
        // Narrower than the stored widths: they are kept and the page scrolls.
        view->resize(300, 400);
        QTRY_COMPARE(view->cellRect(3, 1).width(), twipsToPixels(1500));
        QCOMPARE(view->cellRect(3, 2).width(), twipsToPixels(3000));
        QVERIFY(view->horizontalScrollBar()->isVisible());
    }

    void fixedColumnWidthsCanBeDragged()
    {
        view->setAllowUserResizing(GridView::ResizeColumns);
        QWidget *rows = part("qt_grid_fixed_rows");
        const QRect heading = view->cellRect(0, 2);
        const QPoint edge = rows->mapFrom(view, QPoint(heading.right() - 1, heading.center().y()));
        QTest::mousePress(rows, Qt::LeftButton, {}, edge);
        QTest::mouseMove(rows, edge + QPoint(20, 0));
        QTest::mouseRelease(rows, Qt::LeftButton, {}, edge + QPoint(20, 0));
        QCOMPARE(m->colWidth(2), int(pixelsToTwips(twipsToPixels(1500) + 20)));
        QCOMPARE(view->cellRect(0, 2).width(), twipsToPixels(1500) + 20);
        QCOMPARE(view->cellRect(10, 2).width(), twipsToPixels(1500) + 20);
    }
    void rebuildingKeepsTheViewInStep()
    {
        m->setTopRow(8);
        {
            GridBatch batch(*m);
            m->setRows(0);
            layOut(*m);
            m->setRows(20);
            m->setTopRow(5);
            m->setCurrentCell(6, 1);
        }
        QCOMPARE(view->verticalScrollBar()->value(), 2);
        QCOMPARE(view->cellRect(5, 1).top(), view->cellRect(2, 1).bottom() + 1);
        QCOMPARE(view->currentIndex(), m->index(6, 1));
        QCOMPARE(view->cellRect(7, 1).height(), twipsToPixels(550));
    }
};
TORVANE_TEST(GridViewTest)
#include "GridViewTest.moc"
