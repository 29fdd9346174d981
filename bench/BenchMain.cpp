// Prints one line per measurement:
//   bench: <name> entries=<n> ms=<median of 7> baseline=<name> baseline_ms=<median> ratio=<ms/baseline_ms>
//   bench: rss entries=<n> kb=<peak> baseline=empty baseline_kb=<peak with no entries> ratio=<kb/baseline_kb>
// startup_first is one start in a fresh process (no median): the first window pays for what a
// process sets up once.
#include "Application.h"
#include "BenchData.h"
#include "DataFile.h"
#include "DataFileFormat.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "OwnPagesScheme.h"
#include "ScrambleText.h"
#include "Session.h"
#include "WindowCleanup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QSettings>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace varnook;

namespace {

constexpr int Runs = 7;
const QString Master = QStringLiteral("correct horse battery");

double medianMs(const std::function<void()> &prepare, const std::function<void()> &measured) {
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[Runs / 2];
}

void report(const char *name, int entries, double ms, const char *baseline, double baselineMs) {
    std::printf("bench: %s entries=%d ms=%.3f baseline=%s baseline_ms=%.3f ratio=%.3f\n", name, entries, ms, baseline,
                baselineMs, baselineMs > 0 ? ms / baselineMs : 0.0);
    std::fflush(stdout);
}

// The program the benchmarks run: one at a time.
std::unique_ptr<Application> program;

void destroyWindows() {
    program.reset();
    test::destroyAllWindows();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The Help window would open at every start otherwise; it is not what is measured.
void keepHelpClosed(const test::FakePlatform &fake) {
    QSettings settings(fake.settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
}

// The main window as the start-up opens it: login answered, list filled, window shown and painted.
MainWindow *openMainWindow(test::FakePlatform &fake) {
    fake.dialogs.answerInput(Master);
    program = std::make_unique<Application>();
    MainWindow *main = program->openMainWindow();
    if (!main)
        qFatal("the main window did not open");
    QCoreApplication::processEvents();
    return main;
}

void benchStore(const char *suffix, int n, const std::vector<Entry> &entries) {
    const QByteArray bytes = DataFileFormat::serialize(Master, entries);
    auto name = [suffix](const char *base) {
        return QByteArray(base) + suffix;
    };

    // Both touch the same bytes of a buffer that already exists: the cipher against a plain copy.
    QByteArray sink(bytes.size(), Qt::Uninitialized);
    const double copy = medianMs({}, [&] { std::memcpy(sink.data(), bytes.constData(), size_t(bytes.size())); });
    const double cipher = medianMs([&] { std::memcpy(sink.data(), bytes.constData(), size_t(bytes.size())); },
                                   [&] { scrambleBytes(sink); });
    report(name("cipher"), n, cipher, "copy", copy);
    QByteArray built;
    const double serialize = medianMs({}, [&] { built = DataFileFormat::serialize(Master, entries); });
    report(name("serialize"), n, serialize, "copy", copy);

    test::FakePlatform fake;
    const QString path = fake.dataFile();
    writeFile(path, bytes);
    QByteArray read;
    const double readOnly = medianMs({}, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        read = file.readAll();
    });
    std::vector<Entry> parsed;
    const double parse = medianMs({}, [&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        read = file.readAll();
        const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(read);
        parsed = DataFileFormat::readEntries(QByteArrayView(read).sliced(master.entriesStart));
    });
    if (parsed != entries) {
        size_t i = 0;
        while (i < parsed.size() && i < entries.size() && parsed[i] == entries[i])
            ++i;
        qFatal("the data file did not read back as written: %zu of %zu entries, first difference at %zu (%s)",
               parsed.size(), entries.size(), i,
               i < entries.size() ? qPrintable(entries[i].username.toUtf8().toHex()) : "");
    }
    report(name("read_parse"), n, parse, "read", readOnly);

    const QString rawPath = path + QStringLiteral(".raw");
    const double raw = medianMs({}, [&] {
        QFile file(rawPath);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        file.flush();
        ::fsync(file.handle());
    });
    const DataFile dataFile(path);
    const double save = medianMs({}, [&] {
        if (!dataFile.save(Master, entries))
            qFatal("save failed");
    });
    report(name("file_save"), n, save, "write_fsync", raw);
}

void benchWindow(int n, const std::vector<Entry> &entries) {
    test::FakePlatform fake;
    keepHelpClosed(fake);
    const QByteArray bytes = DataFileFormat::serialize(Master, entries);
    const QByteArray emptyBytes = DataFileFormat::serialize(Master, {});

    writeFile(fake.dataFile(), emptyBytes);
    const double emptyStart = medianMs(destroyWindows, [&] { openMainWindow(fake); });
    writeFile(fake.dataFile(), bytes);
    const double start = medianMs(destroyWindows, [&] { openMainWindow(fake); });
    report("startup_load", n, start, "startup_empty", emptyStart);
    destroyWindows();

    MainWindow *main = openMainWindow(fake);
    EntryTableModel &list = *main->entryList()->entries();
    EntryTableModel fill;
    for (int i = 0; i < 3; ++i)
        fill.addColumn(QString::number(i));
    const double fillMs = medianMs([&] { fill.clear(); }, [&] { fill.append(entries); });
    int column = 0;
    const double sort = medianMs({}, [&] {
        main->onColumnClicked(column % 3 + 1);
        ++column;
    });
    report("sort_click", n, sort, "list_fill", fillMs);

    // The session's save, beside a raw write and fsync of the same bytes in the same folder.
    const QByteArray saved = [&] {
        program->session().save();
        QFile file(fake.dataFile());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }();
    const double raw = medianMs({}, [&] {
        QFile file(fake.dataFile() + QStringLiteral(".raw"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(saved);
        file.flush();
        ::fsync(file.handle());
    });
    const double save = medianMs({}, [&] { program->session().save(); });
    report("save_data", n, save, "write_fsync", raw);
    const double remove = medianMs(
        [&] {
            main->entryList()->selectPosition(list.count() / 2);
            fake.dialogs.answerMessage(MessageAnswer::Ok);
        },
        [&] { main->onDeleteClicked(); });
    report("delete", n, remove, "save_data", save);

    int added = 0;
    EntryEditor *editor = nullptr;
    const double add = medianMs(
        [&] {
            main->onAddClicked();
            editor = main->entryEditor();
            editor->findChild<QLineEdit *>(QStringLiteral("txtUsername"))
                ->setText(QStringLiteral("user%1").arg(++added));
            editor->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(QStringLiteral("a password"));
            editor->findChild<QLineEdit *>(QStringLiteral("txtWebsite"))->setText(QStringLiteral("www.example.com"));
        },
        [&] { editor->onSaveClicked(); });
    report("add", n, add, "save_data", save);
    destroyWindows();
}

long peakRssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// A start in a process of its own: the peak memory belongs to this list size alone, and the time
// includes what only the first window of a process pays. Prints "<peak kb> <start ms>".
int freshStartChild(int n) {
    test::FakePlatform fake;
    keepHelpClosed(fake);
    writeFile(fake.dataFile(), DataFileFormat::serialize(Master, bench::typicalEntries(n)));
    QElapsedTimer timer;
    timer.start();
    openMainWindow(fake);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%ld %.3f\n", peakRssKb(), ms);
    std::fflush(stdout);
    // The windows go while the application still exists, not among the exit handlers after it.
    destroyWindows();
    return 0;
}

struct FreshStart {
    long kb = 0;
    double ms = 0;
};

FreshStart freshStartOf(int n) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--rss"), QString::number(n)});
    child.waitForFinished(120000);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    return {fields.value(0).toLong(), fields.value(1).toDouble()};
}

} // namespace

int main(int argc, char *argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does: its own pages are known to the web engine before the application exists.
    OwnPagesScheme::registerScheme();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--rss"))
        return freshStartChild(args[2].toInt());

    QList<int> sizes = {1000, 32766, 100000};
    if (args.size() > 1) {
        sizes.clear();
        for (qsizetype i = 1; i < args.size(); ++i)
            sizes << args[i].toInt();
    }
    const FreshStart empty = freshStartOf(0);
    for (int n : sizes) {
        const std::vector<Entry> typical = bench::typicalEntries(n);
        benchStore("", n, typical);
        benchStore("_cp1252", n, bench::codePageEntries(n));
        benchWindow(n, typical);
        const FreshStart fresh = freshStartOf(n);
        std::printf("bench: rss entries=%d kb=%ld baseline=empty baseline_kb=%ld ratio=%.3f\n", n, fresh.kb, empty.kb,
                    empty.kb > 0 ? double(fresh.kb) / double(empty.kb) : 0.0);
        report("startup_first", n, fresh.ms, "startup_first_empty", empty.ms);
        std::fflush(stdout);
    }
    return 0;
}
