#include "TestRegistry.h"
#include "core/Colors.h"
#include "core/ListText.h"
#include "core/Numbers.h"
#include "core/TimeText.h"
#include "core/Twips.h"

#include <QLocale>
#include <QTest>

class ListTextTest : public QObject {
    Q_OBJECT
private slots:
    void splitsListText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty text gives index 0 only") << QString() << QStringList{QString()};
        QTest::newRow("two items joined") << "Bay 1%Bay 2" << QStringList{"", "Bay 1", "Bay 2"};
        QTest::newRow("trailing % gives empty last item") << "Al%Bo%" << QStringList{"", "Al", "Bo", ""};
        QTest::newRow("lone %") << "%" << QStringList{"", "", ""};
        QTest::newRow("empty inner items kept") << "a%%b" << QStringList{"", "a", "", "b"};
    }
    void splitsListText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(splitList(text), items);
    }
    void joinedListsReadBackThroughSplitList()
    {
        const QStringList names{"Al", "", "Bo"};
        QCOMPARE(joinList(names, true), QStringLiteral("Al%%Bo%"));
        QCOMPARE(joinList(names, false), QStringLiteral("Al%%Bo"));
        QCOMPARE(splitList(joinList(names, false)).mid(1), names);
        QCOMPARE(splitList(joinList(names, true)).mid(1, 3), names);
        QCOMPARE(joinList({}, true), QString());
    }
    void plainSplitStartsAtZero()
    {
        QCOMPARE(splitPlain(QStringLiteral("1000%1200%"), QLatin1Char('%')), (QStringList{"1000", "1200", ""}));
        QVERIFY(splitPlain(QString(), QLatin1Char('%')).isEmpty());
        QCOMPARE(splitPlain(QStringLiteral("0 255 "), QLatin1Char(' ')), (QStringList{"0", "255", ""}));
    }
};

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void readsLeadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<float>("value");
        QTest::newRow("number then letters") << "7.5abc" << 7.5f;
        QTest::newRow("empty") << "" << 0.0f;
        QTest::newRow("letters") << "abc" << 0.0f;
        QTest::newRow("negative") << "-1" << -1.0f;
        QTest::newRow("leading blanks") << "  2.5" << 2.5f;
        QTest::newRow("point first") << ".5" << 0.5f;
        QTest::newRow("trailing point") << "8." << 8.0f;
        QTest::newRow("comma is not a separator") << "7,5" << 7.0f;
        QTest::newRow("sign alone") << "-" << 0.0f;
        QTest::newRow("second point ends it") << "1.2.3" << 1.2f;
        QTest::newRow("beyond single precision") << QString(60, QLatin1Char('9')) << 0.0f;
    }
    void readsLeadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(float, value);
        QCOMPARE(leadingNumber(text), value);
    }
    void writesNumberText_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0.1+2") << (0.1f + 2.0f) << "2.1";
        QTest::newRow("2-0.1") << (2.0f - 0.1f) << "1.9";
        QTest::newRow("8-2.5") << (8.0f - 2.5f) << "5.5";
        QTest::newRow("0-1") << (0.0f - 1.0f) << "-1";
        QTest::newRow("whole") << 8.0f << "8";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("negative zero") << -0.0f << "0";
        QTest::newRow("small") << 0.25f << "0.25";
        QTest::newRow("quarters") << (8.0f - 2.25f) << "5.75";
        QTest::newRow("quarters, negative") << (1.0f - 3.25f) << "-2.25";
        QTest::newRow("0.1+0.2") << (0.1f + 0.2f) << "0.3";
        QTest::newRow("thousands without separator") << 12345.5f << "12345.5";
        QTest::newRow("large whole number") << 12345678.0f << "12345680";
        QTest::newRow("a third") << (1.0f / 3.0f) << "0.3333333";
        QTest::newRow("tiny") << 0.0005f << "0.0005";
    }
    void writesNumberText()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(numberText(value), text);
    }
    void numberTextIgnoresSystemLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German));
        const QString text = numberText(7.5f);
        QLocale::setDefault(saved);
        QCOMPARE(text, QStringLiteral("7.5"));
        QCOMPARE(leadingNumber(text), 7.5f);
    }
};

