#include "TestRegistry.h"
#include "core/DateText.h"
#include "daypage/CalendarModel.h"
#include "daypage/PageText.h"

#include <QTest>

using PageText::Cells;

class PageFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void pageTextRoundTripsWithoutTrailingSeparator()
    {
        const QString text = QStringLiteral("8\t7.5\r\tSmith\r\t");
        const Cells cells = PageText::parse(text);
        QCOMPARE(cells.size(), 3);
        QCOMPARE(cells.at(1), QStringList({QString(), QStringLiteral("Smith")}));
        QCOMPARE(PageText::join(cells), text);
        QVERIFY(PageText::parse(QString()).isEmpty());
    }
    void shapingPadsShortTextAndDropsTheRest()
    {
        const Cells s = PageText::shaped(PageText::parse(QStringLiteral("a\tb\tc\rd")), 3, 2);
        QCOMPARE(PageText::join(s), QStringLiteral("a\tb\rd\t\r\t"));
    }
    void ownChangesApplyOnlyWhereTheStoredCellIsStillTheOneSeen()
    {
        const Cells base = PageText::parse(QStringLiteral("8\t8\r\tAnn"));
        const Cells mine = PageText::parse(QStringLiteral("8\t8\rJones\tAnn")); // we booked (1,0)
        const Cells stored = PageText::parse(QStringLiteral("8\t6\r\tBrown"));  // they changed two cells
        QCOMPARE(PageText::join(*PageText::applied(stored, base, mine)), QStringLiteral("8\t6\rJones\tBrown"));
        // Clearing a cell that another station changed meanwhile is refused as a whole.
        const Cells cleared = PageText::parse(QStringLiteral("8\t8\rJones\t"));
        QVERIFY(!PageText::applied(stored, base, cleared));
        // A number in the counter row adds this station's difference to the stored one.
        const Cells counted = PageText::parse(QStringLiteral("8\t7.5\rJones\tAnn"));
        QVERIFY(!PageText::applied(stored, base, counted));
        QCOMPARE(PageText::join(*PageText::applied(stored, base, counted, 0)), QStringLiteral("8\t5.5\rJones\tBrown"));
    }
    void colourListFormatEndsWithOneBlank()
    {
        QCOMPARE(ColorList::format({15663103, 0, 12632256}), QStringLiteral("15663103 0 12632256 "));
        const auto parsed = ColorList::parse(QStringLiteral("15663103 0 12632256 "));
        QCOMPARE(parsed.size(), 3);
        QCOMPARE(*parsed.at(2), qint64(12632256));
        QVERIFY(ColorList::isUnset(QStringLiteral("0")));
        QVERIFY(ColorList::isUnset(QString()));
        QVERIFY(ColorList::isUnset(QStringLiteral("0 ")));
        QVERIFY(!ColorList::isUnset(QStringLiteral("0 0 ")));
    }
    void colourChangesApplyOnlyWhereTheStoredColourIsStillTheOneSeen()
    {
        const QVector<qint64> base{1, 1, 1};
        const QVector<qint64> mine{1, 5, 1};
        QCOMPARE(*ColorList::applied(QStringLiteral("7 1 8 "), base, mine), QVector<qint64>({7, 5, 8}));
        QVERIFY(!ColorList::applied(QStringLiteral("7 2 8 "), base, mine));
        // A stored list short of numbers: those cells take ours.
        QCOMPARE(*ColorList::applied(QStringLiteral("7 "), base, mine), QVector<qint64>({7, 5, 1}));
    }
    // A save's next read of its own write is not parsed again: it must read exactly as parsing would.
    void whatASaveWroteReadsBackAsStored()
    {
        const Cells clean{{QStringLiteral("8"), QStringLiteral("7.5")}, {QString(), QStringLiteral("Ann")}};
        QCOMPARE(PageText::parse(PageText::joinRemembered(clean)), clean);
        // Separators typed into a cell are stored as blanks.
        const Cells typed{{QStringLiteral("a\tb"), QStringLiteral("c\nd")}, {QStringLiteral("e\rf"), QString()}};
        const QString text = PageText::joinRemembered(typed);
        QCOMPARE(PageText::parse(text),
                 Cells({{QStringLiteral("a b"), QStringLiteral("c d")}, {QStringLiteral("e f"), QString()}}));
        QCOMPARE(ColorList::parse(ColorList::formatRemembered({-5, 0, 9223372036854775807LL})),
                 QVector<std::optional<qint64>>({-5, 0, 9223372036854775807LL}));
        // A list of one 0 reads as never stored.
        QVERIFY(ColorList::parse(ColorList::formatRemembered({0})).isEmpty());
    }
};
TORVANE_TEST(PageFormatsTest)

