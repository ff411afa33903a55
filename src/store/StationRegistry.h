#pragma once
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class Database;

// The stations running on one shared database. Each registers under a new id when it starts (a
// station started again is a new station), beats regularly and removes its row on a clean exit.
// A station is running while its last beat is within the timeout; a station of this machine
// whose process is gone has stopped at once. Times are the stations' own clocks.
namespace StationRegistry {
constexpr int DefaultTimeoutMs = 120000;
constexpr int BeatIntervalMs = 20000;

// Registers this process and returns its new id. Rows of stations of this machine whose process
// has ended, and rows silent for a day, are removed on the way.
qint64 add(Database &db);
// One beat; a row removed meanwhile is written again under the same id.
void beat(Database &db, qint64 id);
void remove(Database &db, qint64 id);

bool running(Database &db, qint64 id, int timeoutMs = DefaultTimeoutMs);
// Running stations other than self (0: every running station counts).
int othersRunning(Database &db, qint64 self, int timeoutMs = DefaultTimeoutMs);
// "1 other station is open", "3 other stations are open".
QString othersOpenText(int count);
} // namespace StationRegistry

// This station's registration, beating on a timer over a connection of its own, so a beat
// never waits behind the windows' work. Removed when stopped or destroyed.
class StationHeartbeat : public QObject {
    Q_OBJECT
public:
    explicit StationHeartbeat(QObject *parent = nullptr);
    ~StationHeartbeat() override;

    // Registers on the shared database at path (upgrading an older file first) and starts
    // beating. Throws AppError; a station already started on that file keeps its id.
    qint64 start(const QString &path, int intervalMs = StationRegistry::BeatIntervalMs);
    void stop();
    qint64 id() const { return m_id; }
    const QString &path() const;

    // Beats now when the interval has passed: for callers without an event loop.
    void beatIfDue();

private:
    void beat();

    std::unique_ptr<Database> m_db;
    QTimer m_timer;
    qint64 m_id = 0;
    qint64 m_lastBeat = 0;
    int m_intervalMs = StationRegistry::BeatIntervalMs;
};
