#include "Workshop.h"
#include "TestRegistry.h"

#include "ScriptedDialogs.h"
#include "booking/BookingTimes.h"
#include "core/AppState.h"
#include "core/Colors.h"
#include "core/Numbers.h"
#include "core/Station.h"
#include "daypage/DayPage.h"
#include "daypage/NameSearch.h"
#include "daypage/PageModel.h"
#include "daypage/PageText.h"
#include "store/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// Three weeks from a Monday: eighteen working days and three closed Sundays.
const QDate First(2024, 3, 4);
const QDate Last(2024, 3, 24);
constexpr int ColorRows = Workshop::LastSlotRow + 2 - PageModel::FirstTimeRow;

} // namespace

class WorkshopTest : public QObject {
    Q_OBJECT
    QTemporaryDir *dir = nullptr;
    QString dbPath;
    Workshop::Summary made;

private slots:
    void initTestCase()
    {
        dir = new QTemporaryDir;
        dbPath = QDir(dir->path()).filePath(QStringLiteral("db.mdb"));
        Workshop::Plan plan;
        plan.first = First;
        plan.last = Last;
        made = Workshop::generate(dbPath, plan);
    }
    void cleanupTestCase() { delete dir; }

    void everyDateHasAPageAndSundaysAreClosed()
    {
        QCOMPARE(made.pages, 21);
        QCOMPARE(made.workingDays, 18);
        QCOMPARE(made.oldestNameDate, First);
        QVERIFY2(made.bookings >= 18 * 20 && made.bookings <= 18 * 30, qPrintable(QString::number(made.bookings)));
        Database db(dbPath);
        const ResultRows r = db.select(QStringLiteral("SELECT caldate, Clinic, Color FROM tbl_Appt ORDER BY caldate"));
        QCOMPARE(r.rows.size(), 21);
        for (const auto &row : r.rows) {
            const QDate d = QDate::fromString(row.at(0).toString(), Qt::ISODate);
            const bool sunday = d.dayOfWeek() == Qt::Sunday;
            QCOMPARE(row.at(1).toInt() != 0, sunday);
            // A closed page is never shown open, so it has no colour list.
            QCOMPARE(ColorList::isUnset(row.at(2).toString()), sunday);
        }
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM tbl_Job")).toInt(), made.bookings);
    }

    // Each booked cell has its record; the hours used add up the records' totals; each span is
    // shaded as the booking form would.
    void pagesAndRecordsAgree()
    {
        Database db(dbPath);
        const QStringList labels = PageModel::timeLabels(QStringLiteral("08:00 AM"), QStringLiteral("05:00 PM"), 30);
        const QStringList techs = Workshop::techNames();
        int named = 0;
        for (const auto &page :
             db.select(QStringLiteral("SELECT caldate, Data, Color FROM tbl_Appt WHERE Clinic = 0")).rows) {
            const QString date = page.at(0).toString();
            const PageText::Cells cells = PageText::parse(page.at(1).toString());
            QCOMPARE(cells.size(), Workshop::TextRows);
            QVERIFY(!page.at(1).toString().contains(QLatin1String("LUNCH")));
            const auto colors = ColorList::parse(page.at(2).toString());
            QCOMPARE(colors.size(), Workshop::Techs * ColorRows);
            QVERIFY(page.at(2).toString().endsWith(QLatin1Char(' ')));
            for (int c = 0; c < Workshop::Techs; ++c) {
                QCOMPARE(cells.at(0).size(), Workshop::Techs);
                auto colorAt = [&](int row) { return *colors.at(c * ColorRows + row - PageModel::FirstTimeRow); };
                QCOMPARE(colorAt(Workshop::LunchRow), LunchColor);
                float used = 0;
                int covered = 0; // rows already shaded by the booking above
                for (int row = PageModel::FirstTimeRow; row <= Workshop::LastSlotRow; ++row) {
                    const QString name = cells.at(row - 2).at(c);
                    if (name.isEmpty()) {
                        if (covered == 0 && row != Workshop::LunchRow)
                            QCOMPARE(colorAt(row), FreeSlotColor);
                        if (covered > 0 && row != Workshop::LunchRow)
                            --covered;
                        continue;
                    }
                    ++named;
                    QCOMPARE(covered, 0);
                    const ResultRows job = db.select(
                        QStringLiteral("SELECT bName, bTech, bTime, bTTime, bITime FROM tbl_Job WHERE bDate = ? AND "
                                       "bCol = ? AND bRow = ?"),
                        {date, c + 1, row});
                    QCOMPARE(job.rows.size(), 1);
                    QCOMPARE(job.rows[0][0].toString(), name);
                    QCOMPARE(job.rows[0][1].toString(), techs.at(c));
                    QCOMPARE(job.rows[0][2].toString(), labels.at(row - PageModel::FirstTimeRow));
                    QCOMPARE(job.rows[0][4].toString().count(QLatin1Char('%')), 10);
                    const float total = leadingNumber(job.rows[0][3].toString());
                    QVERIFY(total > 0);
                    used = leadingNumber(numberText(used + total));
                    covered = BookingTimes::spanSlots(total, 30) - 1;
                    const qint64 booking = colorAt(row);
                    QVERIFY(booking != FreeSlotColor && booking != LunchColor);
                    for (int r = row + 1, left = covered; left > 0 && r <= Workshop::LastSlotRow; ++r)
                        if (r != Workshop::LunchRow) {
                            QCOMPARE(colorAt(r), booking);
                            --left;
                        }
                }
                QCOMPARE(cells.at(PageModel::HoursUsedRow - 2).at(c), numberText(used));
                QCOMPARE(cells.at(PageModel::HoursAvailRow - 2).at(c), numberText(8.0f - used));
                QCOMPARE(cells.at(PageModel::HoursStartRow - 2).at(c), QStringLiteral("8"));
            }
        }
        QCOMPARE(named, made.bookings);
    }

