#include "HelpListing.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace varnook::test;

namespace {

// What bash offers after the words typed so far, the last one being completed: the completion file
// sourced in a fresh bash, its function called as bash calls it, the offers sorted.
QStringList completions(const QStringList &words, const QString &folder) {
    QString script = QStringLiteral("source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                    "_varnook_cli; printf '%s\\n' \"${COMPREPLY[@]}\"");
    QProcess bash;
    bash.setWorkingDirectory(folder);
    bash.start(QStringLiteral("bash"), QStringList{QStringLiteral("--norc"), QStringLiteral("-c"), script,
                                                   QStringLiteral("bash"), QStringLiteral(VARNOOK_COMPLETION_FILE)} +
                                           words);
    if (!bash.waitForFinished(10000) || bash.exitCode() != 0)
        return {QStringLiteral("bash failed: ") + QString::fromUtf8(bash.readAllStandardError())};
    QStringList offers = QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    offers.sort();
    return offers;
}

QString runHelp() {
    QProcess cli;
    cli.start(QStringLiteral(VARNOOK_CLI_PATH), {QStringLiteral("--help")});
    cli.waitForFinished(10000);
    return QString::fromUtf8(cli.readAllStandardOutput());
}

} // namespace

class TestCompletion : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void offers_data();
    void offers();
    void registersForTheProgram();
    void commandsAndOptionsAreTheProgramsOwn();

private:
    QTemporaryDir m_folder;
};

// A folder to complete names in: two folders and two files that share their first letter.
void TestCompletion::initTestCase() {
    QVERIFY(m_folder.isValid());
    const QDir folder(m_folder.path());
    QVERIFY(folder.mkdir(QStringLiteral("sub")));
    QVERIFY(folder.mkdir(QStringLiteral("sync dir")));
    for (const char *name : {"some.csv", "sum.txt", "other.enc"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

void TestCompletion::offers_data() {
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("offers");
    const QString cli = QStringLiteral("varnook-cli");
    const QStringList sNames = {QStringLiteral("some.csv"), QStringLiteral("sub"), QStringLiteral("sum.txt"),
                                QStringLiteral("sync dir")};
    const QStringList sFolders = {QStringLiteral("sub"), QStringLiteral("sync dir")};
    QTest::newRow("every command") << QStringList{cli, QString()}
                                   << QStringList{"check",  "export",  "import",   "merge",
                                                  "passwd", "protect", "unprotect"};
    QTest::newRow("commands by their start")
        << QStringList{cli, QStringLiteral("p")} << QStringList{"passwd", "protect"};
    QTest::newRow("one command") << QStringList{cli, QStringLiteral("ex")} << QStringList{"export"};
    QTest::newRow("no such command") << QStringList{cli, QStringLiteral("x")} << QStringList{};
    QTest::newRow("options before the command")
        << QStringList{cli, QStringLiteral("--")} << QStringList{"--folder", "--help", "--version"};
    QTest::newRow("export's options") << QStringList{cli, QStringLiteral("export"), QStringLiteral("--")}
                                      << QStringList{"--folder", "--output"};
    QTest::newRow("protect's options") << QStringList{cli, QStringLiteral("protect"), QStringLiteral("--k")}
                                       << QStringList{"--kdf-memory", "--kdf-passes"};
    QTest::newRow("check's options") << QStringList{cli, QStringLiteral("check"), QStringLiteral("-")}
                                     << QStringList{"--folder"};
    QTest::newRow("folders only after --folder")
        << QStringList{cli, QStringLiteral("check"), QStringLiteral("--folder"), QStringLiteral("s")} << sFolders;
    QTest::newRow("folders after --folder=") << QStringList{cli, QStringLiteral("check"), QStringLiteral("--folder"),
                                                            QStringLiteral("="), QStringLiteral("s")}
                                             << sFolders;
    QTest::newRow("any name after --output")
        << QStringList{cli, QStringLiteral("export"), QStringLiteral("--output"), QStringLiteral("s")} << sNames;
    QTest::newRow("import's CSV file") << QStringList{cli, QStringLiteral("import"), QStringLiteral("s")} << sNames;
    QTest::newRow("merge's data file") << QStringList{cli, QStringLiteral("merge"), QStringLiteral("o")}
                                       << QStringList{"other.enc"};
    QTest::newRow("import takes one file")
        << QStringList{cli, QStringLiteral("import"), QStringLiteral("some.csv"), QStringLiteral("s")} << QStringList{};
    QTest::newRow("the command after a folder")
        << QStringList{cli, QStringLiteral("--folder"), QStringLiteral("sub"), QStringLiteral("im")}
        << QStringList{"import"};
    QTest::newRow("a folder named like a command is no command")
        << QStringList{cli, QStringLiteral("--folder"), QStringLiteral("check"), QStringLiteral("me")}
        << QStringList{"merge"};
    QTest::newRow("nothing for a number")
        << QStringList{cli, QStringLiteral("passwd"), QStringLiteral("--kdf-passes"), QString()} << QStringList{};
    QTest::newRow("no file for check") << QStringList{cli, QStringLiteral("check"), QStringLiteral("s")}
                                       << QStringList{};
}

void TestCompletion::offers() {
    QFETCH(QStringList, words);
    QFETCH(QStringList, offers);
    QCOMPARE(completions(words, m_folder.path()), offers);
}

void TestCompletion::registersForTheProgram() {
    QProcess bash;
    bash.start(QStringLiteral("bash"), {QStringLiteral("--norc"), QStringLiteral("-c"),
                                        QStringLiteral("source \"$1\" && complete -p varnook-cli"),
                                        QStringLiteral("bash"), QStringLiteral(VARNOOK_COMPLETION_FILE)});
    QVERIFY(bash.waitForFinished(10000));
    QCOMPARE(bash.readAllStandardOutput(), QByteArray("complete -F _varnook_cli varnook-cli\n"));
}

// What the completion offers is what varnook-cli --help lists: every command, and every long option.
void TestCompletion::commandsAndOptionsAreTheProgramsOwn() {
    const HelpListing help = HelpListing::fromHelp(runHelp());
    const QStringList commands = completions({QStringLiteral("varnook-cli"), QString()}, m_folder.path());
    QCOMPARE(QSet<QString>(commands.begin(), commands.end()), help.commands);
    QSet<QString> offered;
    for (const QString &command : QStringList{QString()} + commands) {
        QStringList words{QStringLiteral("varnook-cli")};
        if (!command.isEmpty())
            words.append(command);
        const QStringList options = completions(words << QStringLiteral("--"), m_folder.path());
        offered.unite(QSet<QString>(options.begin(), options.end()));
    }
    QSet<QString> longOptions;
    for (const QString &option : help.options)
        if (option.startsWith(QLatin1String("--")))
            longOptions.insert(option);
    QCOMPARE(offered, longOptions);
}

QTEST_GUILESS_MAIN(TestCompletion)
#include "tst_completion.moc"
