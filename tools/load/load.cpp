// torvane-load: N stations, each a separate process, book, change and delete bookings on the
// same day pages of one shared database through the code the windows use (BookingFlow over the
// day page), retrying a record held by another station as a user would. They also edit any
// station's bookings, each station its own field, and press Delete on booked slots. Then the
// database is checked: every booking saved is in its record and its cell, every field a station
// saved without being told otherwise holds its last value (lost edits), no cell shows a name
// without a record and no record's name is missing from its cell (orphans), hours used equal
// the bookings' totals, integrity ok, and no claim is left behind.
//
//   torvane-load --stations N --ops M --db PATH     (M operations per station; PATH a db.mdb, or
//                                                    a server folder holding db.pgconn or db.mdb)
//     --kill K         kills a random station K times during the run (SIGKILL) and starts a new
//                      station in its place; afterwards a station takes over the claims of the
//                      stopped ones (recovery) before the check
//     --disk-stress    a background writer flushes large files in the database's folder
//     --stress-mb S    size of each of those files (64)
//     --timeout SECS   how long a silent station counts as running (120)
//
// The run prints one line with the counts and ends with 0 only when the file is consistent.

#include "../DiskStress.h"
#include "booking/BookingDesk.h"
#include "booking/BookingFlow.h"
#include "booking/DayPageBooking.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/Numbers.h"
#include "daypage/DayPage.h"
#include "daypage/PageModel.h"
#include "daypage/PageText.h"
#include "store/AppError.h"
#include "store/Database.h"
#include "store/StationRegistry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QPoint>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

protected:
    Answer present(const QString &text, const QString &title, Buttons, Icon) override
    {
        shown << title + QStringLiteral(": ") + text;
        if (qEnvironmentVariableIsSet("TORVANE_LOAD_MESSAGES"))
            std::fprintf(stderr, "%s\n", qPrintable(shown.last()));
        return AnsYes;
    }
    std::optional<QString> presentInput(const QString &, const QString &, const QString &defaultText) override
    {
        return defaultText;
    }
};

// The field a station edits in any booking: stations share no field, so each one's last saved
// value is what the record must hold in the end.
Id editedField(int station)
{
    static const Id fields[] = {Phone, Address, City, PostCode, Vehicle, Make, Mainten, Comments};
    return fields[station % int(std::size(fields))];
}

struct Booking {
    QString name;
    QDate date;
    int row = 0;
    int col = 0;
};

// One station: its own values, dialogs, day page and connections.
class Station {
public:
    Station(const QString &dbPath, int index, const QString &run, quint32 seed, int timeoutMs)
        : m_page(m_state), m_booking(m_page), m_db(dbPath), m_index(index), m_run(run), m_random(seed)
    {
        m_state.setDialogs(&m_dialogs);
        m_state.paths().setServerFolder(QFileInfo(dbPath).absolutePath());
        m_state.registration().timeoutMs = timeoutMs;
        m_state.registration().id = m_state.registration().heartbeat.start(dbPath);
        m_page.openDatabase(dbPath);
        // The Delete key on a booked slot takes the whole booking, as in the station's window.
        DayPageBooking::eraseBookingsOn(m_page, m_desk);
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
        out(QStringLiteral("R\t%1").arg(m_state.registration().id));
        for (int i = 0; i < ops; ++i) {
            m_state.registration().heartbeat.beatIfDue();
            const int pick = int(m_random.bounded(20));
            const char *op = pick < 8    ? "book"
                             : pick < 12 ? "change"
                             : pick < 14 ? "delete"
                             : pick < 19 ? "edit"
                                         : "delete key";
            try {
                if (pick >= 14 && pick < 19)
                    edit();
                else if (pick == 19)
                    deleteKey();
                else if (m_mine.isEmpty() || pick < 8)
                    book();
                else if (pick < 12)
                    change(int(m_random.bounded(int(m_mine.size()))));
                else
                    remove(int(m_random.bounded(int(m_mine.size()))));
            } catch (const AppError &e) {
                std::fprintf(stderr, "station %d, %s: untrapped %d %s\n", m_index, op, e.number(),
                             qPrintable(e.description()));
                trapped = false;
            }
            m_page.releaseLeftClaims(); // as the window's live refresh does every second
            out(QStringLiteral("O"));
        }
        for (int i = 0; i < 20 * Attempts && m_page.releaseLeftClaims() > 0; ++i)
            QThread::msleep(50);
        QHash<QString, int> titles;
        for (const QString &m : m_dialogs.shown)
            ++titles[m.section(QLatin1Char(':'), 0, 0)];
        for (auto it = titles.cbegin(); it != titles.cend(); ++it)
            out(QStringLiteral("M\t%1\t%2").arg(it.key()).arg(it.value()));
        return trapped;
    }

