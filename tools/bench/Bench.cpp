#include "Bench.h"

#include "../DiskStress.h"
#include "Child.h"
#include "Floors.h"
#include "Machine.h"
#include "Workshop.h"

#include "booking/BookingDesk.h"
#include "booking/BookingFlow.h"
#include "booking/DayPageBooking.h"
#include "booking/SlotFinder.h"
#include "core/Colors.h"
#include "core/Numbers.h"
#include "core/Station.h"
#include "daypage/CalendarModel.h"
#include "daypage/DayPage.h"
#include "daypage/NameSearch.h"
#include "daypage/PageStore.h"
#include "store/AppError.h"
#include "store/CustomerStore.h"
#include "store/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QSqlDriver>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <latch>
#include <mutex>
#include <random>
#include <sqlite3.h>
#include <thread>
#include <time.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define BENCH_TOGGLE_COLLECT CALLGRIND_TOGGLE_COLLECT
#else
#define BENCH_TOGGLE_COLLECT
#endif

namespace {

const QString Marker = QStringLiteral(".torvane-bench");

// Times one timed region, by the clock and by the thread's processor time: the difference is
// time spent waiting, mostly for the disk to confirm a write. Under callgrind started with
// --collect-atstart=no only timed regions are collected, so a profile shows the measured work and
// nothing of its set-up.
class Lap {
public:
    Lap()
    {
        BENCH_TOGGLE_COLLECT;
        m_cpu = cpuNow();
        m_start = std::chrono::steady_clock::now();
    }
    void stop()
    {
        const auto end = std::chrono::steady_clock::now();
        cpuMs = cpuNow() - m_cpu;
        BENCH_TOGGLE_COLLECT;
        ms = std::chrono::duration<double, std::milli>(end - m_start).count();
    }
    double ms = 0;
    double cpuMs = 0;

private:
    static double cpuNow()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
    std::chrono::steady_clock::time_point m_start;
    double m_cpu = 0;
};

// Counts the write transactions committed on the connections it watches.
class Commits {
public:
    Commits() = default;
    Commits(const Commits &) = delete;
    Commits &operator=(const Commits &) = delete;
    // The connection must close before this counter goes.
    void watch(Database &db)
    {
        const QVariant h = db.connection().driver()->handle();
        if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
            if (sqlite3 *s = *static_cast<sqlite3 *const *>(h.constData()))
                sqlite3_commit_hook(s, &Commits::hook, this);
    }
    int count = 0;

private:
    static int hook(void *self)
    {
        ++static_cast<Commits *>(self)->count;
        return 0;
    }
};

// Samples of the timed regions after the warm-up rounds.
class Samples {
public:
    explicit Samples(int warmUp) : m_warmUp(warmUp) {}
    void add(const Lap &lap, int writes = -1)
    {
        if (m_seen++ < m_warmUp)
            return;
        m_wall << lap.ms;
        m_cpu << lap.cpuMs;
        if (writes >= 0)
            m_writes << writes;
    }
    void into(Figure &f) const
    {
        f.value = summarize(m_wall);
        f.cpu = summarize(m_cpu);
        if (!m_writes.isEmpty())
            f.writes = summarize(m_writes).median;
    }
    Summary wall() const { return summarize(m_wall); }

private:
    int m_warmUp;
    int m_seen = 0;
    QVector<double> m_wall, m_cpu, m_writes;
};

void progress(const QString &text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
}

[[noreturn]] void wrong(const QString &what) { throw AppError(0, what); }

} // namespace

