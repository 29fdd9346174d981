#include "StartupBench.h"

#include "BenchData.h"
#include "ChildProcess.h"
#include "ProbeLine.h"
#include "Report.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <optional>

namespace varnook::bench {

namespace {

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace

void benchStartup(const StartupSetup &setup, int entries, const QByteArray &dataFile) {
    QTemporaryDir folder;
    const QDir here(folder.path());
    const QString settingsFile = here.filePath(QStringLiteral("settings.ini"));
    const QString dataPath = here.filePath(QStringLiteral("data.enc"));
    {
        // The Help window would open over the list at every start: a user who has seen it turns it off.
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    }
    // An empty list has nothing to sort or to reload.
    const bool clickHeader = setup.clickHeader && entries > 0;
    const bool reload = setup.reload && entries > 0;
    const bool findKey = setup.findKey && entries > 0;
    // The other writer's file waits in a folder of its own (the same file system, so that it can be
    // renamed over the data file), where the program looks for nothing.
    const QString incoming = here.filePath(QStringLiteral("incoming"));
    const QString otherFile = QDir(incoming).filePath(QStringLiteral("data.enc"));
    const QByteArray otherBytes =
        reload ? withEntryAdded(dataFile, Entry{QStringLiteral("theirs"), QStringLiteral("pw-theirs"),
                                                QStringLiteral("other.example")})
               : QByteArray();
    if (reload && !here.mkpath(incoming)) {
        reportSkipped("startup_painted", entries, QStringLiteral("the other writer's folder could not be made"));
        return;
    }

    ChildRequest request;
    request.program = setup.program;
    request.environment = {QStringLiteral("DISPLAY=") + setup.display,
                           QStringLiteral("QT_QPA_PLATFORM=xcb"),
                           QStringLiteral("VARNOOK_BENCH_FOLDER=") + folder.path(),
                           QStringLiteral("VARNOOK_BENCH_SETTINGS=") + settingsFile,
                           QStringLiteral("VARNOOK_BENCH_PASSWORD=") + setup.password,
                           QStringLiteral("VARNOOK_BENCH_CLICK_HEADER=%1").arg(clickHeader ? 1 : 0),
                           QStringLiteral("VARNOOK_BENCH_FIND_KEY=%1").arg(findKey ? 1 : 0)};
    if (reload)
        request.environment << QStringLiteral("VARNOOK_BENCH_RELOAD_FROM=") + otherFile;
    request.timeoutSeconds = 600;

    const QStringList environment = request.environment;
    Samples prompted, painted, sorted, reloaded, found, peakKb, startupPeakKb, pssKb;
    for (int run = 0; run < setup.runs; ++run) {
        // Each run starts from the same file; the last one's reload left the other writer's in place.
        if (!writeFile(dataPath, dataFile) || (reload && !writeFile(otherFile, otherBytes))) {
            reportSkipped("startup_painted", entries, QStringLiteral("the data file could not be written"));
            return;
        }
        // The program times its password box from here, on the same monotonic clock.
        request.environment = environment;
        request.environment << QStringLiteral("VARNOOK_BENCH_LAUNCHED_NS=%1")
                                   .arg(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count());
        const ChildResult result = runChild(request);
        const std::optional<ProbeFigures> figures = readProbeLine(result.output);
        if (!result.succeeded() || !figures || !figures->prompted || figures->clicked != clickHeader ||
            figures->reloaded != reload || figures->found != findKey) {
            std::fprintf(stderr, "varnook-benched failed (exit %d%s):\n%s\n", result.exitCode,
                         result.timedOut ? ", timed out" : "", result.errors.constData());
            reportSkipped("startup_painted", entries, QStringLiteral("the program did not start"));
            return;
        }
        prompted.add(figures->promptMs());
        painted.add(figures->startupMs());
        if (clickHeader)
            sorted.add(figures->sortMs());
        if (reload)
            reloaded.add(figures->reloadMs());
        if (findKey)
            found.add(figures->findMs());
        peakKb.add(double(figures->peakKb));
        pssKb.add(double(figures->pssKb));
        startupPeakKb.add(double(figures->startupPeakKb));
    }
    reportTimes("launch_to_prompt", entries, prompted);
    if (entries > 0)
        reportTimes("startup_painted", entries, painted);
    if (clickHeader)
        reportTimes("sort_click_painted", entries, sorted);
    if (reload)
        reportTimes("reload_painted", entries, reloaded);
    if (findKey)
        reportTimes("find_key_painted", entries, found);
    reportMemory("rss", entries, peakKb,
                 QStringLiteral("startup_kb=%1 pss_kb=%2")
                     .arg(startupPeakKb.median(), 0, 'f', 0)
                     .arg(pssKb.median(), 0, 'f', 0));
}

} // namespace varnook::bench
