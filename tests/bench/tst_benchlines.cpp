#include "ProbeLine.h"
#include "Report.h"
#include "UnlockFigures.h"

#include <QTest>

using namespace varnook::bench;

namespace {
Samples samplesOf(std::initializer_list<double> values) {
    Samples samples;
    for (double value : values)
        samples.add(value);
    return samples;
}
} // namespace

// The lines scripts compare, and the probe's line that the benchmark reads back from the program.
class TestBenchLines : public QObject {
    Q_OBJECT

private slots:
    void reportLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        // Runs in any order: the median is the middle one, min and max the ends.
        QTest::newRow("times") << timesLine("startup_painted", 32766, samplesOf({140.0, 110.25, 146.5}))
                               << "bench: startup_painted entries=32766 ms=140.000 min=110.250 max=146.500 runs=3";
        QTest::newRow("reload") << timesLine("reload_painted", 100000, samplesOf({96.5, 88.0, 131.25, 90.0, 102.0}))
                                << "bench: reload_painted entries=100000 ms=96.500 min=88.000 max=131.250 runs=5";
        QTest::newRow("ratio") << ratioLine("first_save", 1000, samplesOf({3.0, 1.0, 2.0, 9.0, 4.0}), "write_fsync",
                                            samplesOf({1.5, 1.0, 2.0, 1.0, 1.0}))
                               << "bench: first_save entries=1000 ms=3.000 min=1.000 max=9.000 baseline=write_fsync "
                                  "baseline_ms=1.000 ratio=3.000 runs=5";
        QTest::newRow("ratio with more")
            << ratioLine("cli_export", 7, samplesOf({10.0}), "keepassxc-cli", samplesOf({400.0}),
                         QStringLiteral("peak_kb=9000"))
            << "bench: cli_export entries=7 ms=10.000 min=10.000 max=10.000 "
               "baseline=keepassxc-cli baseline_ms=400.000 ratio=0.025 peak_kb=9000 runs=1";
        QTest::newRow("protected save")
            << ratioLine("save_protected", 32766, samplesOf({8.5, 6.25, 7.0}), "write_fsync",
                         samplesOf({5.0, 4.0, 6.0}))
            << "bench: save_protected entries=32766 ms=7.000 min=6.250 max=8.500 baseline=write_fsync "
               "baseline_ms=5.000 ratio=1.400 runs=3";
        QTest::newRow("memory") << memoryLine("rss", 0, samplesOf({107252.0, 107060.0, 107300.0}),
                                              QStringLiteral("startup_kb=107236"))
                                << "bench: rss entries=0 kb=107252 min=107060 max=107300 startup_kb=107236 runs=3";
        QTest::newRow("skipped")
            << skippedLine("cli_import", 1000000, QStringLiteral(" exit 3:  It is larger\tthan 64 MB "),
                           QStringLiteral("csv_kb=93000"))
            << "bench: cli_import entries=1000000 skipped=exit_3:_It_is_larger_than_64_MB csv_kb=93000";
    }
    void reportLines() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(line, expected);
    }

    // The start less its own run's key derivation is what the unlock costs besides: the median of
    // those differences, not the difference of the medians (100 here).
    void unlockLine() {
        UnlockFigures unlock;
        unlock.add(1180.0, 1120.0, 1080.0);
        unlock.add(1400.5, 1200.0, 1150.0);
        unlock.add(1050.0, 900.0, 855.0);
        QCOMPARE(unlock.count(), 3);
        QCOMPARE(unlock.line(32766), "bench: unlock_protected entries=32766 ms=1180.000 min=1050.000 max=1400.500 "
                                     "kdf_ms=1080.000 rest_ms=195.000 wait_ms=1120.000 runs=3");
    }

    void probeLineReadsBack_data() {
        QTest::addColumn<bool>("clicked");
        QTest::addColumn<bool>("reloaded");
        QTest::newRow("start-up only") << false << false;
        QTest::newRow("with the sort click") << true << false;
        QTest::newRow("with the sort click and the reload") << true << true;
        QTest::newRow("with the reload only") << false << true;
    }
    void probeLineReadsBack() {
        QFETCH(bool, clicked);
        QFETCH(bool, reloaded);
        ProbeFigures written;
        written.okNs = 12661382943242;
        written.paintedNs = 12661628506977;
        written.clicked = clicked;
        if (clicked) {
            written.releasedNs = 12661700000000;
            written.sortedNs = 12661711000000;
        }
        written.reloaded = reloaded;
        if (reloaded) {
            written.reloadSeenNs = 12671700000000;
            written.reloadPaintedNs = 12671796250000;
        }
        written.startupPeakKb = 145988;
        written.peakKb = 152400;
        // Among the other lines a program writes.
        const QByteArray output = "Sandboxing disabled by user.\n" + probeLine(written) + "\nsomething after\n";
        const std::optional<ProbeFigures> read = readProbeLine(output);
        QVERIFY(read);
        QCOMPARE(read->okNs, written.okNs);
        QCOMPARE(read->paintedNs, written.paintedNs);
        QCOMPARE(read->clicked, clicked);
        QCOMPARE(read->releasedNs, written.releasedNs);
        QCOMPARE(read->sortedNs, written.sortedNs);
        QCOMPARE(read->reloaded, reloaded);
        QCOMPARE(read->reloadSeenNs, written.reloadSeenNs);
        QCOMPARE(read->reloadPaintedNs, written.reloadPaintedNs);
        QCOMPARE(read->startupPeakKb, 145988L);
        QCOMPARE(read->peakKb, 152400L);
        QCOMPARE(read->startupMs(), 245.563735);
        QCOMPARE(read->reloadMs(), reloaded ? 96.25 : 0.0);
    }

    // A protected file's start notes its wait box's work; a start without one writes the line as before.
    void probeLineWithAWait() {
        ProbeFigures written;
        written.okNs = 12661382943242;
        written.paintedNs = 12662628506977;
        written.startupPeakKb = 145988;
        written.peakKb = 152400;
        QVERIFY(!probeLine(written).contains("waited_ns"));
        QCOMPARE(readProbeLine(probeLine(written))->waitedNs, qint64(0));
        written.waitedNs = 980000000;
        const std::optional<ProbeFigures> read = readProbeLine("Sandboxing disabled by user.\n" + probeLine(written));
        QVERIFY(read);
        QCOMPARE(read->waitedMs(), 980.0);
        QCOMPARE(read->startupMs(), 1245.563735);
        QVERIFY(!probeLine(written).contains("kdf_ns"));
        written.kdfNs = 912500000; // the key's own timing of its derivation, within the wait
        const std::optional<ProbeFigures> timed = readProbeLine(probeLine(written));
        QVERIFY(timed);
        QCOMPARE(timed->kdfMs(), 912.5);
        QCOMPARE(timed->waitedMs(), 980.0);
    }

    // The launch, the password box, the key in the find bar and the whole program's memory.
    void probeLineWithPromptAndFind() {
        ProbeFigures written;
        written.prompted = true;
        written.launchedNs = 12661000000000;
        written.promptNs = 12661271500000;
        written.okNs = 12661382943242;
        written.paintedNs = 12661628506977;
        written.found = true;
        written.keyNs = 12663000000000;
        written.foundNs = 12663041250000;
        written.startupPeakKb = 145988;
        written.peakKb = 152400;
        written.pssKb = 203511;
        const std::optional<ProbeFigures> read = readProbeLine("Sandboxing disabled by user.\n" + probeLine(written));
        QVERIFY(read);
        QVERIFY(read->prompted);
        QCOMPARE(read->promptMs(), 271.5);
        QCOMPARE(read->startupMs(), 245.563735);
        QVERIFY(read->found);
        QCOMPARE(read->findMs(), 41.25);
        QCOMPARE(read->pssKb, 203511L);
        // A line without them reads as before: nothing timed, no memory of the helpers.
        const std::optional<ProbeFigures> plain =
            readProbeLine("benched: ok_ns=1 painted_ns=2 startup_hwm_kb=3 hwm_kb=4");
        QVERIFY(plain);
        QVERIFY(!plain->prompted);
        QVERIFY(!plain->found);
        QCOMPARE(plain->pssKb, 0L);
    }

    void probeLineRefused_data() {
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("no line") << QByteArray("benched:ok_ns=1 painted_ns=2 startup_hwm_kb=3 hwm_kb=4\n");
        QTest::newRow("painted missing") << QByteArray("benched: ok_ns=1 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("peak missing") << QByteArray("benched: ok_ns=1 painted_ns=2 startup_hwm_kb=3");
        QTest::newRow("not a number") << QByteArray("benched: ok_ns=1 painted_ns=2x startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("no value") << QByteArray("benched: ok_ns=1 painted_ns= startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("painted before the OK") << QByteArray("benched: ok_ns=5 painted_ns=2 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("a wait longer than the start-up")
            << QByteArray("benched: ok_ns=10 painted_ns=20 waited_ns=11 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("a derivation longer than the wait")
            << QByteArray("benched: ok_ns=10 painted_ns=20 waited_ns=5 kdf_ns=6 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("a wait of less than nothing")
            << QByteArray("benched: ok_ns=10 painted_ns=20 waited_ns=-1 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("release without the repaint")
            << QByteArray("benched: ok_ns=1 painted_ns=2 released_ns=3 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("repaint before the release")
            << QByteArray("benched: ok_ns=1 painted_ns=2 released_ns=9 sorted_ns=8 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("release before the start-up's paint")
            << QByteArray("benched: ok_ns=1 painted_ns=5 released_ns=4 sorted_ns=8 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("reload seen without its paint")
            << QByteArray("benched: ok_ns=1 painted_ns=2 reload_seen_ns=3 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("reload painted before it was seen") << QByteArray(
            "benched: ok_ns=1 painted_ns=2 reload_seen_ns=9 reload_painted_ns=8 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("reload seen before the sort's repaint")
            << QByteArray("benched: ok_ns=1 painted_ns=2 released_ns=3 sorted_ns=9 reload_seen_ns=8 "
                          "reload_painted_ns=10 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("launch without the password box")
            << QByteArray("benched: launched_ns=1 ok_ns=2 painted_ns=3 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("password box before the launch")
            << QByteArray("benched: launched_ns=5 prompt_ns=4 ok_ns=6 painted_ns=7 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("OK before the password box")
            << QByteArray("benched: launched_ns=1 prompt_ns=4 ok_ns=3 painted_ns=7 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("key without the filtered list")
            << QByteArray("benched: ok_ns=1 painted_ns=2 key_ns=3 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("filtered list before the key")
            << QByteArray("benched: ok_ns=1 painted_ns=2 key_ns=9 found_ns=8 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("key before the reload's paint")
            << QByteArray("benched: ok_ns=1 painted_ns=2 reload_seen_ns=3 reload_painted_ns=9 key_ns=8 "
                          "found_ns=10 startup_hwm_kb=3 hwm_kb=4");
        QTest::newRow("reload seen before the start-up's paint") << QByteArray(
            "benched: ok_ns=1 painted_ns=5 reload_seen_ns=4 reload_painted_ns=10 startup_hwm_kb=3 hwm_kb=4");
    }
    void probeLineRefused() {
        QFETCH(QByteArray, output);
        QVERIFY(!readProbeLine(output));
    }
};

QTEST_GUILESS_MAIN(TestBenchLines)
#include "tst_benchlines.moc"