Dialogs::Answer BenchDialogs::present(const QString &text, const QString &title, Buttons buttons, Icon)
{
    shown << (title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    return buttons == Ok ? AnsOk : buttons == OkCancel || buttons == RetryCancel ? AnsCancel : AnsNo;
}

std::optional<QString> BenchDialogs::presentInput(const QString &prompt, const QString &title, const QString &)
{
    shown << title + QStringLiteral(": ") + prompt;
    return std::nullopt;
}

Bench::Bench(const BenchOptions &options) : m_options(options)
{
    m_serverDir = m_options.db.isEmpty() ? QDir(m_options.dir).filePath(QStringLiteral("server"))
                                         : QDir(m_options.db).absolutePath();
    m_stationDir = QDir(m_options.dir).filePath(QStringLiteral("station"));
    m_dbPath =
        m_options.db.isEmpty() ? QDir(m_serverDir).filePath(QStringLiteral("db.mdb")) : Database::sharedIn(m_serverDir);
    m_server = Database::isConnectionFile(m_dbPath);
    m_state.paths().setProgramFolder(m_stationDir);
    m_state.setDialogs(&m_dialogs);
}

QStringList Bench::measureNames()
{
    return {
        QStringLiteral("open_stored_page"), QStringLiteral("open_new_date"),     QStringLiteral("save_page"),
        QStringLiteral("booking"),          QStringLiteral("booking_returning"), QStringLiteral("booking_contended"),
        QStringLiteral("search_missing"),   QStringLiteral("search_oldest"),     QStringLiteral("find_slot"),
        QStringLiteral("customer_lookup"),  QStringLiteral("start_splash"),      QStringLiteral("start_menu"),
        QStringLiteral("peak_memory")};
}

bool Bench::wanted(const QString &name) const { return m_options.only.isEmpty() || m_options.only.contains(name); }

int Bench::reps(int n) const { return qMax(1, int(n * m_options.reps + 0.5)); }

Figure Bench::figure(const QString &name, const QString &title, const QString &unit)
{
    Figure f;
    f.name = name;
    f.title = title;
    f.unit = unit;
    return f;
}

void Bench::attachFloor(Figure &f, const QString &floorName, const QString &floorTitle)
{
    f.floorName = floorName;
    f.floorTitle = floorTitle;
}

Figure Bench::measured(Figure f, const std::function<void(Figure &)> &body)
{
    progress(QStringLiteral("measuring %1").arg(f.name));
    m_dialogs.shown.clear();
    try {
        body(f);
    } catch (const AppError &e) {
        f.error = e.number() ? QStringLiteral("%1 %2").arg(e.number()).arg(e.description()) : e.description();
    }
    if (f.error.isEmpty() && !m_dialogs.shown.isEmpty())
        f.error = QStringLiteral("message shown: ") + m_dialogs.shown.first();
    if (!f.error.isEmpty()) {
        f.value = Summary();
        progress(QStringLiteral("  failed: %1").arg(f.error));
    }
    if (m_server) {
        // Neither the SQLite floor nor the commit hook reaches a server: no floor, so no aim
        // measured against it either.
        f.floorName.clear();
        f.floorTitle.clear();
        f.floor.reset();
        f.maxRatio.reset();
        f.writes.reset();
    }
    return f;
}

void Bench::prepare(Report &report)
{
    QDir dir(m_options.dir);
    if (dir.exists() && !m_options.reuse) {
        // Only a folder this benchmark made is emptied.
        if (!dir.isEmpty() && !QFileInfo::exists(dir.filePath(Marker)))
            wrong(QStringLiteral("%1 is not empty and was not made by the benchmark").arg(dir.absolutePath()));
        dir.removeRecursively();
    }
    dir.mkpath(QStringLiteral("."));
    QFile marker(dir.filePath(Marker));
    marker.open(QIODevice::WriteOnly);
    marker.close();
    dir.mkpath(m_serverDir);

    const QDate today = QDate::currentDate();
    Workshop::Summary made;
    double generateMs = -1;
    if (!m_options.reuse || !QFileInfo::exists(m_dbPath)) {
        Workshop::Plan plan;
        plan.last = today;
        plan.first = today.addYears(-m_options.years).addDays(1);
        progress(QStringLiteral("generating %1 years of pages into %2").arg(m_options.years).arg(m_dbPath));
        QElapsedTimer t;
        t.start();
        made = Workshop::generate(m_dbPath, plan);
        generateMs = double(t.nsecsElapsed()) / 1e6;
    }
    Workshop::makeStation(m_stationDir, m_serverDir);
    const QString torvane = QDir(m_options.programDir).filePath(QStringLiteral("torvane"));
    const QString copy = QDir(m_stationDir).filePath(QStringLiteral("torvane"));
    // The program folder is where the executable lies, so the station gets its own copy.
    QFile::remove(copy);
    if (QFileInfo::exists(torvane))
        QFile::copy(torvane, copy);

    Database db(m_dbPath);
    for (const auto &row :
         db.select(QStringLiteral("SELECT caldate FROM \"tbl_Appt\" WHERE \"Clinic\" = 0 AND caldate <= ? "
                                  "ORDER BY caldate"),
                   {today})
             .rows)
        m_workingDates << QDate::fromString(row.at(0).toString(), Qt::ISODate);
    if (m_workingDates.isEmpty())
        wrong(QStringLiteral("the database has no open pages"));
    // The generated name lies on the oldest working day the calendar shows.
    for (const QDate &d : std::as_const(m_workingDates))
        if (CalendarModel::inRange(d)) {
            m_oldestNameDate = d;
            break;
        }
    const int pages = db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Appt\"")).toInt();
    const int jobs = db.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_Job\"")).toInt();
    const QString first = db.scalar(QStringLiteral("SELECT min(caldate) FROM \"tbl_Appt\"")).toString();
    const QString last = db.scalar(QStringLiteral("SELECT max(caldate) FROM \"tbl_Appt\"")).toString();
    const double bytes = m_server ? db.scalar(QStringLiteral("SELECT pg_database_size(current_database())")).toDouble()
                                  : double(QFileInfo(m_dbPath).size());
    if (m_server)
        report.database << qMakePair(
            QStringLiteral("Server"),
            db.scalar(QStringLiteral("SELECT version()")).toString().section(QLatin1Char(','), 0, 0));
    db.close();
    report.database << qMakePair(QStringLiteral("Database"),
                                 QStringLiteral("%1 pages (%2 to %3), %4 with bookings, %5 booking records, %6 MB")
                                     .arg(pages)
                                     .arg(first, last)
                                     .arg(m_workingDates.size())
                                     .arg(jobs)
                                     .arg(figureText(bytes / (1024 * 1024))));
    if (generateMs >= 0)
        report.database << qMakePair(QStringLiteral("Generated in"), QStringLiteral("%1 s (%2 pages, %3 bookings)")
                                                                         .arg(figureText(generateMs / 1000))
                                                                         .arg(made.pages)
                                                                         .arg(made.bookings));
    else
        report.database << qMakePair(QStringLiteral("Generated in"), QStringLiteral("reused from an earlier run"));
    report.database << qMakePair(QStringLiteral("Work folder"), QDir(m_options.dir).absolutePath());
}

