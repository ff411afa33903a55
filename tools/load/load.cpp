// torvane-load: N stations, each a separate process, book, change and delete bookings on the
// same day pages of one shared database through the code the windows use (BookingFlow over the
// day page), retrying a record held by another station as a user would. Then the database is
// checked: every booking saved is in its record and its cell, no cell shows a name without a
// record or a claim left behind, hours used equal the bookings' totals, integrity ok.
//
//   torvane-load --stations N --ops M --db PATH     (M operations per station)

#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "booking/BookingFlow.h"
#include "booking/DayPageBooking.h"
#include "daypage/DayPage.h"
#include "daypage/PageModel.h"
#include "daypage/PageText.h"
#include "store/AppError.h"
#include "store/Database.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace BookingEntry;

namespace {

// Two working days far ahead, so no page is locked as past.
const QDate Days[] = {QDate(2031, 3, 3), QDate(2031, 3, 4)};
constexpr int HoursUsedRow = 3;
constexpr int Attempts = 50; // saves or deletes tried while another station holds the record

// A save refused while another station writes: the record-busy message, or the common message
// with the number, when reading the stored name met the lock.
const QString Busy = QStringLiteral("3186");

// Answers every question with Yes, as a user who means it, and keeps what was shown.
class LoadDialogs : public Dialogs {
public:
    QStringList shown;
    Answer message(const QString &text, const QString &title, Buttons, Icon) override
    {
        shown << title + QStringLiteral(": ") + text;
        if (qEnvironmentVariableIsSet("TORVANE_LOAD_MESSAGES"))
            std::fprintf(stderr, "%s\n", qPrintable(shown.last()));
        return AnsYes;
    }
    std::optional<QString> input(const QString &, const QString &, const QString &defaultText) override
    {
        return defaultText;
    }
};

struct Booking {
    QString name;
    QDate date;
    int row = 0;
    int col = 0;
};

// One station: its own values, dialogs, day page and connections.
class Station {
public:
    Station(const QString &dbPath, int index, const QString &run, quint32 seed)
        : m_page(m_state), m_booking(m_page), m_db(dbPath), m_index(index), m_run(run), m_random(seed)
    {
        m_state.setDialogs(&m_dialogs);
        m_state.paths().setServerFolder(QFileInfo(dbPath).absolutePath());
        m_page.openDatabase(dbPath);
        // Opening the window again when the settings could not be read.
        for (int i = 0;; ++i) {
            try {
                m_page.readLocation();
                break;
            } catch (const AppError &e) {
                if (e.number() != ErrNo::RecordLocked || i == Attempts)
                    throw;
            }
        }
    }

    // False when a failure escaped the routines that should have trapped it.
    bool run(int ops)
    {
        bool trapped = true;
        for (int i = 0; i < ops; ++i) {
            const int pick = int(m_random.bounded(10));
            const char *op = m_mine.isEmpty() || pick < 5 ? "book" : pick < 8 ? "change" : "delete";
            try {
                if (m_mine.isEmpty() || pick < 5)
                    book();
                else if (pick < 8)
                    change(int(m_random.bounded(int(m_mine.size()))));
                else
                    remove(int(m_random.bounded(int(m_mine.size()))));
            } catch (const AppError &e) {
                std::fprintf(stderr, "station %d, %s: untrapped %d %s\n", m_index, op, e.number(),
                             qPrintable(e.description()));
                trapped = false;
            }
        }
        QHash<QString, int> titles;
        for (const QString &m : m_dialogs.shown)
            ++titles[m.section(QLatin1Char(':'), 0, 0)];
        for (auto it = titles.cbegin(); it != titles.cend(); ++it)
            out(QStringLiteral("M\t%1\t%2").arg(it.key()).arg(it.value()));
        return trapped;
    }

private:
    void out(const QString &line)
    {
        std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
        std::fflush(stdout);
    }

    bool show(const QDate &date)
    {
        if (m_page.hasPage() && m_page.record().date == date)
            return true;
        return m_page.openDate(date);
    }

    QString jobTime() { return NumberText(0.5f * float(1 + m_random.bounded(6))); }

    // Enter on the slot; the flow of the opened booking, or none.
    std::unique_ptr<BookingFlow> enter(int row, int col, BookingPage::Claim want)
    {
        try {
            if (m_booking.claimSlot(row, col) != want)
                return nullptr;
        } catch (const AppError &) {
            // The grid's key handler ends quietly when the claim cannot be stored; Enter again.
            return nullptr;
        }
        auto flow = std::make_unique<BookingFlow>(m_state, m_booking);
        if (!flow->open()) {
            flow->closing(QString());
            return nullptr;
        }
        flow->activate();
        return flow;
    }

