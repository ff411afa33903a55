#include "DayPageFixture.h"
#include "TestRegistry.h"
#include "daypage/CustomerHistoryWindow.h"
#include "store/BookingStore.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

// A customer's bookings across the years, found by name, phone or vehicle however each booking
// spelled them, newest first, kept apart from another customer of the same name; a booking chosen
// opens its date with its cell current. On both engines.
class CustomerHistoryTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit CustomerHistoryTest(bool onServer) : m_onServer(onServer) {}

private:
    static StoredBooking booking(const QDate &date, int row, int col, const QString &name, const QString &phone,
                                 const QString &vehicle, const QString &make, const QString &job)
    {
        using namespace BookingField;
        StoredBooking b;
        b.date = date;
        b.row = row;
        b.col = col;
        b.fields[Name] = name;
        b.fields[Phone] = phone;
        b.fields[Vehicle] = vehicle;
        b.fields[Make] = make;
        b.fields[Mainten] = job;
        b.fields[TTime] = QStringLiteral("1.5");
        b.fields[Time] = QStringLiteral("%1:00 AM").arg(row / 2 + 5);
        b.fields[Tech] = QStringLiteral("Sue Park");
        return b;
    }
    static QStringList rows(QTableWidget *t, int cols)
    {
        QStringList out;
        for (int r = 0; r < t->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < cols; ++c)
                cells << t->item(r, c)->text();
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    }
    static void typeSearch(QLineEdit *box, const QString &text)
    {
        box->clear();
        QTest::keyClicks(box, text);
    }

