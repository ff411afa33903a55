#include "BookingStation.h"
#include "TestRegistry.h"
#include "booking/BookingWindow.h"
#include "booking/CustomerCompleter.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QTest>

using namespace BookingEntry;

// Earlier customers offered in the booking form: remembered by each save, found by a few letters
// of a name or digits of a phone whatever their case, accents and punctuation, newest first,
// chosen into the form without saving anything. On both engines.
class CustomerLookupTest : public QObject {
    Q_OBJECT
    bool m_onServer;

public:
    explicit CustomerLookupTest(bool onServer) : m_onServer(onServer) {}

private:
    static BookingEntries customer(const QString &name, const QString &phone, const QString &vehicle,
                                   const QString &address = QString())
    {
        BookingEntries e;
        e[Name] = name;
        e[Phone] = phone;
        e[Vehicle] = vehicle;
        e[Make] = QStringLiteral("Civic");
        e[Address] = address;
        e[Time0] = QStringLiteral("1");
        e[TTime] = QStringLiteral("1");
        return e;
    }
    static CustomerStore::Customer person(const QString &name, const QString &phone)
    {
        CustomerStore::Customer c;
        c.name = name;
        c.phone = phone;
        return c;
    }
    static QStringList names(const QVector<CustomerStore::Customer> &list)
    {
        QStringList out;
        for (const auto &c : list)
            out << c.name + QLatin1Char('/') + c.phone;
        return out;
    }

private slots:
    void knownCustomersFillTheForm()
    {
        TestFolder folder;
        seedShared(folder, m_onServer);
        {
            BookingStation earlier(folder, bookingDay().addDays(-70));
            QVERIFY(earlier.book(8, 1,
                                 customer(QStringLiteral("José Ortiz"), QStringLiteral("(613) 777-0142"),
                                          QStringLiteral("2015"), QStringLiteral("1 Old Rd"))));
            QVERIFY(earlier.book(
                8, 2,
                customer(QStringLiteral("Joanne Smith"), QStringLiteral("416 555 7000"), QStringLiteral("2009"))));
        }
        {
            BookingStation later(folder, bookingDay().addDays(-7));
            // The same customer again, moved house: one entry, the newest details.
            QVERIFY(later.book(9, 3,
                               customer(QStringLiteral("JOSE ortiz"), QStringLiteral("613-777-0142"),
                                        QStringLiteral("2015"), QStringLiteral("22 New St"))));
            QVERIFY(later.book(
                10, 3, customer(QStringLiteral("Jose Ortiz"), QStringLiteral("613 777 0199"), QStringLiteral("2021"))));
        }

        BookingStation s(folder);
        CustomerStore store(s.db);
        QCOMPARE(names(store.lookup(QStringLiteral("jo"))),
                 QStringList({"Jose Ortiz/613 777 0199", "JOSE ortiz/613-777-0142", "Joanne Smith/416 555 7000",
                              "John Miller/(905) 555-0142"}));
        QCOMPARE(names(store.lookup(QStringLiteral("Ortíz j"))).size(), 2);
        QCOMPARE(names(store.lookup(QStringLiteral("777-01"))).size(), 2);
        QCOMPARE(names(store.lookup(QStringLiteral("(613) 777-019"))), QStringList({"Jose Ortiz/613 777 0199"}));
        QVERIFY(store.lookup(QStringLiteral("j")).isEmpty());
        QVERIFY(store.lookup(QStringLiteral("90")).isEmpty());
        // Made again from the bookings alone (a restored older backup): the same entries, each
        // with its newest booking's details, which the form below shows.
        const QStringList remembered = names(store.lookup(QStringLiteral("jo")));
        {
            WriteTransaction tx(s.db);
            store.rebuild();
            tx.commit();
        }
        QCOMPARE(names(store.lookup(QStringLiteral("jo"))), remembered);

        const int stored = s.db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\"")).toInt();
        s.booking.claimSlot(12, 2);
        QPointer<BookingWindow> form = new BookingWindow(s.state, s.booking, s.desk, s.entered(12, 2));
        QVERIFY(form->load());
        form->show();
        auto *name = form->findChild<QLineEdit *>(QStringLiteral("txtName"));
        QTest::keyClicks(name, QStringLiteral("jos"));
        QAbstractItemView *list = form->customers()->completer(name)->popup();
        QTRY_VERIFY(list->isVisible());
        QCOMPARE(list->model()->rowCount(), 2);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        auto text = [&form](const char *box) { return form->findChild<QLineEdit *>(QLatin1String(box))->text(); };
        QCOMPARE(text("txtName"), QStringLiteral("JOSE ortiz"));
        QCOMPARE(text("txtPhone"), QStringLiteral("613-777-0142"));
        QCOMPARE(text("txtAddress"), QStringLiteral("22 New St"));
        QCOMPARE(text("txtVehicle"), QStringLiteral("2015"));
        QCOMPARE(text("txtMake"), QStringLiteral("Civic"));
        QCOMPARE(s.db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\"")).toInt(), stored);
        delete form;
    }

    // A prefix most customers share (a common first name, a phone's area code) walks the customers
    // newest first rather than sorting them all; a few keys are sorted. Both list the same way.
    void aCommonPrefixListsTheNewestFirst()
    {
        TestFolder folder;
        seedShared(folder, m_onServer);
        BookingStation s(folder);
        CustomerStore store(s.db);
        const QDate day(2030, 1, 1);
        {
            WriteTransaction tx(s.db);
            for (int i = 0; i < 3; ++i)
                store.remember(day.addDays(i),
                               person(QStringLiteral("Jo Smith %1").arg(i), QStringLiteral("555 020%1").arg(i)));
            for (int i = 0; i < 240; ++i)
                store.remember(day.addDays(10 + i / 2),
                               person(QStringLiteral("Jo Newman %1").arg(i, 3, 10, QLatin1Char('0')),
                                      QStringLiteral("555 1%1").arg(i, 3, 10, QLatin1Char('0'))));
            tx.commit();
        }
        QStringList newest;
        for (int i = 239; i >= 230; --i)
            newest << QStringLiteral("Jo Newman %1/555 1%1").arg(i, 3, 10, QLatin1Char('0'));
        QCOMPARE(names(store.lookup(QStringLiteral("jo"))), newest);
        QCOMPARE(names(store.lookup(QStringLiteral("555"))), newest);
        const QStringList smiths{"Jo Smith 2/555 0202", "Jo Smith 1/555 0201", "Jo Smith 0/555 0200"};
        QCOMPARE(names(store.lookup(QStringLiteral("jo smi"))), smiths); // past every Newman
        QCOMPARE(names(store.lookup(QStringLiteral("smi"))), smiths);
        QCOMPARE(names(store.lookup(QStringLiteral("555-02"))), smiths);
    }
};
class CustomerLookupTestFile : public CustomerLookupTest {
    Q_OBJECT
public:
    CustomerLookupTestFile() : CustomerLookupTest(false) {}
};
class CustomerLookupTestPg : public CustomerLookupTest {
    Q_OBJECT
public:
    CustomerLookupTestPg() : CustomerLookupTest(true) {}
};
static testreg::AddOnBothEngines<CustomerLookupTestFile, CustomerLookupTestPg> s_customers("CustomerLookupTest",
                                                                                           "CustomerLookupTestPg");
#include "CustomerLookupTest.moc"
