// A claim ("Engaged") whose station has stopped does not block its slot: the next station to
// press Enter on it takes it over, and a booking saved under it shows its name again. A station
// of another machine has stopped only when its heartbeat has.
#include "BookingStation.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <cstdio>

using namespace BookingEntry;

namespace {
// A station in a process of its own: registers, claims the slot, says so and waits to be killed.
int claimAndWait(const QStringList &args)
{
    ScriptedDialogs dialogs;
    AppState state;
    DayPage page(state);
    state.setDialogs(&dialogs);
    Database db(args.at(0));
    state.registration().id = StationRegistry::add(db);
    page.openDatabase(args.at(0));
    page.readLocation();
    page.openDate(bookingDay());
    if (page.enterSlot(args.at(1).toInt(), args.at(2).toInt()) != DayPage::SlotEnter::Claimed)
        return 1;
    std::printf("claimed %lld\n", state.registration().id);
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}
testreg::AddChild s_claimAndWait("claim-and-wait", claimAndWait);

qint64 claimHolder(Database &db, int row, int col)
{
    return db
        .scalar(QStringLiteral("SELECT station FROM \"tbl_Claim\" WHERE caldate = ? AND slotrow = ? AND slotcol = ?"),
                {bookingDay(), row, col})
        .toLongLong();
}
} // namespace

class StrandedClaimTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit StrandedClaimTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void claimOfAKilledStationIsTakenOverAndBooked()
    {
        TestFolder folder;
        seedShared(folder, m_onServer);
        BookingStation b(folder);
        b.state.registration().id = StationRegistry::add(b.db);

        QProcess a;
        a.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QStringLiteral("claim-and-wait"), Database::sharedIn(folder.path()),
                 QStringLiteral("8"), QStringLiteral("2")});
        QVERIFY(a.waitForReadyRead(60000));
        const QByteArray said = a.readLine().trimmed();
        QVERIFY2(said.startsWith("claimed "), said.constData());
        const qint64 aId = said.mid(8).toLongLong();
        QCOMPARE(claimHolder(b.db, 8, 2), aId);

        // While that station runs its claim stands.
        QCOMPARE(b.booking.claimSlot(8, 2), BookingPage::Claim::Engaged);
        QCOMPARE(claimHolder(b.db, 8, 2), aId);

        a.kill();
        QVERIFY(a.waitForFinished(60000));
        // Its process is gone: no need to wait for its heartbeat to go stale.
        auto flow = b.openSlot(8, 2);
        QVERIFY(flow);
        QCOMPARE(claimHolder(b.db, 8, 2), b.state.registration().id);
        BookingEntries form = flow->loadedForm();
        form[Name] = QStringLiteral("Kim Took");
        form[time(0)] = QStringLiteral("1");
        form[TTime] = BookingFlow::totalTime(form);
        flow->recordEdited();
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::Closed);
        flow->closing(form[Name]);
        QCOMPARE(b.storedText(8, 2), QStringLiteral("Kim Took"));
    }

    void bookingUnderAStaleClaimShowsItsNameAgain()
    {
        TestFolder folder;
        seedShared(folder, m_onServer);
        BookingStation a(folder), b(folder);
        a.state.registration().id = StationRegistry::add(a.db);
        // a runs on another machine: its process id tells nothing here, only its beat does.
        moveToAnotherMachine(a.db, a.state.registration().id);
        b.state.registration().id = StationRegistry::add(b.db);
        b.state.registration().timeoutMs = 60000;

        QCOMPARE(a.booking.claimSlot(9, 3), BookingPage::Claim::Claimed);
        // The record was saved, the name never reached the cell (a program that wrote them apart).
        a.db.execute(QStringLiteral("INSERT INTO \"tbl_Job\" (\"bDate\", \"bCol\", \"bRow\", \"bName\", \"bTTime\") "
                                    "VALUES (?, 3, 9, ?, '1.5')"),
                     {bookingDay(), QStringLiteral("Ann Stale")});
        QCOMPARE(b.booking.claimSlot(9, 3), BookingPage::Claim::Engaged);
        auto stranded = a.openSlot(10, 3);
        QVERIFY(stranded);

        // a stops beating: its last beat is now older than b's timeout.
        b.db.execute(QStringLiteral("UPDATE \"tbl_Station\" SET beat = beat - 61000 WHERE id = ?"),
                     {a.state.registration().id});
        QCOMPARE(b.booking.claimSlot(9, 3), BookingPage::Claim::Booked);
        QCOMPARE(b.grid().text(9, 3), QStringLiteral("Ann Stale"));
        QCOMPARE(a.storedText(9, 3), QStringLiteral("Ann Stale"));
        QCOMPARE(b.db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Claim\" WHERE slotrow = 9")).toInt(), 0);

        // b takes a's other claim over; a, back, gives up its form: b's claim stands.
        QCOMPARE(b.booking.claimSlot(10, 3), BookingPage::Claim::Claimed);
        stranded->closing(QString());
        QCOMPARE(b.storedText(10, 3), QStringLiteral("Engaged"));
    }
};
class StrandedClaimTestFile : public StrandedClaimTest {
    Q_OBJECT
public:
    StrandedClaimTestFile() : StrandedClaimTest(false) {}
};
class StrandedClaimTestPg : public StrandedClaimTest {
    Q_OBJECT
public:
    StrandedClaimTestPg() : StrandedClaimTest(true) {}
};
static testreg::AddOnBothEngines<StrandedClaimTestFile, StrandedClaimTestPg> s_stranded("StrandedClaimTest",
                                                                                        "StrandedClaimTestPg");
#include "StrandedClaimTest.moc"
