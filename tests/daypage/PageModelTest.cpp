#include "daypage/PageModel.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/ListText.h"
#include "store/AppError.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {
QStringList labelsOf(const GridModel &g)
{
    QStringList out;
    for (int r = PageModel::FirstTimeRow; r < g.rows(); ++r)
        out << g.text(r, 0);
    return out;
}
} // namespace

class PageLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void quarterHoursFromEightToFive()
    {
        GridModel g;
        QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::QtTest);
        PageModel page(g);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("05:00 PM"), 15, 1);
        QCOMPARE(g.rows(), 44);
        QCOMPARE(g.text(6, 0), QStringLiteral("08:00 AM "));
        QCOMPARE(g.text(7, 0), QStringLiteral("08:15 AM "));
        QCOMPARE(g.text(42, 0), QStringLiteral("05:00 PM "));
        QCOMPARE(g.text(43, 0), QString());
        QCOMPARE(g.text(2, 0), QStringLiteral("Hrs Avail:"));
        QCOMPARE(g.text(3, 0), QStringLiteral("Hrs Used:"));
        QCOMPARE(g.text(4, 0), QStringLiteral("Hrs. Start"));
        QCOMPARE(g.cellAlignment(20, 0), int(GridModel::AlignCenterCenter));
        QCOMPARE(g.fixedRows(), 3);
        QCOMPARE(g.fixedCols(), 1);
    }
    void closingBetweenSlotsGetsTheNextLabel()
    {
        GridModel g;
        PageModel page(g);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("05:10 PM"), 30, 1);
        const QStringList labels = labelsOf(g);
        QCOMPARE(labels.at(labels.size() - 2), QStringLiteral("05:30 PM "));
        QCOMPARE(labels.last(), QString());
        QCOMPARE(g.rows(), 6 + 20 + 1);
        // Half-hour slots 8 to 5: rows 6 to 24, the extra row 25.
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("05:00 PM"), 30, 1);
        QCOMPARE(g.rows(), 26);
        QCOMPARE(g.text(24, 0), QStringLiteral("05:00 PM "));
    }
    void openingAfterClosingGivesOneRow()
    {
        GridModel g;
        PageModel page(g);
        page.drawRows(QStringLiteral("05:00 PM"), QStringLiteral("08:00 AM"), 30, 1);
        QCOMPARE(g.rows(), 8);
        QCOMPARE(g.text(6, 0), QStringLiteral("05:00 PM "));
        QCOMPARE(g.text(7, 0), QString());
    }
    void lateClosingDoesNotWrapPastMidnight()
    {
        const QStringList labels = PageModel::timeLabels(QStringLiteral("10:00 PM"), QStringLiteral("11:30 PM"), 60);
        QCOMPARE(labels,
                 QStringList({QStringLiteral("10:00 PM "), QStringLiteral("11:00 PM "), QStringLiteral("12:00 AM ")}));
    }
    void badTimesAndSlotsAreRefused()
    {
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 PageModel::timeLabels(QStringLiteral("noon"), QStringLiteral("05:00 PM"), 30));
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 PageModel::timeLabels(QStringLiteral("08:00 AM"), QStringLiteral("05:00 PM"), 0));
    }
    void linesPerRowSetTheHeightOfHoursAndTimeRows()
    {
        GridModel g;
        PageModel page(g);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("10:00 AM"), 30, 2);
        for (int r = 2; r <= 10; ++r)
            QCOMPARE(g.rowHeight(r), 550);
        QCOMPARE(g.rowHeight(0), 275);
        QCOMPARE(g.rowHeight(1), 275);
        QCOMPARE(g.rowHeight(11), 275); // the extra row has no height of its own
    }
    void columnsTakeWidthsAndHeadingsThatExist()
    {
        GridModel g;
        PageModel page(g);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("10:00 AM"), 30, 1);
        g.setText(0, 3, QStringLiteral("before"));
        g.setColWidth(3, 777);
        page.drawColumns(3, splitList(QStringLiteral("Bay 1%Bay 2")), splitList(QStringLiteral("Ann%Bob%Cy%")),
                         QStringLiteral("1100%1900%x%"));
        QCOMPARE(g.cols(), 4);
        QCOMPARE(g.text(0, 1), QStringLiteral("Bay 1"));
        QCOMPARE(g.text(0, 2), QStringLiteral("Bay 2"));
        QCOMPARE(g.text(0, 3), QStringLiteral("before"));
        QCOMPARE(g.text(1, 3), QStringLiteral("Cy"));
        QCOMPARE(g.colWidth(0), 1100);
        QCOMPARE(g.colWidth(1), 1900);
        QCOMPARE(g.colWidth(2), GridModel::DefaultColWidth); // "x" is no width
        QCOMPARE(g.colWidth(3), 777);                        // no item at all
        QCOMPARE(g.cellBackColor(5, 2), SeparatorColor);
        QCOMPARE(g.cellAlignment(1, 2), int(GridModel::AlignCenterCenter));

        page.drawColumns(1, splitList(QStringLiteral("Bay 1%")), splitList(QStringLiteral("Ann%Bob%")), QString());
        QCOMPARE(g.cols(), 2);
        QCOMPARE(g.text(1, 1), QStringLiteral("Ann"));
    }
    void newLayoutStartsWithoutThePreviousPagesCells()
    {
        GridModel g;
        PageModel page(g);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("10:00 AM"), 30, 1);
        page.drawColumns(2, splitList(QStringLiteral("A%B%")), splitList(QStringLiteral("a%b%")), QString());
        g.setText(4, 1, QStringLiteral("8"));
        g.setText(6, 2, QStringLiteral("Smith"));
        g.setCellBackColor(6, 2, 0xFFFF);
        page.drawRows(QStringLiteral("08:00 AM"), QStringLiteral("09:00 AM"), 30, 1);
        QCOMPARE(g.text(4, 1), QString());
        QCOMPARE(g.text(6, 2), QString());
        QCOMPARE(g.cellBackColor(6, 2), qint64(0));
        QCOMPARE(page.emptyPageText(), QStringLiteral("\t\r\t\r\t\r\t\r\t\r\t\r\t\r\t"));
        QCOMPARE(g.text(0, 1), QStringLiteral("A")); // headings stay for drawColumns
    }
    void openAndClosedLooks()
    {
        GridModel g;
        PageModel page(g);
        QCOMPARE(g.backColor(), FreeSlotColor);
        QCOMPARE(g.backColorFixed(), FixedCellColor);
        page.setLook(true);
        QCOMPARE(g.backColor(), SystemDesktopColor);
        QCOMPARE(g.backColorFixed(), SystemDesktopColor);
        QCOMPARE(g.backColorSel(), SystemDesktopColor);
        QCOMPARE(g.backColorBkg(), FreeSlotColor);
        QCOMPARE(g.gridColor(), GridLineColor);
        QCOMPARE(g.font().family(), QStringLiteral("Arial"));
        QVERIFY(g.font().bold());
        QCOMPARE(g.font().pointSize(), 8);
    }
};
TORVANE_TEST(PageLayoutTest)