QDate Bench::latestPage()
{
    Database db(m_dbPath);
    return QDate::fromString(db.scalar(QStringLiteral("SELECT max(caldate) FROM \"tbl_Appt\"")).toString(),
                             Qt::ISODate);
}

namespace {
// One round of the page write floor: a real change to the page's text and colours, made outside
// the timed region (the engine skips a write of identical content), then stored in one write
// transaction.
void floorPageWrite(Floors &floors, Database &db, const QDate &d, int round, Samples &samples)
{
    if (!floors.available())
        return;
    const ResultRows r =
        db.select(QStringLiteral("SELECT \"Data\", \"Color\" FROM \"tbl_Appt\" WHERE caldate = ?"), {d});
    PageText::Cells cells = PageText::parse(r.rows.at(0).at(0).toString());
    QString &start = cells[PageModel::HoursStartRow - 2][round % Workshop::Techs];
    start = start == QLatin1String("8") ? QStringLiteral("7.5") : QStringLiteral("8");
    QVector<qint64> colors;
    for (const auto &c : ColorList::parse(r.rows.at(0).at(1).toString()))
        if (c)
            colors << *c;
    colors.last() = colors.last() == FreeSlotColor ? 0x80FF80 : FreeSlotColor;
    const QString data = PageText::join(cells), colorList = ColorList::format(colors);
    Lap lap;
    floors.pageWrite(d, data, colorList);
    lap.stop();
    samples.add(lap);
}

void floorScan(Floors &floors, Samples &samples)
{
    if (!floors.available())
        return;
    Lap lap;
    const int hits = floors.scan(Workshop::MissingName);
    lap.stop();
    if (hits != 0)
        wrong(QStringLiteral("the missing name is on %1 pages").arg(hits));
    samples.add(lap);
}
} // namespace

