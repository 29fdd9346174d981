#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace varnook::test {

// Measures how long the event loop of the thread that makes it goes without answering: a timer
// notes each turn of the loop, and the longest time between two notes is the longest gap. A loop
// that never answers again would hold the test until its time-out; once a gap reaches giveUp, a
// watchdog thread ends the test program with a message instead.
class EventLoopWatch {
public:
    explicit EventLoopWatch(std::chrono::milliseconds giveUp);
    ~EventLoopWatch();
    EventLoopWatch(const EventLoopWatch &) = delete;
    EventLoopWatch &operator=(const EventLoopWatch &) = delete;

    // The longest gap so far in milliseconds, the one going on now included.
    qint64 longestGap() const;

private:
    void noteTurn();
    void watch();

    const qint64 m_giveUp;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::atomic<qint64> m_lastTurn{0};
    qint64 m_longestGap = 0;
    std::mutex m_mutex;
    std::condition_variable m_stopping;
    bool m_stop = false;
    std::thread m_watchdog;
};

} // namespace varnook::test
