#include "SharedDb.h"
#include "Station.h"
#include "core/Colors.h"
#include "store/Database.h"

#include <QTest>

namespace {
const QDate Monday(2031, 3, 3);
const QDate NextMonday(2031, 3, 10);
constexpr int LastRow = 25; // the seed office's extra typed row
const QString Changed = QStringLiteral("Another station has changed this timeslot. The page now shows what is stored.");
} // namespace

// Two stations on one shared database, each with its own values, dialogs and connection: a
// station whose screen is stale never writes over what another station stored since, nor onto
// another date's page, and sees other stations' changes without doing anything. On both engines.
class StationsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> folder;
    QString dbPath;
    bool m_onServer;

    QString storedCell(const QDate &d, int row, int col)
    {
        Database db(dbPath);
        const auto cells = PageText::parse(
            db.scalar(QStringLiteral("SELECT \"Data\" FROM \"tbl_Appt\" WHERE caldate = ?"), {d}).toString());
        return cells.value(row - PageModel::TextTopRow).value(col - 1);
    }

public:
    explicit StationsTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void init()
    {
        folder = std::make_unique<TestFolder>();
        dbPath = seedShared(*folder, m_onServer);
    }

    void staleTypedTextOverAChangedCellAsksAgainOnWhatIsStored()
    {
        Station a(dbPath);
        Station b(dbPath);
        QVERIFY(a.page.openDate(Monday));
        QVERIFY(b.page.openDate(Monday));
        QCOMPARE(b.page.saveCellContent(LastRow, 2, QStringLiteral("Call Bob")), DayPage::CellSave::Stored);

        QStringList shownInBox;
        connect(&a.page, &DayPage::cellTextShown, this, [&](const QString &t) { shownInBox << t; });
        // While a's user reads the question, b changes the cell again.
        a.dialogs.onMessage = [&](const QString &) {
            a.dialogs.onMessage = nullptr;
            b.dialogs.answer(Dialogs::AnsYes);
            QCOMPARE(b.page.saveCellContent(LastRow, 2, QStringLiteral("Call Bob back")), DayPage::CellSave::Stored);
        };
        a.dialogs.answer(Dialogs::AnsYes);
        a.dialogs.answer(Dialogs::AnsNo);
        QCOMPARE(a.page.saveCellContent(LastRow, 2, QStringLiteral("Tyres in")), DayPage::CellSave::Declined);
        QCOMPARE(shownInBox, QStringList({QStringLiteral("Call Bob"), QStringLiteral("Call Bob back")}));
        QCOMPARE(a.dialogs.count(), 2);
        QCOMPARE(a.dialogs.last().title, QStringLiteral("Booking"));
        QCOMPARE(a.dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(storedCell(Monday, LastRow, 2), QStringLiteral("Call Bob back"));
        QCOMPARE(a.grid().text(LastRow, 2), QStringLiteral("Call Bob back"));

        a.dialogs.answer(Dialogs::AnsYes);
        QCOMPARE(a.page.saveCellContent(LastRow, 2, QStringLiteral("Tyres in")), DayPage::CellSave::Stored);
        QCOMPARE(storedCell(Monday, LastRow, 2), QStringLiteral("Tyres in"));
    }

    void pageDeletedUnderAnIdleStationIsNeverWrittenAsAnotherDate()
    {
        Station a(dbPath);
        QVERIFY(a.page.openDate(Monday));
        const qint64 id = a.page.record().id;
        // Housekeeping removes the page; the next page made gets the same record id.
        Database other(dbPath);
        other.execute(QStringLiteral("DELETE FROM \"tbl_Appt\" WHERE caldate = ?"), {Monday});
        Station b(dbPath);
        QVERIFY(b.page.openDate(NextMonday));
        other.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET rid = ? WHERE caldate = ?"), {id, NextMonday});
        const QString before =
            other
                .scalar(QStringLiteral("SELECT \"Data\" || \"Color\" FROM \"tbl_Appt\" WHERE caldate = ?"),
                        {NextMonday})
                .toString();

        // a, still showing Monday, paints a slot and clears a typed cell.
        a.grid().setCurrentCell(10, 1);
        a.page.setBookingColor(0x80FF80);
        a.page.spanChoice() = {1, 0x80FF80};
        a.page.setCellColor();
        QCOMPARE(a.dialogs.texts(), QStringList{Changed});
        a.grid().setCurrentCell(PageModel::HoursStartRow, 1);
        a.page.deleteCell();

        QCOMPARE(other
                     .scalar(QStringLiteral("SELECT \"Data\" || \"Color\" FROM \"tbl_Appt\" WHERE caldate = ?"),
                             {NextMonday})
                     .toString(),
                 before);
        // a shows Monday again, as stored now, and its writes go there.
        QCOMPARE(a.page.record().date, Monday);
        QVERIFY(a.page.record().id != id);
        QCOMPARE(storedCell(Monday, PageModel::HoursStartRow, 1), QString());
        QCOMPARE(storedCell(NextMonday, PageModel::HoursStartRow, 1), QStringLiteral("8"));
    }

    void saveDoesNotReopenAPageAnotherStationClosed()
    {
        Station a(dbPath);
        Station b(dbPath);
        QVERIFY(a.page.openDate(Monday));
        QVERIFY(b.page.openDate(Monday));
        b.page.setClosed(true);
        a.grid().setCurrentCell(LastRow, 1);
        a.grid().setText(LastRow, 1, QStringLiteral("Van wash"));
        a.page.saveGridData();
        Database db(dbPath);
        QCOMPARE(db.scalar(QStringLiteral("SELECT \"Clinic\" FROM \"tbl_Appt\" WHERE caldate = ?"), {Monday}).toInt(),
                 1);
        QCOMPARE(storedCell(Monday, LastRow, 1), QStringLiteral("Van wash"));
    }

    void otherStationsChangesAreShownWithoutMovingTheCell()
    {
        Station a(dbPath);
        Station b(dbPath);
        QVERIFY(a.page.openDate(Monday));
        QVERIFY(b.page.openDate(Monday));
        a.grid().setCurrentCell(20, 3);
        a.grid().setTopRow(12);
        QVERIFY(!a.page.pollChanges());

        // Commits that leave the page alone cost no redraw.
        Database other(dbPath);
        other.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Bookno\" = '2002'"));
        QVERIFY(b.page.openDate(NextMonday));
        QVERIFY(!a.page.pollChanges());

        QVERIFY(b.page.openDate(Monday));
        b.grid().setCurrentCell(9, 2);
        QVERIFY(b.page.claimSlot(9, 2));
        b.grid().setCellBackColor(11, 4, 0x80FF80);
        b.page.saveCellColor();
        QVERIFY(a.page.pollChanges());
        QCOMPARE(a.grid().text(9, 2), QStringLiteral("Engaged"));
        QCOMPARE(a.grid().cellBackColor(11, 4), qint64(0x80FF80));
        QCOMPARE(a.grid().row(), 20);
        QCOMPARE(a.grid().col(), 3);
        QCOMPARE(a.grid().topRow(), 12);
        QVERIFY(!a.page.pollChanges());
        // What a shows is its base for the next write: clearing the claim is its own change.
        a.grid().setCurrentCell(9, 2);
        a.page.deleteCell();
        QCOMPARE(a.dialogs.count(), 0);
        QCOMPARE(storedCell(Monday, 9, 2), QString());

        // a's own colour written over b's newer text: b's text is still shown, and a's Enter on
        // it opens b's booking instead of taking the slot as free.
        QVERIFY(b.page.openDate(Monday));
        b.grid().setText(10, 3, QStringLiteral("Bob"));
        b.page.saveGridData();
        a.grid().setCellBackColor(11, 1, 0x80FF80);
        a.page.saveCellColor();
        QVERIFY(a.page.pollChanges());
        QCOMPARE(a.grid().text(10, 3), QStringLiteral("Bob"));
        a.grid().setCellBackColor(11, 2, 0x80FF80);
        a.page.saveCellColor();
        QCOMPARE(a.page.enterSlot(10, 3), DayPage::SlotEnter::Booked);
        QCOMPARE(storedCell(Monday, 10, 3), QStringLiteral("Bob"));
    }

    void pageReadMeetingALockIsNotShownAsABookableGrid()
    {
        Station a(dbPath);
        QVERIFY(a.page.openPage(Monday));
        // Another station commits for longer than reads wait.
        Database other(dbPath);
        holdEverything(other);
        a.page.populateGrid();
        other.abandon();
        QCOMPARE(a.dialogs.count(), 1);
        QCOMPARE(a.dialogs.last().title, QStringLiteral("PopulateGrid"));
        QVERIFY(a.dialogs.last().text.startsWith(QStringLiteral("3186: ")));
        QVERIFY(!a.page.hasPage());
        QCOMPARE(a.page.enterSlot(8, 6), DayPage::SlotEnter::NotSlot);
        QCOMPARE(a.page.enterSlot(8, 1), DayPage::SlotEnter::NotSlot);
        QVERIFY(!storedCell(Monday, 8, 1).startsWith(QStringLiteral("Engaged")));
        // Once the file is free the page is laid out again by itself.
        QVERIFY(a.page.pollChanges());
        QVERIFY(a.page.hasPage());
        QCOMPARE(a.grid().cols(), 5);
        QCOMPARE(a.page.enterSlot(8, 1), DayPage::SlotEnter::Claimed);
    }
};
class StationsTestFile : public StationsTest {
    Q_OBJECT
public:
    StationsTestFile() : StationsTest(false) {}
};
class StationsTestPg : public StationsTest {
    Q_OBJECT
public:
    StationsTestPg() : StationsTest(true) {}
};
static testreg::AddOnBothEngines<StationsTestFile, StationsTestPg> s_stations("StationsTest", "StationsTestPg");
#include "StationsTest.moc"