    // Enter on every slot left "Engaged" on the days of the run, as a user would after a
    // station stopped: the claim is taken over and the booking window closed at once, which
    // releases it or leaves the restored name. Returns the claims taken over.
    int recover()
    {
        int taken = 0;
        for (const QDate &day : Days) {
            if (!m_page.openDate(day))
                continue;
            const PageModel &model = m_page.model();
            for (int col = 1; col <= model.lastCol(); ++col) {
                for (int row = PageModel::FirstTimeRow; row < model.lastRow(); ++row) {
                    if (m_page.grid().text(row, col) != BookingFlow::Engaged)
                        continue;
                    const auto c = m_booking.claimSlot(row, col);
                    if (c != BookingPage::Claim::Claimed && c != BookingPage::Claim::Booked)
                        continue;
                    ++taken;
                    closeAtOnce(row, col);
                }
            }
        }
        return taken;
    }

private:
    // The booking window of the slot entered, closed without a change.
    void closeAtOnce(int row, int col)
    {
        BookingFlow flow(m_state, m_booking, m_desk, enteredCell(row, col));
        const QString name = flow.open() ? flow.loadedForm()[Name] : QString();
        flow.closing(name);
    }

    // The slot just entered, as the day page hands it to the booking window.
    BookingCell enteredCell(int row, int col) const
    {
        return {m_page.record().date, row, col, m_page.bookingColor(), {}};
    }

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

    QString jobTime() { return numberText(0.5f * float(1 + m_random.bounded(6))); }

    // Enter on the slot; the flow of the opened booking, or none.
    std::unique_ptr<BookingFlow> enter(int row, int col, BookingPage::Claim want)
    {
        try {
            const BookingPage::Claim got = m_booking.claimSlot(row, col);
            if (got != want) {
                // Not the slot expected (freed, or booked, meanwhile): the window that opened is
                // closed again, as a user would, so no claim is left behind.
                if (got == BookingPage::Claim::Claimed || got == BookingPage::Claim::Booked)
                    closeAtOnce(row, col);
                return nullptr;
            }
        } catch (const AppError &) {
            // The grid's key handler ends quietly when the claim cannot be stored; Enter again.
            return nullptr;
        }
        auto flow = std::make_unique<BookingFlow>(m_state, m_booking, m_desk, enteredCell(row, col));
        if (!flow->open()) {
            flow->closing(QString());
            return nullptr;
        }
        flow->activate();
        return flow;
    }

    // Save, and Save again while another station holds the record. True when the last try
    // closed the form without a word: what the user takes as saved.
    bool save(BookingFlow &flow, const BookingEntries &form)
    {
        for (int i = 0; i < Attempts; ++i) {
            const qsizetype before = m_dialogs.shown.size();
            const BookingFlow::Outcome outcome = flow.saveCommand(form);
            if (outcome != BookingFlow::Outcome::StayOpen)
                return outcome == BookingFlow::Outcome::Closed && m_dialogs.shown.size() == before;
            if (m_dialogs.shown.size() == before || !m_dialogs.shown.last().contains(Busy))
                return false;
            QThread::msleep(1 + m_random.bounded(20));
        }
        return false;
    }

    // A booked slot of this run on a day shown, any station's: its name, or none.
    std::optional<Booking> anyBooked()
    {
        Booking b;
        b.date = Days[m_random.bounded(2)];
        if (!show(b.date))
            return std::nullopt;
        m_page.refreshGrid();
        const PageModel &model = m_page.model();
        const QString prefix = QStringLiteral("L%1-").arg(m_run);
        QVector<QPoint> booked;
        for (int col = 1; col <= model.lastCol(); ++col)
            for (int row = PageModel::FirstTimeRow; row < model.lastRow(); ++row)
                if (m_page.grid().text(row, col).startsWith(prefix))
                    booked << QPoint(col, row);
        if (booked.isEmpty())
            return std::nullopt;
        const QPoint at = booked.at(int(m_random.bounded(int(booked.size()))));
        b.col = at.x();
        b.row = at.y();
        b.name = m_page.grid().text(b.row, b.col);
        return b;
    }