class CalendarModelTest : public QObject {
    Q_OBJECT
private slots:
    void monthStartingOnSundayBeginsInSecondRow()
    {
        CalendarModel cal;
        cal.rebuild(QDate(1998, 2, 10)); // 1 February 1998 is a Sunday
        QCOMPARE(cal.indexOf(QDate(1998, 2, 1)), 7);
        QCOMPARE(cal.dateAt(0), QDate(1998, 1, 25));
        QCOMPARE(cal.dayAt(6), 31);
        QCOMPARE(cal.dateAt(41), QDate(1998, 3, 7));
        QCOMPARE(cal.selectedDate(), QDate(1998, 2, 10));
    }
    void monthStartingMidWeek()
    {
        CalendarModel cal;
        cal.rebuild(QDate(2000, 2, 29)); // Tuesday
        QCOMPARE(cal.indexOf(QDate(2000, 2, 1)), 2);
        QCOMPARE(cal.selected(), 30);
    }
    void listDayRollsIntoNextMonth()
    {
        QCOMPARE(CalendarModel::rolledDate(2001, 2, 29), QDate(2001, 3, 1));
        QCOMPARE(CalendarModel::rolledDate(1999, 4, 31), QDate(1999, 5, 1));
        QCOMPARE(CalendarModel::rolledDate(2000, 2, 29), QDate(2000, 2, 29));
    }
    void keysMoveWithinTheCellsAndShiftPastThem()
    {
        CalendarModel cal;
        cal.rebuild(QDate(1998, 2, 10));
        QCOMPARE(cal.press(CalendarModel::Key::Right), CalendarModel::Moved::Selection);
        QCOMPARE(cal.selectedDate(), QDate(1998, 2, 11));
        QCOMPARE(cal.press(CalendarModel::Key::Up), CalendarModel::Moved::Selection);
        QCOMPARE(cal.selectedDate(), QDate(1998, 2, 4));
        QCOMPARE(cal.press(CalendarModel::Key::Up), CalendarModel::Moved::Selection); // into January's row
        QCOMPARE(cal.selectedDate(), QDate(1998, 1, 28));
        QCOMPARE(cal.firstOfMonth(), QDate(1998, 2, 1));
        QCOMPARE(cal.press(CalendarModel::Key::Up), CalendarModel::Moved::Rebuilt); // off the top row
        QCOMPARE(cal.selectedDate(), QDate(1998, 1, 21));
        QCOMPARE(cal.firstOfMonth(), QDate(1998, 1, 1));
        QCOMPARE(cal.press(CalendarModel::Key::PageDown), CalendarModel::Moved::Rebuilt);
        QCOMPARE(cal.selectedDate(), QDate(1998, 2, 21));
        cal.rebuild(QDate(1998, 3, 31));
        QCOMPARE(cal.press(CalendarModel::Key::PageUp), CalendarModel::Moved::Rebuilt);
        QCOMPARE(cal.selectedDate(), QDate(1998, 2, 28));
    }
    void keysStopAtTheYearsOfTheLists()
    {
        CalendarModel cal;
        cal.rebuild(QDate(1997, 11, 10));
        QCOMPARE(cal.press(CalendarModel::Key::Left), CalendarModel::Moved::Refused);
        QCOMPARE(cal.press(CalendarModel::Key::Right), CalendarModel::Moved::Selection);
        cal.rebuild(QDate(2038, 12, 31));
        QCOMPARE(cal.press(CalendarModel::Key::Right), CalendarModel::Moved::Refused);
        QCOMPARE(cal.press(CalendarModel::Key::PageDown), CalendarModel::Moved::Refused);
        QCOMPARE(cal.press(CalendarModel::Key::Left), CalendarModel::Moved::Selection);
        QCOMPARE(cal.selectedDate(), QDate(2038, 12, 30));
    }
};
TORVANE_TEST(CalendarModelTest)

class DateTextTest : public QObject {
    Q_OBJECT
private slots:
    void shortDates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        const QDate none;
        QTest::newRow("us two-digit year") << "en_US"
                                           << "11/11/99" << QDate(1999, 11, 11);
        QTest::newRow("us dashes year 00") << "en_US"
                                           << "1-1-00" << QDate(2000, 1, 1);
        QTest::newRow("us four-digit year") << "en_US"
                                            << "2/6/2002" << QDate(2002, 2, 6);
        QTest::newRow("us year 29 and 30") << "en_US"
                                           << "3/4/29" << QDate(2029, 3, 4);
        QTest::newRow("us year 30") << "en_US"
                                    << "3/4/30" << QDate(1930, 3, 4);
        QTest::newRow("us no year") << "en_US"
                                    << "3/4" << QDate(2001, 3, 4);
        QTest::newRow("british order") << "en_GB"
                                       << "6/2/2002" << QDate(2002, 2, 6);
        QTest::newRow("german dots") << "de_DE"
                                     << "6.2.02" << QDate(2002, 2, 6);
        QTest::newRow("iso") << "en_US"
                             << "2002-02-06" << QDate(2002, 2, 6);
        QTest::newRow("long form") << "en_US"
                                   << "Wednesday, February 6, 2002" << QDate(2002, 2, 6);
        QTest::newRow("no such day") << "en_US"
                                     << "2/30/2002" << none;
        QTest::newRow("month 13") << "en_US"
                                  << "13/1/2002" << none;
        QTest::newRow("letters") << "en_US"
                                 << "tomorrow" << none;
        QTest::newRow("one number") << "en_US"
                                    << "12" << none;
        QTest::newRow("three-digit year") << "en_US"
                                          << "1/1/199" << none;
    }
    void shortDates()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(DateText::parseShortDate(text, QLocale(locale), QDate(2001, 7, 1)), expected);
    }
    void headingSpellsOutTheDate()
    {
        QCOMPARE(DateText::longHeading(QDate(2002, 2, 6), QLocale(QStringLiteral("en_US"))),
                 QStringLiteral("Wednesday   February 6,  2002"));
    }
};
TORVANE_TEST(DateTextTest)
#include "FormatsTest.moc"
