#include "BookingStation.h"
#include "booking/BookingTimes.h"
#include "daypage/PageText.h"
#include "store/Recordset.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include <latch>
#include <thread>
#include <vector>

using namespace BookingEntry;

namespace {
constexpr int Used = 3;

BookingEntries form(const QString &name, const QString &hours)
{
    BookingEntries e = emptyBookingEntries();
    e[Name] = name;
    e[Phone] = QStringLiteral("555-0101");
    e[time(0)] = hours;
    e[TTime] = BookingFlow::totalTime(e);
    return e;
}

// Station s has the record of the cell open, as a form opened before another station acted.
std::unique_ptr<BookingFlow> holdRecord(BookingStation &s, int row, int col)
{
    auto flow = std::make_unique<BookingFlow>(s.state, s.booking, s.desk, BookingCell{bookingDay(), row, col, 0, {}});
    return flow->open() ? std::move(flow) : nullptr;
}
} // namespace

// Two stations on one shared database, each with its own values, dialogs, page and connections:
// the claim of a slot, the checks on Save and the engine errors on booking records, and that
// nothing one station saved is lost or booked twice by the other. On both engines.
class BookingContentionTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;
    bool m_onServer;

    QString shared() const { return Database::sharedIn(m_folder->path()); }
    ResultRows jobs(int col, int row)
    {
        Database db(shared());
        return db.select(QStringLiteral("SELECT \"bName\", \"bTTime\", \"bPhone\" FROM \"tbl_Job\" "
                                        "WHERE \"bDate\" = ? AND \"bCol\" = ? AND \"bRow\" = ?"),
                         {bookingDay(), col, row});
    }

    ResultRows record(int col, int row)
    {
        Database db(shared());
        return db.select(QStringLiteral("SELECT * FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bCol\" = ? AND "
                                        "\"bRow\" = ?"),
                         {bookingDay(), col, row});
    }

