#include "../booking/BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingEntries.h"
#include "shell/WaitNote.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <latch>
#include <thread>

// A booking made while another station keeps the write lock for longer than the note's delay:
// it waits the lock out instead of failing, and the user sees the wait while it lasts.
class WaitNoteTest : public QObject {
    Q_OBJECT

private slots:
    void bookingWaitsOutAnotherStationsLockAndShowsTheWait()
    {
        TestFolder folder;
        pointStationAt(folder);
        QWidget window;
        window.resize(640, 480);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        WaitNote note;
        QStringList shown;
        QWidget *on = nullptr;
        bool visible = false;
        connect(&note, &WaitNote::shown, this, [&](QLabel *label) {
            shown << label->text();
            on = label->parentWidget();
            visible = label->isVisible();
        });
        const LockPatience patience(20000);

        BookingStation station(folder);
        BookingEntries form = emptyBookingEntries();
        form[BookingEntry::Name] = QStringLiteral("Ann Lee");
        form[BookingEntry::time(0)] = QStringLiteral("1.5");
        form[BookingEntry::TTime] = BookingFlow::totalTime(form);

        std::latch held(1);
        std::jthread other([&] {
            Database db(Database::sharedIn(folder.path()));
            db.begin();
            held.count_down();
            QThread::msleep(3000);
            db.commit();
        });
        held.wait();
        const bool saved = station.book(10, 3, form);
        other.join();

        QVERIFY(saved);
        QCOMPARE(station.dialogs.texts(), QStringList());
        Database db(Database::sharedIn(folder.path()));
        QCOMPARE(db.scalar(QStringLiteral("SELECT \"bName\" FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bCol\" = ? "
                                          "AND \"bRow\" = ?"),
                           {bookingDay(), 3, 10})
                     .toString(),
                 QStringLiteral("Ann Lee"));
        QCOMPARE(station.storedText(10, 3), QStringLiteral("Ann Lee"));

        QCOMPARE(shown, QStringList{QStringLiteral("Waiting for other stations...")});
        QCOMPARE(on, &window);
        QVERIFY(visible);
        QVERIFY(!window.findChild<QLabel *>(QStringLiteral("lblWaiting")));
        QVERIFY(!QApplication::overrideCursor());
    }
};
TORVANE_TEST(WaitNoteTest)
#include "WaitNoteTest.moc"
