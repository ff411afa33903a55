#include "ScriptedDialogs.h"
#include "TestRegistry.h"
#include "core/AppState.h"
#include "print/DrawSurface.h"
#include "print/TablePrint.h"

#include <QTest>

// Geometry is chosen in whole pixels (15 twips each at 96 dpi), so pixels can be checked exactly.
namespace {
constexpr int Px = 15;

FontRef arial(int points)
{
    auto f = std::make_shared<QFont>(QStringLiteral("Arial"));
    f->setPointSize(points);
    return f;
}

bool dark(QRgb c) { return qGray(c) < 128; }

// Dark pixels in a rectangle of the image.
int darkCount(const QImage &img, const QRect &r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += dark(img.pixel(x, y)) ? 1 : 0;
    return n;
}

QRect darkBounds(const QImage &img, const QRect &r)
{
    QRect b;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (dark(img.pixel(x, y)))
                b |= QRect(x, y, 1, 1);
    return b;
}

QColor fromNumber(int n) { return QColor(n & 0xFF, (n >> 8) & 0xFF, (n >> 16) & 0xFF); }

struct Fixture {
    AppState state;
    ScriptedDialogs dialogs;
    TablePrint table{&dialogs};
    Fixture() { state.setDialogs(&dialogs); }
};

// The preview's way of making room: the picture grows by one page and drawing goes on below.
struct PreviewPages {
    PreviewPages(double page, double top) : pageHeight(page), marginTop(top) {}
    double pageHeight;
    double marginTop;
    QList<int> lastRows;
    QList<double> yAtBreak;
    bool cancel = false;
    QFont fontAtBreak;
    void operator()(DrawSurface *s, bool &positionSet, bool &cancelOut, int lastRow)
    {
        lastRows << lastRow;
        yAtBreak << s->currentY();
        fontAtBreak = s->currentFont();
        if (cancel) {
            cancelOut = true;
            return;
        }
        auto *img = static_cast<ImageSurface *>(s);
        s->setCurrentY(img->heightTwips());
        img->setSizeTwips(img->widthTwips(), img->heightTwips() + pageHeight);
        s->setCurrentY(s->currentY() + marginTop);
        positionSet = true;
    }
};

void connectPages(TablePrint &t, PreviewPages &pages)
{
    QObject::connect(&t, &TablePrint::newPage, &t,
                     [&pages](DrawSurface *s, bool &positionSet, bool &cancel, int lastRow) {
                         pages(s, positionSet, cancel, lastRow);
                     });
}

// Two columns of 100 px at a 10 px margin, 2 px inset, rows of 20 px, header rows of 19 px.
void twoColumnTable(TablePrint &t, int rows, bool footer = true)
{
    t.setHasFooter(footer);
    t.setRows(rows);
    t.setCols(2);
    t.setHeaderRows(1);
    t.setMarginLeft(10 * Px);
    t.setMarginTop(10 * Px);
    t.setMarginBottom(10 * Px);
    t.setCellXOffset(2 * Px);
    t.setCellYOffset(5);
    t.setMinRowHeight(20 * Px);
    t.setMinFooterHeight(30 * Px);
    t.setColWidth(-1, 100 * Px);
    t.setFontMatrix(-1, -1, arial(8));
    t.setHeaderFont(-1, -1, arial(8));
    if (footer)
        t.setFooterFont(-1, arial(8));
    t.setHeaderText(0, 0, QStringLiteral("Time"));
    t.setHeaderText(0, 1, QStringLiteral("Name"));
}

int rowColor(int r) { return r < 40 ? 0x0000FF : r < 80 ? 0x00FF00 : 0xFF0000; }
} // namespace

