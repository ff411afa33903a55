// A station on a database server as a site runs it: logged in as a role with rights on records
// only, and a server that stops answering in the middle of a save.
#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"

#include <QFile>
#include <QTest>

using namespace BookingEntry;

namespace {
constexpr int Used = 3;

BookingEntries booking(const QString &name, const QString &hours)
{
    BookingEntries e = emptyBookingEntries();
    e[Name] = name;
    e[time(0)] = hours;
    e[TTime] = BookingFlow::totalTime(e);
    return e;
}

} // namespace

class ServerStationTest : public QObject {
    Q_OBJECT
private slots:
    void stationRoleBooksAndBacksUp()
    {
        TestFolder folder;
        pointStationAt(folder, true);
        PgServer::instance()->useStationRole(Database::sharedIn(folder.path()));
        BookingStation s(folder);
        auto flow = s.openSlot(8, 2);
        QVERIFY(flow);
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(booking(QStringLiteral("Ann Lee"), QStringLiteral("1.5"))),
                 BookingFlow::Outcome::Closed);
        QVERIFY2(s.dialogs.texts().isEmpty(), qPrintable(s.dialogs.texts().join(QLatin1Char('\n'))));
        QCOMPARE(storedText(folder, 8, 2), QStringLiteral("Ann Lee"));

        const QString copy = folder.file(QStringLiteral("backup.mdb"));
        s.db.snapshotTo(copy);
        Database backup(copy);
        QCOMPARE(backup
                     .scalar(QStringLiteral("SELECT bName FROM tbl_Job WHERE bDate = ? AND bCol = 2 AND bRow = 8"),
                             {bookingDay()})
                     .toString(),
                 QStringLiteral("Ann Lee"));
    }

    // The question comes while the server is silent, with the form and what was typed still
    // open behind it; Retry once the server answers again goes on with the save, which stores
    // the booking whole and once.
    void silentServerDuringSaveAsksAndGoesOnAfterRetry()
    {
        TestFolder folder;
        pointStationAt(folder, true);
        const QString conn = Database::sharedIn(folder.path());
        QFile f(conn);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray address = f.readAll().trimmed();
        f.close();
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(address + "&connect_timeout=2\n");
        f.close();

        BookingStation s(folder);
        auto flow = s.openSlot(8, 2);
        QVERIFY(flow);
        flow->timeEdited();
        const BookingEntries form = booking(QStringLiteral("Ann Lee"), QStringLiteral("1.5"));
        bool askedWhileSilent = false;
        BookingFlow::Outcome first;
        {
            FrozenServer frozen;
            Database::setNoAnswerHandler([&] {
                askedWhileSilent = !frozen.thawed();
                frozen.now();
                return s.dialogs.askServerRetry();
            });
            s.dialogs.answer(Dialogs::AnsRetry);
            first = flow->saveCommand(form);
        }
        Database::setNoAnswerHandler({});
        QVERIFY(askedWhileSilent);
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("The database server does not answer.")});
        QCOMPARE(s.dialogs.last().buttons, Dialogs::RetryExit);
        QCOMPARE(first, BookingFlow::Outcome::Closed);
        QCOMPARE(storedText(folder, 8, 2), QStringLiteral("Ann Lee"));
        QCOMPARE(storedText(folder, Used, 2), QStringLiteral("1.5"));
    }
};

static testreg::AddOnServer<ServerStationTest> s_serverStation("ServerStationTest");
#include "ServerStationTest.moc"
