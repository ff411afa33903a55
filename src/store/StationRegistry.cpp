#include "store/StationRegistry.h"

#include "store/Database.h"
#include "store/PassedOver.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#endif

namespace {
constexpr qint64 DayMs = 24LL * 3600 * 1000;
constexpr int StartTries = 10;

qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }
QString machine() { return QString::fromLatin1(QSysInfo::machineUniqueId().toHex()); }
qint64 thisPid() { return QCoreApplication::applicationPid(); }

bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
#else
    Q_UNUSED(pid);
    return true; // only the beat can tell
#endif
}

// Alive unless its process is known to have ended: on this machine the process table tells.
bool processMayRun(const QString &rowMachine, qint64 pid)
{
    return rowMachine != machine() || rowMachine.isEmpty() || processAlive(pid);
}
} // namespace

qint64 StationRegistry::add(Database &db)
{
    WriteTransaction tx(db);
    // A machine without an id of its own cannot tell its rows from those of another one without.
    if (!machine().isEmpty()) {
        const ResultRows mine =
            db.select(QStringLiteral("SELECT id, pid FROM \"tbl_Station\" WHERE machine = ?"), {machine()});
        for (const auto &row : mine.rows)
            if (!processAlive(row.at(1).toLongLong()))
                db.execute(QStringLiteral("DELETE FROM \"tbl_Station\" WHERE id = ?"), {row.at(0)});
    }
    db.execute(QStringLiteral("DELETE FROM \"tbl_Station\" WHERE beat < ?"), {now() - DayMs});
    const qint64 t = now();
    db.execute(QStringLiteral("INSERT INTO \"tbl_Station\" (started, beat, host, machine, pid) VALUES (?, ?, ?, ?, ?)"),
               {t, t, QSysInfo::machineHostName(), machine(), thisPid()});
    const qint64 id = db.lastInsertId();
    tx.commit();
    return id;
}

void StationRegistry::beat(Database &db, qint64 id)
{
    const qint64 t = now();
    if (db.execute(QStringLiteral("UPDATE \"tbl_Station\" SET beat = ? WHERE id = ?"), {t, id}) == 0)
        db.execute(
            QStringLiteral("INSERT INTO \"tbl_Station\" (id, started, beat, host, machine, pid) "
                           "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET started = excluded.started, "
                           "beat = excluded.beat, host = excluded.host, machine = excluded.machine, "
                           "pid = excluded.pid"),
            {id, t, t, QSysInfo::machineHostName(), machine(), thisPid()});
}

void StationRegistry::remove(Database &db, qint64 id)
{
    db.execute(QStringLiteral("DELETE FROM \"tbl_Station\" WHERE id = ?"), {id});
}

bool StationRegistry::running(Database &db, qint64 id, int timeoutMs)
{
    if (id <= 0)
        return false;
    const ResultRows r = db.select(
        QStringLiteral("SELECT machine, pid FROM \"tbl_Station\" WHERE id = ? AND beat >= ?"), {id, now() - timeoutMs});
    return !r.isEmpty() && processMayRun(r.rows[0][0].toString(), r.rows[0][1].toLongLong());
}

int StationRegistry::othersRunning(Database &db, qint64 self, int timeoutMs)
{
    const ResultRows r =
        db.select(QStringLiteral("SELECT machine, pid FROM \"tbl_Station\" WHERE id <> ? AND beat >= ?"),
                  {self, now() - timeoutMs});
    int n = 0;
    for (const auto &row : r.rows)
        if (processMayRun(row.at(0).toString(), row.at(1).toLongLong()))
            ++n;
    return n;
}

QString StationRegistry::othersOpenText(int count)
{
    return count == 1 ? QStringLiteral("1 other station is open")
                      : QStringLiteral("%1 other stations are open").arg(count);
}

StationHeartbeat::StationHeartbeat(QObject *parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &StationHeartbeat::beat);
}

StationHeartbeat::~StationHeartbeat() { stop(); }

const QString &StationHeartbeat::path() const
{
    static const QString none;
    return m_db ? m_db->path() : none;
}

qint64 StationHeartbeat::start(const QString &path, int intervalMs)
{
    if (m_id && m_db && m_db->path() == path)
        return m_id;
    stop();
    auto db = std::make_unique<Database>(path);
    // Several stations starting at once take turns for the write lock.
    for (int i = 1; !m_id; ++i) {
        try {
            Schema::upgradeShared(*db);
            m_id = StationRegistry::add(*db);
        } catch (const AppError &e) {
            if (e.number() != ErrNo::RecordLocked || i == StartTries)
                throw;
        }
    }
    m_db = std::move(db);
    m_intervalMs = intervalMs;
    m_lastBeat = now();
    m_timer.start(intervalMs);
    return m_id;
}

void StationHeartbeat::stop()
{
    m_timer.stop();
    if (m_db && m_id) {
        try {
            StationRegistry::remove(*m_db, m_id);
        } catch (const AppError &e) {
            // Left behind, the row goes stale and counts as stopped after the timeout.
            PassedOver::report(QStringLiteral("Station stop"), e);
        }
    }
    m_id = 0;
    m_db.reset();
}

void StationHeartbeat::beatIfDue()
{
    if (m_id && now() - m_lastBeat >= m_intervalMs)
        beat();
}

void StationHeartbeat::beat()
{
    if (!m_db || !m_id)
        return;
    try {
        StationRegistry::beat(*m_db, m_id);
        m_lastBeat = now();
        if (m_timer.interval() != m_intervalMs)
            m_timer.start(m_intervalMs);
    } catch (const AppError &e) {
        // Another station held the file: beat again soon, well inside the timeout.
        PassedOver::report(QStringLiteral("Heartbeat"), e);
        m_timer.start(qMin(m_intervalMs, 1000));
    }
}