class PageContentTest : public QObject {
    Q_OBJECT
    GridModel *g = nullptr;
    PageModel *page = nullptr;
private slots:
    void init()
    {
        g = new GridModel;
        page = new PageModel(*g);
        // 3 technicians, 20 time rows (6 to 25) and the extra row 26.
        page->drawRows(QStringLiteral("08:00 AM"), QStringLiteral("05:30 PM"), 30, 1);
        page->drawColumns(3, splitList(QStringLiteral("1%2%3%")), splitList(QStringLiteral("A%B%C%")), QString());
    }
    void cleanup()
    {
        delete page;
        delete g;
    }
    void colourListHasOneNumberPerBookingCellAndATrailingBlank()
    {
        QCOMPARE(g->rows(), 27);
        page->fillCellColors(FreeSlotColor);
        g->setCellBackColor(6, 2, 0xFFFF);
        const QString list = page->colorList();
        QVERIFY(list.endsWith(QLatin1Char(' ')));
        const QStringList items = list.split(QLatin1Char(' '));
        QCOMPARE(items.size(), 64);
        QCOMPARE(items.last(), QString());
        QCOMPARE(items.at(0), QStringLiteral("15663103"));
        QCOMPARE(items.at(21), QStringLiteral("65535")); // column 2 starts after column 1's 21 cells
    }
    void shortColourListLeavesTheRestAlone()
    {
        page->fillCellColors(0x123456);
        page->applyColorList(QStringLiteral("65535 255 "));
        QCOMPARE(g->cellBackColor(6, 1), qint64(65535));
        QCOMPARE(g->cellBackColor(7, 1), qint64(255));
        QCOMPARE(g->cellBackColor(8, 1), qint64(0x123456));
        QCOMPARE(g->cellBackColor(6, 3), qint64(0x123456));
    }
    void pageTextRoundTripsOverTheBlock()
    {
        page->setPageText(QStringLiteral("\t\t\r0\t1.5\t\r8\t8\t8"));
        QCOMPARE(g->text(3, 2), QStringLiteral("1.5"));
        QCOMPARE(g->text(4, 3), QStringLiteral("8"));
        const QString text = page->pageText();
        QCOMPARE(text.count(QLatin1Char('\r')), 24); // rows 2 to 26
        QCOMPARE(text.count(QLatin1Char('\t')), 25 * 2);
        QVERIFY(text.startsWith(QStringLiteral("\t\t\r0\t1.5\t\r8\t8\t8\r")));

        // Setting text keeps unreached cells; loading a page starts from an empty block.
        page->setPageText(QStringLiteral("x"));
        QCOMPARE(g->text(2, 1), QStringLiteral("x"));
        QCOMPARE(g->text(4, 3), QStringLiteral("8"));
        page->loadPageText(QStringLiteral("y"));
        QCOMPARE(g->text(4, 3), QString());
        QCOMPARE(g->text(2, 1), QStringLiteral("y"));
    }
    void lunchCellsBecomeEmptyAndGrey()
    {
        g->setText(18, 1, QStringLiteral(" LUNCH "));
        g->setText(18, 2, QStringLiteral("Lunchbox Ltd"));
        g->setText(3, 3, QStringLiteral("LUNCH")); // not a booking cell
        page->lunchPass();
        QCOMPARE(g->text(18, 1), QString());
        QCOMPARE(g->cellBackColor(18, 1), LunchColor);
        QCOMPARE(g->text(18, 2), QStringLiteral("Lunchbox Ltd"));
        QCOMPARE(g->text(3, 3), QStringLiteral("LUNCH"));
    }
    void hoursAvailableAndTotals()
    {
        g->setText(4, 1, QStringLiteral("8"));
        g->setText(3, 1, QStringLiteral("2.5"));
        g->setText(4, 2, QString());
        g->setText(3, 2, QStringLiteral("1"));
        g->setText(4, 3, QStringLiteral("7.5 hrs"));
        g->setText(2, 3, QStringLiteral("999")); // stale, recomputed, never summed
        page->sumTotal();
        QCOMPARE(g->text(2, 1), QStringLiteral("5.5"));
        QCOMPARE(g->text(2, 2), QStringLiteral("-1"));
        QCOMPARE(g->text(2, 3), QStringLiteral("7.5"));
        g->setText(2, 3, QStringLiteral("999"));
        const PageModel::Totals t = page->totals();
        QCOMPARE(t.startText(), QStringLiteral("Start   15.5"));
        QCOMPARE(t.usedText(), QStringLiteral("Used   3.5"));
        QCOMPARE(t.availText(), QStringLiteral("Avail   12"));
    }
    void singleTechnicianTotals()
    {
        page->drawColumns(1, splitList(QStringLiteral("1%")), splitList(QStringLiteral("A%")), QString());
        g->setText(4, 1, QStringLiteral("8"));
        g->setText(3, 1, QStringLiteral("2.5"));
        page->sumTotal();
        QCOMPARE(g->text(2, 1), QStringLiteral("5.5"));
        const PageModel::Totals t = page->totals();
        QCOMPARE(t.startText(), QStringLiteral("Start   8"));
        QCOMPARE(t.usedText(), QStringLiteral("Used   2.5"));
        QCOMPARE(t.availText(), QStringLiteral("Avail   5.5"));
    }
};
TORVANE_TEST(PageContentTest)
#include "PageModelTest.moc"