Figure Bench::openStoredPage()
{
    Figure f =
        figure(QStringLiteral("open_stored_page"), QStringLiteral("1. Open a stored page"), QStringLiteral("ms"));
    f.target = 2;
    f.note = QStringLiteral("DayPage::openDate (find the record, lay out rows and columns, fill text and colours, "
                            "hours and totals) and the calendar model, on random working days of ten years");
    attachFloor(f, QStringLiteral("point_lookup"), QStringLiteral("point lookup by date"));
    return measured(f, [this](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        CalendarModel calendar;
        Floors floors(m_dbPath);
        std::mt19937 rng(12);
        std::uniform_int_distribution<int> anyDay(0, int(m_workingDates.size()) - 1);
        const int n = reps(300), warm = 20;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            if (floors.available()) {
                Lap lap;
                floors.pointLookup(m_workingDates.at(anyDay(rng)));
                lap.stop();
                floorSamples.add(lap);
            }
            const QDate d = m_workingDates.at(anyDay(rng));
            const int committed = commits.count;
            Lap lap;
            const bool opened = page.openDate(d);
            calendar.rebuild(d);
            lap.stop();
            if (!opened || page.record().date != d || page.model().lastCol() != Workshop::Techs)
                wrong(QStringLiteral("the page of %1 did not open as stored").arg(d.toString(Qt::ISODate)));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

Figure Bench::openNewDate()
{
    Figure f =
        figure(QStringLiteral("open_new_date"), QStringLiteral("2. First opening of a new date"), QStringLiteral("ms"));
    f.note = QStringLiteral("DayPage::openDate on a date without a page: made from the weekday template, laid out, "
                            "first showing stored (colour list, text and blank page)");
    return measured(f, [this](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        CalendarModel calendar;
        QDate d = latestPage();
        const int n = reps(100), warm = 5;
        Samples samples(warm);
        for (int i = 0; i < warm + n; ++i) {
            d = d.addDays(1);
            if (d.dayOfWeek() == Qt::Sunday)
                d = d.addDays(1);
            const int committed = commits.count;
            Lap lap;
            const bool opened = page.openDate(d);
            calendar.rebuild(d);
            lap.stop();
            const auto stored = page.store().find(d);
            if (!opened || !stored || ColorList::isUnset(stored->color)
                || stored->data.contains(QLatin1String("LUNCH")))
                wrong(QStringLiteral("the page of %1 was not made and stored").arg(d.toString(Qt::ISODate)));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
    });
}

Figure Bench::savePage()
{
    Figure f = figure(QStringLiteral("save_page"), QStringLiteral("3. Page save"), QStringLiteral("ms"));
    f.note = QStringLiteral("DayPage::SaveGridData after one cell's text and one cell's colour changed: colour list "
                            "and page text merged into the stored page and written in one guarded statement");
    attachFloor(f, QStringLiteral("page_write"), QStringLiteral("one page write transaction"));
    return measured(f, [this](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        GridModel &grid = page.grid();
        Floors floors(m_dbPath);
        Database reader(m_dbPath);
        const int n = reps(200), warm = 10;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            // The floor writes pages older than those the program saves.
            floorPageWrite(floors, reader, m_workingDates.at(qMax(0, int(m_workingDates.size()) - 1 - warm - n - i)), i,
                           floorSamples);
            const QDate d = m_workingDates.at(m_workingDates.size() - 1 - i % m_workingDates.size());
            if (!page.openDate(d))
                wrong(QStringLiteral("the page of %1 did not open").arg(d.toString(Qt::ISODate)));
            const int col = 1 + i % Workshop::Techs;
            const QString start = grid.text(PageModel::HoursStartRow, col) == QLatin1String("8") ? QStringLiteral("7.5")
                                                                                                 : QStringLiteral("8");
            grid.setText(PageModel::HoursStartRow, col, start);
            const int row = Workshop::LastSlotRow;
            const qint64 color = grid.cellBackColor(row, col) == 0x80FF80 ? FreeSlotColor : 0x80FF80;
            grid.setCellBackColor(row, col, color);
            const int committed = commits.count;
            Lap lap;
            page.saveGridData();
            lap.stop();
            const auto stored = page.store().find(d);
            const PageText::Cells cells = PageText::parse(stored ? stored->data : QString());
            const auto colors = ColorList::parse(stored ? stored->color : QString());
            const int colorIndex =
                (col - 1) * (Workshop::LastSlotRow + 2 - PageModel::FirstTimeRow) + row - PageModel::FirstTimeRow;
            if (cells.value(PageModel::HoursStartRow - 2).value(col - 1) != start || colorIndex >= colors.size()
                || colors.at(colorIndex) != color)
                wrong(QStringLiteral("the page of %1 was not stored").arg(d.toString(Qt::ISODate)));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

namespace {
// What the booking form is given: by default a customer never booked before, so the look-up
// keys of the name are new.
struct Customer {
    QString name;
    QString phone = QStringLiteral("(905) 555-0142");
    QString address = QStringLiteral("212 Maple Ave");
    QString vehicle = QStringLiteral("2019");
    QString make = QStringLiteral("Honda");
};

// One booking as BookingWindow drives it, from Enter on a free slot to the form closed. Half-hour
// bookings of one hour each, two cells.
BookingFlow::Outcome bookSlot(AppState &state, DayPageBooking &view, int row, int col, const Customer &who)
{
    BookingDesk desk;
    BookingFlow flow(state, view, desk);
    if (!flow.claim(row, col) || !flow.open())
        return BookingFlow::Outcome::StayOpen;
    BookingEntries form = flow.loadedForm();
    flow.activate();
    form[BookingEntry::Name] = who.name;
    form[BookingEntry::Phone] = who.phone;
    form[BookingEntry::Address] = who.address;
    form[BookingEntry::Vehicle] = who.vehicle;
    form[BookingEntry::Make] = who.make;
    form[BookingEntry::Mainten] = QStringLiteral("Lube, Oil & Filter");
    form[BookingEntry::time(0)] = QStringLiteral("0.5");
    form[BookingEntry::Menu1] = QStringLiteral("Cabin Filter");
    form[BookingEntry::time(1)] = QStringLiteral("0.5");
    form[BookingEntry::TTime] = BookingFlow::totalTime(form);
    flow.recordEdited();
    flow.timeEdited();
    const BookingFlow::Outcome outcome = flow.saveCommand(form);
    flow.closing(who.name);
    return outcome;
}

// Slots booked on each page, around the lunch row.
const int BookedRows[] = {6, 8, 10, 12, 15, 17, 19, 21};

QDate nextWorkingDay(const QDate &d) { return d.addDays(d.dayOfWeek() == Qt::Saturday ? 2 : 1); }

// A booking is its claim and its save: more write transactions would mean part of it could be
// stored without the rest.
constexpr int BookingWrites = 2;
} // namespace

Figure Bench::wholeBooking(bool returning)
{
    Figure f = returning ? figure(QStringLiteral("booking_returning"),
                                  QStringLiteral("4a. Whole booking, a returning customer"), QStringLiteral("ms"))
                         : figure(QStringLiteral("booking"), QStringLiteral("4. Whole booking"), QStringLiteral("ms"));
    f.target = 10;
    f.note = QStringLiteral("BookingFlow as frmBooking drives it, from Enter on a free slot to the form closed: claim "
                            "stored, record opened, then the record, hours used, span and name in the page in one "
                            "write; ")
             + (returning ? QStringLiteral("as 4, each a customer of an earlier booking with the same phone and "
                                           "vehicle, so no look-up key is written")
                          : QStringLiteral("each a new customer, whose look-up keys are written with the booking"));
    attachFloor(f, QStringLiteral("page_write"), QStringLiteral("one page write transaction"));
    return measured(f, [this, returning](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        DayPageBooking view(page);
        Floors floors(m_dbPath);
        Database reader(m_dbPath);
        const int perPage = Workshop::Techs * int(std::size(BookedRows));
        QDate d = latestPage();
        const int n = reps(100), warm = 5;
        QVector<Customer> customers;
        const auto keys = [&reader] {
            return reader.scalar(QStringLiteral("SELECT count(*) FROM \"tbl_CustomerKey\"")).toLongLong();
        };
        const qint64 keysBefore = returning ? keys() : 0;
        if (returning) {
            // The longest unseen, as a car comes back for its next service.
            for (const QVariantList &r :
                 reader
                     .select(QStringLiteral("SELECT \"cName\", \"cPhone\", \"cAddress\", \"cVehicle\", \"cMake\" "
                                            "FROM \"tbl_Customer\" ORDER BY \"lastVisit\", \"nameKey\" LIMIT ?"),
                             {warm + n})
                     .rows)
                customers.append({r.at(0).toString(), r.at(1).toString(), r.at(2).toString(), r.at(3).toString(),
                                  r.at(4).toString()});
            if (customers.size() < warm + n)
                wrong(QStringLiteral("only %1 customers to book again").arg(customers.size()));
        }
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            floorPageWrite(floors, reader, m_workingDates.at(qMax(0, int(m_workingDates.size()) - 1 - i)), i,
                           floorSamples);
            const int k = i % perPage;
            if (k == 0) {
                d = nextWorkingDay(d);
                if (!page.openDate(d))
                    wrong(QStringLiteral("the page of %1 did not open").arg(d.toString(Qt::ISODate)));
            }
            const int col = 1 + k % Workshop::Techs, row = BookedRows[k / Workshop::Techs];
            const Customer who = returning ? customers.at(i) : Customer{QStringLiteral("Customer %1").arg(i)};
            const QString &name = who.name;
            const int committed = commits.count;
            Lap lap;
            const BookingFlow::Outcome outcome = bookSlot(m_state, view, row, col, who);
            lap.stop();
            const auto stored = page.store().find(d);
            const PageText::Cells cells = PageText::parse(stored ? stored->data : QString());
            const int booked = k / Workshop::Techs + 1; // bookings of this column on the page so far
            if (outcome != BookingFlow::Outcome::Closed || cells.value(row - 2).value(col - 1) != name
                || leadingNumber(cells.value(PageModel::HoursUsedRow - 2).value(col - 1)) != float(booked)
                || reader.scalar(QStringLiteral("SELECT \"bName\" FROM \"tbl_Job\" WHERE \"bDate\" = ? AND \"bCol\" = "
                                                "? AND \"bRow\" = ?"),
                                 {d, col, row})
                           .toString()
                       != name)
                wrong(QStringLiteral("the booking at row %1, column %2 of %3 was not stored")
                          .arg(row)
                          .arg(col)
                          .arg(d.toString(Qt::ISODate)));
            if (commits.count - committed > BookingWrites)
                wrong(QStringLiteral("a booking committed %1 write transactions").arg(commits.count - committed));
            samples.add(lap, commits.count - committed);
        }
        if (returning && keys() != keysBefore)
            wrong(QStringLiteral("a returning customer's booking wrote look-up keys"));
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

Figure Bench::contendedBooking(int stations, int order)
{
    const QString letter = QString(QLatin1Char(char('b' + order)));
    Figure f = figure(QStringLiteral("booking_contended_%1").arg(stations),
                      QStringLiteral("4%1. Whole booking, %2 station%3 at once")
                          .arg(letter)
                          .arg(stations)
                          .arg(stations == 1 ? QString() : QStringLiteral("s")),
                      QStringLiteral("ms"));
    f.note = QStringLiteral("%1 station%2, each a thread with its own connection and day page, book the same pages "
                            "at once, one column each (beyond %3 stations, the next pages); every booking timed as "
                            "in 4, waits for the others' writes included; a booking that fails is counted, not timed")
                 .arg(stations)
                 .arg(stations == 1 ? QString() : QStringLiteral("s"))
                 .arg(Workshop::Techs);
    return measured(f, [this, stations](Figure &f) {
        const int perStation = reps(100), warm = 5;
        const int perPage = int(std::size(BookedRows));
        const int pagesEach = (warm + perStation + perPage - 1) / perPage;
        const int groups = (stations + Workshop::Techs - 1) / Workshop::Techs;
        // Each measure books pages of its own, after those of the measures before it.
        QDate first = nextWorkingDay(latestPage());
        const QString dbPath = sharedDbPath(m_state.paths());
        QVector<QDate> groupStart;
        {
            // The pages are made beforehand: stations making the same page at once is the page
            // creation's own contention, with its own message.
            DayPage page(m_state);
            page.openDatabase(dbPath);
            QDate d = first;
            for (int g = 0; g < groups; ++g) {
                groupStart << d;
                for (int p = 0; p < pagesEach; ++p, d = nextWorkingDay(d))
                    if (!page.openDate(d))
                        wrong(QStringLiteral("the page of %1 did not open").arg(d.toString(Qt::ISODate)));
            }
        }
        std::mutex lock;
        QVector<double> wall, cpu, writes;
        QStringList faults, failures;
        std::latch start(stations);
        std::vector<std::thread> threads;
        for (int s = 0; s < stations; ++s) {
            threads.emplace_back([&, s] {
                BenchDialogs dialogs;
                // Each station its own state, as separate programs would have.
                AppState state;
                state.paths().setProgramFolder(m_state.paths().programFolder());
                state.setDialogs(&dialogs);
                QVector<double> myWall, myCpu, myWrites;
                QStringList myFailures;
                QString fault;
                try {
                    Commits commits;
                    DayPage page(state);
                    page.openDatabase(dbPath);
                    commits.watch(page.database());
                    DayPageBooking view(page);
                    const int col = 1 + s % Workshop::Techs;
                    QDate d = groupStart.at(s / Workshop::Techs);
                    start.arrive_and_wait();
                    for (int i = 0; i < warm + perStation && fault.isEmpty(); ++i) {
                        const int k = i % perPage;
                        if (k == 0) {
                            if (i)
                                d = nextWorkingDay(d);
                            if (!page.openDate(d))
                                fault = QStringLiteral("the page of %1 did not open").arg(d.toString(Qt::ISODate));
                        }
                        const int committed = commits.count;
                        const QString name = QStringLiteral("Station %1 customer %2").arg(s + 1).arg(i);
                        dialogs.shown.clear();
                        Lap lap;
                        const BookingFlow::Outcome outcome = bookSlot(state, view, BookedRows[k], col, {name});
                        lap.stop();
                        if (outcome != BookingFlow::Outcome::Closed || !dialogs.shown.isEmpty()) {
                            myFailures << QStringLiteral("station %1, row %2 of %3%4")
                                              .arg(s + 1)
                                              .arg(BookedRows[k])
                                              .arg(d.toString(Qt::ISODate),
                                                   dialogs.shown.isEmpty()
                                                       ? QString()
                                                       : QStringLiteral(": ") + dialogs.shown.first());
                            continue;
                        }
                        if (commits.count - committed > BookingWrites)
                            fault = QStringLiteral("a booking committed %1 write transactions")
                                        .arg(commits.count - committed);
                        if (i >= warm) {
                            myWall << lap.ms;
                            myCpu << lap.cpuMs;
                            myWrites << commits.count - committed;
                        }
                    }
                } catch (const AppError &e) {
                    fault = QStringLiteral("station %1: %2 %3").arg(s + 1).arg(e.number()).arg(e.description());
                }
                std::lock_guard<std::mutex> guard(lock);
                wall << myWall;
                cpu << myCpu;
                writes << myWrites;
                failures << myFailures;
                if (!fault.isEmpty())
                    faults << fault;
            });
        }
        for (auto &t : threads)
            t.join();
        if (!faults.isEmpty())
            wrong(faults.first());
        if (wall.isEmpty())
            wrong(QStringLiteral("no booking was stored: ") + failures.value(0));
        f.value = summarize(wall);
        f.cpu = summarize(cpu);
        f.writes = summarize(writes).median;
        f.failures = int(failures.size());
        if (!failures.isEmpty())
            f.note += QStringLiteral("; first failure: ") + failures.first();
    });
}

Figure Bench::searchMissing()
{
    Figure f = figure(QStringLiteral("search_missing"), QStringLiteral("5a. Name search, no page holds it"),
                      QStringLiteral("ms"));
    f.target = 50;
    f.maxRatio = 2;
    f.note = QStringLiteral("NameSearch::start and next through every page of ten years, answer \"unsuccessful\"");
    attachFloor(f, QStringLiteral("name_scan"), QStringLiteral("scan of every page text"));
    return measured(f, [this](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        NameSearch search(page.store());
        Floors floors(m_dbPath);
        const int n = reps(25), warm = 2;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            floorScan(floors, floorSamples);
            const int committed = commits.count;
            Lap lap;
            search.start(Workshop::MissingName);
            const NameSearch::Answer a = search.next();
            lap.stop();
            if (a != NameSearch::Answer::Unsuccessful)
                wrong(QStringLiteral("the missing name was found"));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

Figure Bench::findSlot()
{
    constexpr int Days = 28;
    Figure f = figure(QStringLiteral("find_slot"), QStringLiteral("5c. Find a 3-hour slot with a skill, 28 days"),
                      QStringLiteral("ms"));
    f.target = 50;
    f.maxRatio = 2;
    f.note = QStringLiteral("SlotFinder::find, 3 hours, skill Brakes, every place in 28 stored days from a random "
                            "working day (the Find a Slot window's search when fewer than ten places lie in them)");
    attachFloor(f, QStringLiteral("page_range"), QStringLiteral("read the same 28 pages"));
    return measured(f, [this](Figure &f) {
        Commits commits;
        Database db(sharedDbPath(m_state.paths()));
        commits.watch(db);
        PageStore store(db);
        SlotFinder finder(store);
        Floors floors(m_dbPath);
        std::mt19937 rng(28);
        const int lastStart = int(m_workingDates.size()) - Days;
        if (lastStart < 1)
            wrong(QStringLiteral("fewer than %1 stored days").arg(Days));
        std::uniform_int_distribution<int> anyDay(0, lastStart - 1);
        const int n = reps(200), warm = 10;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            const QDate first = m_workingDates.at(anyDay(rng));
            if (floors.available()) {
                Lap lap;
                const int pages = floors.pageRange(first, first.addDays(Days - 1));
                lap.stop();
                if (pages != Days)
                    wrong(QStringLiteral("%1 pages from %2").arg(pages).arg(first.toString(Qt::ISODate)));
                floorSamples.add(lap);
            }
            SlotFinder::Query q;
            q.hours = 3;
            q.skill = 9; // Brakes
            q.first = first;
            q.days = Days;
            q.limit = Days * Workshop::Techs * 24;
            const int committed = commits.count;
            Lap lap;
            const auto places = finder.find(q);
            lap.stop();
            if (places.isEmpty() || places.first().date < first || places.last().date >= first.addDays(Days))
                wrong(QStringLiteral("no place found in 28 days from %1").arg(first.toString(Qt::ISODate)));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

Figure Bench::customerLookup()
{
    Figure f =
        figure(QStringLiteral("customer_lookup"),
               QStringLiteral("5d. Known customers for two to four typed letters or digits"), QStringLiteral("ms"));
    f.target = 50;
    f.maxRatio = 2;
    f.note = QStringLiteral("CustomerStore::lookup as the booking form runs it per keystroke: the first two to four "
                            "letters of a booked customer's name or digits of the phone, ten newest shown");
    attachFloor(f, QStringLiteral("customer_lookup"), QStringLiteral("the same query in plain SQL"));
    return measured(f, [this](Figure &f) {
        Database db(sharedDbPath(m_state.paths()));
        CustomerStore store(db);
        Floors floors(m_dbPath);
        QStringList typed;
        for (const QVariantList &r :
             db.select(QStringLiteral("SELECT \"cName\", \"cPhone\" FROM \"tbl_Customer\" ORDER BY \"rid\"")).rows) {
            typed << r.at(0).toString() << r.at(1).toString();
        }
        if (typed.isEmpty())
            wrong(QStringLiteral("no customers remembered"));
        std::mt19937 rng(31);
        std::uniform_int_distribution<int> anyText(0, int(typed.size()) - 1), length(2, 4);
        const int n = reps(500), warm = 20;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            QString text = typed.at(anyText(rng));
            const bool phone = !CustomerStore::phoneDigits(text).isEmpty();
            text = phone ? CustomerStore::phoneDigits(text).left(length(rng) + 1) : text.left(length(rng));
            const QString key = CustomerStore::lookupKey(text);
            if (key.isEmpty())
                continue;
            if (floors.available()) {
                Lap lap;
                floors.customerLookup(key);
                lap.stop();
                floorSamples.add(lap);
            }
            Lap lap;
            const auto found = store.lookup(text);
            lap.stop();
            if (found.isEmpty())
                wrong(QStringLiteral("no customer for \"%1\"").arg(text));
            samples.add(lap, 0);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

Figure Bench::searchOldest()
{
    Figure f = figure(QStringLiteral("search_oldest"), QStringLiteral("5b. Name search, hit on the oldest page"),
                      QStringLiteral("ms"));
    f.target = 50;
    f.maxRatio = 2;
    f.note = QStringLiteral("NameSearch::start and next back to the oldest page, then that page opened and its "
                            "cell found, as the window does on a hit");
    attachFloor(f, QStringLiteral("name_scan"), QStringLiteral("scan of every page text"));
    return measured(f, [this](Figure &f) {
        Commits commits;
        DayPage page(m_state);
        page.openDatabase(sharedDbPath(m_state.paths()));
        commits.watch(page.store().database());
        NameSearch search(page.store());
        CalendarModel calendar;
        Floors floors(m_dbPath);
        const int n = reps(25), warm = 2;
        Samples samples(warm), floorSamples(warm);
        for (int i = 0; i < warm + n; ++i) {
            floorScan(floors, floorSamples);
            page.openDate(m_workingDates.last());
            const int committed = commits.count;
            Lap lap;
            search.start(Workshop::OldestPageName);
            const NameSearch::Answer a = search.next();
            bool opened = false;
            std::optional<QPoint> cell;
            if (a == NameSearch::Answer::Found) {
                opened = page.openDate(search.hitDate());
                calendar.rebuild(search.hitDate());
                cell = page.findCell(search.name());
            }
            lap.stop();
            if (a != NameSearch::Answer::Found || search.hitDate() != m_oldestNameDate || !opened || !cell)
                wrong(QStringLiteral("the name on the oldest page was not found there"));
            samples.add(lap, commits.count - committed);
        }
        samples.into(f);
        f.floor = floorSamples.wall();
    });
}

QVector<Figure> Bench::startUp()
{
    Figure splash =
        figure(QStringLiteral("start_splash"), QStringLiteral("6a. Start to splash shown"), QStringLiteral("ms"));
    splash.note = QStringLiteral("process start to the splash's first paint; the main menu has been loaded behind it "
                                 "by then");
    Figure menu =
        figure(QStringLiteral("start_menu"), QStringLiteral("6b. Start to main menu shown"), QStringLiteral("ms"));
    menu.target = 400;
    menu.note = QStringLiteral("process start to the main menu's first paint, a key pressed on the splash as soon "
                               "as it painted (QT_QPA_PLATFORM=offscreen, TORVANE_BENCH_PROBE=menu)");
    QVector<double> splashSamples, menuSamples;
    QString error;
    const QString program = QDir(m_stationDir).filePath(QStringLiteral("torvane"));
    if (wanted(splash.name) || wanted(menu.name)) {
        progress(QStringLiteral("measuring start_splash, start_menu"));
        const int n = reps(20), warm = 2;
        for (int i = 0; i < warm + n && error.isEmpty(); ++i) {
            const ChildRun run = runChild(
                program, {}, {QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("TORVANE_BENCH_PROBE=menu")},
                30000);
            if (!run.failure.isEmpty())
                error = run.failure;
            else if (run.at("splash") < 0 || run.at("menu") < 0 || run.exitCode != 0)
                error = QStringLiteral("no main menu (exit %1%2): %3")
                            .arg(run.exitCode)
                            .arg(run.timedOut ? QStringLiteral(", timed out") : QString(),
                                 QString::fromLocal8Bit(run.errors.left(300)));
            else if (i >= warm) {
                splashSamples << run.at("splash");
                menuSamples << run.at("menu");
            }
        }
    }
    QVector<Figure> out;
    for (auto [f, samples] : {std::pair{splash, splashSamples}, std::pair{menu, menuSamples}}) {
        if (!wanted(f.name))
            continue;
        f.error = error;
        if (error.isEmpty())
            f.value = summarize(samples);
        out << f;
    }
    return out;
}

Figure Bench::peakMemory()
{
    Figure f =
        figure(QStringLiteral("peak_memory"), QStringLiteral("7. Peak memory, day page open"), QStringLiteral("MB"));
    f.target = 80;
    f.note = QStringLiteral("peak resident set (VmHWM) of the program once its day page has painted, started "
                            "through splash and main menu entry 1 (TORVANE_BENCH_PROBE=daypage)");
    return measured(f, [this](Figure &f) {
        const QString program = QDir(m_stationDir).filePath(QStringLiteral("torvane"));
        QVector<double> samples;
        const int n = reps(7), warm = 1;
        for (int i = 0; i < warm + n; ++i) {
            const ChildRun run = runChild(
                program, {},
                {QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("TORVANE_BENCH_PROBE=daypage")}, 30000);
            if (!run.failure.isEmpty())
                wrong(run.failure);
            const ChildLine *line = run.line("daypage");
            const qint64 kb = line ? line->text.mid(8).toLongLong() : 0;
            if (kb <= 0 || run.exitCode != 0)
                wrong(QStringLiteral("no day page (exit %1%2): %3")
                          .arg(run.exitCode)
                          .arg(run.timedOut ? QStringLiteral(", timed out") : QString(),
                               QString::fromLocal8Bit(run.errors.left(300))));
            if (i >= warm)
                samples << double(kb) / 1024;
        }
        f.value = summarize(samples);
    });
}

Report Bench::run()
{
    Report report;
    report.buildType = QStringLiteral(TORVANE_BENCH_BUILD_TYPE);
    prepare(report);
    report.machine = machineDescription(m_options.dir);
    DiskStress stress(m_options.dir, m_options.stressMb);
    if (m_options.diskStress) {
        stress.start();
        report.machine << qMakePair(QStringLiteral("Disk stress"),
                                    QStringLiteral("files of %1 MB written and flushed in the work folder, over "
                                                   "and over, while the measures run")
                                        .arg(m_options.stressMb));
    }
    if (wanted(QStringLiteral("open_stored_page")))
        report.figures << openStoredPage();
    if (wanted(QStringLiteral("open_new_date")))
        report.figures << openNewDate();
    if (wanted(QStringLiteral("save_page")))
        report.figures << savePage();
    if (wanted(QStringLiteral("booking")))
        report.figures << wholeBooking(false);
    if (wanted(QStringLiteral("booking_returning")))
        report.figures << wholeBooking(true);
    if (wanted(QStringLiteral("booking_contended")))
        for (int i = 0; i < m_options.stations.size(); ++i)
            report.figures << contendedBooking(m_options.stations.at(i), i);
    if (wanted(QStringLiteral("search_missing")))
        report.figures << searchMissing();
    if (wanted(QStringLiteral("search_oldest")))
        report.figures << searchOldest();
    if (wanted(QStringLiteral("find_slot")))
        report.figures << findSlot();
    if (wanted(QStringLiteral("customer_lookup")))
        report.figures << customerLookup();
    report.figures << startUp();
    if (wanted(QStringLiteral("peak_memory")))
        report.figures << peakMemory();
    return report;
}
