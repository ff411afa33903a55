#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"
#include "daypage/PageText.h"
#include "store/Recordset.h"

#include <QTest>

using namespace BookingEntry;

namespace {
constexpr int Used = 3;

BookingEntries form(const QString &name, const QString &hours)
{
    BookingEntries e = emptyBookingEntries();
    e[Name] = name;
    e[Phone] = QStringLiteral("555-0101");
    e[time(0)] = hours;
    e[TTime] = BookingFlow::TotalTime(e);
    return e;
}

// Station s has the record of the cell open, as a form opened before another station acted.
std::unique_ptr<BookingFlow> holdRecord(BookingStation &s, int row, int col)
{
    s.state.booking().BookingDate = bookingDay();
    s.state.booking().BookingCol = col;
    s.state.booking().BookingRow = row;
    auto flow = std::make_unique<BookingFlow>(s.state, s.booking, s.db);
    return flow->open() ? std::move(flow) : nullptr;
}
} // namespace

// Two stations on one database file, each with its own values, dialogs, page and connections:
// the claim of a slot, the checks on Save and the engine errors on booking records, and that
// nothing one station saved is lost or booked twice by the other.
class BookingContentionTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;

    ResultRows jobs(int col, int row)
    {
        Database db(m_folder->file(QStringLiteral("db.mdb")));
        return db.select(QStringLiteral("SELECT bName, bTTime, bPhone FROM tbl_Job WHERE bDate = ? AND bCol = ? AND bRow = ?"),
                         {bookingDay(), col, row});
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder);
    }

    void secondStationSeesEngagedAndNothingOpens()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(8, 2);
        QVERIFY(first);
        QVERIFY(!b.openSlot(8, 2));
        QCOMPARE(b.grid().text(8, 2), QStringLiteral("Engaged"));
        QCOMPARE(b.dialogs.count(), 0);
        QCOMPARE(jobs(2, 8).rows.size(), 1);
    }

    void escAtTheFirstStationFreesTheSlotForTheSecond()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(8, 2);
        QVERIFY(!b.openSlot(8, 2));
        QCOMPARE(first->exitForm(BookingFlow::initialForm()), BookingFlow::Outcome::Closed);
        first->closing(QString());
        QCOMPARE(a.grid().text(8, 2), QString());
        QCOMPARE(a.grid().cellBackColor(8, 2), FreeSlotColor);
        QCOMPARE(b.storedText(8, 2), QString());
        QVERIFY(jobs(2, 8).isEmpty());
        QVERIFY(b.openSlot(8, 2));
    }

    void saveOverAnotherStationsBookingIsRefusedAndCopied()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto first = a.openSlot(9, 1);
        auto second = holdRecord(b, 9, 1); // b had the record open before a saved
        QVERIFY(second);
        first->timeChanged = true;
        QCOMPARE(first->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1"))), BookingFlow::Outcome::Closed);
        first->closing(QStringLiteral("Ann Lee"));

        const BookingEntries mine = form(QStringLiteral("Bob Hart"), QStringLiteral("2"));
        second->timeChanged = true;
        QCOMPARE(second->saveCommand(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Command Save"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("A booking has just been been made for this timeslot! Your "
                                                       "current data will be copied for pasting to another timeslot."));
        QCOMPARE(b.state.booking().BookingClip, toList(mine));
        QVERIFY(b.state.booking().BookingClosed);
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
        first->timeChanged = true;
        first->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1")));
        // b's Save command found the name empty just before a wrote it.
        const BookingEntries mine = form(QStringLiteral("Bob Hart"), QStringLiteral("2"));
        second->timeChanged = true;
        QCOMPARE(second->saveBooking(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("3197 Another user has just booked an appointment for this "
                                                       "timeslot! Your current data will be copied for pasting to "
                                                       "another timeslot."));
        QCOMPARE(b.state.booking().BookingClip, toList(mine));
        QCOMPARE(jobs(1, 9).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(b.storedText(Used, 1), QStringLiteral("1"));
    }

    void recordHeldByAnotherStationKeepsTheFormOpen()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        auto flow = a.openSlot(10, 3);
        b.db.begin(); // b is writing
        flow->timeChanged = true;
        const BookingEntries mine = form(QStringLiteral("Ann Lee"), QStringLiteral("1.5"));
        QCOMPARE(flow->saveCommand(mine), BookingFlow::Outcome::StayOpen);
        b.db.rollback();
        QCOMPARE(a.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(a.dialogs.last().text, QStringLiteral("Error Number: 3186 - Another user is currently updating this "
                                                       "record. Please wait a while and try again..."));
        QVERIFY(!a.state.booking().BookingClosed);
        QCOMPARE(a.state.booking().BookingClip, toList(mine));
        QCOMPARE(jobs(3, 10).value(0, "bName").toString(), QString(""));
        QCOMPARE(flow->saveCommand(mine), BookingFlow::Outcome::Closed);
        QCOMPARE(b.storedText(10, 3), QStringLiteral("Ann Lee"));
        QCOMPARE(b.storedText(Used, 3), QStringLiteral("1.5"));
    }

    void recordDeletedMeanwhileIsMadeAgainForTheSameCell()
    {
        BookingStation a(*m_folder);
        auto booked = a.openSlot(11, 4);
        booked->timeChanged = true;
        booked->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("2")));
        booked->closing(QStringLiteral("Ann Lee"));

        BookingStation b(*m_folder);
        auto changing = a.openSlot(11, 4);
        auto deleting = b.openSlot(11, 4);
        QVERIFY(changing && deleting);
        b.dialogs.answer(Dialogs::AnsYes);
        QCOMPARE(deleting->deleteCommand(), BookingFlow::Outcome::Closed);
        QVERIFY(deleting->deleted());
        QCOMPARE(b.storedText(Used, 4), QStringLiteral("0"));

        changing->timeChanged = true;
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

    void staleDeleteAtAnotherStationKeepsTheBooking()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        b.grid().setText(20, 2, QStringLiteral("note"));
        b.page.SaveGridData();
        // a books while b still shows the page without the booking.
        auto flow = a.openSlot(8, 2);
        flow->timeChanged = true;
        flow->saveCommand(form(QStringLiteral("Ann Lee"), QStringLiteral("1")));
        flow->closing(QStringLiteral("Ann Lee"));
        QCOMPARE(b.grid().text(8, 2), QString());
        // Delete key at b on its own cell: the cell emptied and given the grid's colour, page saved.
        b.grid().setCurrentCell(20, 2);
        b.grid().setText(20, 2, QString());
        b.grid().setCellBackColor(20, 2, b.grid().backColor());
        b.page.SaveGridData();
        // b's colour button on another slot, still on its old colours.
        b.grid().setCellBackColor(22, 2, 0x80FF80);
        b.page.SaveCellColor();

        BookingStation c(*m_folder);
        QCOMPARE(c.grid().text(8, 2), QStringLiteral("Ann Lee"));
        QCOMPARE(c.grid().text(20, 2), QString());
        QCOMPARE(c.grid().cellBackColor(8, 2), qint64(BookingTimes::LightBookingColor));
        QCOMPARE(c.grid().cellBackColor(22, 2), qint64(0x80FF80));
        QCOMPARE(c.grid().text(Used, 2), QStringLiteral("1"));
        // b shows the booking now and cannot book the slot again.
        QCOMPARE(b.grid().text(8, 2), QStringLiteral("Ann Lee"));
        auto again = b.openSlot(8, 2);
        QVERIFY(again);
        QVERIFY(!again->newRecord());
    }

    void hoursUsedFromTwoStationsAddUp()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        // Both reloaded before either stored its hours.
        a.grid().setText(Used, 1, QStringLiteral("2"));
        b.grid().setText(Used, 1, QStringLiteral("1.5"));
        a.page.SaveGridData();
        b.page.SaveGridData();
        QCOMPARE(b.grid().text(Used, 1), QStringLiteral("3.5"));
        BookingStation c(*m_folder);
        QCOMPARE(c.grid().text(Used, 1), QStringLiteral("3.5"));
    }

    void simultaneousClaimsHaveOneWinner()
    {
        BookingStation a(*m_folder);
        BookingStation b(*m_folder);
        // Both reloaded and saw the slot empty.
        QCOMPARE(a.storedText(12, 3), QString());
        QCOMPARE(b.storedText(12, 3), QString());
        const bool aGot = a.page.ClaimSlot(12, 3);
        const bool bGot = b.page.ClaimSlot(12, 3);
        QVERIFY(aGot != bGot);
        QCOMPARE(b.grid().text(12, 3), QStringLiteral("Engaged"));
        QCOMPARE(b.booking.claimSlot(12, 3), BookingPage::Claim::Engaged);
        QVERIFY(!b.openSlot(12, 3));
        QVERIFY(jobs(3, 12).isEmpty());
    }

    void secondRecordForACellIsRefused()
    {
        BookingStation a(*m_folder);
        QVERIFY(a.openSlot(13, 1));
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

        // A station whose making of the record fails is told the slot is occupied.
        BookingStation b(*m_folder);
        Database writer(m_folder->file(QStringLiteral("db.mdb")));
        writer.begin();
        QVERIFY(!holdRecord(b, 16, 1));
        writer.rollback();
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Seek Record"));
        QCOMPARE(b.dialogs.last().text, QStringLiteral("3186 Another user has currently occupied this timeslot. Please "
                                                       "wait a while and try again, or select another timeslot."));
        QVERIFY(jobs(1, 16).isEmpty());
    }
};
TORVANE_TEST(BookingContentionTest)
#include "BookingContentionTest.moc"