public:
    explicit BookingContentionTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder, m_onServer);
    }

    // The slot a station claims shows "Engaged" elsewhere and opens nowhere else; Esc frees it for
    // the others. A release empties only its own claim: a name typed over it meanwhile stays.
    void escAtTheFirstStationFreesTheSlotForTheSecond()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(8, 2);
        QVERIFY(first);
        QVERIFY(!b.openSlot(8, 2));
        QCOMPARE(b.grid().text(8, 2), QStringLiteral("Engaged"));
        QCOMPARE(b.dialogs.count(), 0);
        QVERIFY(jobs(2, 8).isEmpty()); // a's record is stored with its booking
        QCOMPARE(first->exitForm(BookingFlow::initialForm()), BookingFlow::Outcome::Closed);
        first->closing(QString());
        QCOMPARE(a.grid().text(8, 2), QString());
        QCOMPARE(a.grid().cellBackColor(8, 2), FreeSlotColor);
        QCOMPARE(b.storedText(8, 2), QString());
        QVERIFY(jobs(2, 8).isEmpty());
        QVERIFY(b.openSlot(8, 2));

        auto second = a.openSlot(9, 2);
        QVERIFY(second);
        b.dialogs.answer(Dialogs::AnsYes); // replace the entry
        QCOMPARE(b.page.saveCellContent(9, 2, QStringLiteral("Walk In")), DayPage::CellSave::Stored);
        QCOMPARE(second->exitForm(BookingFlow::initialForm()), BookingFlow::Outcome::Closed);
        second->closing(QString());
        QCOMPARE(b.storedText(9, 2), QStringLiteral("Walk In"));
    }

    void saveOverAnotherStationsBookingIsRefusedAndCopied()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(9, 1);
        auto second = holdRecord(b, 9, 1); // b had the record open before a saved
        QVERIFY(second);
        first->timeEdited();
        QCOMPARE(first->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1"))),
                 BookingFlow::Outcome::Closed);
        first->closing(QStringLiteral("Ann Lee"));

        const BookingEntries mine = form(QStringLiteral("Bob Hart"), QStringLiteral("2"));
        second->timeEdited();
        QCOMPARE(second->saveCommand(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Command Save"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("A booking has just been been made for this timeslot! Your "
                                                       "current data will be copied for pasting to another timeslot."));
        QCOMPARE(toList(b.desk.clip()), toList(mine));
        QVERIFY(b.page.bookingCellToReturnTo());
        QCOMPARE(jobs(1, 9).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(jobs(1, 9).value(0, "bTTime").toString(), QStringLiteral("1"));
        QCOMPARE(b.storedText(9, 1), QStringLiteral("Ann Lee"));
        QCOMPARE(b.storedText(Used, 1), QStringLiteral("1"));
    }

    void bookingSavedBetweenTheNameCheckAndTheWriteIsNotOverwritten()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(9, 1);
        auto second = holdRecord(b, 9, 1);
        first->timeEdited();
        first->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1")));
        // b's Save command found the name empty just before a wrote it.
        const BookingEntries mine = form(QStringLiteral("Bob Hart"), QStringLiteral("2"));
        second->timeEdited();
        QCOMPARE(second->saveBooking(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("3197 Another user has just booked an appointment for this "
                                                       "timeslot! Your current data will be copied for pasting to "
                                                       "another timeslot."));
        QCOMPARE(toList(b.desk.clip()), toList(mine));
        QCOMPARE(jobs(1, 9).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(b.storedText(Used, 1), QStringLiteral("1"));
    }

    // Station b opens a saved booking, a corrects its name and adds a phone, b adds a comment:
    // b's save writes nothing over a's, keeps b's data for pasting and shows what is stored;
    // saved again from there, both edits stand. A delete from a form opened before is refused
    // the same way.
    void editsOfOneBookingAtTwoStationsAreNeverLost()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        QVERIFY(a.book(9, 1, form(QStringLiteral("John Smyth"), QStringLiteral("1"))));

        auto atB = b.openSlot(9, 1);
        auto atA = a.openSlot(9, 1);
        QVERIFY(atA && atB);
        BookingEntries corrected = atA->loadedForm();
        corrected[Name] = QStringLiteral("John Smythe");
        corrected[Phone] = QStringLiteral("905-555-0199");
        QCOMPARE(atA->saveCommand(corrected), BookingFlow::Outcome::Closed);
        atA->closing(QString());
        QCOMPARE(a.dialogs.texts(), QStringList());

        BookingEntries commented = atB->loadedForm();
        commented[Comments] = QStringLiteral("Waiting in the lounge");
        QCOMPARE(atB->saveCommand(commented), BookingFlow::Outcome::Reloaded);
        const QString changedText = QStringLiteral("Another station has changed this booking. Your changes have been "
                                                   "kept for pasting; the form now shows what is stored.");
        QCOMPARE(b.dialogs.texts(), QStringList{changedText});
        QCOMPARE(b.dialogs.last().buttons, Dialogs::Ok);
        QCOMPARE(toList(b.desk.clip()), toList(commented));
        const BookingEntries shown = atB->loadedForm();
        QCOMPARE(shown[Name], QStringLiteral("John Smythe"));
        QCOMPARE(shown[Phone], QStringLiteral("905-555-0199"));
        QCOMPARE(shown[Comments], QString());
        QCOMPARE(record(1, 9).value(0, "bComments").toString(), QString());

        auto staleDelete = a.openSlot(9, 1);
        BookingEntries again = shown;
        again[Comments] = QStringLiteral("Waiting in the lounge");
        QCOMPARE(atB->saveCommand(again), BookingFlow::Outcome::Closed);
        const ResultRows saved = record(1, 9);
        QCOMPARE(saved.value(0, "bName").toString(), QStringLiteral("John Smythe"));
        QCOMPARE(saved.value(0, "bPhone").toString(), QStringLiteral("905-555-0199"));
        QCOMPARE(saved.value(0, "bComments").toString(), QStringLiteral("Waiting in the lounge"));
        QCOMPARE(b.storedText(9, 1), QStringLiteral("John Smythe"));

        a.dialogs.answer(Dialogs::AnsYes);
        QCOMPARE(staleDelete->deleteCommand(staleDelete->loadedForm()), BookingFlow::Outcome::Reloaded);
        QCOMPARE(a.dialogs.last().text, changedText);
        QCOMPARE(staleDelete->loadedForm()[Comments], QStringLiteral("Waiting in the lounge"));
        QCOMPARE(record(1, 9).rows.size(), 1);
        QCOMPARE(b.storedText(9, 1), QStringLiteral("John Smythe"));
        QCOMPARE(b.storedText(Used, 1), QStringLiteral("1"));
    }

    // The Delete key on a booked slot takes the whole booking or nothing: after No everything
    // stays, after Yes the record, its hours and its span go with the name. A claim is emptied
    // without a question, as before.
    void deleteKeyOnABookedSlotDeletesTheWholeBookingOrNothing()
    {
        BookingStation a(*m_folder);
        QVERIFY(a.book(10, 4, form(QStringLiteral("Ann Lee"), QStringLiteral("1"))));

        BookingStation b(*m_folder);
        b.grid().setCurrentCell(10, 4);
        b.dialogs.answer(Dialogs::AnsNo);
        b.page.deleteCell();
        QCOMPARE(b.dialogs.texts(), QStringList{QStringLiteral("Delete the booking of Ann Lee?")});
        QCOMPARE(b.dialogs.last().buttons, Dialogs::YesNoDefaultNo);
        QCOMPARE(a.storedText(10, 4), QStringLiteral("Ann Lee"));
        QCOMPARE(record(4, 10).rows.size(), 1);

        b.dialogs.answer(Dialogs::AnsYes);
        b.page.deleteCell();
        QVERIFY(record(4, 10).isEmpty());
        QCOMPARE(a.storedText(10, 4), QString());
        QCOMPARE(a.storedText(Used, 4), QStringLiteral("0"));
        QCOMPARE(a.storedColor(11, 4), qint64(FreeSlotColor));
        QCOMPARE(b.grid().text(10, 4), QString());
        // Enter on the emptied slot opens a new booking, not the old one.
        auto fresh = b.openSlot(10, 4);
        QVERIFY(fresh && fresh->newRecord());
        QCOMPARE(fresh->loadedForm()[Name], QString());

        a.page.refreshGrid();
        QCOMPARE(a.grid().text(10, 4), QStringLiteral("Engaged"));
        a.grid().setCurrentCell(10, 4);
        a.page.deleteCell();
        QCOMPARE(a.dialogs.count(), 0);
        QCOMPARE(b.storedText(10, 4), QString());
    }

    // A customer called like the claim mark would vanish behind it: refused, nothing stored.
    void theClaimMarkIsNoCustomerName()
    {
        BookingStation a(*m_folder);
        auto flow = a.openSlot(12, 2);
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(form(QStringLiteral(" engaged "), QStringLiteral("1"))),
                 BookingFlow::Outcome::NameMissing);
        QVERIFY(a.dialogs.last().text.contains(QStringLiteral("cannot be a customer name")));
        QVERIFY(record(2, 12).isEmpty());
        QCOMPARE(flow->saveCommand(form(QStringLiteral("Engaged Motors"), QStringLiteral("1"))),
                 BookingFlow::Outcome::Closed);
        flow->closing(QString());
        QCOMPARE(a.storedText(12, 2), QStringLiteral("Engaged Motors"));
    }

    // A form shows the record as read when it opened, whoever commits afterwards, and a record
    // that stays unreadable under another station's commit closes the form with nothing written.
    void aBookingOpensWholeOrNotAtAll()
    {
        if (m_onServer)
            QSKIP("Readers never wait for a writer on the server.");
        BookingStation a(*m_folder);
        QVERIFY(a.book(9, 2, form(QStringLiteral("Ann Lee"), QStringLiteral("1"))));

        auto opened = holdRecord(a, 9, 2);
        QVERIFY(opened);
        Database other(shared());
        other.execute(QStringLiteral("BEGIN EXCLUSIVE")); // a commit in progress: no reader gets in
        QCOMPARE(opened->loadedForm()[Phone], QStringLiteral("555-0101"));
        QVERIFY(!holdRecord(a, 9, 2));
        other.execute(QStringLiteral("ROLLBACK"));
        QVERIFY(a.dialogs.last().text.startsWith(QStringLiteral("3186 Another user has currently occupied")));
        QCOMPARE(record(2, 9).value(0, "bPhone").toString(), QStringLiteral("555-0101"));
    }

    void recordHeldByAnotherStationKeepsTheFormOpen()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto flow = a.openSlot(10, 3);
        b.db.begin(); // b is writing
        flow->timeEdited();
        const BookingEntries mine = form(QStringLiteral("Ann Lee"), QStringLiteral("1.5"));
        QCOMPARE(flow->saveCommand(mine), BookingFlow::Outcome::StayOpen);
        b.db.rollback();
        QCOMPARE(a.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(a.dialogs.last().text, QStringLiteral("Error Number: 3186 - Another user is currently updating this "
                                                       "record. Please wait a while and try again..."));
        QVERIFY(!a.page.bookingCellToReturnTo());
        QCOMPARE(toList(a.desk.clip()), toList(mine));
        QCOMPARE(jobs(3, 10).value(0, "bName").toString(), QString(""));
        QCOMPARE(flow->saveCommand(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.storedText(10, 3), QStringLiteral("Ann Lee"));
        QCOMPARE(b.storedText(Used, 3), QStringLiteral("1.5"));
    }

    void recordDeletedMeanwhileIsMadeAgainForTheSameCell()
    {
        BookingStation a(*m_folder);
        QVERIFY(a.book(11, 4, form(QStringLiteral("Ann Lee"), QStringLiteral("2"))));

        BookingStation b(*m_folder);
        auto changing = a.openSlot(11, 4);
        auto deleting = b.openSlot(11, 4);
        QVERIFY(changing && deleting);
        b.dialogs.answer(Dialogs::AnsYes);
        QCOMPARE(deleting->deleteCommand(deleting->loadedForm()), BookingFlow::Outcome::Closed);
        QVERIFY(deleting->deleted());
        QCOMPARE(b.storedText(Used, 4), QStringLiteral("0"));

        changing->timeEdited();
        const BookingEntries mine = form(QStringLiteral("Ann Lee"), QStringLiteral("3"));
        QCOMPARE(changing->saveCommand(mine), BookingFlow::Outcome::Closed);
        QVERIFY(a.dialogs.last().text.startsWith(QStringLiteral("3167: Error Description ")));
        QCOMPARE(a.dialogs.last().title, QStringLiteral("Save Booking"));
        const ResultRows made = jobs(4, 11);
        QCOMPARE(made.rows.size(), 1);
        QCOMPARE(made.value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(made.value(0, "bTTime").toString(), QStringLiteral("3"));
        QCOMPARE(b.storedText(11, 4), QStringLiteral("Ann Lee"));
        // Hours follow the records: 2 added, 2 given back by the delete, 3 for the new record.
        QCOMPARE(b.storedText(Used, 4), QStringLiteral("3"));
    }

    // Deleted at another station and the slot booked again since: a form still open on the old
    // booking never writes over the new one.
    void aSlotBookedAgainAfterADeleteIsNotWrittenOver()
    {
        BookingStation a(*m_folder);
        QVERIFY(a.book(11, 4, form(QStringLiteral("Ann Lee"), QStringLiteral("2"))));

        BookingStation b(*m_folder);
        auto stale = holdRecord(b, 11, 4);
        auto deleting = a.openSlot(11, 4);
        a.dialogs.answer(Dialogs::AnsYes);
        QCOMPARE(deleting->deleteCommand(deleting->loadedForm()), BookingFlow::Outcome::Closed);
        auto rebooked = a.openSlot(11, 4);
        QVERIFY(rebooked);
        rebooked->timeEdited();
        QCOMPARE(rebooked->saveCommand(form(QStringLiteral("Cy Moss"), QStringLiteral("3"))),
                 BookingFlow::Outcome::Closed);
        rebooked->closing(QString());

        BookingEntries mine = stale->loadedForm();
        mine[Comments] = QStringLiteral("Call when ready");
        stale->recordEdited();
        QCOMPARE(stale->saveCommand(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.dialogs.last().text, QStringLiteral("A booking has just been been made for this timeslot! Your "
                                                       "current data will be copied for pasting to another timeslot."));
        QCOMPARE(toList(b.desk.clip()), toList(mine));
        QCOMPARE(jobs(4, 11).value(0, "bName").toString(), QStringLiteral("Cy Moss"));
        QCOMPARE(jobs(4, 11).value(0, "bTTime").toString(), QStringLiteral("3"));
        QCOMPARE(b.storedText(11, 4), QStringLiteral("Cy Moss"));
        QCOMPARE(b.storedText(Used, 4), QStringLiteral("3"));
    }

    void staleDeleteKeepsTheOtherStationsBooking()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto flow = b.openSlot(8, 2);
        QVERIFY(flow);
        a.page.refreshGrid();
        QCOMPARE(a.grid().text(8, 2), QStringLiteral("Engaged"));
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(form(QStringLiteral("Bob Two"), QStringLiteral("1"))), BookingFlow::Outcome::Closed);
        flow->closing(QStringLiteral("Bob Two"));
        // a still shows the claim and presses Delete on it, then paints the slot below.
        QCOMPARE(a.grid().text(8, 2), QStringLiteral("Engaged"));
        a.grid().setCurrentCell(8, 2);
        a.page.deleteCell();
        QCOMPARE(a.dialogs.texts(), QStringList{QStringLiteral("Another station has changed this timeslot. The page "
                                                               "now shows what is stored.")});
        QCOMPARE(a.dialogs.last().title, QStringLiteral("Save Grid Data"));
        QCOMPARE(a.grid().text(8, 2), QStringLiteral("Bob Two"));
        QCOMPARE(a.grid().row(), 8);

        BookingStation c(*m_folder);
        QCOMPARE(c.grid().text(8, 2), QStringLiteral("Bob Two"));
        QCOMPARE(c.grid().cellBackColor(8, 2), qint64(BookingTimes::LightBookingColor));
        QCOMPARE(c.grid().cellBackColor(9, 2), qint64(BookingTimes::LightBookingColor));
        QCOMPARE(c.grid().text(Used, 2), QStringLiteral("1"));
        QCOMPARE(jobs(2, 8).value(0, "bName").toString(), QStringLiteral("Bob Two"));
    }

    void hoursUsedFromTwoStationsAddUp()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        // Both reloaded before either stored its hours.
        a.grid().setText(Used, 1, QStringLiteral("2"));
        b.grid().setText(Used, 1, QStringLiteral("1.5"));
        a.page.saveGridData();
        b.page.saveGridData();
        QCOMPARE(b.grid().text(Used, 1), QStringLiteral("3.5"));
        BookingStation c(*m_folder);
        QCOMPARE(c.grid().text(Used, 1), QStringLiteral("3.5"));
    }

    void claimsRacingFromSeveralStationsHaveOneWinnerEach()
    {
        const QString path = shared();
        BookingStation shown(*m_folder); // makes and lays out the page
        const PageKey key = shown.page.record().key();
        const int rows = int(shown.page.model().pageCells().size()), cols = shown.page.model().lastCol();
        constexpr int Stations = 4;
        for (int row : {6, 8, 10, 12, 16, 18, 20, 22}) {
            // Each station its own connection, all let go at one moment on the same empty slot.
            std::atomic<int> won = 0;
            std::latch start(Stations);
            std::vector<std::thread> stations;
            for (int i = 0; i < Stations; ++i)
                stations.emplace_back([&] {
                    try {
                        Database db(path);
                        PageStore store(db);
                        start.arrive_and_wait();
                        if (store
                                .claimCell(key, rows, cols, row - PageModel::TextTopRow, 1, QStringLiteral("Engaged"),
                                           {})
                                .claimed)
                            ++won;
                    } catch (const AppError &) {
                        // a claim that waited out the others' lock is refused, never doubled
                    }
                });
            for (auto &t : stations)
                t.join();
            QVERIFY2(won == 1, qPrintable(QStringLiteral("row %1 claimed %2 times").arg(row).arg(won)));
            QCOMPARE(shown.storedText(row, 2), QStringLiteral("Engaged"));
        }
    }

    void secondRecordForACellIsRefused()
    {
        BookingStation a(*m_folder);
        auto booked = a.openSlot(13, 1);
        QCOMPARE(booked->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1"))),
                 BookingFlow::Outcome::Closed);
        Recordset other(a.db, QStringLiteral("tbl_Job"));
        other.addNew();
        other.setField(QStringLiteral("bDate"), bookingDay());
        other.setField(QStringLiteral("bCol"), 1);
        other.setField(QStringLiteral("bRow"), 13);
        try {
            other.update();
            QFAIL("a second record for the cell was stored");
        } catch (const AppError &e) {
            QCOMPARE(e.number(), ErrNo::DuplicateKey);
        }
        QCOMPARE(jobs(1, 13).rows.size(), 1);

        // A station that cannot read the record while another one commits is told the slot is
        // occupied; a table gone is named as such.
        BookingStation b(*m_folder);
        Database writer(shared());
        holdEverything(writer);
        QVERIFY(!holdRecord(b, 16, 1));
        writer.abandon();
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Seek Record"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("3186 Another user has currently occupied this timeslot. Please "
                                                       "wait a while and try again, or select another timeslot."));
        writer.execute(QStringLiteral("ALTER TABLE \"tbl_Job\" RENAME TO \"tbl_Job_gone\""));
        QVERIFY(!holdRecord(b, 16, 1));
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Seek Record"));
        QVERIFY2(b.dialogs.last().text.startsWith(QStringLiteral("3078: Error Description ")),
                 qPrintable(b.dialogs.last().text));
    }

    // The page stays locked through every try of the release when the form closes: the slot is
    // not left "Engaged" behind a running station, which no other station may take over. A name
    // typed over the claim before the late release stays.
    void aClaimThePageWasTooBusyToReleaseIsReleasedAtTheNextRefresh()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        for (int row : {10, 11}) {
            auto flow = a.openSlot(row, 3);
            QVERIFY(flow);
            Database other(shared());
            other.begin();
            flow->closing(QString());
            other.commit();
        }
        QCOMPARE(a.dialogs.texts(), QStringList());
        QCOMPARE(b.storedText(10, 3), QStringLiteral("Engaged"));
        b.dialogs.answer(Dialogs::AnsYes); // replace the entry
        QCOMPARE(b.page.saveCellContent(11, 3, QStringLiteral("Drop In")), DayPage::CellSave::Stored);
        a.page.pollChanges();
        QCOMPARE(b.storedText(10, 3), QString());
        QCOMPARE(a.grid().text(10, 3), QString());
        QCOMPARE(b.storedText(11, 3), QStringLiteral("Drop In"));
        QVERIFY(b.openSlot(10, 3));
    }

    void aLockHeldAMomentByAnotherStationIsWaitedOut()
    {
        BookingStation a(*m_folder);
        auto flow = a.openSlot(10, 3);
        QVERIFY(flow);
        std::latch held(1);
        std::thread other([&] {
            Database db(shared());
            db.begin();
            held.count_down();
            // Longer than one wait for the lock, well within the tries a write makes.
            QThread::msleep(400);
            db.commit();
        });
        held.wait();
        flow->timeEdited();
        const auto outcome = flow->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1.5")));
        other.join();
        QCOMPARE(a.dialogs.texts(), QStringList());
        QCOMPARE(outcome, BookingFlow::Outcome::Closed);
        QCOMPARE(jobs(3, 10).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(a.storedText(10, 3), QStringLiteral("Ann Lee"));
    }
};
class BookingContentionTestFile : public BookingContentionTest {
    Q_OBJECT
public:
    BookingContentionTestFile() : BookingContentionTest(false) {}
};
class BookingContentionTestPg : public BookingContentionTest {
    Q_OBJECT
public:
    BookingContentionTestPg() : BookingContentionTest(true) {}
};
static testreg::AddOnBothEngines<BookingContentionTestFile, BookingContentionTestPg>
    s_contention("BookingContentionTest", "BookingContentionTestPg");
#include "BookingContentionTest.moc"
