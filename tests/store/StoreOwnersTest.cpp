#include "SharedDb.h"
#include "store/BookingStore.h"
#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QTest>

namespace {
StoredBooking booking(const QDate &date, int col, int row, const QString &name)
{
    StoredBooking b;
    b.date = date;
    b.col = col;
    b.row = row;
    b.fields[BookingField::Name] = name;
    b.fields[BookingField::TTime] = QStringLiteral("1.5");
    b.fields[BookingField::ITime] = QStringLiteral("1.5%%%%%%%%%");
    return b;
}
} // namespace

// Two stations on one shared database, each through its own connection, as in the office.
class StoreOwnersTest : public QObject {
    Q_OBJECT
public:
    explicit StoreOwnersTest(bool onServer) : m_onServer(onServer) {}

private:
    bool m_onServer;

private slots:
    void bookingIsWrittenOnlyOverTheVersionItWasReadAt()
    {
        TestFolder dir;
        const QString path = seedShared(dir, m_onServer);
        Database a(path), b(path);
        BookingStore first(a), second(b);
        const QDate day(2031, 5, 6);

        const qint64 id = first.insert(booking(day, 2, 7, QStringLiteral("Ada Lovelace")));
        QCOMPARE(second.find(day, 2, 7), std::optional<qint64>(id));
        QCOMPARE(second.find(day, 7, 2), std::nullopt);
        QCOMPARE(errorOf([&] { second.insert(booking(day, 2, 7, QStringLiteral("Twice"))); }), ErrNo::DuplicateKey);

        StoredBooking mine = first.read(id);
        StoredBooking theirs = second.read(id);
        QCOMPARE(theirs.date, day);
        QCOMPARE(theirs.text(BookingField::ITime), QStringLiteral("1.5%%%%%%%%%"));
        // A field never given stays without a value, through a write of the others too.
        QVERIFY(theirs.fields[BookingField::Comments].isNull());

        theirs.fields[BookingField::Name] = QStringLiteral("Ada King");
        theirs.fields[BookingField::TTime] = QStringLiteral("2");
        QCOMPARE(second.update(theirs).text(BookingField::TTime), QStringLiteral("1.5"));
        QCOMPARE(second.nameAt(day, 2, 7), std::optional<QString>(QStringLiteral("Ada King")));
        QVERIFY(first.read(id).fields[BookingField::Comments].isNull());

        // The first station still holds what it read before: its write and its delete are refused
        // and what the second stored stands.
        mine.fields[BookingField::Name] = QStringLiteral("Stale");
        QCOMPARE(errorOf([&] { first.update(mine); }), ErrNo::RecordChanged);
        QCOMPARE(errorOf([&] { first.remove(mine); }), ErrNo::RecordChanged);
        QCOMPARE(first.read(id).text(BookingField::Name), QStringLiteral("Ada King"));

        mine = first.read(id);
        QCOMPARE(first.remove(mine).text(BookingField::TTime), QStringLiteral("2"));
        QCOMPARE(errorOf([&] { second.update(second.read(id)); }), ErrNo::RecordDeleted);
        QCOMPARE(errorOf([&] { second.update(mine); }), ErrNo::RecordDeleted);
        QCOMPARE(second.nameAt(day, 2, 7), std::nullopt);
    }

    void bookingsBetweenTwoDatesGoTogether()
    {
        TestFolder dir;
        const QString path = seedShared(dir, m_onServer);
        Database db(path);
        BookingStore store(db);
        const QDate from(2031, 1, 31);
        const QSet<QDate> seeded = store.bookedDates();
        for (int i = -1; i <= 2; ++i)
            store.insert(booking(from.addDays(i), 1, 5, QStringLiteral("Customer %1").arg(i)));
        store.insert(booking(from, 4, 6, QStringLiteral("Beyond")));

        QCOMPARE(store.countBetween(from, from.addDays(1)), 3);
        const QVector<BookedColumn> beyond = store.bookedBeyond(from.addDays(-1), 3);
        QCOMPARE(beyond.size(), 1);
        QCOMPARE(beyond.first().date, from);
        QCOMPARE(beyond.first().col, 4);

        WriteTransaction tx(db);
        QCOMPARE(store.removeBetween(from, from.addDays(1)), 3);
        tx.commit();
        QCOMPARE(store.bookedDates() - seeded, QSet<QDate>({from.addDays(-1), from.addDays(2)}));
    }

    void settingsWrittenByOneStationAreReadByAnother()
    {
        TestFolder dir;
        const QString path = seedShared(dir, m_onServer);
        Database a(path), b(path);
        SettingsStore first(a), second(b);

        // Texts shown on the day page: a write over a text another station changed is refused.
        const QString memo = first.fixedMemo();
        second.saveFixedMemo(memo, QStringLiteral("Closed on the 4th"));
        QCOMPARE(errorOf([&] { first.saveFixedMemo(memo, QStringLiteral("Stale")); }), ErrNo::PageChanged);
        QCOMPARE(first.fixedMemo(), QStringLiteral("Closed on the 4th"));

        const int tuesday = 3;
        first.saveDayTemplate(tuesday, QStringLiteral("LUNCH"), true, QStringLiteral("600%1200%"));
        const SettingsStore::DayTemplate t = second.dayTemplate(tuesday);
        QCOMPARE(t.text.toString(), QStringLiteral("LUNCH"));
        QVERIFY(t.closed);
        QCOMPARE(second.office().templates[tuesday].toString(), QStringLiteral("LUNCH"));
        QCOMPARE(second.layout().cwidth, QStringLiteral("600%1200%"));

        first.saveWidths(SettingsStore::Widths::RecordsView, QStringLiteral("900%1500%"));
        first.savePreview(SettingsStore::Preview::RecordsView, {2, true});
        QCOMPARE(second.widths(SettingsStore::Widths::RecordsView), QStringLiteral("900%1500%"));
        QCOMPARE(second.preview(SettingsStore::Preview::RecordsView).mode, 2);
        QVERIFY(second.preview(SettingsStore::Preview::RecordsView).fill);
        QVERIFY(!second.preview(SettingsStore::Preview::DayView).fill);

        first.saveLists({QStringLiteral("dCity"), QStringLiteral("dProv")}, {QStringLiteral("Halifax"), QString()});
        QCOMPARE(second.lists({QStringLiteral("dProv"), QStringLiteral("dCity")}),
                 QStringList({QString(), QStringLiteral("Halifax")}));
        QCOMPARE(second.defaultPlace().city.toString(), QStringLiteral("Halifax"));
    }
};

class StoreOwnersTestFile : public StoreOwnersTest {
    Q_OBJECT
public:
    StoreOwnersTestFile() : StoreOwnersTest(false) {}
};
class StoreOwnersTestPg : public StoreOwnersTest {
    Q_OBJECT
public:
    StoreOwnersTestPg() : StoreOwnersTest(true) {}
};
static testreg::AddOnBothEngines<StoreOwnersTestFile, StoreOwnersTestPg> s_storeOwners("StoreOwnersTest",
                                                                                       "StoreOwnersTestPg");
#include "StoreOwnersTest.moc"