    // Another station's or its own booking opened and one field changed, the field this
    // station owns, so every station's last saved value of its field must stay.
    void edit()
    {
        const auto b = anyBooked();
        if (!b)
            return;
        auto flow = enter(b->row, b->col, BookingPage::Claim::Booked);
        if (!flow)
            return;
        BookingEntries form = flow->loadedForm();
        if (form[Name] != b->name) {
            flow->closing(form[Name]);
            return;
        }
        const Id field = editedField(m_index);
        const QString value = QStringLiteral("E%1-%2").arg(m_index).arg(++m_count);
        form[field] = value;
        flow->recordEdited();
        out(QStringLiteral("I\t%1").arg(b->name));
        const qsizetype before = m_dialogs.shown.size();
        const bool saved = save(*flow, form);
        flow->closing(form[Name]);
        if (saved)
            out(QStringLiteral("E\t%1\t%2\t%3").arg(b->name).arg(int(field)).arg(value));
        // Deleted by its owner meanwhile and made again by this save: whether it lives now
        // depends on which of the two came last.
        for (qsizetype m = before; m < m_dialogs.shown.size(); ++m)
            if (m_dialogs.shown.at(m).contains(QLatin1String("3167")))
                out(QStringLiteral("U\t%1").arg(b->name));
    }

    // The Delete key on a booked slot of any station, answered Yes.
    void deleteKey()
    {
        const auto b = anyBooked();
        if (!b)
            return;
        out(QStringLiteral("I\t%1").arg(b->name));
        m_page.grid().setCurrentCell(b->row, b->col);
        m_page.deleteCell();
        const ResultRows r = record(*b);
        if (r.isEmpty() || r.value(0, QStringLiteral("bName")).toString() != b->name)
            out(QStringLiteral("X\t%1").arg(b->name));
    }

