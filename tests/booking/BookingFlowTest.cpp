#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingTimes.h"
#include "booking/SlotFinder.h"

#include <QTest>

using namespace BookingEntry;

namespace {
constexpr int Used = 3;
constexpr int Light = BookingTimes::LightBookingColor;

BookingEntries booking(const QString &name, std::initializer_list<std::pair<int, QString>> times)
{
    BookingEntries e = emptyBookingEntries();
    e[Name] = name;
    for (const auto &[box, t] : times)
        e[time(box)] = t;
    e[TTime] = BookingFlow::totalTime(e);
    return e;
}

// Colours of rows first..last of a column as stored, as one text.
QString storedColors(const TestFolder &folder, int col, int first, int last)
{
    BookingStation other(folder);
    QStringList out;
    for (int r = first; r <= last; ++r)
        out << QString::number(other.grid().cellBackColor(r, col), 16);
    return out.join(QLatin1Char(' '));
}

} // namespace

// A booking from Enter on a slot to save and delete, with no window: the record, the cell, the
// technician's hours used and the shaded span, as stored in the shared database.
class BookingFlowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestFolder> m_folder;

    ResultRows job(int col, int row)
    {
        Database db(m_folder->file(QStringLiteral("db.mdb")));
        return db.select(QStringLiteral("SELECT * FROM tbl_Job WHERE bDate = ? AND bCol = ? AND bRow = ?"),
                         {bookingDay(), col, row});
    }

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        pointStationAt(*m_folder);
    }

    void newBookingInAnEmptySlot()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(8, 2);
        QVERIFY(flow);
        QCOMPARE(storedText(*m_folder, 8, 2), QStringLiteral("Engaged"));
        QVERIFY(flow->newRecord());
        // Opening writes nothing: the new record is stored with the booking.
        QVERIFY(job(2, 8).isEmpty());
        const BookingValues shown = flow->fill();
        QVERIFY(!shown[TTime]);
        QVERIFY(!shown[Internal1]);
        QCOMPARE(*shown[Drop], QStringLiteral("08:00"));
        QCOMPARE(*shown[City] + *shown[Prov], QStringLiteral("HamiltonON"));
        QCOMPARE(*shown[Time9], QString());
        // A free slot's booking is shown in the light booking colour.
        QCOMPARE(flow->cell().color, Light);

        BookingEntries form = flow->loadedForm();
        form[Name] = QStringLiteral("Ann Lee");
        form[time(0)] = QStringLiteral("1.5");
        form[time(3)] = QStringLiteral("0.5");
        form[TTime] = BookingFlow::totalTime(form);
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::Closed);
        QVERIFY(s.page.bookingCellToReturnTo());

        const ResultRows saved = job(2, 8);
        QCOMPARE(saved.rows.size(), 1);
        QCOMPARE(saved.value(0, "bTech").toString(), QStringLiteral("Sue Park"));
        QCOMPARE(saved.value(0, "bTime").toString(), QStringLiteral("09:00 AM "));
        QCOMPARE(saved.value(0, "bDrop").toString() + saved.value(0, "bProm").toString()
                     + saved.value(0, "bPay").toString(),
                 QStringLiteral("08:0008:00Credit Card"));
        QCOMPARE(saved.value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(saved.value(0, "bITime").toString(), QStringLiteral("1.5%%%0.5%%%%%%%"));
        QCOMPARE(saved.value(0, "bTTime").toString(), QStringLiteral("2"));
        QCOMPARE(storedText(*m_folder, 8, 2), QStringLiteral("Ann Lee"));
        QCOMPARE(storedText(*m_folder, Used, 2), QStringLiteral("2"));
        QCOMPARE(storedText(*m_folder, 2, 2), QStringLiteral("6"));
        QCOMPARE(storedColors(*m_folder, 2, 7, 12), QStringLiteral("eeffff ffffc0 ffffc0 ffffc0 ffffc0 eeffff"));
        QCOMPARE(s.dialogs.count(), 0);
    }

    void totalCutFromTwoToOneAndAHalfHours()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(8, 2);
        flow->timeEdited();
        flow->saveCommand(booking(QStringLiteral("Ann Lee"), {{0, "1.5"}, {3, "0.5"}}));

        auto again = s.openSlot(8, 2);
        QVERIFY(again);
        QVERIFY(!again->newRecord());
        BookingEntries form = again->loadedForm();
        QCOMPARE(form[Name], QStringLiteral("Ann Lee"));
        QCOMPARE(form[Time3], QStringLiteral("0.5"));
        form[Time3].clear();
        form[TTime] = BookingFlow::totalTime(form);
        again->timeEdited();
        again->saveCommand(form);

        QCOMPARE(again->oldTotalTime(), 2.0f);
        QCOMPARE(storedText(*m_folder, Used, 2), QStringLiteral("1.5"));
        QCOMPARE(storedColors(*m_folder, 2, 8, 12), QStringLiteral("ffffc0 ffffc0 ffffc0 0 eeffff"));
    }

    void totalChangedAndChangedBackCountsItsHoursOnce()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(8, 2);
        flow->timeEdited();
        const BookingEntries form = booking(QStringLiteral("Ann Lee"), {{0, "2"}});
        flow->saveCommand(form);

        auto again = s.openSlot(8, 2);
        again->timeEdited(); // typed 1.5, then 2 again
        again->saveCommand(form);
        QCOMPARE(storedText(*m_folder, Used, 2), QStringLiteral("2"));
        QCOMPARE(storedColors(*m_folder, 2, 8, 12), QStringLiteral("ffffc0 ffffc0 ffffc0 ffffc0 eeffff"));
    }

    void twoHoursAcrossLunchPassOverTheLunchRows()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(12, 1);
        flow->timeEdited();
        flow->saveCommand(booking(QStringLiteral("Tom Ruiz"), {{1, "2"}}));
        QCOMPARE(storedColors(*m_folder, 1, 11, 18),
                 QStringLiteral("eeffff ffffc0 ffffc0 c0c0c0 c0c0c0 ffffc0 ffffc0 eeffff"));
    }

    // An hour covers an hour of slots whatever their length, and Find a Slot counts it alike.
    void anHourOnQuarterHourSlotsShadesFourCells()
    {
        {
            Database db(m_folder->file(QStringLiteral("db.mdb")));
            db.execute(QStringLiteral("UPDATE tbl_Setup SET timeslot = 15"));
        }
        BookingStation s(*m_folder);
        QCOMPARE(s.grid().text(7, 0).left(5), QStringLiteral("08:15"));
        auto flow = s.openSlot(8, 1);
        flow->timeEdited();
        flow->saveCommand(booking(QStringLiteral("Tom Ruiz"), {{0, "1"}}));
        QCOMPARE(storedColors(*m_folder, 1, 7, 12), QStringLiteral("eeffff ffffc0 ffffc0 ffffc0 ffffc0 eeffff"));
        // Half an hour free before the booking is too short for an hour.
        SlotFinder finder(s.page.store());
        SlotFinder::Query q;
        q.first = bookingDay();
        q.days = 1;
        q.hours = 1.0f;
        q.tech = 1;
        q.limit = 1;
        const auto places = finder.find(q);
        QCOMPARE(places.size(), 1);
        QCOMPARE(places.at(0).row, 12);
    }

    void longSpanStopsAtTheLastSlot()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(22, 2);
        flow->timeEdited();
        flow->saveCommand(booking(QStringLiteral("Fleet van"), {{0, "12"}}));
        QCOMPARE(storedText(*m_folder, Used, 2), QStringLiteral("12"));
        QCOMPARE(storedColors(*m_folder, 2, 21, 25), QStringLiteral("eeffff ffffc0 ffffc0 ffffc0 eeffff"));
    }

    void deleteGivesTheHoursBackAndFreesTheSpan()
    {
        BookingStation s(*m_folder);
        s.grid().setText(Used, 4, QStringLiteral("2"));
        s.page.saveGridData();
        auto flow = s.openSlot(10, 4);
        flow->timeEdited();
        flow->saveCommand(booking(QStringLiteral("Eva Kim"), {{8, "0.1"}}));
        QCOMPARE(storedText(*m_folder, Used, 4), QStringLiteral("2.1"));

        auto again = s.openSlot(10, 4);
        QCOMPARE(again->deleteRecord(again->loadedForm()), BookingFlow::Outcome::Closed);
        QVERIFY(job(4, 10).isEmpty());
        QCOMPARE(again->oldTotalTime(), 0.1f);
        // Written like a save writes it, not as 1.99999999850988.
        QCOMPARE(storedText(*m_folder, Used, 4), QStringLiteral("2"));
        QCOMPARE(storedText(*m_folder, 10, 4), QString());
        QCOMPARE(storedColors(*m_folder, 4, 10, 11), QStringLiteral("eeffff eeffff"));
        again->closing(QString());
        QCOMPARE(s.grid().text(10, 4), QString());
        QCOMPARE(s.grid().shownBackColor(10, 4), FreeSlotColor);
    }

    void escOnANewRecordStoresNothingAndReleasesTheClaim()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(6, 3);
        QCOMPARE(flow->exitForm(booking(QStringLiteral("Typed only"), {})), BookingFlow::Outcome::Closed);
        flow->closing(QStringLiteral("Typed only"));
        QVERIFY(job(3, 6).isEmpty());
        QCOMPARE(storedText(*m_folder, 6, 3), QString());
        QCOMPARE(s.grid().text(6, 3), QString());
        QCOMPARE(storedColors(*m_folder, 3, 6, 6), QStringLiteral("eeffff"));
        QCOMPARE(storedText(*m_folder, Used, 3), QStringLiteral("0"));
        QCOMPARE(s.dialogs.count(), 0);
        QVERIFY(s.openSlot(6, 3)->newRecord());
    }

    void lunchSlotDoesNotOpen()
    {
        BookingStation a(*m_folder);
        QVERIFY(!a.openSlot(14, 1));
    }

    void saveMeetingAnotherStationsLockKeepsTheFormOpen()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(9, 1);
        Database other(m_folder->file(QStringLiteral("db.mdb")));
        other.begin();
        flow->timeEdited();
        const BookingEntries form = booking(QStringLiteral("Ann Lee"), {{0, "1"}});
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::StayOpen);
        other.rollback();
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Error Number: 3186 - Another user is currently updating this "
                                                       "record. Please wait a while and try again..."));
        QCOMPARE(toList(s.desk.clip()), toList(form));
        QCOMPARE(job(1, 9).value(0, "bName").toString(), QString(""));
        // Saved again once the other station is done.
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::Closed);
        QCOMPARE(storedText(*m_folder, 9, 1), QStringLiteral("Ann Lee"));
        QCOMPARE(storedText(*m_folder, Used, 1), QStringLiteral("1"));
    }

    void bookingWhosePageCannotBeWrittenStoresNothingOfIt()
    {
        BookingStation s(*m_folder);
        auto flow = s.openSlot(8, 2);
        // The file refuses the page's write, as a full disk would.
        Database(m_folder->file(QStringLiteral("db.mdb")))
            .execute(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF Data ON tbl_Appt "
                                    "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
        flow->timeEdited();
        const BookingEntries form = booking(QStringLiteral("Ann Lee"), {{0, "1.5"}});
        // The form stays with what was typed, to be saved once there is room.
        QCOMPARE(flow->saveCommand(form), BookingFlow::Outcome::StayOpen);
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Save Booking"));
        QVERIFY2(s.dialogs.last().text.contains(QStringLiteral("database or disk is full")),
                 qPrintable(s.dialogs.last().text));
        QCOMPARE(toList(s.desk.clip()), toList(form));
        QVERIFY(job(2, 8).isEmpty());
        QCOMPARE(storedText(*m_folder, 8, 2), QStringLiteral("Engaged"));
        QCOMPARE(storedText(*m_folder, Used, 2), QStringLiteral("0"));
        QCOMPARE(storedColors(*m_folder, 2, 8, 10), QStringLiteral("eeffff eeffff eeffff"));
    }

    void saveAfterAnotherStationDeletedTheRecordMakesItAgain()
    {
        BookingStation s(*m_folder);
        auto first = s.openSlot(9, 1);
        first->saveCommand(booking(QStringLiteral("Ann Lee"), {}));
        auto flow = s.openSlot(9, 1);
        QVERIFY(!flow->newRecord());
        Database(m_folder->file(QStringLiteral("db.mdb"))).execute(QStringLiteral("DELETE FROM tbl_Job"));
        flow->timeEdited();
        QCOMPARE(flow->saveCommand(booking(QStringLiteral("Ann Lee"), {{0, "1"}})), BookingFlow::Outcome::Closed);
        QCOMPARE(s.dialogs.count(), 1);
        QVERIFY(s.dialogs.last().text.startsWith(QStringLiteral("3167: Error Description ")));
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Save Booking"));
        QCOMPARE(job(1, 9).value(0, "bName").toString(), QStringLiteral("Ann Lee"));
        QCOMPARE(job(1, 9).value(0, "bTech").toString(), QStringLiteral("Mike Dunn"));
        QCOMPARE(storedText(*m_folder, Used, 1), QStringLiteral("1"));
    }
};
TORVANE_TEST(BookingFlowTest)
#include "BookingFlowTest.moc"
