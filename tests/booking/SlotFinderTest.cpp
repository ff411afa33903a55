#include "booking/SlotFinder.h"
#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"
#include "booking/FindSlotWindow.h"
#include "core/TimeText.h"
#include "daypage/DayPageWindow.h"

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

namespace {
constexpr int Brakes = 9; // the seed office: Raj Patel (column 4) alone does not do brakes
// The last skill: Tony Russo (column 3) alone does not do it.
const QString CoolantSystem = QStringLiteral("Coolant System");

QString listed(const QVector<SlotFinder::Place> &places, const QDate &only = QDate())
{
    QStringList out;
    for (const SlotFinder::Place &p : places)
        if (!only.isValid() || p.date == only)
            out << QStringLiteral("%1 %2-%3 %4")
                       .arg(p.date.toString(QStringLiteral("ddd")), settingsTimeText(p.start), settingsTimeText(p.end),
                            p.tech);
    return out.join(QStringLiteral(", "));
}

// The Monday of bookingDay as another station left it: Mike Dunn's 09:30 slot "Engaged", Sue
// Park booked at 08:00 with her span shaded down to 10:00, Tony Russo and Raj Patel free.
void bookMonday(const TestFolder &folder)
{
    BookingStation s(folder);
    s.grid().setText(9, 1, QStringLiteral("Engaged"));
    s.grid().setText(6, 2, QStringLiteral("Smith"));
    for (int r = 6; r <= 10; ++r)
        s.grid().setCellBackColor(r, 2, BookingTimes::LightBookingColor);
    s.page.saveGridData();
}
} // namespace

// Where a job fits, read from the shared database as the day pages show it. On both engines.
class SlotFinderTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;
    bool m_onServer;

