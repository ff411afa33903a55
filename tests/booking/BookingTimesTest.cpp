#include "booking/BookingTimes.h"
#include "TestRegistry.h"

#include <QTest>

// Job times, totals, hours used and span lengths: single precision, written as number texts.
class BookingTimesTest : public QObject {
    Q_OBJECT
private slots:
    void totalOfJobTimes_data()
    {
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<QString>("total");
        QTest::newRow("all empty") << QStringList{} << "0";
        QTest::newRow("quarters add up") << QStringList{"1.5", "0.5", "0.25"} << "2.25";
        QTest::newRow("letters after a number") << QStringList{"1.5 hrs", "abc", " 2"} << "3.5";
        QTest::newRow("tenths stay short") << QStringList{"0.1", "0.2"} << "0.3";
        QTest::newRow("all ten boxes") << QStringList(10, "0.5") << "5";
    }
    void totalOfJobTimes()
    {
        QFETCH(QStringList, times);
        QFETCH(QString, total);
        BookingEntries form = emptyBookingEntries();
        for (int i = 0; i < times.size(); ++i)
            form[BookingEntry::time(i)] = times.at(i);
        QCOMPARE(BookingTimes::totalText(form), total);
    }

    void jobTimesStoredEachFollowedByPercent()
    {
        BookingEntries form = emptyBookingEntries();
        form[BookingEntry::Time0] = "1.5";
        form[BookingEntry::Time3] = "0.5";
        QCOMPARE(BookingTimes::join(form), QStringLiteral("1.5%%%0.5%%%%%%%"));

        const auto back = BookingTimes::split(BookingTimes::join(form));
        QCOMPARE(*back[0], QStringLiteral("1.5"));
        QCOMPARE(*back[3], QStringLiteral("0.5"));
        QCOMPARE(*back[9], QString());
    }
    void shortJobTimesLeaveTheRestWithoutValue()
    {
        const auto items = BookingTimes::split(QStringLiteral("2%1"));
        QCOMPARE(*items[0], QStringLiteral("2"));
        QCOMPARE(*items[1], QStringLiteral("1"));
        QVERIFY(!items[2]);
        QVERIFY(!BookingTimes::split(QString())[0]);
    }

    void spanCells_data()
    {
        QTest::addColumn<float>("hours");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("cells");
        QTest::newRow("none") << 0.0f << 30 << 0;
        QTest::newRow("a fifth becomes half an hour") << 0.2f << 30 << 1;
        QTest::newRow("negative becomes half an hour") << -1.0f << 30 << 1;
        QTest::newRow("1.25 halves to even") << 1.25f << 30 << 2;
        QTest::newRow("1.75 halves to even") << 1.75f << 30 << 4;
        QTest::newRow("2.25 halves to even") << 2.25f << 30 << 4;
        QTest::newRow("two hours") << 2.0f << 30 << 4;
        QTest::newRow("twelve held at nine") << 12.0f << 30 << 18;
        QTest::newRow("an hour of quarter hours") << 1.0f << 15 << 4;
        QTest::newRow("an hour of ten minutes") << 1.0f << 10 << 6;
        QTest::newRow("an hour of hours") << 1.0f << 60 << 1;
        QTest::newRow("nine hours of quarter hours") << 12.0f << 15 << 36;
    }
    void spanCells()
    {
        QFETCH(float, hours);
        QFETCH(int, minutes);
        QFETCH(int, cells);
        QCOMPARE(BookingTimes::spanSlots(hours, minutes), cells);
    }

    void hoursUsedAfterSaveAndDeleteWrittenAlike()
    {
        QCOMPARE(BookingTimes::hoursUsedAfterSave(QStringLiteral("2"), 0.1f, 0.0f), QStringLiteral("2.1"));
        QCOMPARE(BookingTimes::hoursUsedAfterSave(QStringLiteral("3.5"), 1.5f, 2.0f), QStringLiteral("3"));
        QCOMPARE(BookingTimes::hoursUsedAfterSave(QString(), 2.0f, 0.0f), QStringLiteral("2"));
        // A delete writes the same short text as a save, not the double-precision digits.
        QCOMPARE(BookingTimes::hoursUsedAfterDelete(QStringLiteral("2"), 0.1f), QStringLiteral("1.9"));
        QCOMPARE(BookingTimes::hoursUsedAfterDelete(QStringLiteral("2.1"), 0.1f), QStringLiteral("2"));
    }
};
TORVANE_TEST(BookingTimesTest)
#include "BookingTimesTest.moc"