    // Save, and Save again while another station holds the record.
    void save(BookingFlow &flow, const BookingEntries &form)
    {
        for (int i = 0; i < Attempts; ++i) {
            const qsizetype before = m_dialogs.shown.size();
            if (flow.saveCommand(form) != BookingFlow::Outcome::StayOpen)
                return;
            if (m_dialogs.shown.size() == before || !m_dialogs.shown.last().contains(Busy))
                return;
            QThread::msleep(1 + m_random.bounded(20));
        }
    }

    // What the record holds now; the tool's own look, so it waits out another station's write.
    ResultRows record(const Booking &b)
    {
        for (;;) {
            try {
                return m_db.select(
                    QStringLiteral("SELECT bName, bTTime FROM tbl_Job WHERE bDate = ? AND bCol = ? AND bRow = ?"),
                    {b.date, b.col, b.row});
            } catch (const AppError &e) {
                if (e.number() != ErrNo::RecordLocked)
                    throw;
            }
        }
    }

    void book()
    {
        Booking b;
        b.date = Days[m_random.bounded(2)];
        if (!show(b.date))
            return;
        const PageModel &model = m_page.model();
        b.col = 1 + int(m_random.bounded(model.lastCol()));
        b.row = PageModel::FirstTimeRow + int(m_random.bounded(model.lastRow() - PageModel::FirstTimeRow));
        auto flow = enter(b.row, b.col, BookingPage::Claim::Claimed);
        if (!flow)
            return;
        b.name = QStringLiteral("L%1-%2-%3").arg(m_run).arg(m_index).arg(++m_count);
        BookingEntries form = flow->loadedForm();
        form[Name] = b.name;
        form[time(0)] = jobTime();
        if (m_random.bounded(2))
            form[time(3)] = jobTime();
        form[TTime] = BookingFlow::TotalTime(form);
        flow->recordChanged = flow->timeChanged = true;
        save(*flow, form);
        flow->closing(form[Name]);
        const ResultRows r = record(b);
        if (!r.isEmpty() && r.value(0, QStringLiteral("bName")).toString() == b.name) {
            m_mine << b;
            out(QStringLiteral("S\t%1\t%2\t%3\t%4\t%5")
                    .arg(b.name, b.date.toString(Qt::ISODate))
                    .arg(b.col)
                    .arg(b.row)
                    .arg(r.value(0, QStringLiteral("bTTime")).toString()));
        }
    }

    void change(int i)
    {
        const Booking b = m_mine.at(i);
        if (!show(b.date))
            return;
        auto flow = enter(b.row, b.col, BookingPage::Claim::Booked);
        if (!flow)
            return;
        BookingEntries form = flow->loadedForm();
        if (form[Name] != b.name) {
            flow->closing(form[Name]);
            return;
        }
        form[time(0)] = jobTime();
        form[TTime] = BookingFlow::TotalTime(form);
        flow->recordChanged = flow->timeChanged = true;
        save(*flow, form);
        flow->closing(form[Name]);
        const ResultRows r = record(b);
        if (!r.isEmpty() && r.value(0, QStringLiteral("bName")).toString() == b.name)
            out(QStringLiteral("C\t%1\t%2").arg(b.name, r.value(0, QStringLiteral("bTTime")).toString()));
    }

    void remove(int i)
    {
        const Booking b = m_mine.at(i);
        if (!show(b.date))
            return;
        auto flow = enter(b.row, b.col, BookingPage::Claim::Booked);
        if (!flow)
            return;
        for (int a = 0; a < Attempts && !flow->deleted(); ++a) {
            flow->deleteRecord();
            if (!flow->deleted())
                QThread::msleep(1 + m_random.bounded(20));
        }
        flow->closing(b.name);
        if (record(b).isEmpty()) {
            m_mine.removeAt(i);
            out(QStringLiteral("D\t%1").arg(b.name));
        }
    }

