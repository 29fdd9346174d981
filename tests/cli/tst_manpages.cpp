#include "HelpListing.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace varnook::test;

namespace {

QString helpOf(const QString &program) {
    QProcess process;
    process.start(program, {QStringLiteral("--help")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString manPage(const QString &name) {
    QFile page(QStringLiteral(VARNOOK_MAN_FOLDER "/") + name + QStringLiteral(".1"));
    return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

QStringList sorted(const QSet<QString> &set) {
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

} // namespace

// The man pages the build made list the commands, options and exit codes that the programs' --help
// lists, and name no option that --help does not know.
class TestManPages : public QObject {
    Q_OBJECT

private slots:
    void sameAsHelp_data();
    void sameAsHelp();
    void synopsisHasEveryCommand();
    void filesSection_data();
    void filesSection();
};

void TestManPages::sameAsHelp_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("commands");
    QTest::newRow("varnook-cli") << QStringLiteral(VARNOOK_CLI_PATH) << QStringLiteral("varnook-cli") << 7;
    QTest::newRow("varnook") << QStringLiteral(VARNOOK_PROGRAM_PATH) << QStringLiteral("varnook") << 0;
}

void TestManPages::sameAsHelp() {
    QFETCH(QString, program);
    QFETCH(QString, page);
    QFETCH(int, commands);
    const QString helpText = helpOf(program);
    const QString roff = manPage(page);
    QVERIFY(!helpText.isEmpty());
    QVERIFY(!roff.isEmpty());
    const HelpListing help = HelpListing::fromHelp(helpText);
    const HelpListing man = HelpListing::fromManPage(roff);

    QCOMPARE(help.commands.size(), commands);
    QCOMPARE(sorted(man.commands), sorted(help.commands));
    QVERIFY(help.options.contains(QStringLiteral("--help")));
    QVERIFY(help.options.contains(QStringLiteral("--version")));
    QCOMPARE(sorted(man.options), sorted(help.options));
    QCOMPARE(sorted(help.exitCodes).first(), QStringLiteral("0"));
    QVERIFY(help.exitCodes.contains(QStringLiteral("2")));
    QCOMPARE(sorted(man.exitCodes), sorted(help.exitCodes));
    // The page's own sections (files, examples) name only options the program has.
    const QSet<QString> unknown = man.optionsMentioned - help.optionsMentioned;
    QVERIFY2(unknown.isEmpty(), qPrintable(sorted(unknown).join(QLatin1Char(' '))));
}

void TestManPages::synopsisHasEveryCommand() {
    const QString roff = manPage(QStringLiteral("varnook-cli"));
    const qsizetype start = roff.indexOf(QLatin1String(".SH SYNOPSIS"));
    const qsizetype end = roff.indexOf(QLatin1String(".SH DESCRIPTION"));
    QVERIFY(start >= 0 && end > start);
    const QString synopsis = roff.mid(start, end - start);
    for (const QString &command : sorted(HelpListing::fromHelp(helpOf(QStringLiteral(VARNOOK_CLI_PATH))).commands)) {
        const QRegularExpression line(QStringLiteral(R"(\\fI\\,%1[ \\])").arg(command));
        QVERIFY2(synopsis.contains(line), qPrintable(command));
    }
}

void TestManPages::filesSection_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("varnook") << QStringLiteral("varnook")
                             << QStringList{QStringLiteral("data.enc"), QStringLiteral("data.enc.lock"),
                                            QStringLiteral("Help.rtf"),
                                            QStringLiteral("~/.config/Varnook/Varnook.conf")};
    QTest::newRow("varnook-cli") << QStringLiteral("varnook-cli")
                                 << QStringList{QStringLiteral("data.enc"), QStringLiteral("data.enc.lock")};
}

// The files each program uses, one entry each, after the options.
void TestManPages::filesSection() {
    QFETCH(QString, page);
    QFETCH(QStringList, files);
    const QString roff = manPage(page);
    const qsizetype start = roff.indexOf(QLatin1String(".SH FILES"));
    QVERIFY(start > roff.indexOf(QLatin1String(".SH OPTIONS")));
    const QString section = roff.mid(start, roff.indexOf(QLatin1String("\n.SH "), start + 1) - start);
    for (const QString &file : files)
        QVERIFY2(section.contains(QStringLiteral(".TP\n.I ") + file + QLatin1Char('\n')), qPrintable(file));
}

QTEST_GUILESS_MAIN(TestManPages)
#include "tst_manpages.moc"