    // The pages are stored as after their first showing: opening one is a read, and the day page
    // shows what was generated.
    void theDayPageOpensAGeneratedPageWithoutWriting()
    {
        ScriptedDialogs dialogs;
        AppState state;
        state.setDialogs(&dialogs);
        DayPage page(state);
        page.openDatabase(dbPath);
        Database db(dbPath);
        const QDate d = First.addDays(2);
        const int before = db.scalar(QStringLiteral("SELECT sum(rowver) FROM tbl_Appt")).toInt();
        QVERIFY(page.openDate(d));
        QCOMPARE(db.scalar(QStringLiteral("SELECT sum(rowver) FROM tbl_Appt")).toInt(), before);
        QCOMPARE(dialogs.count(), 0);
        const ResultRows jobs = db.select(QStringLiteral("SELECT bCol, bRow, bName FROM tbl_Job WHERE bDate = ?"), {d});
        QVERIFY(!jobs.isEmpty());
        for (const auto &job : jobs.rows)
            QCOMPARE(page.grid().text(job.at(1).toInt(), job.at(0).toInt()), job.at(2).toString());
        QCOMPARE(page.grid().cellBackColor(Workshop::LunchRow, 1), LunchColor);
        QCOMPARE(state.layout().techNames.mid(1, Workshop::Techs), Workshop::techNames());
    }

    void theSearchNamesAreWhereTheBenchmarkExpectsThem()
    {
        Database db(dbPath);
        PageStore store(db);
        NameSearch search(store);
        search.start(Workshop::MissingName);
        QCOMPARE(search.next(), NameSearch::Answer::Unsuccessful);
        search.start(Workshop::OldestPageName.toUpper());
        QCOMPARE(search.next(), NameSearch::Answer::Found);
        QCOMPARE(search.hitDate(), First);
        QCOMPARE(search.next(), NameSearch::Answer::Complete);
    }

    void generatingNeverOverwritesADatabase()
    {
        Workshop::Plan plan;
        plan.first = plan.last = First;
        QVERIFY_THROWS_EXCEPTION(AppError, Workshop::generate(dbPath, plan));
        Database db(dbPath);
        QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM tbl_Appt")).toInt(), 21);
    }

    void theStationFindsTheGeneratedDatabase()
    {
        const QString program = QDir(dir->path()).filePath(QStringLiteral("station"));
        Workshop::makeStation(program, dir->path());
        const StationRecord s = Station::read(QDir(program).filePath(QStringLiteral("dbn.mdb")));
        QVERIFY(s.net);
        QVERIFY(s.main);
        AppState state;
        state.paths().setProgramFolder(program);
        QCOMPARE(QFileInfo(sharedDbPath(state.paths())).canonicalFilePath(), QFileInfo(dbPath).canonicalFilePath());
    }
};

TORVANE_TEST(WorkshopTest)
#include "WorkshopTest.moc"