    LoadDialogs m_dialogs;
    AppState m_state;
    DayPage m_page;
    DayPageBooking m_booking;
    Database m_db;
    int m_index;
    QString m_run;
    QRandomGenerator m_random;
    QVector<Booking> m_mine;
    int m_count = 0;
};

struct Expected {
    QDate date;
    int col = 0;
    int row = 0;
    QString total;
    bool live = true;
};

struct Report {
    int saved = 0;
    int lost = 0;
    int duplicated = 0;
    bool hoursOk = true;
    QString integrity;
};

void fault(const QString &text) { std::fputs(qPrintable(QStringLiteral("fault: ") + text + QLatin1Char('\n')), stderr); }

Report check(const QString &dbPath, const QString &run, const QMap<QString, Expected> &expected, int saved)
{
    Report rep;
    rep.saved = saved;
    Database db(dbPath);
    const QString prefix = QStringLiteral("L%1-").arg(run);

    // The records of this run's names against what the stations saw saved.
    QHash<QString, int> seen;
    for (const QDate &day : Days) {
        const ResultRows jobs = db.select(
            QStringLiteral("SELECT bCol, bRow, bName, bTTime FROM tbl_Job WHERE bDate = ?"), {day});
        for (const auto &j : jobs.rows) {
            const QString name = j.at(2).toString();
            if (!name.startsWith(prefix))
                continue;
            const auto e = expected.constFind(name);
            if (e == expected.cend() || !e->live || ++seen[name] > 1) {
                ++rep.duplicated;
                fault(QStringLiteral("record %1 at %2 %3,%4 should not be there").arg(name, day.toString(Qt::ISODate))
                          .arg(j.at(0).toInt()).arg(j.at(1).toInt()));
                continue;
            }
            if (e->date != day || e->col != j.at(0).toInt() || e->row != j.at(1).toInt()
                || e->total != j.at(3).toString()) {
                ++rep.lost;
                fault(QStringLiteral("record %1 is not as saved").arg(name));
            }
        }
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        if (it->live && !seen.contains(it.key())) {
            ++rep.lost;
            fault(QStringLiteral("record %1 is gone").arg(it.key()));
        }

    // Every page: names in cells and records agree, no claim left, hours used add up.
    for (const QDate &day : Days) {
        const ResultRows page = db.select(QStringLiteral("SELECT Data, Listno FROM tbl_Appt WHERE caldate = ?"), {day});
        if (page.isEmpty())
            continue;
        const PageText::Cells cells = PageText::parse(page.rows[0][0].toString());
        const int techs = page.rows[0][1].toInt();
        const int lastRow = int(cells.size()) + PageModel::TextTopRow - 1;
        auto cell = [&](int row, int col) {
            const int r = row - PageModel::TextTopRow, c = col - 1;
            return r < cells.size() && c < cells.at(r).size() ? cells.at(r).at(c) : QString();
        };
        const ResultRows jobs = db.select(
            QStringLiteral("SELECT bCol, bRow, bName, bTTime FROM tbl_Job WHERE bDate = ?"), {day});
        QHash<QPair<int, int>, QString> names;
        QVector<double> totals(techs + 1, 0.0);
        for (const auto &j : jobs.rows) {
            const int col = j.at(0).toInt(), row = j.at(1).toInt();
            names.insert({row, col}, j.at(2).toString());
            if (col >= 1 && col <= techs)
                totals[col] += LeadingNumber(j.at(3).toString());
            const QString name = j.at(2).toString();
            if (!name.isEmpty() && cell(row, col) != name) {
                ++rep.lost;
                fault(QStringLiteral("%1 %2,%3: record %4, cell \"%5\"")
                          .arg(day.toString(Qt::ISODate)).arg(row).arg(col).arg(name, cell(row, col)));
            }
        }
        for (int col = 1; col <= techs; ++col) {
            for (int row = PageModel::FirstTimeRow; row < lastRow; ++row) {
                const QString text = cell(row, col);
                if (text.isEmpty() || text == QLatin1String("LUNCH"))
                    continue;
                if (text == QLatin1String("Engaged") || names.value({row, col}) != text) {
                    ++rep.lost;
                    fault(QStringLiteral("%1 %2,%3: cell \"%4\" without its record")
                              .arg(day.toString(Qt::ISODate)).arg(row).arg(col).arg(text));
                }
            }
            const double used = LeadingNumber(cell(HoursUsedRow, col));
            if (std::abs(used - totals.at(col)) > 0.001) {
                rep.hoursOk = false;
                fault(QStringLiteral("%1 column %2: hours used %3, bookings %4")
                          .arg(day.toString(Qt::ISODate)).arg(col).arg(used).arg(totals.at(col)));
            }
        }
    }
    rep.integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    return rep;
}

int runStations(int stations, int ops, const QString &dbPath)
{
    if (!QFileInfo::exists(dbPath)) {
        const QString seed = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db.mdb"));
        if (!QFile::copy(seed, dbPath)) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(seed), qPrintable(dbPath));
            return 2;
        }
        QFile::setPermissions(dbPath, QFile::permissions(dbPath) | QFileDevice::WriteOwner);
    }
    const QString run = QString::number(QDateTime::currentMSecsSinceEpoch(), 36);

