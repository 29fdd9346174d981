#include "EventLoopGap.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>

namespace varnook::test {

double longestEventLoopGap(const std::function<void()> &action) {
    QElapsedTimer sinceLastTurn;
    qint64 longestNs = 0;
    bool done = false;
    int turnsAfter = 0;
    // Fires at every turn of the loop. A stall shows as the time between two firings, so the wait
    // goes on for many turns after the action: the paints it queued run, and the stall they cause
    // is counted rather than cut off when the wait ends.
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(1);
    QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
        longestNs = std::max(longestNs, sinceLastTurn.nsecsElapsed());
        sinceLastTurn.restart();
        if (done)
            ++turnsAfter;
    });
    QTimer::singleShot(0, &probe, [&] {
        action();
        done = true;
    });
    sinceLastTurn.start();
    probe.start();
    if (!QTest::qWaitFor([&] { return turnsAfter >= 100; }, 120000))
        longestNs = std::max(longestNs, sinceLastTurn.nsecsElapsed());
    return double(longestNs) / 1e6;
}

} // namespace varnook::test
