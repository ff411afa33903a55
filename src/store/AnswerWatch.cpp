#include "store/AnswerWatch.h"

#include <sys/socket.h>

AnswerWatch::AnswerWatch(int socket, int limitMs)
    : m_socket(socket), m_limit(std::chrono::milliseconds(limitMs)), m_thread([this] { run(); })
{
}

AnswerWatch::~AnswerWatch()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void AnswerWatch::start()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_depth++ > 0)
            return; // a call inside a call: the outer one's wait goes on
        m_active = true;
        m_last.store(Clock::now().time_since_epoch().count());
    }
    m_wake.notify_one();
}

void AnswerWatch::answered() { m_last.store(Clock::now().time_since_epoch().count()); }

void AnswerWatch::stop()
{
    std::lock_guard lock(m_mutex);
    if (m_depth > 0 && --m_depth == 0)
        m_active = false;
}

void AnswerWatch::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_active || m_fired.load()) {
            m_wake.wait(lock);
            continue;
        }
        const Clock::time_point deadline = Clock::time_point(Clock::duration(m_last.load())) + m_limit;
        if (Clock::now() < deadline) {
            m_wake.wait_until(lock, deadline);
            continue;
        }
        // Marked before the shut: the call that wakes from it must find it marked, or its
        // failure reads as an ordinary error. Under the lock, so the call cannot end and its
        // connection close in between: the socket shut is still the connection's own.
        m_fired.store(true);
        ::shutdown(m_socket, SHUT_RDWR);
    }
}
