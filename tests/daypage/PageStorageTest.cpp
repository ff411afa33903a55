#include "SharedDb.h"
#include "Station.h"
#include "core/Colors.h"
#include "daypage/NameSearch.h"
#include "store/Database.h"

#include <QTest>

namespace {
// Pages the seed leaves alone: a Monday and a Sunday of 1999.
const QDate Monday(1999, 3, 8);
const QDate Sunday(1999, 3, 7);
constexpr int NoonRow = 14; // 08:00 AM in row 6, half-hour slots

int pageCount(Database &db, const QDate &d)
{
    return db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Appt\" WHERE caldate = ?"), {d}).toInt();
}
QString stored(Database &db, const QDate &d, const char *field)
{
    return db.scalar(QStringLiteral("SELECT \"%1\" FROM \"tbl_Appt\" WHERE caldate = ?").arg(QLatin1String(field)), {d})
        .toString();
}
} // namespace

// Pages as stored, made and written by one or two stations, on both engines.
class PageStorageTest : public QObject {
    Q_OBJECT
    TestFolder *folder = nullptr;
    QString dbPath;
    bool m_onServer;

public:
    explicit PageStorageTest(bool onServer) : m_onServer(onServer) {}

private slots:
    void init()
    {
        folder = new TestFolder;
        dbPath = seedShared(*folder, m_onServer);
    }
    void cleanup() { delete folder; }

    void firstOpeningMakesOneRecordFromTheWeekdayTemplate()
    {
        Station s(dbPath);
        Database db(dbPath);
        const OfficeSettings settings = s.page.settings().office();
        QVERIFY(s.page.openPage(Monday));
        QVERIFY(s.page.openPage(Monday));
        QCOMPARE(pageCount(db, Monday), 1);
        const QString tmpl = settings.templates[2].toString();
        QVERIFY(tmpl.contains(QLatin1String("LUNCH")));
        QCOMPARE(stored(db, Monday, "Data"), tmpl);
        QCOMPARE(stored(db, Monday, "BlankPage"), tmpl);
        QCOMPARE(stored(db, Monday, "Color"), QStringLiteral("0"));
        QCOMPARE(stored(db, Monday, "Memo"), QString());
        QCOMPARE(stored(db, Monday, "Clinic"), QStringLiteral("0"));
        QCOMPARE(stored(db, Monday, "open"), settings.open);
        QCOMPARE(stored(db, Monday, "Names"), settings.names);
        QVERIFY(!s.page.closed());

        QVERIFY(s.page.openPage(Sunday));
        QCOMPARE(stored(db, Sunday, "Clinic"), QStringLiteral("1"));
        QVERIFY(s.page.closed());
        QCOMPARE(s.dialogs.count(), 0);
    }

    void firstShowingStoresColoursAndTheBlankPage()
    {
        Station s(dbPath);
        QVERIFY(s.page.openDate(Monday));
        Database db(dbPath);
        const QString data = stored(db, Monday, "Data");
        QVERIFY(!data.contains(QLatin1String("LUNCH")));
        QCOMPARE(stored(db, Monday, "BlankPage"), data);
        // The grid shows what was stored, hours available (row 2, never read back) aside.
        QCOMPARE(PageText::parse(data).mid(1), PageText::parse(s.page.model().pageText()).mid(1));

        const QStringList colors = stored(db, Monday, "Color").split(QLatin1Char(' '));
        QCOMPARE(colors.size(), 4 * 20 + 1); // 4 technicians, rows 6 to 25, trailing blank
        QCOMPARE(colors.last(), QString());
        QCOMPARE(colors.at(0), QString::number(FreeSlotColor));
        QCOMPARE(colors.at(20 + NoonRow - 6), QString::number(LunchColor)); // column 2, noon
        QCOMPARE(s.grid().cellBackColor(NoonRow, 2), LunchColor);
        QCOMPARE(s.grid().text(NoonRow, 2), QString());
        QCOMPARE(s.grid().text(2, 1), QStringLiteral("8")); // hours available from the template
        QCOMPARE(s.page.totalStartText(), QStringLiteral("Start   32"));
        QCOMPARE(s.state.layout().techCount, 4);
        QCOMPARE(s.state.layout().openTime, QStringLiteral("08:00 AM"));

        // Showing it again changes nothing stored.
        const QString colorList = stored(db, Monday, "Color");
        QVERIFY(s.page.openDate(Monday));
        QCOMPARE(stored(db, Monday, "Color"), colorList);
        QCOMPARE(stored(db, Monday, "Data"), data);
    }