    // What the record holds now; the tool's own look, so it waits out another station's write.
    ResultRows record(const Booking &b)
    {
        for (;;) {
            try {
                return m_db.select(QStringLiteral("SELECT \"bName\", \"bTTime\" FROM \"tbl_Job\" WHERE \"bDate\" = ? "
                                                  "AND \"bCol\" = ? AND \"bRow\" = ?"),
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
        form[TTime] = BookingFlow::totalTime(form);
        flow->recordEdited();
        flow->timeEdited();
        out(QStringLiteral("I\t%1").arg(b.name));
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
        form[TTime] = BookingFlow::totalTime(form);
        flow->recordEdited();
        flow->timeEdited();
        out(QStringLiteral("I\t%1").arg(b.name));
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
        if (flow->loadedForm()[Name] != b.name) {
            // Deleted at another station, and the slot booked again since: not this booking.
            flow->closing(QString());
            m_mine.removeAt(i);
            return;
        }
        out(QStringLiteral("I\t%1").arg(b.name));
        for (int a = 0; a < Attempts && !flow->deleted(); ++a) {
            if (flow->deleteRecord(flow->loadedForm()) == BookingFlow::Outcome::Reloaded)
                continue; // another station saved it first: the form shows it, delete that
            if (!flow->deleted())
                QThread::msleep(1 + m_random.bounded(20));
        }
        flow->closing(b.name);
        // Once the slot is free another station may book it at once: gone is this name gone.
        const ResultRows r = record(b);
        if (r.isEmpty() || r.value(0, QStringLiteral("bName")).toString() != b.name) {
            m_mine.removeAt(i);
            out(QStringLiteral("D\t%1").arg(b.name));
        }
    }

    LoadDialogs m_dialogs;
    AppState m_state;
    DayPage m_page;
    DayPageBooking m_booking;
    BookingDesk m_desk;
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

// By booking name and field, the last value each station saved there without being told
// otherwise: the record must hold one of them.
using SavedEdits = QHash<QString, QHash<int, QSet<QString>>>;

struct Report {
    int saved = 0;
    int lost = 0;
    int lostEdits = 0;
    int editsChecked = 0;
    int orphans = 0; // a name in a cell without its record, or a record's name missing from its cell
    int duplicated = 0;
    int claims = 0; // slots still "Engaged"
    bool hoursOk = true;
    QString integrity;
};

void fault(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("fault: ") + text + QLatin1Char('\n')), stderr);
}

// Names whose last operation was cut short by a kill: either outcome is sound for them.
Report check(const QString &dbPath, const QString &run, const QMap<QString, Expected> &expected,
             const QSet<QString> &uncertain, const SavedEdits &edits, int saved)
{
    Report rep;
    rep.saved = saved;
    Database db(dbPath);
    const QString prefix = QStringLiteral("L%1-").arg(run);

    // The records of this run's names against what the stations saw saved.
    QHash<QString, int> seen;
    for (const QDate &day : Days) {
        const ResultRows jobs = db.select(QStringLiteral("SELECT * FROM \"tbl_Job\" WHERE \"bDate\" = ?"), {day});
        for (int i = 0; i < jobs.rows.size(); ++i) {
            const QString name = jobs.value(i, QStringLiteral("bName")).toString();
            if (!name.startsWith(prefix))
                continue;
            const QVariantList j{jobs.value(i, QStringLiteral("bCol")), jobs.value(i, QStringLiteral("bRow")), name,
                                 jobs.value(i, QStringLiteral("bTTime"))};
            if (++seen[name] > 1) {
                ++rep.duplicated;
                fault(QStringLiteral("record %1 is there twice").arg(name));
                continue;
            }
            if (uncertain.contains(name))
                continue;
            const auto e = expected.constFind(name);
            if (e == expected.cend() || !e->live) {
                ++rep.duplicated;
                fault(QStringLiteral("record %1 at %2 %3,%4 should not be there")
                          .arg(name, day.toString(Qt::ISODate))
                          .arg(j.at(0).toInt())
                          .arg(j.at(1).toInt()));
                continue;
            }
            if (e->date != day || e->col != j.at(0).toInt() || e->row != j.at(1).toInt()
                || e->total != j.at(3).toString()) {
                ++rep.lost;
                fault(QStringLiteral("record %1 is not as saved").arg(name));
            }
            const auto saved = edits.constFind(name);
            if (saved == edits.cend())
                continue;
            for (auto f = saved->cbegin(); f != saved->cend(); ++f) {
                ++rep.editsChecked;
                const QString stored = jobs.value(i, fieldName(Id(f.key()))).toString();
                if (!f->contains(stored)) {
                    ++rep.lostEdits;
                    fault(QStringLiteral("record %1: %2 is \"%3\", saved as one of \"%4\"")
                              .arg(name, fieldName(Id(f.key())), stored,
                                   QStringList(f->values()).join(QLatin1String("\", \""))));
                }
            }
        }
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        if (it->live && !seen.contains(it.key()) && !uncertain.contains(it.key())) {
            ++rep.lost;
            fault(QStringLiteral("record %1 is gone").arg(it.key()));
        }

    // Every page: names in cells and records agree, no claim left, hours used add up.
    for (const QDate &day : Days) {
        const ResultRows page =
            db.select(QStringLiteral("SELECT \"Data\", \"Listno\" FROM \"tbl_Appt\" WHERE caldate = ?"), {day});
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
            QStringLiteral("SELECT \"bCol\", \"bRow\", \"bName\", \"bTTime\" FROM \"tbl_Job\" WHERE \"bDate\" = ?"),
            {day});
        QHash<QPair<int, int>, QString> names;
        QVector<double> totals(techs + 1, 0.0);
        for (const auto &j : jobs.rows) {
            const int col = j.at(0).toInt(), row = j.at(1).toInt();
            names.insert({row, col}, j.at(2).toString());
            if (col >= 1 && col <= techs)
                totals[col] += leadingNumber(j.at(3).toString());
            const QString name = j.at(2).toString();
            if (!name.isEmpty() && cell(row, col) != name) {
                ++rep.orphans;
                fault(QStringLiteral("%1 %2,%3: record %4, cell \"%5\"")
                          .arg(day.toString(Qt::ISODate))
                          .arg(row)
                          .arg(col)
                          .arg(name, cell(row, col)));
            }
        }
        for (int col = 1; col <= techs; ++col) {
            for (int row = PageModel::FirstTimeRow; row < lastRow; ++row) {
                const QString text = cell(row, col);
                if (text.isEmpty() || text == QLatin1String("LUNCH"))
                    continue;
                if (text == BookingFlow::Engaged) {
                    ++rep.claims;
                    fault(QStringLiteral("%1 %2,%3: claim left").arg(day.toString(Qt::ISODate)).arg(row).arg(col));
                } else if (names.value({row, col}) != text) {
                    ++rep.orphans;
                    fault(QStringLiteral("%1 %2,%3: cell \"%4\" without its record")
                              .arg(day.toString(Qt::ISODate))
                              .arg(row)
                              .arg(col)
                              .arg(text));
                }
            }
            const double used = leadingNumber(cell(HoursUsedRow, col));
            if (std::abs(used - totals.at(col)) > 0.001) {
                rep.hoursOk = false;
                fault(QStringLiteral("%1 column %2: hours used %3, bookings %4")
                          .arg(day.toString(Qt::ISODate))
                          .arg(col)
                          .arg(used)
                          .arg(totals.at(col)));
            }
        }
    }
    // A server keeps its own pages whole; the file's own check is SQLite's.
    rep.integrity = Database::isConnectionFile(dbPath) ? QStringLiteral("server")
                                                       : db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    return rep;
}

// Claims still on the pages whose station is not one of the killed ones: a station that ended
// normally must have released or used every claim it made.
int claimsOfLiveStations(const QString &dbPath, const QSet<qint64> &killed)
{
    Database db(dbPath);
    int n = 0;
    for (const QDate &day : Days) {
        const ResultRows page = db.select(QStringLiteral("SELECT \"Data\" FROM \"tbl_Appt\" WHERE caldate = ?"), {day});
        if (page.isEmpty())
            continue;
        const PageText::Cells cells = PageText::parse(page.rows[0][0].toString());
        for (int r = 0; r < cells.size(); ++r) {
            for (int c = 0; c < cells.at(r).size(); ++c) {
                if (cells.at(r).at(c) != BookingFlow::Engaged)
                    continue;
                const qint64 holder =
                    db.scalar(
                          QStringLiteral(
                              "SELECT station FROM \"tbl_Claim\" WHERE caldate = ? AND slotrow = ? AND slotcol = ?"),
                          {day, r + PageModel::TextTopRow, c + 1})
                        .toLongLong();
                if (!killed.contains(holder)) {
                    ++n;
                    fault(QStringLiteral("%1 %2,%3: claim of station %4, which was not killed")
                              .arg(day.toString(Qt::ISODate))
                              .arg(r + PageModel::TextTopRow)
                              .arg(c + 1)
                              .arg(holder));
                }
            }
        }
    }
    return n;
}

struct Options {
    int stations = 4;
    int ops = 200;
    int kills = 0;
    bool diskStress = false;
    int stressMb = 64;
    int timeoutMs = StationRegistry::DefaultTimeoutMs;
};

// One station process and what it printed.
struct Worker {
    std::unique_ptr<QProcess> process;
    int ops = 0;
    QByteArray output;
    bool killed = false;

    int opsDone() const { return int(output.count("O\n")); }
    void collect() { output += process->readAllStandardOutput(); }
};

std::unique_ptr<QProcess> startWorker(int index, int ops, const QString &dbPath, const QString &run, const Options &o)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("--worker"), QString::number(index), QStringLiteral("--ops"), QString::number(ops),
              QStringLiteral("--db"), dbPath, QStringLiteral("--run"), run, QStringLiteral("--timeout"),
              QString::number(o.timeoutMs / 1000)});
    return p;
}

