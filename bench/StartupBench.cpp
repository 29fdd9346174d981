#include "StartupBench.h"

#include "ChildProcess.h"
#include "Report.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace varnook::bench {

namespace {

// The "benched:" line's fields.
QMap<QByteArray, qint64> probeFields(const QByteArray &output) {
    QMap<QByteArray, qint64> fields;
    for (const QByteArray &line : output.split('\n')) {
        if (!line.startsWith("benched: "))
            continue;
        for (const QByteArray &field : line.mid(9).split(' ')) {
            const qsizetype equals = field.indexOf('=');
            if (equals > 0)
                fields.insert(field.left(equals), field.mid(equals + 1).toLongLong());
        }
    }
    return fields;
}

double msBetween(qint64 fromNs, qint64 toNs) {
    return double(toNs - fromNs) / 1e6;
}

} // namespace

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
        const QMap<QByteArray, qint64> fields = probeFields(result.output);
        if (!result.succeeded() || !fields.contains("painted_ns")) {
            std::fprintf(stderr, "varnook-benched failed (exit %d%s):\n%s\n", result.exitCode,
                         result.timedOut ? ", timed out" : "", result.errors.constData());
            reportSkipped("startup_painted", entries, QStringLiteral("the program did not start"));
            return;
        }
        painted.add(msBetween(fields.value("ok_ns"), fields.value("painted_ns")));
        if (clickHeader)
            sorted.add(msBetween(fields.value("released_ns"), fields.value("sorted_ns")));
        peakKb.add(double(fields.value("hwm_kb")));
        startupPeakKb.add(double(fields.value("startup_hwm_kb")));
    }
    if (entries > 0)
        reportTimes("startup_painted", entries, painted);
    if (clickHeader)
        reportTimes("sort_click_painted", entries, sorted);
    std::printf("bench: rss entries=%d kb=%.0f min=%.0f max=%.0f startup_kb=%.0f runs=%d\n", entries, peakKb.median(),
                peakKb.min(), peakKb.max(), startupPeakKb.median(), peakKb.count());
    std::fflush(stdout);
}

} // namespace varnook::bench