    void closedPageShowsNoCellColours()
    {
        Station s(dbPath);
        QVERIFY(s.page.openDate(Sunday));
        QVERIFY(s.page.closed());
        QCOMPARE(s.grid().backColor(), SystemDesktopColor);
        for (int c = 1; c < s.grid().cols(); ++c)
            for (int r = 6; r < s.grid().rows(); ++r)
                QCOMPARE(s.grid().cellBackColor(r, c), qint64(0));
        // Shown after an open page's colours, still none.
        QVERIFY(s.page.openDate(Monday));
        QVERIFY(s.page.openDate(Sunday));
        QCOMPARE(s.grid().cellBackColor(NoonRow, 1), qint64(0));
        s.page.refreshGrid();
        QCOMPARE(s.grid().cellBackColor(NoonRow, 1), qint64(0));
        Database db(dbPath);
        QCOMPARE(stored(db, Sunday, "Color"), QStringLiteral("0"));

        // Opening it through the status list gives it its first showing.
        s.page.setClosed(false);
        QCOMPARE(stored(db, Sunday, "Clinic"), QStringLiteral("0"));
        QVERIFY(!ColorList::isUnset(stored(db, Sunday, "Color")));
        QCOMPARE(s.grid().backColor(), FreeSlotColor);
    }

    void twoStationsCreatingTheSameDateEndWithOneRecord()
    {
        Station a(dbPath);
        Station b(dbPath);
        // Station A is in the middle of making the page when B opens the same date.
        a.page.store().database().begin();
        a.page.store().insertPage(Monday);
        b.dialogs.onMessage = [&](const QString &) {
            if (a.page.store().database().inTransaction())
                a.page.store().database().commit();
        };
        QVERIFY(b.page.openPage(Monday));
        QCOMPARE(b.dialogs.count(), 1);
        QCOMPARE(b.dialogs.last().text,
                 QStringLiteral("Another user is currently creating this page. Please wait a while to open it..."));
        QCOMPARE(b.dialogs.last().title, QStringLiteral("Seek Record"));
        Database db(dbPath);
        QCOMPARE(pageCount(db, Monday), 1);
        QVERIFY(b.page.record().id != 0);
        QCOMPARE(b.page.record().date, Monday);
    }