int runStations(const Options &o, const QString &dbPath)
{
    if (!QFileInfo::exists(dbPath) && Database::isConnectionFile(dbPath)) {
        std::fprintf(stderr, "%s does not exist\n", qPrintable(dbPath));
        return 2;
    }
    if (!QFileInfo::exists(dbPath)) {
        const QString seed = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db.mdb"));
        if (!QFile::copy(seed, dbPath)) {
            std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(seed), qPrintable(dbPath));
            return 2;
        }
        QFile::setPermissions(dbPath, QFile::permissions(dbPath) | QFileDevice::WriteOwner);
    }
    const QString run = QString::number(QDateTime::currentMSecsSinceEpoch(), 36);
    DiskStress stress(QFileInfo(dbPath).absolutePath(), o.stressMb);
    if (o.diskStress)
        stress.start();

    std::vector<Worker> workers;
    for (int s = 1; s <= o.stations; ++s)
        workers.push_back({startWorker(s, o.ops, dbPath, run, o), o.ops, {}, false});

    // Kills at random points of the work while stations run; each killed station is followed by
    // a new one that does what was left of its work.
    QRandomGenerator random(quint32(QDateTime::currentMSecsSinceEpoch()));
    QVector<int> killAt;
    for (int k = 0; k < o.kills; ++k)
        killAt << int(o.stations * o.ops * (0.05 + 0.85 * random.generateDouble()));
    std::sort(killAt.begin(), killAt.end());
    int kills = 0;
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::vector<size_t> running;
        int done = 0;
        for (size_t i = 0; i < workers.size(); ++i) {
            workers[i].collect();
            done += workers[i].opsDone();
            if (workers[i].process->state() != QProcess::NotRunning)
                running.push_back(i);
        }
        if (running.empty())
            break;
        if (kills < killAt.size() && done >= killAt.at(kills)) {
            Worker &victim = workers[running[random.bounded(quint32(running.size()))]];
            victim.process->kill();
            victim.process->waitForFinished(-1);
            victim.collect();
            victim.killed = true;
            ++kills;
            const int left = qMax(1, victim.ops - victim.opsDone());
            workers.push_back({startWorker(int(workers.size()) + 1, left, dbPath, run, o), left, {}, false});
        }
        QThread::msleep(10);
    }
    stress.stop();

    QMap<QString, Expected> expected;
    QSet<QString> uncertain;
    SavedEdits edits;
    QSet<qint64> killedStations;
    QMap<QString, int> messages;
    int saved = 0;
    bool workersOk = true;
    for (Worker &w : workers) {
        w.collect();
        if (!w.killed && (w.process->exitStatus() != QProcess::NormalExit || w.process->exitCode() != 0)) {
            workersOk = false;
            fault(QStringLiteral("a station ended with %1").arg(w.process->exitCode()));
        }
        QString pending;
        QHash<QPair<QString, int>, QString> lastEdit; // this station's last saved value of its field
        for (const QString &line : QString::fromUtf8(w.output).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList f = line.split(QLatin1Char('\t'));
            if (f.at(0) == QLatin1String("S") && f.size() == 6) {
                ++saved;
                expected.insert(f.at(1), {QDate::fromString(f.at(2), Qt::ISODate), f.at(3).toInt(), f.at(4).toInt(),
                                          f.at(5), true});
            } else if (f.at(0) == QLatin1String("C") && f.size() == 3) {
                expected[f.at(1)].total = f.at(2);
            } else if (f.at(0) == QLatin1String("D") && f.size() == 2) {
                expected[f.at(1)].live = false;
            } else if (f.at(0) == QLatin1String("E") && f.size() == 4) {
                lastEdit.insert({f.at(1), f.at(2).toInt()}, f.at(3));
            } else if ((f.at(0) == QLatin1String("X") || f.at(0) == QLatin1String("U")) && f.size() == 2) {
                // Deleted by another station's Delete key, or made again after its owner deleted
                // it: whether it lives depends on the order of commits, not of these lines.
                uncertain.insert(f.at(1));
            } else if (f.at(0) == QLatin1String("M") && f.size() == 3) {
                messages[f.at(1)] += f.at(2).toInt();
            } else if (f.at(0) == QLatin1String("I") && f.size() == 2) {
                pending = f.at(1);
            } else if (f.at(0) == QLatin1String("O")) {
                pending.clear();
            } else if (f.at(0) == QLatin1String("R") && f.size() == 2 && w.killed) {
                killedStations.insert(f.at(1).toLongLong());
            }
        }
        if (w.killed && !pending.isEmpty())
            uncertain.insert(pending);
        for (auto e = lastEdit.cbegin(); e != lastEdit.cend(); ++e)
            edits[e.key().first][e.key().second].insert(e.value());
    }
    for (auto it = messages.cbegin(); it != messages.cend(); ++it)
        std::fprintf(stderr, "messages \"%s\": %d\n", qPrintable(it.key()), it.value());

    // Claims of stations that ended by themselves are faults; those of killed stations are taken
    // over by a station started afterwards, as a user would by pressing Enter on them.
    int strayClaims = claimsOfLiveStations(dbPath, killedStations);
    int recovered = 0;
    if (kills > 0) {
        Station recovery(dbPath, 0, run, 1, o.timeoutMs);
        recovered = recovery.recover();
    }

    // A booking a killed station was working on may hold that station's last edit or not.
    for (const QString &name : uncertain)
        edits.remove(name);
    const Report rep = check(dbPath, run, expected, uncertain, edits, saved);
    std::printf("stations=%d ops=%d kills=%d disk_stress=%s saved=%d lost=%d lost_edits=%d edits_checked=%d "
                "orphans=%d duplicated=%d hours_ok=%s claims_left=%d recovered=%d integrity=%s\n",
                o.stations, o.stations * o.ops, kills,
                o.diskStress ? qPrintable(QString::number(stress.files()) + QStringLiteral("x")
                                          + QString::number(o.stressMb) + QStringLiteral("MB"))
                             : "no",
                rep.saved, rep.lost + rep.lostEdits, rep.lostEdits, rep.editsChecked, rep.orphans, rep.duplicated,
                rep.hoursOk ? "yes" : "no", rep.claims + strayClaims, recovered, qPrintable(rep.integrity));
    std::fflush(stdout);
    const bool ok = workersOk && rep.lost == 0 && rep.lostEdits == 0 && rep.orphans == 0 && rep.duplicated == 0
                    && rep.hoursOk && rep.claims == 0 && strayClaims == 0
                    && (rep.integrity == QLatin1String("ok") || rep.integrity == QLatin1String("server"));
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
    const QCommandLineOption dbOpt(QStringLiteral("db"),
                                   QStringLiteral("Shared database, made from the seed if missing; or a server "
                                                  "folder, whose db.pgconn names a database server."),
                                   QStringLiteral("PATH"));
    const QCommandLineOption killOpt(QStringLiteral("kill"), QStringLiteral("Stations killed during the run."),
                                     QStringLiteral("K"), QStringLiteral("0"));
    const QCommandLineOption stressOpt(QStringLiteral("disk-stress"),
                                       QStringLiteral("Flush large files in the database's folder meanwhile."));
    const QCommandLineOption stressMbOpt(QStringLiteral("stress-mb"), QStringLiteral("Size of each of those files."),
                                         QStringLiteral("MB"), QStringLiteral("64"));
    const QCommandLineOption timeoutOpt(
        QStringLiteral("timeout"), QStringLiteral("Seconds a silent station still counts as running."),
        QStringLiteral("SECS"), QString::number(StationRegistry::DefaultTimeoutMs / 1000));
    const QCommandLineOption workerOpt(QStringLiteral("worker"), QStringLiteral("Run as station number I."),
                                       QStringLiteral("I"));
    const QCommandLineOption runOpt(QStringLiteral("run"), QStringLiteral("Run name."), QStringLiteral("RUN"));
    cl.addOptions({stationsOpt, opsOpt, dbOpt, killOpt, stressOpt, stressMbOpt, timeoutOpt, workerOpt, runOpt});
    cl.process(app);

    Options o;
    bool ok[5] = {};
    o.stations = cl.value(stationsOpt).toInt(&ok[0]);
    o.ops = cl.value(opsOpt).toInt(&ok[1]);
    o.kills = cl.value(killOpt).toInt(&ok[2]);
    o.stressMb = cl.value(stressMbOpt).toInt(&ok[3]);
    o.timeoutMs = cl.value(timeoutOpt).toInt(&ok[4]) * 1000;
    o.diskStress = cl.isSet(stressOpt);
    const QString db = cl.value(dbOpt);
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) || o.stations < 1 || o.ops < 0
        || o.kills < 0 || o.stressMb < 1 || o.timeoutMs < 1000 || db.isEmpty()) {
        std::fputs("usage: torvane-load --stations N --ops M --db PATH [--kill K] [--disk-stress] [--stress-mb S] "
                   "[--timeout SECS]\n",
                   stderr);
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
                                                        quint32(index * 7919 + QDateTime::currentMSecsSinceEpoch()),
                                                        o.timeoutMs);
                } catch (const AppError &e) {
                    if (e.number() != ErrNo::RecordLocked || i == Attempts)
                        throw;
                }
            }
            return station->run(o.ops) ? 0 : 3;
        }
        // A server folder names its database server (db.pgconn) or holds its db.mdb.
        const QString path = QFileInfo(db).isDir() ? Database::sharedIn(db) : db;
        return runStations(o, QFileInfo(path).absoluteFilePath());
    } catch (const AppError &e) {
        std::fprintf(stderr, "%d %s\n", e.number(), qPrintable(e.description()));
        return 2;
    }
}