private slots:
    void listsEveryBookingNewestFirstAndOpensIt()
    {
        DayPageFixture f(m_onServer);
        QVERIFY(f.ready());
        {
            BookingStore store(*f.db);
            const QString phone = QStringLiteral("(613) 724-0188");
            store.insert(booking(QDate(2019, 5, 14), 8, 3, QStringLiteral("Marguerite Leblanc"), phone,
                                 QStringLiteral("2012"), QStringLiteral("Corolla"), QStringLiteral("Oil change")));
            StoredBooking later =
                booking(QDate(2031, 3, 5), 10, 2, QStringLiteral("MARGUÉRITE leblanc"), QStringLiteral("613 724 0188"),
                        QStringLiteral("2020"), QStringLiteral("RAV4"), QStringLiteral("Brakes"));
            later.fields[BookingField::Menu1] = QStringLiteral("Rotate tires");
            later.fields[BookingField::Comments] = QStringLiteral("Waits in the lounge");
            store.insert(later);
            store.insert(booking(QDate(2023, 11, 2), 12, 1, QStringLiteral("Marguerite Leblanc"),
                                 QStringLiteral("613-724-0188"), QStringLiteral("2012"), QStringLiteral("Corolla"),
                                 QStringLiteral("Timing belt")));
            // The same name with another phone: another customer.
            store.insert(booking(QDate(2027, 6, 1), 9, 4, QStringLiteral("Marguerite Leblanc"),
                                 QStringLiteral("416 724 0101"), QStringLiteral("2018"), QStringLiteral("Civic"),
                                 QStringLiteral("Alignment")));
            store.insert(booking(QDate(2025, 1, 9), 9, 4, QStringLiteral("Lee Dorval"), QStringLiteral("905 555 7777"),
                                 QStringLiteral("2016"), QStringLiteral("Rav4"), QStringLiteral("Battery")));
        }

        // Ctrl+H on the day page.
        QTest::keyClick(f.w.get(), Qt::Key_H, Qt::ControlModifier);
        auto *history = qobject_cast<CustomerHistoryWindow *>(f.w->customerHistory());
        QVERIFY(history);
        QVERIFY(QTest::qWaitForWindowActive(history));
        QCOMPARE(history->windowTitle(), QStringLiteral("Customer History"));
        auto *search = history->findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        auto *customers = history->findChild<QTableWidget *>(QStringLiteral("grdCustomers"));
        auto *bookings = history->findChild<QTableWidget *>(QStringLiteral("grdBookings"));

        // Two letters of the name: every customer with a word so starting, newest visit first.
        typeSearch(search, QStringLiteral("le"));
        const QLocale locale;
        auto shortDate = [&locale](int y, int m, int d) {
            return locale.toString(QDate(y, m, d), QLocale::ShortFormat);
        };
        const QStringList found = rows(customers, 4);
        QCOMPARE(found.size(), 4);
        QVERIFY2(found.last().startsWith(QStringLiteral("Karen Lee|")),
                 qPrintable(found.last())); // the seed's, of 1998
        QCOMPARE(found.mid(0, 3), QStringList({"MARGUÉRITE leblanc|613 724 0188|2020 RAV4|" + shortDate(2031, 3, 5),
                                               "Marguerite Leblanc|416 724 0101|2018 Civic|" + shortDate(2027, 6, 1),
                                               "Lee Dorval|905 555 7777|2016 Rav4|" + shortDate(2025, 1, 9)}));
        QCOMPARE(rows(bookings, 6),
                 QStringList({shortDate(2031, 3, 5) + "|10:00 AM|Sue Park|Brakes, Rotate tires|1.5|Waits in the lounge",
                              shortDate(2023, 11, 2) + "|11:00 AM|Sue Park|Timing belt|1.5|",
                              shortDate(2019, 5, 14) + "|9:00 AM|Sue Park|Oil change|1.5|"}));
        customers->setCurrentCell(1, 0);
        QCOMPARE(rows(bookings, 4), QStringList({shortDate(2027, 6, 1) + "|9:00 AM|Sue Park|Alignment"}));

        // Phone digits, punctuation aside; a vehicle, the one brought years ago too.
        typeSearch(search, QStringLiteral("724-01"));
        QCOMPARE(customers->rowCount(), 2);
        typeSearch(search, QStringLiteral("7240188"));
        QCOMPARE(customers->rowCount(), 1);
        typeSearch(search, QStringLiteral("corol"));
        QCOMPARE(rows(customers, 2), QStringList({"MARGUÉRITE leblanc|613 724 0188"}));
        QCOMPARE(bookings->rowCount(), 3);
        typeSearch(search, QStringLiteral("rav4"));
        QCOMPARE(customers->rowCount(), 2);

        // By keyboard: Down to the customer, Enter to the bookings, Down, Enter opens the second.
        typeSearch(search, QStringLiteral("leb"));
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(customers, Qt::Key_Return);
        QTRY_VERIFY(bookings->hasFocus());
        QTest::keyClick(bookings, Qt::Key_Down);
        QTest::keyClick(bookings, Qt::Key_Return);
        QCOMPARE(f.w->page().record().date, QDate(2023, 11, 2));
        QCOMPARE(f.grid().row(), 12);
        QCOMPARE(f.grid().col(), 1);
        QVERIFY(f.dialogs.shown().isEmpty());

        // The booking form offers the history of the customer it shows.
        history->close();
        QTRY_VERIFY(!f.w->customerHistory());
        f.open(DayPageFixture::day());
        f.grid().setCurrentCell(16, 2);
        QTest::keyClick(f.view(), Qt::Key_Return);
        QPointer<QWidget> form = f.w->bookingWindow();
        QVERIFY(form);
        form->findChild<QLineEdit *>(QStringLiteral("txtName"))->setText(QStringLiteral("Lee Dorval"));
        auto *cmdHistory = form->findChild<QPushButton *>(QStringLiteral("cmdHistory"));
        QVERIFY(cmdHistory->isVisible());
        QTest::mouseClick(cmdHistory, Qt::LeftButton);
        history = qobject_cast<CustomerHistoryWindow *>(f.w->customerHistory());
        QVERIFY(history);
        QCOMPARE(history->findChild<QLineEdit *>(QStringLiteral("txtSearch"))->text(), QStringLiteral("Lee Dorval"));
        QCOMPARE(rows(history->findChild<QTableWidget *>(QStringLiteral("grdBookings")), 4),
                 QStringList({shortDate(2025, 1, 9) + "|9:00 AM|Sue Park|Battery"}));
    }

    // The front desk's count: a known customer's one-job booking from the day page's cell, by
    // keyboard alone, in at most ten keys besides the letters of the name.
    void aKnownCustomerIsBookedInTenKeys()
    {
        DayPageFixture f(m_onServer);
        QVERIFY(f.ready());
        BookingStore(*f.db).insert(booking(QDate(2030, 9, 12), 9, 4, QStringLiteral("Lee Dorval"),
                                           QStringLiteral("905 555 7777"), QStringLiteral("2016"),
                                           QStringLiteral("Rav4"), QStringLiteral("Battery")));
        f.open(DayPageFixture::day());
        f.dialogs.clear();
        f.grid().setCurrentCell(16, 2);
        f.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.w.get()));
        int keys = 0;
        // Each key goes where the keyboard's would: the open list, else the focused control.
        auto press = [&keys](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QWidget *to = QApplication::activePopupWidget();
            if (!to)
                to = QApplication::focusWidget();
            QVERIFY(to);
            QTest::keyClick(to, key, modifiers);
            ++keys;
        };
        press(Qt::Key_Return);
        QPointer<QWidget> form = f.w->bookingWindow();
        QVERIFY(form);
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txtName"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("lee"));
        QTRY_VERIFY(QApplication::activePopupWidget());
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        press(Qt::Key_F4);
        QTRY_VERIFY(QApplication::activeWindow() != form); // the job picklist
        press(Qt::Key_Return);
        QTRY_VERIFY(QApplication::activeWindow() == form);
        press(Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!form);
        QVERIFY2(keys <= 10, qPrintable(QString::number(keys)));

        QCOMPARE(f.stored(16, 2), QStringLiteral("Lee Dorval"));
        const ResultRows stored =
            f.db->select(QStringLiteral("SELECT \"bPhone\", \"bVehicle\", \"bMake\", \"bMainten\", \"bTTime\" "
                                        "FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bRow\" = 16 AND \"bCol\" = 2"),
                         {DayPageFixture::day()});
        QCOMPARE(stored.rows.size(), 1);
        const QVariantList &r = stored.rows.first();
        QCOMPARE(r.mid(0, 3), QVariantList({"905 555 7777", "2016", "Rav4"}));
        QVERIFY(!r.at(3).toString().isEmpty());
        QVERIFY(r.at(4).toDouble() > 0);
        QVERIFY2(f.dialogs.shown().isEmpty(), qPrintable(f.dialogs.last().text));
    }
};

class CustomerHistoryTestFile : public CustomerHistoryTest {
    Q_OBJECT
public:
    CustomerHistoryTestFile() : CustomerHistoryTest(false) {}
};
class CustomerHistoryTestPg : public CustomerHistoryTest {
    Q_OBJECT
public:
    CustomerHistoryTestPg() : CustomerHistoryTest(true) {}
};
static testreg::AddOnBothEngines<CustomerHistoryTestFile, CustomerHistoryTestPg> s_history("CustomerHistoryTest",
                                                                                           "CustomerHistoryTestPg");
#include "CustomerHistoryTest.moc"
