// varnook-bench: the program and varnook-cli as a user runs them, timed from outside.
//   varnook-bench [--quick] [--only=startup,saves,store,cli,protected] [entries...]
// --quick: 1,000 and 32,766 entries; default: 1,000, 32,766, 100,000 and 1,000,000. --only runs
// those groups alone (startup: the program's lines and rss; saves: the Session's saves). Lines:
//   bench: launch_to_prompt entries=N ms=<median> min=… max=… runs=…
//   bench: startup_painted entries=N ms=… min=… max=… runs=…
//   bench: sort_click_painted entries=N ms=… min=… max=… runs=…
//   bench: reload_painted entries=N ms=… min=… max=… runs=…
//   bench: find_key_painted entries=N ms=… min=… max=… runs=…
//   bench: first_save / save_data / merge_save entries=N ms=… baseline=write_fsync baseline_ms=… ratio=…
//   bench: cli_export entries=N ms=… peak_kb=… baseline=keepassxc-cli baseline_ms=… ratio=…
//   bench: cli_import entries=N ms=… peak_kb=… csv_kb=…
//   bench: rss entries=N kb=<peak of the program's own process> startup_kb=… pss_kb=<with its helpers>
//   bench: cipher / serialize / read_parse[_cp1252] entries=N ms=… baseline=copy|read …: the data layer alone
//   bench: unlock_protected entries=N ms=… min=… max=… kdf_ms=… rest_ms=… wait_ms=… runs=…
//   bench: save_protected entries=N ms=… baseline=write_fsync baseline_ms=… ratio=…
// See bench/README.md for what each one measures.
#include "BenchData.h"
#include "CliBench.h"
#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "ProtectedForm.h"
#include "SaveBench.h"
#include "StartupBench.h"
#include "StoreBench.h"
#include "UnlockBench.h"
#include "XvfbDisplay.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdio>

using namespace varnook;

namespace {

const QString Master = QStringLiteral("correct horse battery");

// Fresh processes cost seconds at the largest sizes: fewer runs at 100,000, as each line's runs=
// says. At a million, though, one save in three or so waits for the system to find free memory
// (0.6 s against 0.07 on a virtual machine): nine runs keep the median a typical save's.
int runsFor(int entries) {
    if (entries <= 32766)
        return 7;
    return entries <= 100000 ? 5 : 9;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QList<int> sizes = {1000, 32766, 100000, 1000000};
    if (args.removeAll(QStringLiteral("--quick")) > 0)
        sizes = {1000, 32766};
    // Finding out where the time of one line goes needs only its group run again.
    QStringList groups = {QStringLiteral("startup"), QStringLiteral("saves"), QStringLiteral("store"),
                          QStringLiteral("cli"), QStringLiteral("protected")};
    for (const QString &arg : QStringList(args)) {
        if (arg.startsWith(QStringLiteral("--only="))) {
            groups = arg.mid(7).split(QLatin1Char(','));
            args.removeAll(arg);
        }
    }
    const auto runs = [&groups](const char *group) {
        return groups.contains(QLatin1String(group));
    };
    if (!args.isEmpty()) {
        sizes.clear();
        for (const QString &arg : args)
            sizes << arg.toInt();
    }

    const QDir here(QCoreApplication::applicationDirPath());
    bench::XvfbDisplay display;
    if (!display.isRunning()) {
        std::fprintf(stderr, "varnook-bench: %s\n", qPrintable(display.failure()));
        return 1;
    }
    bench::StartupSetup startup;
    startup.program = here.filePath(QStringLiteral("varnook-benched"));
    startup.display = display.name();
    startup.password = Master;
    bench::CliSetup cli;
    cli.program = here.filePath(QStringLiteral("varnook-cli"));
    cli.keePassCli = QStandardPaths::findExecutable(QStringLiteral("keepassxc-cli"));
    cli.password = Master;

    // What the program holds with no entries at all: the floor under every rss line.
    startup.runs = 3;
    if (runs("startup"))
        bench::benchStartup(startup, 0, DataFileFormat::serialize(Master, std::vector<Entry>{}));
    for (int n : sizes) {
        const std::vector<Entry> entries = bench::typicalEntries(n);
        const QByteArray dataFile = DataFileFormat::serialize(Master, entries);
        startup.runs = runsFor(n);
        if (runs("startup"))
            bench::benchStartup(startup, n, dataFile);
        if (runs("saves"))
            bench::benchSaves(n, dataFile, Master, runsFor(n));
        if (runs("store")) {
            bench::benchStore("", entries, runsFor(n));
            bench::benchStore("_cp1252", bench::codePageEntries(n), runsFor(n));
        }
        cli.runs = runsFor(n);
        if (runs("cli"))
            bench::benchCli(cli, entries, dataFile);
    }

    // The same lists in the protected form, under the cost new protection gets: the unlock's key
    // derivation is the real one.
    if (!runs("protected"))
        return 0;
    const std::shared_ptr<const FileKey> key = DataFileKey::forNewProtection(Master, KdfCost::forNewFiles());
    if (!key) {
        std::fprintf(stderr, "varnook-bench: the key for the protected form could not be derived\n");
        return 1;
    }
    for (int n : sizes) {
        const QByteArray plain = DataFileFormat::serialize(Master, bench::typicalEntries(n));
        const QByteArray protectedFile = ProtectedForm::sealInPieces(plain, *key);
        startup.runs = runsFor(n);
        bench::benchUnlock(startup, n, protectedFile);
        bench::benchProtectedSaves(n, protectedFile, *key, Master, runsFor(n));
    }
    return 0;
}
