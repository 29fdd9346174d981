#include "ChildProcess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

using namespace varnook::bench;

namespace {
ChildRequest shell(const QString &script) {
    ChildRequest request;
    request.program = QStringLiteral("/bin/sh");
    request.arguments = {QStringLiteral("-c"), script};
    request.timeoutSeconds = 60;
    return request;
}
} // namespace

// The children the benchmark runs: what they were given, what they said, how they ended, and their
// own peak memory (never the benchmark's, which holds every entry of the largest list).
class TestChildProcess : public QObject {
    Q_OBJECT

private slots:
    void endings_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("succeeded");
        QTest::newRow("success") << "exit 0" << 0 << true;
        QTest::newRow("failure") << "exit 3" << 3 << false;
        QTest::newRow("killed by a signal") << "kill -9 $$" << -1 << false;
        QTest::newRow("program not found") << "exec /nonexistent/program" << 127 << false;
    }
    void endings() {
        QFETCH(QString, script);
        QFETCH(int, exitCode);
        QFETCH(bool, succeeded);
        const ChildResult result = runChild(shell(script));
        QVERIFY(result.started);
        QVERIFY(!result.timedOut);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.succeeded(), succeeded);
    }

    void inputAndOutputs() {
        ChildRequest request = shell(QStringLiteral("read line; printf '<%s>' \"$line\"; printf 'said' >&2"));
        request.input = "correct horse battery\nsecond line\n";
        const ChildResult result = runChild(request);
        QVERIFY(result.succeeded());
        QCOMPARE(result.output, QByteArray("<correct horse battery>"));
        QCOMPARE(result.errors, QByteArray("said"));
    }

    void outputIntoAFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("out.csv"));
        ChildRequest request = shell(QStringLiteral("printf 'a,b\\n'"));
        request.outputFile = path;
        const ChildResult result = runChild(request);
        QVERIFY(result.succeeded());
        QVERIFY(result.output.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("a,b\n"));
        QCOMPARE(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void outputFileThatCannotBeMade() {
        ChildRequest request = shell(QStringLiteral("exit 0"));
        request.outputFile = QStringLiteral("/nonexistent/folder/out.csv");
        const ChildResult result = runChild(request);
        QVERIFY(!result.started);
        QVERIFY(!result.succeeded());
    }

    // A variable the request sets wins over the inherited one of the same name.
    void environment() {
        qputenv("VARNOOK_TEST_INHERITED", "from the benchmark");
        qputenv("VARNOOK_TEST_REPLACED", "inherited");
        ChildRequest request =
            shell(QStringLiteral("printf '%s|%s' \"$VARNOOK_TEST_INHERITED\" \"$VARNOOK_TEST_REPLACED\""));
        request.environment = {QStringLiteral("VARNOOK_TEST_REPLACED=own value")};
        const ChildResult result = runChild(request);
        QVERIFY(result.succeeded());
        QCOMPARE(result.output, QByteArray("from the benchmark|own value"));
    }

    void peakIsTheChildsOwn() {
        // This process holds far more than the small child: the child's peak must not show it.
        constexpr size_t Held = size_t(256) << 20;
        const std::unique_ptr<char[]> held(new char[Held]);
        std::memset(held.get(), 1, Held);
        const ChildResult small = runChild(shell(QStringLiteral("exit 0")));
        QVERIFY(small.succeeded());
        QVERIFY2(small.peakKb > 0 && small.peakKb < 64 * 1024, qPrintable(QString::number(small.peakKb)));

        // A child that holds 128 MB itself shows them.
        ChildRequest big;
        big.program = QStringLiteral("/usr/bin/awk");
        big.arguments = {QStringLiteral("BEGIN { s = \"x\"; while (length(s) < 100663296) s = s s; print length(s) }")};
        const ChildResult result = runChild(big);
        QVERIFY(result.succeeded());
        QCOMPARE(result.output, QByteArray("134217728\n"));
        QVERIFY2(result.peakKb >= 96 * 1024, qPrintable(QString::number(result.peakKb)));
        QVERIFY(held[Held - 1] == 1);
    }

    // A child that runs too long is killed with what it started, and says so.
    void timeout() {
        QTemporaryDir folder;
        const QString mark = folder.filePath(QStringLiteral("grandchild-ran-on"));
        ChildRequest request = shell(QStringLiteral("(sleep 2; touch '%1') & sleep 600").arg(mark));
        request.timeoutSeconds = 1;
        const ChildResult result = runChild(request);
        QVERIFY(result.started);
        QVERIFY(result.timedOut);
        QVERIFY(!result.succeeded());
        QTest::qWait(2500);
        QVERIFY(!QFile::exists(mark));
    }
};

QTEST_GUILESS_MAIN(TestChildProcess)
#include "tst_childprocess.moc"
