#include "ProgramArguments.h"

#include <QProcess>
#include <QTest>

using namespace varnook;

namespace {

struct Run {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// The program of this build, with neither a display nor a chosen window system: whatever made an
// application here would end at once with Qt's "could not connect to display".
Run runWithoutDisplay(const QStringList &arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VARNOOK_PROGRAM_PATH), arguments);
    Run run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        run.crashed = true;
        return run;
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace

class TestProgramArguments : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void versionWithoutDisplay();
    void helpWithoutDisplay();
    void refusedWithoutDisplay_data();
    void refusedWithoutDisplay();
};

void TestProgramArguments::read_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("request");
    QTest::addColumn<QString>("problem");
    const int run = int(ProgramArguments::Request::Run);
    const int help = int(ProgramArguments::Request::Help);
    const int version = int(ProgramArguments::Request::Version);
    const int refused = int(ProgramArguments::Request::Refused);
    QTest::newRow("nothing") << QStringList{} << run << QString();
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << help << QString();
    QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << help << QString();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << version << QString();
    QTest::newRow("-v") << QStringList{QStringLiteral("-v")} << version << QString();
    QTest::newRow("help after version") << QStringList{QStringLiteral("-v"), QStringLiteral("--help")} << help
                                        << QString();
    QTest::newRow("Qt's platform") << QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} << run
                                   << QString();
    QTest::newRow("Qt's option with two dashes")
        << QStringList{QStringLiteral("--platform"), QStringLiteral("wayland"), QStringLiteral("--reverse")} << run
        << QString();
    QTest::newRow("style joined and apart")
        << QStringList{QStringLiteral("-style=Fusion"), QStringLiteral("-stylesheet"), QStringLiteral("a.qss")} << run
        << QString();
    QTest::newRow("a value that looks like an option")
        << QStringList{QStringLiteral("-qwindowtitle"), QStringLiteral("--help")} << run << QString();
    QTest::newRow("the web engine's options")
        << QStringList{QStringLiteral("-reverse"), QStringLiteral("--webEngineArgs"),
                       QStringLiteral("--remote-debugging-port=9222"), QStringLiteral("whatever")}
        << run << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")} << refused
                                    << QStringLiteral("Unknown option '--bogus'.");
    QTest::newRow("unknown after help is not looked at")
        << QStringList{QStringLiteral("--help"), QStringLiteral("--bogus")} << help << QString();
    QTest::newRow("unknown after version") << QStringList{QStringLiteral("--version"), QStringLiteral("-x")} << refused
                                           << QStringLiteral("Unknown option '-x'.");
    QTest::newRow("a Chromium option without --webEngineArgs")
        << QStringList{QStringLiteral("--remote-debugging-port=9222")} << refused
        << QStringLiteral("Unknown option '--remote-debugging-port=9222'.");
    QTest::newRow("platform joined is not Qt's") << QStringList{QStringLiteral("-platform=offscreen")} << refused
                                                 << QStringLiteral("Unknown option '-platform=offscreen'.");
    QTest::newRow("value missing") << QStringList{QStringLiteral("-platform")} << refused
                                   << QStringLiteral("Missing value after '-platform'.");
    QTest::newRow("a command") << QStringList{QStringLiteral("export")} << refused
                               << QStringLiteral("Unexpected argument 'export': Varnook takes options only.");
    QTest::newRow("a lone dash") << QStringList{QStringLiteral("-")} << refused
                                 << QStringLiteral("Unexpected argument '-': Varnook takes options only.");
}

void TestProgramArguments::read() {
    QFETCH(QStringList, arguments);
    QFETCH(int, request);
    QFETCH(QString, problem);
    const ProgramArguments read = ProgramArguments::read(QStringList{QStringLiteral("varnook")} + arguments);
    QCOMPARE(int(read.request()), request);
    QCOMPARE(read.problem(), problem);
}

void TestProgramArguments::versionWithoutDisplay() {
    const Run run = runWithoutDisplay({QStringLiteral("--version")});
    QVERIFY(!run.crashed);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.out, QByteArray("Varnook 1.0.0\n"));
    QCOMPARE(run.exitCode, 0);
}

void TestProgramArguments::helpWithoutDisplay() {
    const Run run = runWithoutDisplay({QStringLiteral("--help")});
    QVERIFY(!run.crashed);
    QCOMPARE(run.err, QByteArray());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QString::fromUtf8(run.out), ProgramArguments::helpText());
    QVERIFY(run.out.startsWith("Usage: varnook [OPTION]...\n"));
    for (const char *line : {"  -h, --help ", "  -v, --version ", "  --webEngineArgs ARG... ", "  -platform NAME ",
                             "  2  The command line is wrong.\n"})
        QVERIFY2(run.out.contains(line), line);
    QCOMPARE(runWithoutDisplay({QStringLiteral("-h")}).out, run.out);
}

void TestProgramArguments::refusedWithoutDisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--bogus")}
                                    << QByteArray("Unknown option '--bogus'.\nTry \"varnook --help\".\n");
    QTest::newRow("after a Qt option") << QStringList{QStringLiteral("-platform"), QStringLiteral("xcb"),
                                                      QStringLiteral("--lock")}
                                       << QByteArray("Unknown option '--lock'.\nTry \"varnook --help\".\n");
    QTest::newRow("a file") << QStringList{QStringLiteral("data.enc")}
                            << QByteArray("Unexpected argument 'data.enc': Varnook takes options only.\n"
                                          "Try \"varnook --help\".\n");
}

// Refused at once, with the reason on standard error, before any window (there is no display).
void TestProgramArguments::refusedWithoutDisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, message);
    const Run run = runWithoutDisplay(arguments);
    QVERIFY(!run.crashed);
    QCOMPARE(run.out, QByteArray());
    QCOMPARE(run.err, message);
    QCOMPARE(run.exitCode, 2);
}

QTEST_GUILESS_MAIN(TestProgramArguments)
#include "tst_programarguments.moc"
