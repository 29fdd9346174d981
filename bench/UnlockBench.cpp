#include "UnlockBench.h"

#include "ChildProcess.h"
#include "DataLoader.h"
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

// How long opening the file's body with key takes (decrypting it and reading its entries): the
// part of the wait box's work that is not the key derivation. None when it does not open as a file
// of this many entries.
std::optional<double> unsealMs(const QByteArray &protectedFile, const std::shared_ptr<const FileKey> &key,
                               int entries) {
    LoadResult read = DataLoader::fromBytes(protectedFile);
    const auto start = std::chrono::steady_clock::now();
    const bool opened = DataLoader::unseal(read, key);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!opened || read.state != LoadResult::State::HasMasterPassword || read.entries.size() != size_t(entries))
        return std::nullopt;
    return ms;
}

} // namespace

void benchUnlock(const StartupSetup &setup, int entries, const QByteArray &protectedFile,
                 const std::shared_ptr<const FileKey> &key) {
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
        // The wait box derived the key and then opened the body; the opening, timed here on the same
        // bytes right after the run, leaves the derivation of that very run.
        const std::optional<double> opened = unsealMs(protectedFile, key, entries);
        if (!opened) {
            reportSkipped(Name, entries, QStringLiteral("the protected file did not open as written"));
            return;
        }
        unlock.add(figures->startupMs(), figures->waitedMs(), *opened);
    }
    std::printf("%s\n", qPrintable(unlock.line(entries)));
    std::fflush(stdout);
}

} // namespace varnook::bench