public:
    explicit SlotFinderTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder, m_onServer);
        bookMonday(*m_folder);
    }

    // A 3-hour brake job from a closed Sunday over the stored Monday and a Tuesday without a page.
    void threeHourBrakeJobFitsWhereItsShadingWouldBeFree()
    {
        Database db(Database::sharedIn(m_folder->path()));
        PageStore store(db);
        const QDate monday = bookingDay(), tuesday = monday.addDays(1);
        const auto pagesBefore =
            db.select(QStringLiteral("SELECT caldate, rowver FROM \"tbl_Appt\" ORDER BY caldate")).rows;
        SlotFinder finder(store);

        SlotFinder::Query q;
        q.hours = 3;
        q.skill = Brakes;
        q.first = monday.addDays(-1);
        q.days = 3;
        // Lunch (12:00, 12:30) is passed over, not counted; Mike waits for his "Engaged" slot,
        // Sue for the colour-only end of her booking; Raj never does brakes.
        QCOMPARE(listed(finder.find(q)),
                 QStringLiteral("Mon 08:00 AM-11:00 AM Tony Russo, Mon 08:30 AM-11:30 AM Tony Russo, "
                                "Mon 09:00 AM-12:00 PM Tony Russo, Mon 09:30 AM-01:30 PM Tony Russo, "
                                "Mon 10:00 AM-02:00 PM Mike Dunn, Mon 10:00 AM-02:00 PM Tony Russo, "
                                "Mon 10:30 AM-02:30 PM Mike Dunn, Mon 10:30 AM-02:30 PM Sue Park, "
                                "Mon 10:30 AM-02:30 PM Tony Russo, Mon 11:00 AM-03:00 PM Mike Dunn"));

        // One technician on into Tuesday, judged from its template: lunch from the template's
        // LUNCH cells, the page ending the last span.
        q.tech = 1;
        q.limit = 30;
        const auto mike = finder.find(q);
        QCOMPARE(listed(mike, monday).count(QStringLiteral("Mon")), 8);
        QCOMPARE(listed(mike, tuesday),
                 QStringLiteral("Tue 08:00 AM-11:00 AM Mike Dunn, Tue 08:30 AM-11:30 AM Mike Dunn, "
                                "Tue 09:00 AM-12:00 PM Mike Dunn, Tue 09:30 AM-01:30 PM Mike Dunn, "
                                "Tue 10:00 AM-02:00 PM Mike Dunn, Tue 10:30 AM-02:30 PM Mike Dunn, "
                                "Tue 11:00 AM-03:00 PM Mike Dunn, Tue 11:30 AM-03:30 PM Mike Dunn, "
                                "Tue 01:00 PM-04:00 PM Mike Dunn, Tue 01:30 PM-04:30 PM Mike Dunn, "
                                "Tue 02:00 PM-05:00 PM Mike Dunn, Tue 02:30 PM-05:30 PM Mike Dunn"));
        // Skills are the office's as kept now, not the copy the page took when it was made.
        db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Skills\" = ?"),
                   {QStringLiteral("0 0 0 0 0 0 0 0 0 0 0%1 1 0 0 1 1 0 0 1 0 1")});
        QCOMPARE(finder.find(q).size(), 0);
        // Places already begun are past.
        q.tech = 2;
        q.notBefore = QDateTime(monday, QTime(10, 45));
        QCOMPARE(finder.find(q).first().start, QTime(11, 0));

        // Nothing was made or written by reading.
        QCOMPARE(db.select(QStringLiteral("SELECT caldate, rowver FROM \"tbl_Appt\" ORDER BY caldate")).rows,
                 pagesBefore);
    }

    // A date without a page before a stored one: its places still come first, and the limit
    // falls among the stored day's.
    void aDayWithoutAPageKeepsItsPlaceBeforeAStoredOne()
    {
        const QDate tuesday = bookingDay().addDays(1), wednesday = tuesday.addDays(1);
        {
            BookingStation s(*m_folder);
            QVERIFY(s.page.openDate(wednesday));
        }
        Database db(Database::sharedIn(m_folder->path()));
        PageStore store(db);
        QVERIFY(store.find(wednesday) && !store.find(tuesday));
        SlotFinder::Query q;
        q.hours = 3;
        q.tech = 1;
        q.first = tuesday;
        q.days = 2;
        q.limit = 14;
        const auto places = SlotFinder(store).find(q);
        QCOMPARE(places.size(), 14);
        QCOMPARE(listed(places, tuesday).count(QStringLiteral("Tue")), 12);
        QCOMPARE(listed(places.mid(12)),
                 QStringLiteral("Wed 08:00 AM-11:00 AM Mike Dunn, Wed 08:30 AM-11:30 AM Mike Dunn"));
    }

    // The window from the day page's Search menu, for the last skill in its list: a place taken
    // meanwhile refreshes the list with a word; a free one opens its page with the current cell on
    // its start slot.
    void choosingAPlaceOpensItsCellOrRefreshesWhenTaken()
    {
        ScriptedDialogs dialogs;
        AppState state;
        state.paths().setProgramFolder(m_folder->path());
        state.paths().setServerFolder(m_folder->path());
        state.setDialogs(&dialogs);
        state.windows().setSlotFinder([](AppState &s, QWidget *over) -> QWidget * {
            auto *w = new FindSlotWindow(s, *qobject_cast<DayPageWindow *>(over));
            w->show();
            return w;
        });
        DayPageWindow page(state);
        page.show();
        page.openCell(bookingDay(), 6, 1);
        page.findChild<QAction *>(QStringLiteral("mnuFindSlot"))->trigger();
        auto *w = qobject_cast<FindSlotWindow *>(page.slotFinder());
        QVERIFY(w);
        QCOMPARE(w->findChild<QDateEdit *>(QStringLiteral("txtFirst"))->date(), bookingDay());
        w->findChild<QDoubleSpinBox *>(QStringLiteral("txtHours"))->setValue(3);
        auto *skill = w->findChild<QComboBox *>(QStringLiteral("cboSkill"));
        skill->setCurrentIndex(skill->findText(CoolantSystem));
        QCOMPARE(skill->currentText(), CoolantSystem);
        w->findChild<QSpinBox *>(QStringLiteral("txtDays"))->setValue(1);
        QTest::keyClick(w->findChild<QDoubleSpinBox *>(QStringLiteral("txtHours")), Qt::Key_Return); // Find
        auto *list = w->findChild<QTreeWidget *>(QStringLiteral("lstPlaces"));
        QCOMPARE(list->topLevelItemCount(), 10);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Raj Patel"));
        QVERIFY(list->findItems(QStringLiteral("Tony Russo"), Qt::MatchExactly, 1).isEmpty());

        // Another station books Raj's 08:00 before the choice.
        {
            BookingStation other(*m_folder);
            other.grid().setText(6, 4, QStringLiteral("Jones"));
            other.page.saveGridData();
        }
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lblStatus"))->text(), FindSlotWindow::TakenText);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("08:30 AM"));

        QPointer<QWidget> alive(w);
        list->setCurrentItem(list->topLevelItem(0));
        QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdOpen")), Qt::LeftButton);
        QTRY_VERIFY(!alive);
        QCOMPARE(page.page().record().date, bookingDay());
        QCOMPARE(page.page().grid().row(), 7);
        QCOMPARE(page.page().grid().col(), 4);
        QVERIFY(dialogs.shown().isEmpty());
    }
};
class SlotFinderTestFile : public SlotFinderTest {
    Q_OBJECT
public:
    SlotFinderTestFile() : SlotFinderTest(false) {}
};
class SlotFinderTestPg : public SlotFinderTest {
    Q_OBJECT
public:
    SlotFinderTestPg() : SlotFinderTest(true) {}
};
static testreg::AddOnBothEngines<SlotFinderTestFile, SlotFinderTestPg> s_slotFinder("SlotFinderTest",
                                                                                    "SlotFinderTestPg");
#include "SlotFinderTest.moc"
