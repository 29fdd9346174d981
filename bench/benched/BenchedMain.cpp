// varnook-benched: the program as shipped (same start-up, libraries and Application), with the
// password box answered by the benchmark and a probe that times the start-up's first paint, a
// header click and the reload of a file another writer renamed over the data file. A benchmark
// build only: it is never installed.
#include "BenchSeams.h"
#include "PaintProbe.h"
#include "ProgramStart.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    return varnook::runProgram(argc, argv, [] {
        const varnook::bench::AnsweringDialogs &dialogs = varnook::bench::installBenchSeams();
        const bool clickHeader = qEnvironmentVariableIntValue("VARNOOK_BENCH_CLICK_HEADER") == 1;
        // The other writer's file, renamed over the data file once the start-up is measured.
        const QString reloadFrom = qEnvironmentVariable("VARNOOK_BENCH_RELOAD_FROM");
        qApp->installEventFilter(new varnook::bench::PaintProbe(dialogs, clickHeader, reloadFrom, qApp));
    });
}
