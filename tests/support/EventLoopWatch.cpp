#include "EventLoopWatch.h"

#include <QtGlobal>

namespace varnook::test {

EventLoopWatch::EventLoopWatch(std::chrono::milliseconds giveUp)
    : m_giveUp(giveUp.count()) {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { noteTurn(); });
    m_timer.start();
    m_watchdog = std::thread([this] { watch(); });
}

EventLoopWatch::~EventLoopWatch() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopping.notify_one();
    m_watchdog.join();
}

qint64 EventLoopWatch::longestGap() const {
    return qMax(m_longestGap, m_clock.elapsed() - m_lastTurn.load());
}

void EventLoopWatch::noteTurn() {
    const qint64 now = m_clock.elapsed();
    m_longestGap = qMax(m_longestGap, now - m_lastTurn.load());
    m_lastTurn.store(now);
}

void EventLoopWatch::watch() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_stop; })) {
        const qint64 gap = m_clock.elapsed() - m_lastTurn.load();
        if (gap >= m_giveUp)
            qFatal("The event loop has not answered for %lld ms; giving up", qlonglong(gap));
    }
}

} // namespace varnook::test
