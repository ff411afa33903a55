// A station on a database server as a site runs it: logged in as a role with rights on records
// only, and a server that stops answering in the middle of a save.
#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"
#include "daypage/PageModel.h"
#include "daypage/PageStore.h"
#include "store/BookingStore.h"
#include "store/CustomerStore.h"
#include "store/Schema.h"

#include <QFile>
#include <QTest>
#include <thread>

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
        const QString conn = Database::sharedIn(folder.path());
        {
            // A database of an older shape: the station's role may not bring it up to date and
            // says who may; the owner does.
            Database owner(conn);
            owner.execute(QStringLiteral("UPDATE torvane_schema SET version = ?"), {Schema::SharedVersion - 1});
            PgServer::instance()->useStationRole(conn);
            Database station(conn);
            try {
                Schema::upgradeShared(station);
                QFAIL("the station's role changed the tables' shape");
            } catch (const AppError &e) {
                QVERIFY2(e.description().contains(QStringLiteral("torvane-migrate --upgrade")),
                         qPrintable(e.description()));
            }
            QVERIFY(Schema::upgradeShared(owner));
        }
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

    // A station in the middle of writing one page holds up no station writing another: with no
    // patience for any lock, a whole booking on the next day goes through while the first
    // station's transaction, with its page, booking and customer written, stays open. Its page,
    // and a writer of the whole database, still wait for it.
    void stationsOnDifferentPagesDoNotWaitForEachOther()
    {
        TestFolder folder;
        pointStationAt(folder, true);
        const QString conn = Database::sharedIn(folder.path());
        const QDate dayA = bookingDay(), dayB = bookingDay().addDays(1);
        BookingStation b(folder, dayB);
        BookingStation onA(folder, dayA);

        Database a(conn);
        a.begin(dayA);
        const PageKey keyA = PageStore(a).find(dayA)->key();
        const int rows = int(onA.page.model().pageCells().size()), cols = onA.page.model().lastCol();
        QVERIFY(
            PageStore(a).claimCell(keyA, rows, cols, 6 - PageModel::TextTopRow, 0, BookingFlow::Engaged, {}).claimed);
        StoredBooking held;
        held.date = dayA;
        held.col = 1;
        held.row = 6;
        held.fields[BookingField::Name] = QStringLiteral("Ann Lee");
        BookingStore(a).insert(held);

        struct NoPatience {
            NoPatience() { Database::setLockPatience(0); }
            ~NoPatience() { Database::setLockPatience(Database::DefaultLockPatienceMs); }
        } noPatience;
        QVERIFY2(b.book(8, 2, booking(QStringLiteral("Bob Day"), QStringLiteral("1"))),
                 qPrintable(b.dialogs.texts().join(QLatin1Char('\n'))));
        QCOMPARE(b.storedText(8, 2), QStringLiteral("Bob Day"));
        QCOMPARE(errorOf([&] { onA.book(10, 2, booking(QStringLiteral("Cy Fox"), QStringLiteral("1"))); }),
                 ErrNo::RecordLocked);
        Database whole(conn);
        QCOMPARE(errorOf([&] { whole.begin(); }), ErrNo::RecordLocked);

        a.commit();
        QCOMPARE(storedText(folder, 6, 1), BookingFlow::Engaged);
        QCOMPARE(BookingStore(whole).nameAt(dayA, 1, 6).value_or(QString()), QStringLiteral("Ann Lee"));
        QVERIFY(onA.book(10, 2, booking(QStringLiteral("Cy Fox"), QStringLiteral("1"))));
    }

    // Two stations saving the same new customer at once on different pages: the second waits
    // for the first's row and then updates it; neither save fails, the newer visit's details stay.
    void theSameCustomerSavedOnTwoPagesAtOnceLandsOnce()
    {
        TestFolder folder;
        pointStationAt(folder, true);
        const QString conn = Database::sharedIn(folder.path());
        const QDate dayA = bookingDay(), dayB = bookingDay().addDays(1);
        Database a(conn);
        a.begin(dayA);
        CustomerStore(a).remember(dayA,
                                  {QStringLiteral("Dee Ray"), QStringLiteral("555 0100"), {}, {}, {}, {}, {}, {}, {}});
        QString failed;
        std::thread later([&] {
            try {
                Database d(conn);
                retryOnLock([&] {
                    WriteTransaction tx(d, dayB);
                    CustomerStore(d).remember(dayB, {QStringLiteral("Dee Ray"),
                                                     QStringLiteral("555 0100"),
                                                     QStringLiteral("1 High St"),
                                                     {},
                                                     {},
                                                     {},
                                                     {},
                                                     {},
                                                     {}});
                    tx.commit();
                });
            } catch (const AppError &e) {
                failed = e.description();
            }
        });
        // Committed only once the other station waits for the row.
        QTRY_VERIFY(a.scalar(QStringLiteral("SELECT count(*) FROM pg_locks WHERE NOT granted")).toInt() > 0);
        a.commit();
        later.join();
        QCOMPARE(failed, QString());
        const ResultRows stored =
            a.select(QStringLiteral("SELECT \"cAddress\", \"lastVisit\" FROM \"tbl_Customer\" WHERE \"cName\" = ?"),
                     {QStringLiteral("Dee Ray")});
        QCOMPARE(stored.rows.size(), 1);
        QCOMPARE(stored.rows[0][0].toString(), QStringLiteral("1 High St"));
        QCOMPARE(stored.rows[0][1].toString(), dayB.toString(Qt::ISODate));
    }
};

static testreg::AddOnServer<ServerStationTest> s_serverStation("ServerStationTest");
#include "ServerStationTest.moc"
