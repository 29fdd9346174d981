#include "BenchSeams.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace varnook::bench {

namespace {

[[noreturn]] void failRun(const QString &why) {
    std::fprintf(stderr, "varnook-benched: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(3);
}

QString requiredEnvironment(const char *name) {
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        failRun(QStringLiteral("%1 is not set").arg(QLatin1String(name)));
    return value;
}

} // namespace

MessageAnswer AnsweringDialogs::messageBox(const MessageBoxRequest &request) {
    failRun(QStringLiteral("a box the benchmark did not expect: %1: %2").arg(request.title, request.text));
}

QString AnsweringDialogs::inputBox(const QString &prompt, const QString &, bool) {
    // A second box means the password was refused: the start is not the one being measured.
    if (++m_asked > 1)
        failRun(QStringLiteral("the password box came again: %1").arg(prompt));
    m_okTime = Clock::now();
    m_waited = {};
    return m_password;
}

void AnsweringDialogs::waitFor(const QString &, const QString &, const std::function<void()> &work) {
    const Clock::time_point start = Clock::now();
    runOffThread(work);
    m_waited += Clock::now() - start;
}

AnsweringDialogs &installBenchSeams() {
    static AnsweringDialogs dialogs(requiredEnvironment("VARNOOK_BENCH_PASSWORD"));
    Platform &p = platform();
    p.dialogs = &dialogs;
    p.programFolder = requiredEnvironment("VARNOOK_BENCH_FOLDER");
    p.dataFolder = p.programFolder;
    p.settingsFile = requiredEnvironment("VARNOOK_BENCH_SETTINGS");
    return dialogs;
}

} // namespace varnook::bench
