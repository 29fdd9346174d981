#include "StartupBench.h"

#include "ChildProcess.h"
#include "ProbeLine.h"
#include "Report.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace varnook::bench {

void benchStartup(const StartupSetup &setup, int entries, const QByteArray &dataFile) {
    QTemporaryDir folder;
    const QString settingsFile = QDir(folder.path()).filePath(QStringLiteral("settings.ini"));
    {
        QFile data(QDir(folder.path()).filePath(QStringLiteral("data.enc")));
        if (!data.open(QIODevice::WriteOnly) || data.write(dataFile) != dataFile.size() || !data.flush()) {
            reportSkipped("startup_painted", entries, QStringLiteral("the data file could not be written"));
            return;
        }
        // The Help window would open over the list at every start: a user who has seen it turns it off.
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    }
    // An empty list has nothing to sort.
    const bool clickHeader = setup.clickHeader && entries > 0;

    ChildRequest request;
    request.program = setup.program;
    request.environment = {QStringLiteral("DISPLAY=") + setup.display,
                           QStringLiteral("QT_QPA_PLATFORM=xcb"),
                           QStringLiteral("VARNOOK_BENCH_FOLDER=") + folder.path(),
                           QStringLiteral("VARNOOK_BENCH_SETTINGS=") + settingsFile,
                           QStringLiteral("VARNOOK_BENCH_PASSWORD=") + setup.password,
                           QStringLiteral("VARNOOK_BENCH_CLICK_HEADER=%1").arg(clickHeader ? 1 : 0)};
    request.timeoutSeconds = 600;

    Samples painted, sorted, peakKb, startupPeakKb;
    for (int run = 0; run < setup.runs; ++run) {
        const ChildResult result = runChild(request);
        const std::optional<ProbeFigures> figures = readProbeLine(result.output);
        if (!result.succeeded() || !figures || figures->clicked != clickHeader) {
            std::fprintf(stderr, "varnook-benched failed (exit %d%s):\n%s\n", result.exitCode,
                         result.timedOut ? ", timed out" : "", result.errors.constData());
            reportSkipped("startup_painted", entries, QStringLiteral("the program did not start"));
            return;
        }
        painted.add(figures->startupMs());
        if (clickHeader)
            sorted.add(figures->sortMs());
        peakKb.add(double(figures->peakKb));
        startupPeakKb.add(double(figures->startupPeakKb));
    }
    if (entries > 0)
        reportTimes("startup_painted", entries, painted);
    if (clickHeader)
        reportTimes("sort_click_painted", entries, sorted);
    reportMemory("rss", entries, peakKb, QStringLiteral("startup_kb=%1").arg(startupPeakKb.median(), 0, 'f', 0));
}

} // namespace varnook::bench