    void missingTemplateMakesAPageWithoutText()
    {
        {
            Database db(dbPath);
            db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"Mon\" = NULL"));
        }
        Station s(dbPath);
        QVERIFY(s.page.openPage(Monday));
        QCOMPARE(s.dialogs.texts(), QStringList{QStringLiteral("94: Error Description Invalid use of Null")});
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Get Empty String"));
        Database db(dbPath);
        QCOMPARE(pageCount(db, Monday), 1);
        QVERIFY(db.scalar(QStringLiteral("SELECT \"Data\" FROM \"tbl_Appt\" WHERE caldate = ?"), {Monday}).isNull());
    }

    void savesKeepOtherStationsCells()
    {
        Station a(dbPath);
        Station b(dbPath);
        QVERIFY(a.page.openDate(Monday));
        QVERIFY(b.page.openDate(Monday));
        a.grid().setText(8, 1, QStringLiteral("Smith"));
        a.grid().setCellBackColor(8, 1, 0xFFFF);
        a.page.saveGridData();
        // B still shows the page without Smith and books another slot.
        QCOMPARE(b.grid().text(8, 1), QString());
        b.grid().setText(10, 3, QStringLiteral("Jones"));
        b.grid().setCellBackColor(10, 3, 0x80FF80);
        b.page.saveGridData();
        Database db(dbPath);
        const PageText::Cells cells = PageText::parse(stored(db, Monday, "Data"));
        QCOMPARE(cells.at(8 - 2).at(0), QStringLiteral("Smith"));
        QCOMPARE(cells.at(10 - 2).at(2), QStringLiteral("Jones"));
        const auto colors = ColorList::parse(stored(db, Monday, "Color"));
        QCOMPARE(*colors.at(8 - 6), qint64(0xFFFF));
        QCOMPARE(*colors.at(2 * 20 + 10 - 6), qint64(0x80FF80));
        // B now shows what is stored, so its next save cannot undo Smith.
        QCOMPARE(b.grid().text(8, 1), QStringLiteral("Smith"));
        QCOMPARE(b.grid().cellBackColor(8, 1), qint64(0xFFFF));
        // A clears its own cell without having seen Jones: Jones stays.
        a.grid().setText(8, 1, QString());
        a.page.saveGridData();
        const PageText::Cells after = PageText::parse(stored(db, Monday, "Data"));
        QCOMPARE(after.at(8 - 2).at(0), QString());
        QCOMPARE(after.at(10 - 2).at(2), QStringLiteral("Jones"));
        QCOMPARE(a.dialogs.count() + b.dialogs.count(), 0);
    }

    void lockedColourSaveSkipsThePageSaveAndReloads()
    {
        Station s(dbPath);
        QVERIFY(s.page.openDate(Monday));
        Database other(dbPath);
        const QString before = stored(other, Monday, "Data");
        other.begin(); // another station writing
        s.grid().setText(8, 1, QStringLiteral("Smith"));
        s.grid().setCellBackColor(8, 1, 0xFFFF);
        s.page.saveGridData();
        other.rollback();
        QCOMPARE(s.dialogs.count(), 1);
        QCOMPARE(s.dialogs.last().text, QStringLiteral("Error Number: 3186 - Another user is currently updating this "
                                                       "page. Please wait a while and try again..."));
        QCOMPARE(s.dialogs.last().title, QStringLiteral("Save Cell Color"));
        QCOMPARE(stored(other, Monday, "Data"), before);
        QCOMPARE(s.grid().text(8, 1), QString()); // reloaded from the database
        QCOMPARE(s.grid().cellBackColor(8, 1), FreeSlotColor);
    }

    void claimingASlotIsAtomic()
    {
        Station a(dbPath);
        Station b(dbPath);
        QVERIFY(a.page.openDate(Monday));
        QVERIFY(b.page.openDate(Monday));
        QVERIFY(a.page.claimSlot(9, 2));
        QVERIFY(!b.page.claimSlot(9, 2));
        QCOMPARE(b.grid().text(9, 2), QStringLiteral("Engaged"));
        QVERIFY(!a.page.claimSlot(4, 2)); // an hours row, not a time slot
    }

    void nameSearchGoesBackFromTheLatestPage()
    {
        Station s(dbPath);
        QVERIFY(s.page.openPage(Monday));
        QVERIFY(s.page.openPage(Sunday));
        Database db(dbPath);
        db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = ? WHERE caldate = ?"),
                   {QStringLiteral("\tKOWALSKI"), Monday});
        db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = ? WHERE caldate = ?"),
                   {QStringLiteral("Kowalski\tMüller"), Sunday});
        NameSearch search(s.page.store());
        search.start(QStringLiteral("kowalski"));
        QCOMPARE(search.next(), NameSearch::Answer::Found);
        QCOMPARE(search.hitDate(), Monday);
        QCOMPARE(search.next(), NameSearch::Answer::Found);
        QCOMPARE(search.hitDate(), Sunday);
        QCOMPARE(search.next(), NameSearch::Answer::Complete);
        search.start(QStringLiteral("MÜLLER"));
        QCOMPARE(search.next(), NameSearch::Answer::Found);
        QCOMPARE(search.hitDate(), Sunday);
        search.start(QStringLiteral("Nobody"));
        QCOMPARE(search.next(), NameSearch::Answer::Unsuccessful);
    }

    void refreshReadsTheFixedAndTheDailyMemo()
    {
        Station s(dbPath);
        QVERIFY(s.page.openDate(Monday));
        Database db(dbPath);
        db.execute(QStringLiteral("UPDATE \"tbl_Setup\" SET \"FixedMemo\" = ?"), {QStringLiteral("Shuttle at 8:15")});
        db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Memo\" = ? WHERE caldate = ?"),
                   {QStringLiteral("Parts at 10"), Monday});
        QStringList memos;
        connect(&s.page, &DayPage::memosRead, this, [&](const QString &fixed, const QString &daily) {
            memos = {fixed, daily};
        });
        s.page.refreshGrid();
        QCOMPARE(memos, QStringList({QStringLiteral("Shuttle at 8:15"), QStringLiteral("Parts at 10")}));
    }

    // The search text is taken as it is: no character of it is a wildcard.
    void nameSearchTakesEveryCharacterLiterally()
    {
        Station s(dbPath);
        QVERIFY(s.page.openPage(Monday));
        Database db(dbPath);
        db.execute(QStringLiteral("UPDATE \"tbl_Appt\" SET \"Data\" = ? WHERE caldate = ?"),
                   {QStringLiteral("Fleet 50% off\tO_Neil\\Co"), Monday});
        NameSearch search(s.page.store());
        for (const char *hit : {"50% OFF", "o_neil", "l\\co"}) {
            search.start(QLatin1String(hit));
            QCOMPARE(search.next(), NameSearch::Answer::Found);
            QCOMPARE(search.hitDate(), Monday);
        }
        for (const char *miss : {"50%f", "Fleet%off", "O_N_", "Fleet_50", "l\\\\co"}) {
            search.start(QLatin1String(miss));
            QCOMPARE(search.next(), NameSearch::Answer::Unsuccessful);
        }
    }
};
class PageStorageTestFile : public PageStorageTest {
    Q_OBJECT
public:
    PageStorageTestFile() : PageStorageTest(false) {}
};
class PageStorageTestPg : public PageStorageTest {
    Q_OBJECT
public:
    PageStorageTestPg() : PageStorageTest(true) {}
};
static testreg::AddOnBothEngines<PageStorageTestFile, PageStorageTestPg> s_pages("PageStorageTest",
                                                                                 "PageStorageTestPg");
#include "PageStorageTest.moc"