    std::vector<std::unique_ptr<QProcess>> procs;
    for (int s = 1; s <= stations; ++s) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--worker"), QString::number(s), QStringLiteral("--ops"), QString::number(ops),
                  QStringLiteral("--db"), dbPath, QStringLiteral("--run"), run});
        procs.push_back(std::move(p));
    }

    QMap<QString, Expected> expected;
    QMap<QString, int> messages;
    int saved = 0;
    bool workersOk = true;
    for (auto &p : procs) {
        p->waitForFinished(-1);
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0) {
            workersOk = false;
            fault(QStringLiteral("a station ended with %1").arg(p->exitCode()));
        }
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            const QStringList f = line.split(QLatin1Char('\t'));
            if (f.at(0) == QLatin1String("S") && f.size() == 6) {
                ++saved;
                expected.insert(f.at(1), {QDate::fromString(f.at(2), Qt::ISODate), f.at(3).toInt(), f.at(4).toInt(), f.at(5), true});
            } else if (f.at(0) == QLatin1String("C") && f.size() == 3) {
                expected[f.at(1)].total = f.at(2);
            } else if (f.at(0) == QLatin1String("D") && f.size() == 2) {
                expected[f.at(1)].live = false;
            } else if (f.at(0) == QLatin1String("M") && f.size() == 3) {
                messages[f.at(1)] += f.at(2).toInt();
            }
        }
    }
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        std::fprintf(stderr, "messages \"%s\": %d\n", qPrintable(it.key()), it.value());

    const Report rep = check(dbPath, run, expected, saved);
    std::printf("stations=%d ops=%d saved=%d lost=%d duplicated=%d hours_ok=%s integrity=%s\n", stations,
                stations * ops, rep.saved, rep.lost, rep.duplicated, rep.hoursOk ? "yes" : "no",
                qPrintable(rep.integrity));
    const bool ok = workersOk && rep.lost == 0 && rep.duplicated == 0 && rep.hoursOk
                    && rep.integrity == QLatin1String("ok");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    cl.setApplicationDescription(QStringLiteral("Stations booking on the same pages of one shared database."));
    cl.addHelpOption();
    const QCommandLineOption stationsOpt(QStringLiteral("stations"), QStringLiteral("Stations (processes)."),
                                         QStringLiteral("N"), QStringLiteral("4"));
    const QCommandLineOption opsOpt(QStringLiteral("ops"), QStringLiteral("Operations per station."),
                                    QStringLiteral("M"), QStringLiteral("200"));
    const QCommandLineOption dbOpt(QStringLiteral("db"), QStringLiteral("Shared database, made from the seed if missing."),
                                   QStringLiteral("PATH"));
    const QCommandLineOption workerOpt(QStringLiteral("worker"), QStringLiteral("Run as station number I."),
                                       QStringLiteral("I"));
    const QCommandLineOption runOpt(QStringLiteral("run"), QStringLiteral("Run name."), QStringLiteral("RUN"));
    cl.addOptions({stationsOpt, opsOpt, dbOpt, workerOpt, runOpt});
    cl.process(app);

    bool okStations = false, okOps = false;
    const int stations = cl.value(stationsOpt).toInt(&okStations);
    const int ops = cl.value(opsOpt).toInt(&okOps);
    const QString db = cl.value(dbOpt);
    if (!okStations || !okOps || stations < 1 || ops < 0 || db.isEmpty()) {
        std::fputs("usage: torvane-load --stations N --ops M --db PATH\n", stderr);
        return 2;
    }
    try {
        if (cl.isSet(workerOpt)) {
            const int index = cl.value(workerOpt).toInt();
            // A station that cannot open the file while another one writes opens it again.
            std::unique_ptr<Station> station;
            for (int i = 0; !station; ++i) {
                try {
                    station = std::make_unique<Station>(db, index, cl.value(runOpt),
                                                        quint32(index * 7919 + QDateTime::currentMSecsSinceEpoch()));
                } catch (const AppError &e) {
                    if (e.number() != ErrNo::RecordLocked || i == Attempts)
                        throw;
                }
            }
            return station->run(ops) ? 0 : 3;
        }
        return runStations(stations, ops, QFileInfo(db).absoluteFilePath());
    } catch (const AppError &e) {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
        return 2;
    }
}
