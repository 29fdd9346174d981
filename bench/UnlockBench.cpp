#include "UnlockBench.h"

#include "ChildProcess.h"
#include "DataFileKey.h"
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

// How long deriving the file's key from password takes with its cost and salt; none when it fails.
std::optional<double> deriveMs(const QString &password, const FileKey &key) {
    const auto start = std::chrono::steady_clock::now();
    const bool derived = DataFileKey::derive(password, key.cost(), key.salt(), key.formatVersion()) != nullptr;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return derived ? std::optional<double>(ms) : std::nullopt;
}

} // namespace

void benchUnlock(const StartupSetup &setup, int entries, const QByteArray &protectedFile, const FileKey &key) {
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
        // The wait box derived the key and then opened the body; the derivation alone, with the same
        // cost, right after the run. (Taking an opening timed here from the wait instead would count
        // the program's slower first opening, in a fresh process, as derivation.)
        const std::optional<double> derived = deriveMs(setup.password, key);
        if (!derived) {
            reportSkipped(Name, entries, QStringLiteral("the key could not be derived"));
            return;
        }
        unlock.add(figures->startupMs(), figures->waitedMs(), *derived);
    }
    std::printf("%s\n", qPrintable(unlock.line(entries)));
    std::fflush(stdout);
}

} // namespace varnook::bench
