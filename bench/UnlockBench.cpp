#include "UnlockBench.h"

#include "ChildProcess.h"
#include "ProbeLine.h"
#include "Report.h"
#include "UnlockFigures.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <optional>

namespace varnook::bench {

namespace {

constexpr const char *Name = "unlock_protected";

} // namespace

void benchUnlock(const StartupSetup &setup, int entries, const QByteArray &protectedFile) {
    QTemporaryDir folder;
    const QString settingsFile = QDir(folder.path()).filePath(QStringLiteral("settings.ini"));
    {
        QFile data(QDir(folder.path()).filePath(QStringLiteral("data.enc")));
        if (!data.open(QIODevice::WriteOnly) || data.write(protectedFile) != protectedFile.size() || !data.flush()) {
            reportSkipped(Name, entries, QStringLiteral("the data file could not be written"));
            return;
        }
        // As for startup_painted: a user who has seen the Help window turns it off.
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    }
    ChildRequest request;
    request.program = setup.program;
    request.environment = {QStringLiteral("DISPLAY=") + setup.display,
                           QStringLiteral("QT_QPA_PLATFORM=xcb"),
                           QStringLiteral("VARNOOK_BENCH_FOLDER=") + folder.path(),
                           QStringLiteral("VARNOOK_BENCH_SETTINGS=") + settingsFile,
                           QStringLiteral("VARNOOK_BENCH_PASSWORD=") + setup.password,
                           QStringLiteral("VARNOOK_BENCH_CLICK_HEADER=0")};
    request.timeoutSeconds = 600;

    UnlockFigures unlock;
    for (int run = 0; run < setup.runs; ++run) {
        const ChildResult result = runChild(request);
        const std::optional<ProbeFigures> figures = readProbeLine(result.output);
        if (!result.succeeded() || !figures || figures->waitedNs == 0) {
            std::fprintf(stderr, "varnook-benched failed (exit %d%s):\n%s\n", result.exitCode,
                         result.timedOut ? ", timed out" : "", result.errors.constData());
            reportSkipped(Name, entries, QStringLiteral("the program did not open the protected file"));
            return;
        }
        // The wait box derived the key and then opened the body; the key timed its own derivation,
        // so the rest is this very run's, whatever the derivation's cost did on it.
        if (figures->kdfNs == 0) {
            reportSkipped(Name, entries, QStringLiteral("the program did not time its key's derivation"));
            return;
        }
        unlock.add(figures->startupMs(), figures->waitedMs(), figures->kdfMs());
    }
    std::printf("%s\n", qPrintable(unlock.line(entries)));
    std::fflush(stdout);
}

} // namespace varnook::bench