class TimeTextTest : public QObject {
    Q_OBJECT
private slots:
    void labels_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("label");
        QTest::newRow("morning") << QTime(8, 30) << "08:30 AM"
                                 << "08:30 AM ";
        QTest::newRow("before noon") << QTime(11, 30) << "11:30 AM"
                                     << "11:30 AM ";
        QTest::newRow("noon") << QTime(12, 0) << "12:00 PM"
                              << "12:00 PM ";
        QTest::newRow("after noon") << QTime(12, 30) << "12:30 PM"
                                    << "12:30 PM ";
        QTest::newRow("one pm") << QTime(13, 0) << "01:00 PM"
                                << "01:00 PM ";
        QTest::newRow("midnight") << QTime(0, 0) << "12:00 AM"
                                  << "12:00 AM ";
        QTest::newRow("after midnight") << QTime(0, 30) << "12:30 AM"
                                        << "12:30 AM ";
        QTest::newRow("evening") << QTime(23, 45) << "11:45 PM"
                                 << "11:45 PM ";
    }
    void labels()
    {
        QFETCH(QTime, time);
        QFETCH(QString, settings);
        QFETCH(QString, label);
        QCOMPARE(settingsTimeText(time), settings);
        QCOMPARE(rowLabel(time), label);
        QCOMPARE(parseTimeText(settings), time);
        QCOMPARE(parseTimeText(label), time);
    }
    void englishWhateverTheLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German));
        const QString label = rowLabel(QTime(17, 0));
        QLocale::setDefault(saved);
        QCOMPARE(label, QStringLiteral("05:00 PM "));
    }
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("time");
        QTest::newRow("one-digit hour") << "8:00 AM" << QTime(8, 0);
        QTest::newRow("lower case") << "05:15 pm" << QTime(17, 15);
        QTest::newRow("24-hour") << "17:00" << QTime(17, 0);
        QTest::newRow("short form") << "08:00" << QTime(8, 0);
        QTest::newRow("with seconds") << "08:00:30 AM" << QTime(8, 0, 30);
        QTest::newRow("empty") << "" << QTime();
        QTest::newRow("words") << "noon" << QTime();
        QTest::newRow("hour too big") << "25:00" << QTime();
        QTest::newRow("13 PM") << "13:00 PM" << QTime();
        QTest::newRow("minutes too big") << "08:75 AM" << QTime();
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QTime, time);
        QCOMPARE(parseTimeText(text), time);
        QCOMPARE(parseTimeText(text).isValid(), time.isValid());
    }
    void shortTime()
    {
        QCOMPARE(shortTimeText(QTime(8, 0)), QStringLiteral("08:00"));
        QCOMPARE(shortTimeText(QTime(17, 5)), QStringLiteral("17:05"));
        QCOMPARE(shortTimeText(QTime()), QString());
    }
};

class ColorsTest : public QObject {
    Q_OBJECT
private slots:
    void redIsTheLowByte()
    {
        QCOMPARE(colorFromNumber(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(colorFromNumber(FreeSlotColor), QColor(0xFF, 0xFF, 0xEE));
        QCOMPARE(colorFromNumber(SeparatorColor), QColor(0xFF, 0xE0, 0xC0));
        QCOMPARE(numberFromColor(QColor(0xFF, 0xFF, 0xEE)), FreeSlotColor);
    }
    void roundTrips()
    {
        for (qint64 n : {qint64(0), FreeSlotColor, LunchColor, GridLineColor, qint64(0x123456), WhiteColor})
            QCOMPARE(numberFromColor(colorFromNumber(n)), n);
    }
    void systemColours()
    {
        QCOMPARE(colorFromNumber(SystemDesktopColor), QColor(0x3A, 0x6E, 0xA5));
        // The same colour as a stored negative 32-bit value.
        QCOMPARE(colorFromNumber(-2147483647), QColor(0x3A, 0x6E, 0xA5));
        QCOMPARE(colorFromNumber(0x8000000F), QColor(0xF0, 0xF0, 0xF0));
        QVERIFY(isSystemColor(SystemDesktopColor));
        QVERIFY(!isSystemColor(WhiteColor));
    }
    void classicPalette()
    {
        QCOMPARE(QBColor(0), qint64(0));
        QCOMPARE(QBColor(1), qint64(0x800000));
        QCOMPARE(QBColor(4), qint64(0x000080));
        QCOMPARE(colorFromNumber(QBColor(12)), QColor(255, 0, 0)); // light red
        QCOMPARE(colorFromNumber(QBColor(9)), QColor(0, 0, 255));  // light blue
        QCOMPARE(QBColor(15), WhiteColor);
    }
};

class TwipsTest : public QObject {
    Q_OBJECT
private slots:
    void conversions()
    {
        QCOMPARE(twipsToPixels(1440), 96);
        QCOMPARE(twipsToPixels(275), 18);
        QCOMPARE(pixelsToTwips(96), 1440.0);
        QCOMPARE(twipsToHimetric(1440), 2540.0);
        QCOMPARE(himetricToTwips(2540), 1440.0);
    }
};

TORVANE_TEST(ListTextTest)
TORVANE_TEST(NumbersTest)
TORVANE_TEST(TimeTextTest)
TORVANE_TEST(ColorsTest)
TORVANE_TEST(TwipsTest)
#include "HelpersTest.moc"
