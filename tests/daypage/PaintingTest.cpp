#include "Station.h"
#include "TestDb.h"
#include "TestRegistry.h"
#include "core/Colors.h"
#include "store/Database.h"

#include <QHash>
#include <QTest>

namespace {
const QDate Day(2031, 3, 3);      // a Monday: rows 6 to 24 are slots, 25 the extra row, lunch 14 and 15
constexpr int RowsPerColumn = 20; // rows 6 to 25 in the colour list
constexpr qint64 Yellow = 0xFFFF;
constexpr qint64 Booked = 0x80D0FF;
} // namespace

// setCellColor on a page of one station, read back from the stored colour list.
class PaintingTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<Station> s;
    std::unique_ptr<Database> db;

    QVector<qint64> storedColumn(int col)
    {
        const auto list = ColorList::parse(
            db->scalar(QStringLiteral("SELECT Color FROM tbl_Appt WHERE caldate = ?"), {Day}).toString());
        QVector<qint64> out;
        for (int i = 0; i < RowsPerColumn; ++i)
            out.append(*list.at((col - 1) * RowsPerColumn + i));
        return out;
    }
    // The stored colours of rows 6 to 25 of a column, as letters: . free, L lunch, Y span, B booking.
    QString pattern(int col)
    {
        QString out;
        static const QHash<qint64, QChar> letters{{FreeSlotColor, QLatin1Char('.')},
                                                  {LunchColor, QLatin1Char('L')},
                                                  {Yellow, QLatin1Char('Y')},
                                                  {Booked, QLatin1Char('B')}};
        for (qint64 c : storedColumn(col))
            out += letters.value(c, QLatin1Char('?'));
        return out;
    }
    void paint(int row, int col, int span)
    {
        s->page.spanChoice() = {span, int(Yellow)};
        s->page.setBookingColor(int(Booked));
        s->grid().setCurrentCell(row, col);
        s->page.setCellColor();
    }

private slots:
    void init()
    {
        folder = std::make_unique<TestFolder>();
        const QString path = folder->copySeed(QStringLiteral("db.mdb"));
        s = std::make_unique<Station>(path);
        QVERIFY(s->page.openDate(Day));
        db = std::make_unique<Database>(path);
        QCOMPARE(pattern(2), QStringLiteral("........LL.........."));
    }
    void cleanup()
    {
        s.reset();
        db.reset();
        folder.reset();
    }

    void spanAcrossLunchSkipsTheLunchRowsWithoutCountingThem()
    {
        paint(12, 2, 4);
        QCOMPARE(pattern(2), QStringLiteral("......YYLLYY........"));
        QCOMPARE(s->grid().cellBackColor(14, 2), LunchColor);
        QCOMPARE(s->grid().row(), 12);
        QCOMPARE(pattern(1), QStringLiteral("........LL.........."));
    }

    void spanLongerThanThePageStopsAtTheLastSlot()
    {
        paint(22, 3, 8);
        QCOMPARE(pattern(3), QStringLiteral("........LL......YYY."));
        QCOMPARE(s->grid().cellBackColor(25, 3), FreeSlotColor);
    }

    void noSpanGivesTheBookingCellItsOwnColour()
    {
        paint(9, 4, 0);
        QCOMPARE(pattern(4), QStringLiteral("...B....LL.........."));
    }

    void outsideTheSlotsNothingIsPainted()
    {
        const QString before =
            db->scalar(QStringLiteral("SELECT Color FROM tbl_Appt WHERE caldate = ?"), {Day}).toString();
        paint(25, 1, 2);
        paint(5, 1, 2);
        QCOMPARE(db->scalar(QStringLiteral("SELECT Color FROM tbl_Appt WHERE caldate = ?"), {Day}).toString(), before);
        // A span starting on a lunch cell leaves it grey and begins below it.
        paint(14, 1, 1);
        QCOMPARE(pattern(1), QStringLiteral("........LLY........."));
    }

    void paintingStartsFromTheColoursAsStored()
    {
        // Another station painted column 2 meanwhile; this station's span keeps that.
        Station other(folder->file(QStringLiteral("db.mdb")));
        QVERIFY(other.page.openDate(Day));
        other.page.spanChoice() = {2, int(Booked)};
        other.page.setBookingColor(int(Booked));
        other.grid().setCurrentCell(6, 2);
        other.page.setCellColor();
        paint(16, 2, 2);
        QCOMPARE(pattern(2), QStringLiteral("BB......LLYY........"));
        // The single-cell colour goes on the stored page too.
        s->grid().setCurrentCell(7, 1);
        s->page.paintCell(0xFFB0FF);
        QCOMPARE(storedColumn(1).at(1), qint64(0xFFB0FF));
        QCOMPARE(s->page.spanChoice().color, 0xFFB0FF);
    }
};
TORVANE_TEST(PaintingTest)
#include "PaintingTest.moc"
