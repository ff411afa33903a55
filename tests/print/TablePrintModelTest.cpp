#include "ScriptedDialogs.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "print/DrawSurface.h"
#include "print/clsTablePrint.h"
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
        clsTablePrint t(state.dialogs());
        QCOMPARE(t.Rows(), 5);
        QCOMPARE(t.Cols(), 2);
        QCOMPARE(t.HeaderRows(), 1);
        QVERIFY(t.HasFooter());
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
                QCOMPARE(t.TextMatrix(r, c), QString());
                QCOMPARE(t.cellcolor(r, c), 0.0f);
                QVERIFY(!t.FontMatrix(r, c));
                QVERIFY(!t.PictureMatrix(r, c));
            }
            QVERIFY(!t.MergeRow(r));
        }
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(t.HeaderText(0, c), QString());
            QCOMPARE(t.ColAlignment(c), 0);
            QCOMPARE(t.ColWidth(c), 15.0f);
            QVERIFY(!t.MergeCol(c));
        }
    }

    void negativeIndexesFillRowsColumnsOrEverything()
    {
        AppState state;
        clsTablePrint t(state.dialogs());
        t.setRows(4);
        t.setCols(3);
        t.setHeaderRows(2);

        t.setTextMatrix(-1, -1, QStringLiteral("all"));
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                QCOMPARE(t.TextMatrix(r, c), QStringLiteral("all"));

        t.setTextMatrix(2, -1, QStringLiteral("row2"));
        QCOMPARE(t.TextMatrix(2, 0), QStringLiteral("row2"));
        QCOMPARE(t.TextMatrix(2, 2), QStringLiteral("row2"));
        QCOMPARE(t.TextMatrix(1, 0), QStringLiteral("all"));
        QCOMPARE(t.TextMatrix(3, 2), QStringLiteral("all"));

        t.setCellcolor(-1, 1, 255.0f);
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(t.cellcolor(r, 1), 255.0f);
            QCOMPARE(t.cellcolor(r, 0), 0.0f);
        }

        // A column of the header matrices is the column in every header row.
        t.setHeaderText(-1, 2, QStringLiteral("H"));
        QCOMPARE(t.HeaderText(0, 2), QStringLiteral("H"));
        QCOMPARE(t.HeaderText(1, 2), QStringLiteral("H"));
        QCOMPARE(t.HeaderText(1, 1), QString());

        t.setColWidth(-1, 1440);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(t.ColWidth(c), 1440.0f);
        t.setColWidth(1, 720);
        QCOMPARE(t.ColWidth(0), 1440.0f);
        QCOMPARE(t.ColWidth(1), 720.0f);

        // Fonts are held by reference; a column font is the font of every row in that column.
        const FontRef font = arial(10);
        t.setColFont(1, font);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(t.FontMatrix(r, 1).get(), font.get());
        QVERIFY(!t.FontMatrix(0, 0));
        QCOMPARE(t.ColFont(1).get(), font.get());

        // Reading takes exact indexes; the merge flags too.
        QCOMPARE(errorOf([&] { t.TextMatrix(-1, 0); }), 9);
        QCOMPARE(errorOf([&] { t.TextMatrix(4, 0); }), 9);
        QCOMPARE(errorOf([&] { t.setTextMatrix(0, 3, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.setMergeCol(-1, true); }), 9);
        QCOMPARE(errorOf([&] { t.ColWidth(3); }), 9);
    }

    void footerArraysGoOnlyAtTheNextRedimensioning()
    {
        AppState state;
        clsTablePrint t(state.dialogs());
        t.setHasFooter(false);
        t.setFooterText(0, QStringLiteral("still here"));
        QCOMPARE(t.FooterText(0), QStringLiteral("still here"));

        t.setCols(4);
        QCOMPARE(errorOf([&] { t.setFooterText(0, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.FooterFont(0); }), 9);

        t.setHasFooter(true);
        QCOMPARE(errorOf([&] { t.setFooterText(0, QStringLiteral("x")); }), 9);
        t.setRows(3);
        t.setFooterText(-1, QStringLiteral("sum"));
        QCOMPARE(t.FooterText(3), QStringLiteral("sum"));
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
        clsTablePrint t(state.dialogs());
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
        QCOMPARE(t.Rows(), 5);
        QCOMPARE(t.Cols(), 2);
        QCOMPARE(t.HeaderRows(), 1);
        QCOMPARE(t.TextMatrix(4, 1), QStringLiteral("kept"));
        QCOMPARE(t.ColWidth(0), 2000.0f);
    }

    void zeroRowsIsAnEmptyTable()
    {
        AppState state;
        clsTablePrint t(state.dialogs());
        t.setRows(0);
        QCOMPARE(t.Rows(), 0);
        QCOMPARE(errorOf([&] { t.TextMatrix(0, 0); }), 9);
        QCOMPARE(errorOf([&] { t.setTextMatrix(0, -1, QStringLiteral("x")); }), 9);
        QCOMPARE(errorOf([&] { t.MergeRow(0); }), 9);
        // Filling every row fills none, so a reader can set fonts on an empty table.
        QCOMPARE(errorOf([&] { t.setFontMatrix(-1, -1, arial(8)); }), 0);
        QCOMPARE(errorOf([&] { t.ColFont(0); }), 9);
        // The columns and the header stay.
        t.setHeaderText(0, 1, QStringLiteral("Tech"));
        QCOMPARE(t.ColWidth(1), 15.0f);
    }

    void rowsPerPageFollowsTheWorkedExample()
    {
        AppState state;
        clsTablePrint t(state.dialogs());
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
        QVERIFY(surface.TextHeight(QStringLiteral("x")) > 0);

        QCOMPARE(t.CalcNumRowsPerPage(surface, true), 4.0f);  // (900-200-295)/100
        QCOMPARE(t.CalcNumRowsPerPage(surface, false), 7.0f); // (900-200)/100

        // A taller header raises the header height, spacing added.
        t.setHeaderFont(0, 0, arial(36));
        surface.setFont(*arial(36));
        const double tall = surface.TextHeight(QStringLiteral("Header"));
        QVERIFY(tall > 275);
        QCOMPARE(t.CalcNumRowsPerPage(surface, true), float(std::floor((700 - (tall + 20)) / 100)));

        // Rows exactly MinRowHeight: the spacing is taken off and added back.
        t.setMinRowHeight(233);
        QCOMPARE(t.CalcNumRowsPerPage(surface, false), 3.0f); // floor(700 / 233)
        t.setMinRowHeight(234);
        QCOMPARE(t.CalcNumRowsPerPage(surface, false), 2.0f);
    }
};
TORVANE_TEST(TablePrintModelTest)
#include "TablePrintModelTest.moc"
