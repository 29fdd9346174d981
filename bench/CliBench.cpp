#include "CliBench.h"

#include "ChildProcess.h"
#include "DataFileFormat.h"
#include "KeePassXml.h"
#include "Report.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace varnook::bench {

namespace {

constexpr int KeePassImportSeconds = 300;

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

void tellFailure(const char *what, const ChildResult &result) {
    std::fprintf(stderr, "%s failed (exit %d%s): %s\n", what, result.exitCode, result.timedOut ? ", timed out" : "",
                 result.errors.left(2000).constData());
}

// The same entries in a KeePass database, made the way a user would: keepassxc-cli import of an
// XML export. Empty, with the reason in whyNot, when it cannot be made.
QString makeKeePassDatabase(const CliSetup &setup, const std::vector<Entry> &entries, const QDir &folder,
                            QString &whyNot) {
    const QString xml = folder.filePath(QStringLiteral("entries.xml"));
    const QString database = folder.filePath(QStringLiteral("entries.kdbx"));
    if (!writeKeePassXml(xml, entries)) {
        whyNot = QStringLiteral("the KeePass XML file could not be written");
        return {};
    }
    ChildRequest import;
    import.program = setup.keePassCli;
    import.arguments = {QStringLiteral("import"), QStringLiteral("-q"), QStringLiteral("-p"), xml, database};
    import.input = (setup.password + QLatin1Char('\n') + setup.password + QLatin1Char('\n')).toUtf8();
    // Over 14 minutes at 1,000,000 entries on two cores: past that, the line goes without a baseline.
    import.timeoutSeconds = KeePassImportSeconds;
    const ChildResult made = runChild(import);
    QFile::remove(xml);
    if (!made.succeeded()) {
        tellFailure("keepassxc-cli import", made);
        whyNot = made.timedOut ? QStringLiteral("keepassxc-cli import took over %1 s").arg(KeePassImportSeconds)
                               : QStringLiteral("keepassxc-cli import failed");
        return {};
    }
    return database;
}

} // namespace

void benchCli(const CliSetup &setup, const std::vector<Entry> &entries, const QByteArray &dataFile) {
    const int n = int(entries.size());
    QTemporaryDir temporary;
    const QDir folder(temporary.path());
    const QString dataFolder = folder.filePath(QStringLiteral("store"));
    folder.mkpath(QStringLiteral("store"));
    if (!writeFile(QDir(dataFolder).filePath(QStringLiteral("data.enc")), dataFile)) {
        reportSkipped("cli_export", n, QStringLiteral("the data file could not be written"));
        return;
    }
    const QByteArray passwordLine = (setup.password + QLatin1Char('\n')).toUtf8();

    QString whyNoBaseline = QStringLiteral("keepassxc-cli is not installed");
    const QString database =
        setup.keePassCli.isEmpty() ? QString() : makeKeePassDatabase(setup, entries, folder, whyNoBaseline);

    // Both write their CSV to standard output, into a file.
    const QString csv = folder.filePath(QStringLiteral("export.csv"));
    ChildRequest ours;
    ours.program = setup.program;
    ours.arguments = {QStringLiteral("export"), QStringLiteral("--folder"), dataFolder};
    ours.input = passwordLine;
    ours.outputFile = csv;
    ChildRequest theirs;
    theirs.program = setup.keePassCli;
    theirs.arguments = {QStringLiteral("export"), QStringLiteral("-q"), QStringLiteral("-f"), QStringLiteral("csv"),
                        database};
    theirs.input = passwordLine;
    theirs.outputFile = folder.filePath(QStringLiteral("keepass.csv"));

    Samples exportMs, exportKb, baselineMs;
    for (int run = 0; run < setup.runs; ++run) {
        const ChildResult result = runChild(ours);
        if (!result.succeeded()) {
            tellFailure("varnook-cli export", result);
            reportSkipped("cli_export", n, QStringLiteral("varnook-cli export failed"));
            return;
        }
        exportMs.add(result.ms);
        exportKb.add(double(result.peakKb));
        if (database.isEmpty())
            continue;
        const ChildResult baseline = runChild(theirs);
        if (!baseline.succeeded()) {
            tellFailure("keepassxc-cli export", baseline);
            reportSkipped("cli_export", n, QStringLiteral("keepassxc-cli export failed"));
            return;
        }
        baselineMs.add(baseline.ms);
    }
    const QString peak = QStringLiteral("peak_kb=%1").arg(exportKb.median(), 0, 'f', 0);
    if (database.isEmpty())
        reportTimes("cli_export", n, exportMs,
                    peak + QStringLiteral(" no_baseline=") + whyNoBaseline.replace(QLatin1Char(' '), QLatin1Char('_')));
    else
        reportRatio("cli_export", n, exportMs, "keepassxc-cli", baselineMs, peak);

    // Import of that CSV into a data file that holds the master password and nothing else.
    const QString importFolder = folder.filePath(QStringLiteral("import"));
    const QByteArray emptyDataFile = DataFileFormat::serialize(setup.password, std::vector<Entry>{});
    const qint64 csvKb = QFileInfo(csv).size() / 1024;
    ChildRequest import;
    import.program = setup.program;
    import.arguments = {QStringLiteral("import"), csv, QStringLiteral("--folder"), importFolder};
    import.input = passwordLine;
    Samples importMs, importKb;
    for (int run = 0; run < setup.runs; ++run) {
        QDir(importFolder).removeRecursively();
        folder.mkpath(QStringLiteral("import"));
        if (!writeFile(QDir(importFolder).filePath(QStringLiteral("data.enc")), emptyDataFile)) {
            reportSkipped("cli_import", n, QStringLiteral("the data file could not be written"));
            return;
        }
        const ChildResult result = runChild(import);
        if (!result.succeeded()) {
            tellFailure("varnook-cli import", result);
            const QByteArray said = result.errors.trimmed().split('\n').last();
            reportSkipped("cli_import", n,
                          QStringLiteral("exit %1: %2").arg(result.exitCode).arg(QString::fromUtf8(said)),
                          QStringLiteral("csv_kb=%1").arg(csvKb));
            return;
        }
        importMs.add(result.ms);
        importKb.add(double(result.peakKb));
    }
    reportTimes("cli_import", n, importMs,
                QStringLiteral("peak_kb=%1 csv_kb=%2").arg(importKb.median(), 0, 'f', 0).arg(csvKb));
}

} // namespace varnook::bench
