#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "print/DrawSurface.h"
#include "print/TablePrint.h"
#include "store/AppError.h"

#include <QTest>
#include <cmath>
#include <functional>

namespace {
FontRef arial(int points)
{
    auto f = std::make_shared<QFont>(QStringLiteral("Arial"));
    f->setPointSize(points);
    return f;
}
} // namespace

class TablePrintModelTest : public QObject {
    Q_OBJECT
private slots:
    void redimensioningClearsEverythingAndResetsWidths()
    {
        AppState state;
        TablePrint t(state.dialogs());
        QCOMPARE(t.rowCount(), 5);
        QCOMPARE(t.colCount(), 2);
        QCOMPARE(t.headerRowCount(), 1);
        QVERIFY(t.hasFooter());
        const FontRef font = arial(9);
        const PictureRef picture = std::make_shared<QImage>(4, 4, QImage::Format_RGB32);
        t.setTextMatrix(-1, -1, QStringLiteral("x"));
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        t.setFontMatrix(-1, -1, font);
        t.setPictureMatrix(-1, -1, picture);
        t.setHeaderText(-1, -1, QStringLiteral("h"));
        t.setColAlignment(-1, 2);
        t.setColWidth(-1, 900);
        t.setMergeCol(1, true);
        t.setMergeRow(4, true);

        t.setCols(3);

        for (int r = 0; r < 5; ++r) {
            for (int c = 0; c < 3; ++c) {
                QCOMPARE(t.textMatrix(r, c), QString());
                QCOMPARE(t.cellcolor(r, c), 0.0f);
                QVERIFY(!t.fontMatrix(r, c));
                QVERIFY(!t.pictureMatrix(r, c));
            }
            QVERIFY(!t.mergeRow(r));
        }
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(t.headerText(0, c), QString());
            QCOMPARE(t.colAlignment(c), 0);
            QCOMPARE(t.colWidth(c), 15.0f);
            QVERIFY(!t.mergeCol(c));
        }
    }

    void negativeIndexesFillRowsColumnsOrEverything()
    {
        AppState state;
        TablePrint t(state.dialogs());
        t.setRows(4);
        t.setCols(3);
        t.setHeaderRows(2);

        t.setTextMatrix(-1, -1, QStringLiteral("all"));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(t.textMatrix(r, c), QStringLiteral("all"));

        t.setTextMatrix(2, -1, QStringLiteral("row2"));
        QCOMPARE(t.textMatrix(2, 0), QStringLiteral("row2"));
        QCOMPARE(t.textMatrix(2, 2), QStringLiteral("row2"));
        QCOMPARE(t.textMatrix(1, 0), QStringLiteral("all"));
        QCOMPARE(t.textMatrix(3, 2), QStringLiteral("all"));

        t.setCellcolor(-1, 1, 255.0f);
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(t.cellcolor(r, 1), 255.0f);
            QCOMPARE(t.cellcolor(r, 0), 0.0f);
        }

        // A column of the header matrices is the column in every header row.
        t.setHeaderText(-1, 2, QStringLiteral("H"));
        QCOMPARE(t.headerText(0, 2), QStringLiteral("H"));
        QCOMPARE(t.headerText(1, 2), QStringLiteral("H"));
        QCOMPARE(t.headerText(1, 1), QString());

        t.setColWidth(-1, 1440);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(t.colWidth(c), 1440.0f);
        t.setColWidth(1, 720);
        QCOMPARE(t.colWidth(0), 1440.0f);
        QCOMPARE(t.colWidth(1), 720.0f);

        // Fonts are held by reference; a column font is the font of every row in that column.
        const FontRef font = arial(10);
        t.setColFont(1, font);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(t.fontMatrix(r, 1).get(), font.get());
        QVERIFY(!t.fontMatrix(0, 0));
        QCOMPARE(t.colFont(1).get(), font.get());

        // Reading takes exact indexes; the merge flags too.
        QCOMPARE(errorOf([&] { t.textMatrix(-1, 0); }), 9);
        QCOMPARE(errorOf([&] { t.textMatrix(4, 0); }), 9);
        QCOMPARE(errorOf([&] { t.setTextMatrix(0, 3, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.setMergeCol(-1, true); }), 9);
        QCOMPARE(errorOf([&] { t.colWidth(3); }), 9);
    }

    void footerArraysGoOnlyAtTheNextRedimensioning()
    {
        AppState state;
        TablePrint t(state.dialogs());
        t.setHasFooter(false);
        t.setFooterText(0, QStringLiteral("still here"));
        QCOMPARE(t.footerText(0), QStringLiteral("still here"));

        t.setCols(4);
        QCOMPARE(errorOf([&] { t.setFooterText(0, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.footerFont(0); }), 9);

        t.setHasFooter(true);
        QCOMPARE(errorOf([&] { t.setFooterText(0, QStringLiteral("x")); }), 9);
        t.setRows(3);
        t.setFooterText(-1, QStringLiteral("sum"));
        QCOMPARE(t.footerText(3), QStringLiteral("sum"));
    }

    void refusedDimensionsChangeNothing_data()
    {
        QTest::addColumn<QString>("property");
        QTest::addColumn<int>("value");
        QTest::newRow("Rows -1") << "Rows" << -1;
        QTest::newRow("Cols 0") << "Cols" << 0;
        QTest::newRow("HeaderRows 0") << "HeaderRows" << 0;
    }
    void refusedDimensionsChangeNothing()
    {
        QFETCH(QString, property);
        QFETCH(int, value);
        AppState state;
        TablePrint t(state.dialogs());
        t.setTextMatrix(4, 1, QStringLiteral("kept"));
        t.setColWidth(0, 2000);
        const int err = errorOf([&] {
            if (property == QLatin1String("Rows"))
                t.setRows(value);
            else if (property == QLatin1String("Cols"))
                t.setCols(value);
            else
                t.setHeaderRows(value);
        });
        QCOMPARE(err, 380);
        QCOMPARE(t.rowCount(), 5);
        QCOMPARE(t.colCount(), 2);
        QCOMPARE(t.headerRowCount(), 1);
        QCOMPARE(t.textMatrix(4, 1), QStringLiteral("kept"));
        QCOMPARE(t.colWidth(0), 2000.0f);
    }

    void zeroRowsIsAnEmptyTable()
    {
        AppState state;
        TablePrint t(state.dialogs());
        t.setRows(0);
        QCOMPARE(t.rowCount(), 0);
        QCOMPARE(errorOf([&] { t.textMatrix(0, 0); }), 9);
        QCOMPARE(errorOf([&] { t.setTextMatrix(0, -1, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.mergeRow(0); }), 9);
        // Filling every row fills none, so a reader can set fonts on an empty table.
        QCOMPARE(errorOf([&] { t.setFontMatrix(-1, -1, arial(8)); }), 0);
        QCOMPARE(errorOf([&] { t.colFont(0); }), 9);
        // The columns and the header stay.
        t.setHeaderText(0, 1, QStringLiteral("Tech"));
        QCOMPARE(t.colWidth(1), 15.0f);
    }

    void rowsPerPageFollowsTheWorkedExample()
    {
        AppState state;
        TablePrint t(state.dialogs());
        t.setHasFooter(false);
        t.setRows(6);
        t.setCols(2);
        t.setHeaderRows(1);
        t.setMarginTop(100);
        t.setMarginBottom(100);
        t.setCellYOffset(10);
        t.setMinRowHeight(100);
        // Texts wrap at their column's width: these are wide enough for every text on one line.
        t.setColWidth(-1, 3000);
        // Data text shorter than the row height less spacing, header text shorter than 275.
        const auto tiny = std::make_shared<QFont>(QStringLiteral("Arial"));
        tiny->setPixelSize(4);
        t.setFontMatrix(-1, -1, tiny);
        t.setTextMatrix(-1, -1, QStringLiteral("x"));
        t.setHeaderFont(-1, -1, arial(8));
        t.setHeaderText(0, -1, QStringLiteral("Header"));
        ImageSurface surface(1500, 900);
        QVERIFY(surface.textHeight(QStringLiteral("x")) > 0);

        QCOMPARE(t.calcNumRowsPerPage(surface, true), 4.0f);  // (900-200-295)/100
        QCOMPARE(t.calcNumRowsPerPage(surface, false), 7.0f); // (900-200)/100

        // A taller header raises the header height, spacing added.
        t.setHeaderFont(0, 0, arial(36));
        surface.setFont(*arial(36));
        const double tall = surface.textHeight(QStringLiteral("Header"));
        QVERIFY(tall > 275);
        QCOMPARE(t.calcNumRowsPerPage(surface, true), float(std::floor((700 - (tall + 20)) / 100)));

        // Rows exactly minRowHeight: the spacing is taken off and added back.
        t.setMinRowHeight(233);
        QCOMPARE(t.calcNumRowsPerPage(surface, false), 3.0f); // floor(700 / 233)
        t.setMinRowHeight(234);
        QCOMPARE(t.calcNumRowsPerPage(surface, false), 2.0f);
    }
};
TORVANE_TEST(TablePrintModelTest)
#include "TablePrintModelTest.moc"
