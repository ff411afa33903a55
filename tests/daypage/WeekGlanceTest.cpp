#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "core/Numbers.h"
#include "daypage/PageModel.h"
#include "daypage/WeekGlanceWindow.h"

#include <QTableWidget>
#include <QTest>

// The week view against the day pages themselves: what it shows for a stored page, for a date it
// must not make a page for, for a closed day and after another station's change.
class WeekGlanceTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit WeekGlanceTest(bool onServer) : m_onServer(onServer) {}

private:
    int storedPages(DayPageFixture &f, const QDate &from)
    {
        return f.db
            ->scalar(QStringLiteral("SELECT COUNT(*) FROM \"tbl_Appt\" WHERE caldate >= ? AND caldate <= ?"),
                     {from, from.addDays(6)})
            .toInt();
    }

private slots:
    void figuresEqualTheDayPages()
    {
        DayPageFixture f(m_onServer);
        QVERIFY(f.ready());
        const QDate monday = DayPageFixture::day();
        const QDate tuesday = monday.addDays(1), thursday = monday.addDays(3);
        f.open(tuesday);
        f.open(thursday);
        f.store(PageModel::HoursUsedRow, 2, QStringLiteral("3"), tuesday);
        f.db->execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Clinic\" = ?, rowver = rowver + 1 WHERE caldate = ?"),
                      {true, thursday});
        f.open(tuesday);
        const int pagesBefore = storedPages(f, monday);

        QTest::keyClick(f.w.get(), Qt::Key_W, Qt::ControlModifier);
        auto *week = qobject_cast<WeekGlanceWindow *>(f.w->weekGlance());
        QVERIFY(week);
        auto *table = week->findChild<QTableWidget *>(QStringLiteral("grdWeek"));
        QCOMPARE(week->week().monday, monday);
        QCOMPARE(storedPages(f, monday), pagesBefore); // dates without a page are not made
        const int techs = week->week().techCount();
        QCOMPARE(techs, f.grid().cols() - 1);
        QCOMPARE(table->item(techs, 3)->text(), QStringLiteral("Closed"));

        // Each open day as the day page shows it once opened (made from the template if need be).
        WeekGlance::Hours shop;
        for (int d = 0; d < 7; ++d) {
            const WeekGlance::Day day = week->week().days[d];
            if (day.closed)
                continue;
            f.open(day.date);
            for (int t = 0; t < techs; ++t) {
                const WeekGlance::Hours h = day.techs[t];
                QCOMPARE(h.used, leadingNumber(f.grid().text(PageModel::HoursUsedRow, t + 1)));
                QCOMPARE(h.start, leadingNumber(f.grid().text(PageModel::HoursStartRow, t + 1)));
                QCOMPARE(table->item(t, d)->text(), WeekGlanceWindow::cellText(h));
                shop += h;
            }
        }
        QCOMPARE(week->week().days[1].techs[1].used, 3.0f);
        QCOMPARE(table->item(techs, 7)->text(), WeekGlanceWindow::cellText(shop));

        // Another station books on Tuesday: the open view follows.
        f.store(PageModel::HoursUsedRow, 1, QStringLiteral("1.5"), tuesday);
        QTRY_COMPARE(table->item(0, 1)->text(),
                     WeekGlanceWindow::cellText({1.5f, week->week().days[1].techs[0].start}));

        // A double click opens its day on the day page; Alt+Right moves a week on.
        table->setCurrentCell(0, 4);
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(f.w->page().record().date, monday.addDays(4));
        QTest::keyClick(week, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(week->week().monday, monday.addDays(7));
    }
};

class WeekGlanceTestFile : public WeekGlanceTest {
    Q_OBJECT
public:
    WeekGlanceTestFile() : WeekGlanceTest(false) {}
};
class WeekGlanceTestPg : public WeekGlanceTest {
    Q_OBJECT
public:
    WeekGlanceTestPg() : WeekGlanceTest(true) {}
};
static testreg::AddOnBothEngines<WeekGlanceTestFile, WeekGlanceTestPg> s_week("WeekGlanceTest", "WeekGlanceTestPg");
#include "WeekGlanceTest.moc"