class TableRenderTest : public QObject {
    Q_OBJECT
private slots:
    void hundredRowsBreakAfterRows39And79WithFooterAfterRow99()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 100);
        t.setRepeatHeader(true);
        for (int r = 0; r < 100; ++r) {
            t.setCellcolor(r, -1, float(rowColor(r)));
            t.setTextMatrix(r, 0, QString::number(r));
        }
        t.setFooterText(1, QStringLiteral("Total"));
        // Page: 10 px margins, a 19 px header and room for 40 rows of 20 px and a bit.
        const double page = 845 * Px;
        ImageSurface s(220 * Px, page);
        PreviewPages pages(page, t.marginTop());
        connectPages(t, pages);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        QCOMPARE(f.dialogs.count(), 0);
        QCOMPARE(pages.lastRows, (QList<int>{39, 79}));
        const QImage img = s.image();
        QCOMPARE(img.height(), 3 * 845);
        const int x = 160; // middle of column 1
        for (int p = 0; p < 3; ++p) {
            const int headerTop = p * 845 + 10;
            QCOMPARE(QColor(img.pixel(x, headerTop + 9)), fromNumber(0xE0E0E0));
            const int first = 40 * p;
            const int last = std::min(first + 39, 99);
            QCOMPARE(QColor(img.pixel(x, headerTop + 19 + 10)), fromNumber(rowColor(first)));
            QCOMPARE(QColor(img.pixel(x, headerTop + 19 + 20 * (last - first) + 10)), fromNumber(rowColor(last)));
        }
        // Nothing of a 41st row below row 39, above the bottom margin.
        QCOMPARE(QColor(img.pixel(x, 10 + 19 + 800 + 5)), QColor(Qt::white));
        // The footer: a box below row 99 with no fill, its text inside, nothing below.
        const int footerTop = 2 * 845 + 10 + 19 + 20 * 20;
        QVERIFY(dark(img.pixel(x, footerTop)));
        QVERIFY(dark(img.pixel(x, footerTop + 30)));
        QVERIFY(dark(img.pixel(110, footerTop + 15))); // the line between the columns
        QVERIFY(darkCount(img, QRect(112, footerTop + 1, 96, 29)) > 20);
        QCOMPARE(QColor(img.pixel(190, footerTop + 25)), QColor(Qt::white));
        QCOMPARE(darkCount(img, QRect(0, footerTop + 32, 220, 845 * 3 - footerTop - 32)), 0);
        QCOMPARE(s.currentY(), 2 * page + (10 + 19 + 400 + 30) * Px);
    }

    void withoutRepeatHeaderLaterPagesStartWithRows()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 100);
        t.setRepeatHeader(false);
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        const double page = 845 * Px;
        ImageSurface s(220 * Px, page);
        PreviewPages pages(page, t.marginTop());
        connectPages(t, pages);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        // Page 2 has no header, so it holds 41 rows.
        QCOMPARE(pages.lastRows, (QList<int>{39, 80}));
        const QImage img = s.image();
        QCOMPARE(QColor(img.pixel(160, 10 + 9)), fromNumber(0xE0E0E0));
        QCOMPARE(QColor(img.pixel(160, 845 + 10 + 9)), fromNumber(0xEEFFFF));
        QVERIFY(dark(img.pixel(160, 845 + 10))); // the first row's top border at currentY
        QCOMPARE(QColor(img.pixel(160, 2 * 845 + 10 + 9)), fromNumber(0xEEFFFF));
    }

    void lessThanOneRowOfRoomBreaksAtOnce()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 3);
        t.setRepeatHeader(false);
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        const double page = 200 * Px;
        ImageSurface s(220 * Px, page);
        PreviewPages pages(page, t.marginTop());
        connectPages(t, pages);
        // 15 px left above the bottom margin: less than one 20 px row.
        s.setCurrentY(175 * Px);

        t.drawTable(s, 0, 1);

        QCOMPARE(pages.lastRows, (QList<int>{-1}));
        const QImage img = s.image();
        QCOMPARE(darkCount(img, QRect(0, 0, 220, 200)), 0);
        // The header was not drawn on the empty page, so it opens the next one.
        QCOMPARE(QColor(img.pixel(160, 200 + 10 + 9)), fromNumber(0xE0E0E0));
        QCOMPARE(QColor(img.pixel(160, 200 + 10 + 19 + 10)), fromNumber(0xEEFFFF));
    }

    void rowsWhoseLineFitsOnNoPageEndWithAMessage()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 3);
        // A row taller than a page goes on over the pages, but not a line taller than a page.
        t.setFontMatrix(-1, -1, arial(150));
        t.setTextMatrix(-1, -1, QStringLiteral("x"));
        const double page = 200 * Px;
        ImageSurface s(220 * Px, page);
        PreviewPages pages(page, t.marginTop());
        connectPages(t, pages);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        QCOMPARE(pages.lastRows.size(), 1);
        QCOMPARE(f.dialogs.count(), 1);
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Draw Table"));
        QVERIFY(f.dialogs.last().text.startsWith(QStringLiteral("5 ")));
    }

    void mergedColumnDrawsOneCellPerRunAndSplitsAtThePageBreak()
    {
        for (bool split : {false, true}) {
            Fixture f;
            TablePrint &t = f.table;
            twoColumnTable(t, 4, false);
            t.setRepeatHeader(true);
            t.setMergeCol(1, true);
            t.setCellcolor(-1, -1, float(0xEEFFFF));
            const QStringList texts{"A", "A", "A", "B"};
            for (int r = 0; r < 4; ++r) {
                t.setTextMatrix(r, 0, QString::number(r));
                t.setTextMatrix(r, 1, texts[r]);
            }
            // Room for two rows on a page when split, for all four otherwise.
            const double page = (split ? 10 + 19 + 40 + 10 + 5 : 200) * Px;
            ImageSurface s(220 * Px, page);
            PreviewPages pages(page, t.marginTop());
            connectPages(t, pages);
            s.setCurrentY(t.marginTop());

            t.drawTable(s, 0, 1);
            const QImage img = s.image();
            const int pageH = int(page / Px);
            auto rowTop = [&](int r) {
                const int p = split ? r / 2 : 0;
                return p * pageH + 10 + 19 + 20 * (split ? r % 2 : r);
            };
            const QRect inside1(112, 0, 96, 1); // column 1's text area
            if (!split) {
                QVERIFY(pages.lastRows.isEmpty());
                // Column 0 has a border between every row; column 1 only where A ends.
                for (int r = 1; r < 4; ++r)
                    QVERIFY(dark(img.pixel(50, rowTop(r))));
                QVERIFY(!dark(img.pixel(190, rowTop(1))));
                QVERIFY(!dark(img.pixel(190, rowTop(2))));
                QVERIFY(dark(img.pixel(190, rowTop(3))));
                // One "A" at the top of the merged cell, one "B".
                QVERIFY(darkCount(img, inside1.adjusted(0, rowTop(0) + 1, 0, rowTop(0) + 18)) > 0);
                QCOMPARE(darkCount(img, inside1.adjusted(0, rowTop(1) + 1, 0, rowTop(3) - 2)), 0);
                QVERIFY(darkCount(img, inside1.adjusted(0, rowTop(3) + 1, 0, rowTop(3) + 18)) > 0);
            } else {
                QCOMPARE(pages.lastRows, (QList<int>{1}));
                // Page 1: rows 0 and 1 as one cell closed at the page's last row.
                QVERIFY(!dark(img.pixel(190, rowTop(1))));
                QVERIFY(dark(img.pixel(190, rowTop(1) + 20)));
                QCOMPARE(darkCount(img, inside1.adjusted(0, rowTop(1) + 1, 0, rowTop(1) + 18)), 0);
                // Page 2: the third A is a cell of its own, then B.
                QVERIFY(darkCount(img, inside1.adjusted(0, rowTop(2) + 1, 0, rowTop(2) + 18)) > 0);
                QVERIFY(dark(img.pixel(190, rowTop(3))));
                QVERIFY(darkCount(img, inside1.adjusted(0, rowTop(3) + 1, 0, rowTop(3) + 18)) > 0);
            }
        }
    }

    void printNoFillDrawsBordersAndTextOnly()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 2, false);
        t.setCellcolor(-1, -1, float(0x0000FF));
        t.setTextMatrix(-1, 1, QStringLiteral("Smith"));
        t.setNoFill(true);
        ImageSurface s(220 * Px, 200 * Px);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        const QImage img = s.image();
        int reds = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                reds += qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 100 ? 1 : 0;
        QCOMPARE(reds, 0);                                           // no fill anywhere
        QCOMPARE(QColor(img.pixel(160, 10 + 9)), QColor(Qt::white)); // no grey header either
        QVERIFY(dark(img.pixel(160, 10 + 19)));                      // borders are there
        QVERIFY(darkCount(img, QRect(112, 30, 96, 18)) > 10);        // and the text
    }

    void cancellingStopsAfterPageOneAndRestoresTheFont()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 100);
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        const double page = 845 * Px;
        ImageSurface s(220 * Px, page);
        QFont own(QStringLiteral("Courier New"));
        own.setPointSize(13);
        s.setFont(own);
        PreviewPages pages(page, t.marginTop());
        pages.cancel = true;
        connectPages(t, pages);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        QCOMPARE(pages.lastRows, (QList<int>{39}));
        QCOMPARE(pages.fontAtBreak.pointSize(), 8); // the cells' font was in use
        QCOMPARE(s.currentFont(), own);
        QCOMPARE(s.image().height(), 845);
        QCOMPARE(s.currentY(), (10 + 19 + 800) * double(Px));
        QCOMPARE(f.dialogs.count(), 0);
    }

    void failureShowsDrawTableMessageAndRestoresTheFont()
    {
        Fixture f;
        TablePrint &t = f.table;
        t.setHasFooter(false);
        t.setRows(2);
        t.setFontMatrix(-1, -1, arial(8));
        t.setHasFooter(true); // without footer texts until the next re-dimensioning
        ImageSurface s(220 * Px, 200 * Px);
        QFont own(QStringLiteral("Courier New"));
        s.setFont(own);

        t.drawTable(s, 0, 1);

        QCOMPARE(f.dialogs.texts(), QStringList{QStringLiteral("9 Subscript out of range")});
        QCOMPARE(f.dialogs.last().title, QStringLiteral("Draw Table"));
        QCOMPARE(s.currentFont(), own);
    }

    void overWidePictureIsSqueezedIntoTheColumn()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 1, false);
        t.setCellXOffset(4 * Px);
        t.setSizeRowsToPictures(true);
        t.setMinRowHeight(50 * Px);
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        QImage red(200, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        t.setPictureMatrix(0, 1, std::make_shared<QImage>(red));
        ImageSurface s(220 * Px, 200 * Px);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        const QImage img = s.image();
        QRect reds;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == qRgb(255, 0, 0))
                    reds |= QRect(x, y, 1, 1);
        // Column 1 starts at 110 px; inset 4 px each side: 92 px wide, its own 30 px high,
        // centred in the 50 px row.
        QCOMPARE(reds, QRect(114, 10 + 19 + 10, 92, 30));
    }

    void firstColumnDataIsCentredOnOneLineWhileItsHeaderIsAligned()
    {
        Fixture f;
        TablePrint &t = f.table;
        twoColumnTable(t, 1, false);
        t.setColWidth(0, 200 * Px);
        t.setColWidth(1, 100 * Px);
        t.setMinRowHeight(60 * Px);
        t.setFontMatrix(-1, -1, arial(8));
        t.setHeaderFont(-1, -1, arial(8));
        t.setColAlignment(0, 2);
        t.setHeaderText(0, 0, QStringLiteral("Time"));
        t.setTextMatrix(0, 0, QStringLiteral("8:00\r\nAM"));
        t.setTextMatrix(0, 1, QStringLiteral("first\r\nsecond"));
        t.setCellcolor(-1, -1, float(0xEEFFFF));
        ImageSurface s(320 * Px, 200 * Px);
        s.setCurrentY(t.marginTop());

        t.drawTable(s, 0, 1);

        const QImage img = s.image();
        // Header of column 0: right-aligned in its text area 12..208.
        const QRect header = darkBounds(img, QRect(12, 11, 196, 17));
        QVERIFY(!header.isEmpty());
        QVERIFY(header.right() >= 200);
        QVERIFY(header.left() > 110);
        // Data of column 0: one line, centred both ways in the 60 px row.
        const int rowTop = 10 + 19;
        const QRect data = darkBounds(img, QRect(12, rowTop + 1, 196, 58));
        QVERIFY(!data.isEmpty());
        QVERIFY(data.height() < 16);
        QVERIFY(qAbs((data.left() - 12) - (207 - data.right())) <= 3);
        QVERIFY(qAbs((data.top() - rowTop - 1) - (rowTop + 59 - data.bottom())) <= 4);
        // Other columns: left, top, one line per text line.
        const QRect other = darkBounds(img, QRect(212, rowTop + 1, 96, 58));
        QVERIFY(other.top() < rowTop + 8);
        QVERIFY(other.left() < 216);
        QVERIFY(other.height() > 20);
    }
};
TORVANE_TEST(TableRenderTest)
#include "TableRenderTest.moc"
