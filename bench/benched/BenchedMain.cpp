// varnook-benched: the program as shipped (same start-up, libraries and Application), with the
// password box answered by the benchmark and a probe that times the launch to the password box, the
// start-up's first paint, a header click, the reload of a file another writer renamed over the data
// file and a key in the find bar. A benchmark build only: it is never installed.
#include "BenchSeams.h"
#include "PaintProbe.h"
#include "ProgramStart.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    return varnook::runProgram(argc, argv, [] {
        using namespace varnook::bench;
        const AnsweringDialogs &dialogs = installBenchSeams();
        PaintProbe::Steps steps;
        steps.clickHeader = qEnvironmentVariableIntValue("VARNOOK_BENCH_CLICK_HEADER") == 1;
        // The other writer's file, renamed over the data file once the start-up is measured.
        steps.reloadFrom = qEnvironmentVariable("VARNOOK_BENCH_RELOAD_FROM");
        steps.findKey = qEnvironmentVariableIntValue("VARNOOK_BENCH_FIND_KEY") == 1;
        // The benchmark's monotonic clock when it started this process (the same clock as this one's).
        bool isTime = false;
        const qint64 launched = qEnvironmentVariable("VARNOOK_BENCH_LAUNCHED_NS").toLongLong(&isTime);
        if (isTime)
            steps.launched = Clock::time_point(std::chrono::nanoseconds(launched));
        qApp->installEventFilter(new PaintProbe(dialogs, std::move(steps), qApp));
    });
}
