#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Bounds how long a call waits for a server's answer. The driver waits for a result without a
// time limit, and a server that has stopped (a frozen process, a host gone behind a live router)
// keeps its socket open, so nothing on the line ever ends that wait. When a call has had no
// answer for the limit, the watch shuts the connection's socket, which wakes the driver with a
// lost connection; the connection is not used again. Its thread sleeps while no call is under way.
class AnswerWatch {
public:
    AnswerWatch(int socket, int limitMs);
    ~AnswerWatch();
    AnswerWatch(const AnswerWatch &) = delete;
    AnswerWatch &operator=(const AnswerWatch &) = delete;

    void start();    // a call begins; calls may nest
    void answered(); // part of the answer came (a row): the wait starts again
    void stop();     // the call ended
    // The limit was reached: the socket is shut.
    bool fired() const { return m_fired.load(); }

private:
    using Clock = std::chrono::steady_clock;
    void run();

    const int m_socket;
    const Clock::duration m_limit;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::atomic<Clock::rep> m_last{0};
    std::atomic<bool> m_fired{false};
    bool m_active = false;
    int m_depth = 0;
    bool m_quit = false;
    std::thread m_thread;
};
