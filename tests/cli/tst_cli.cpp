#include "CliRunner.h"
#include "CodePage1252.h"
#include "DataFile.h"
#include "DataFileCheck.h"
#include "DataFileFormat.h"
#include "DataFolderLock.h"
#include "EntryCsv.h"
#include "FileHelpers.h"
#include "KdfCost.h"
#include "SaveTemporaries.h"
#include "ScrambleText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <unistd.h>

using namespace varnook;
using namespace varnook::test;

Q_DECLARE_METATYPE(std::vector<varnook::Entry>)

namespace {

const QString Master = QStringLiteral("Mast3r-Secret");

// Passwords that must never show on standard error, nor in a check report.
const QStringList Secrets = {Master,
                             QStringLiteral("pw-Alpha-1"),
                             QStringLiteral("pw \"Beta\", 2"),
                             QStringLiteral("Šecret€"),
                             QStringLiteral("csv-Pw-9"),
                             QStringLiteral("newMaster1")};

// Entries whose fields hold every character of the code page (but the line ends) in turn.
std::vector<Entry> manyEntries(int count) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        QString user = QStringLiteral("u%1-").arg(i);
        QString password = QStringLiteral("p%1-").arg(i);
        for (int k = 0; k < 24; ++k) {
            const char16_t plain = CodePage1252::toUnicode(uchar((i * 24 + k) % 256));
            if (plain != u'\r' && plain != u'\n' && plain != 0x8D && plain != 0x8A && plain != u'|') {
                user.append(QChar(plain));
                password.append(QChar(plain));
            }
        }
        entries.push_back({user, password, i % 3 == 0 ? QString() : QStringLiteral("site%1.example").arg(i)});
    }
    return entries;
}

std::vector<Entry> storedEntries() {
    return {
        {QStringLiteral("alice"), QStringLiteral("pw-Alpha-1"), QStringLiteral("https://mail.example/login?a=1,b=2")},
        {QStringLiteral(" bob "), QStringLiteral("pw \"Beta\", 2"), QStringLiteral("\\\\files\\share")},
        {QStringLiteral("Zoë"), QStringLiteral("Šecret€"), QString()}};
}

QByteArray line(const QString &text) {
    return text.toUtf8() + '\n';
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

class tst_Cli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void help();
    void version();
    void usageErrors_data();
    void usageErrors();

    void exportsToStandardOutput();
    void exportsToAFile();
    void exportRefusesAWrongPassword_data();
    void exportRefusesAWrongPassword();
    void exportTakesThePasswordAsTheFileHoldsIt_data();
    void exportTakesThePasswordAsTheFileHoldsIt();
    void exportComparesThePasswordAsText();
    void exportNeedsADataFile();
    void exportNeedsTheFolder();
    void exportNeedsAMasterPassword();
    void exportNeverReplacesTheDataFile();
    void exportWarnsAboutLinesThatDoNotReadBack();
    void exportReportsAFailedWrite();
    void exportStreamsAsTheWholeFileReads_data();
    void exportStreamsAsTheWholeFileReads();

    void roundTripIntoAnEmptyFolder();
    void killedSavesLeftoversGoAndBackupsStay();
    void mergeAddsWhatTheDataFileLacks();
    void mergeRefusals();
    void importAppendsToTheEntries();
    void importListsRefusedRows();
    void importWithNothingImportableChangesNothing();
    void importOfAHeaderAloneChangesNothing();
    void importRefusesWhileVarnookHoldsTheFolder();
    void importFreesTheFolder();
    void importTakesOverAnEmptyLockLeftBehind();
    void importRefusesACopyOnAnotherComputer();
    void importRefusesAWrongPassword();
    void importNewMasterPassword_data();
    void importNewMasterPassword();
    void importKeepsEntriesUnderAnEmptyFirstLine();
    void importLeavesADataFileWithProblemsAlone();
    void importRefusesUnreadableCsv_data();
    void importRefusesUnreadableCsv();
    void importOfAnEndlessInputEnds();
    void importCsvEdgeCases_data();
    void importCsvEdgeCases();
    void importReportsAFailedSave();
    void importWritesRowsIntoOneSave_data();
    void importWritesRowsIntoOneSave();

    void check_data();
    void check();
    void checkReportsRightsOfOthers_data();
    void checkReportsRightsOfOthers();
    void checkNeedsADataFile();
    void defaultFolderIsTheProgramsOwn();
    void noCoreDumps();

private:
    CliResult run(const QStringList &arguments, const QByteArray &input = {});
    // A folder holding a data file saved with Master and storedEntries().
    QString savedFolder();
    QString dataFile(const QString &folder) const { return QDir(folder).filePath(QStringLiteral("data.enc")); }
    QString writeCsv(const QByteArray &bytes);

    std::unique_ptr<QTemporaryDir> m_scratch;
    QByteArray m_allErrors;
    QByteArray m_checkReports;
    int m_folders = 0;
};

void tst_Cli::init() {
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    m_allErrors.clear();
    m_checkReports.clear();
}

void tst_Cli::cleanup() {
    // No password, typed or stored, ever shows on standard error or in a check report.
    for (const QString &secret : Secrets) {
        QVERIFY2(!m_allErrors.contains(secret.toUtf8()), qPrintable(secret));
        QVERIFY2(!m_checkReports.contains(secret.toUtf8()), qPrintable(secret));
    }
    m_scratch.reset();
}

CliResult tst_Cli::run(const QStringList &arguments, const QByteArray &input) {
    CliResult result = runCli(arguments, input);
    m_allErrors += result.err;
    if (arguments.contains(QStringLiteral("check")))
        m_checkReports += result.out;
    return result;
}

QString tst_Cli::savedFolder() {
    const QString folder = m_scratch->filePath(QStringLiteral("folder%1").arg(++m_folders));
    QDir().mkpath(folder);
    DataFile(dataFile(folder)).save(Master, storedEntries());
    return folder;
}

QString tst_Cli::writeCsv(const QByteArray &bytes) {
    const QString path = m_scratch->filePath(QStringLiteral("import%1.csv").arg(++m_folders));
    writeBytes(path, bytes);
    return path;
}

// ---- command line

void tst_Cli::help() {
    const CliResult result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    const QByteArray expectedLines[] = {
        "Usage: varnook-cli export [--folder DIR] [--output FILE]\n",
        "   or: varnook-cli import FILE.csv [--folder DIR]\n",
        "   or: varnook-cli check [--folder DIR]\n",
        "   or: varnook-cli protect [--folder DIR] [--kdf-passes N] [--kdf-memory MIB]\n",
        "   or: varnook-cli unprotect [--folder DIR]\n",
        "   or: varnook-cli passwd [--folder DIR] [--kdf-passes N] [--kdf-memory MIB]\n",
        "  --folder <DIR>       The folder that holds data.enc.\n",
        "  -o, --output <FILE>  export: the CSV file to write instead of standard\n",
        "  --kdf-passes <N>     protect, passwd: Argon2id passes of the new key.\n",
        "  --kdf-memory <MIB>   protect, passwd: Argon2id memory of the new key.\n",
        "Exit codes:\n"
        "  0  Done; for check: the data file is clean.\n"
        "  1  The data file has problems (check lists them) or is damaged.\n"
        "  2  The command line is wrong, or the command does not fit the file\n"
        "     (protect on a protected one, unprotect on a plain one).\n"
        "  3  A file or folder could not be found, read or written, or the CSV file\n"
        "     is malformed.\n"
        "  4  The master password was wrong, not given or not acceptable.\n"
        "  5  Varnook is running with the data file in this folder.\n"
        "  6  Import: some rows were not imported; the others were saved.\n",
    };
    for (const QByteArray &expected : expectedLines)
        QVERIFY2(result.out.contains(expected), expected.constData());
    QVERIFY(result.out.endsWith("the others were saved.\n"));
    QCOMPARE(run({QStringLiteral("-h")}).out, result.out);
}

void tst_Cli::version() {
    const CliResult result = run({QStringLiteral("--version")});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("varnook-cli 1.0.0\n"));
    QCOMPARE(result.err, QByteArray());
}

void tst_Cli::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("problem");
    const QString commands = QStringLiteral("export, import, check, merge, protect, unprotect or passwd");
    QTest::newRow("no command") << QStringList{} << QStringLiteral("No command given: use %1.").arg(commands);
    QTest::newRow("unknown command") << QStringList{QStringLiteral("backup")}
                                     << QStringLiteral("Unknown command \"backup\": use %1.").arg(commands);
    QTest::newRow("commands are lower case")
        << QStringList{QStringLiteral("Export")} << QStringLiteral("Unknown command \"Export\": use %1.").arg(commands);
    QTest::newRow("unknown option") << QStringList{QStringLiteral("check"), QStringLiteral("--force")}
                                    << QStringLiteral("Unknown option 'force'.");
    QTest::newRow("folder without value") << QStringList{QStringLiteral("check"), QStringLiteral("--folder")}
                                          << QStringLiteral("Missing value after '--folder'.");
    QTest::newRow("empty folder") << QStringList{QStringLiteral("check"), QStringLiteral("--folder"), QString()}
                                  << QStringLiteral("--folder needs a folder.");
    QTest::newRow("import without file") << QStringList{QStringLiteral("import")}
                                         << QStringLiteral("import needs exactly one CSV file.");
    QTest::newRow("import with two files")
        << QStringList{QStringLiteral("import"), QStringLiteral("a.csv"), QStringLiteral("b.csv")}
        << QStringLiteral("import needs exactly one CSV file.");
    QTest::newRow("export with a file argument") << QStringList{QStringLiteral("export"), QStringLiteral("out.csv")}
                                                 << QStringLiteral("export takes no file argument; use --output FILE.");
    QTest::newRow("export with empty output")
        << QStringList{QStringLiteral("export"), QStringLiteral("--output="), QStringLiteral("--folder=/")}
        << QStringLiteral("--output needs a file name.");
    QTest::newRow("check with output") << QStringList{QStringLiteral("check"), QStringLiteral("-o"),
                                                      QStringLiteral("x")}
                                       << QStringLiteral("--output belongs to export only.");
    QTest::newRow("import with output") << QStringList{QStringLiteral("import"), QStringLiteral("a.csv"),
                                                       QStringLiteral("--output"), QStringLiteral("x")}
                                        << QStringLiteral("--output belongs to export only.");
    QTest::newRow("check with a file argument") << QStringList{QStringLiteral("check"), QStringLiteral("data.enc")}
                                                << QStringLiteral("check takes no file argument.");
    QTest::newRow("protect with a file argument") << QStringList{QStringLiteral("protect"), QStringLiteral("data.enc")}
                                                  << QStringLiteral("protect takes no file argument.");
    QTest::newRow("passwd with output") << QStringList{QStringLiteral("passwd"), QStringLiteral("-o"),
                                                       QStringLiteral("x")}
                                        << QStringLiteral("--output belongs to export only.");
    const QString notHere = QStringLiteral("--kdf-passes and --kdf-memory belong to protect and passwd only.");
    QTest::newRow("export with a cost") << QStringList{QStringLiteral("export"), QStringLiteral("--kdf-passes=1")}
                                        << notHere;
    QTest::newRow("unprotect with a cost")
        << QStringList{QStringLiteral("unprotect"), QStringLiteral("--kdf-memory=1")} << notHere;
    QTest::newRow("passes not a number") << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-passes=two")}
                                         << QStringLiteral("--kdf-passes needs a whole number.");
    QTest::newRow("negative passes") << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-passes=-1")}
                                     << QStringLiteral("--kdf-passes needs a whole number.");
    QTest::newRow("memory not a number") << QStringList{QStringLiteral("passwd"), QStringLiteral("--kdf-memory=1.5")}
                                         << QStringLiteral("--kdf-memory needs a whole number of MiB.");
    const QString refused = QStringLiteral("The key derivation cost is refused: ");
    QTest::newRow("no passes") << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-passes=0")}
                               << refused + QStringLiteral("its key derivation is below the least that Argon2id "
                                                           "allows.");
    QTest::newRow("no memory") << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-memory=0")}
                               << refused + QStringLiteral("its key derivation is below the least that Argon2id "
                                                           "allows.");
    QTest::newRow("too many passes") << QStringList{QStringLiteral("passwd"), QStringLiteral("--kdf-passes=65")}
                                     << refused + QStringLiteral("its key derivation asks for 65 passes over 64 MiB, "
                                                                 "more than this version allows (64 passes, 4096 "
                                                                 "MiB).");
    QTest::newRow("too much memory")
        << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-passes=1"), QStringLiteral("--kdf-memory=4097")}
        << refused + QStringLiteral("its key derivation asks for 1 passes over 4097 MiB, more than this version "
                                    "allows (64 passes, 4096 MiB).");
    QTest::newRow("memory past what a header holds")
        << QStringList{QStringLiteral("protect"), QStringLiteral("--kdf-memory=18446744073709551615")}
        << refused + QStringLiteral("its key derivation asks for %1 passes over 4194303 MiB, more than this version "
                                    "allows (64 passes, 4096 MiB).")
                         .arg(KdfCost::forNewFiles().passes);
}

void tst_Cli::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, problem);
    const CliResult result = run(arguments);
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), problem + QStringLiteral("\nTry \"varnook-cli --help\".\n"));
}

// ---- export

void tst_Cli::exportsToStandardOutput() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("Exported 3 entries.\n"));
    QCOMPARE(result.out,
             QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\","
                        "\"Last Modified\",\"Created\"\n"
                        "\"Varnook\",\"https://mail.example/login?a=1,b=2\",\"alice\",\"pw-Alpha-1\","
                        "\"https://mail.example/login?a=1,b=2\",\"\",\"\",\"\",\"\",\"\"\n"
                        "\"Varnook\",\"\\\\files\\share\",\" bob \",\"pw \"\"Beta\"\", 2\",\"\\\\files\\share\","
                        "\"\",\"\",\"\",\"\",\"\"\n"
                        "\"Varnook\",\"Zo\xC3\xAB\",\"Zo\xC3\xAB\",\"\xC5\xA0"
                        "ecret\xE2\x82\xAC\",\"\",\"\",\"\",\"\",\"\",\"\"\n"));
    // Reading changes nothing.
    QCOMPARE(readBytes(dataFile(folder)), before);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_Cli::exportsToAFile() {
    const QString folder = savedFolder();
    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    const CliResult result = run(
        {QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), csv}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("Exported 3 entries.\n"));
    QCOMPARE(readBytes(csv), EntryCsv::write(storedEntries()));
    // The file holds every password in plain text: only its owner may read it.
    QCOMPARE(accessRights(csv), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // An existing file is replaced as a whole, and ends owner-only even when everyone could read it.
    writeBytes(csv, QByteArray(10000, 'x'));
    QVERIFY(QFile::setPermissions(csv, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                                           QFileDevice::ReadOther));
    QCOMPARE(
        run({QStringLiteral("export"), QStringLiteral("-o"), csv, QStringLiteral("--folder"), folder}, line(Master))
            .exitCode,
        0);
    QCOMPARE(readBytes(csv), EntryCsv::write(storedEntries()));
    QCOMPARE(accessRights(csv), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A folder in the file's place is not written to.
    const QString blocked = m_scratch->filePath(QStringLiteral("blocked.csv"));
    QDir().mkpath(blocked);
    const CliResult refused =
        run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), blocked},
            line(Master));
    QCOMPARE(refused.exitCode, 3);
    QCOMPARE(
        QString::fromUtf8(refused.err),
        QStringLiteral("The CSV file could not be written: %1\nIt is a folder, not a file.\n").arg(shown(blocked)));
}

void tst_Cli::exportRefusesAWrongPassword_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    const QString wrong = QStringLiteral("Sorry, the password you entered was not correct.\n");
    QTest::newRow("other letter case") << line(Master.toLower()) << wrong;
    QTest::newRow("trailing blank") << line(Master + QLatin1Char(' ')) << wrong;
    QTest::newRow("leading blank") << line(QLatin1Char(' ') + Master) << wrong;
    QTest::newRow("empty line") << QByteArray("\n") << wrong;
    QTest::newRow("right one on the second line") << line(QStringLiteral("guess")) + line(Master) << wrong;
    QTest::newRow("no input") << QByteArray() << QStringLiteral("No password was given.\n");
}

void tst_Cli::exportRefusesAWrongPassword() {
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    const QString folder = savedFolder();
    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, input);
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), message);
    result =
        run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), csv}, input);
    QCOMPARE(result.exitCode, 4);
    QVERIFY(!QFile::exists(csv));
}

void tst_Cli::exportTakesThePasswordAsTheFileHoldsIt_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("CR LF line end") << Master << Master.toUtf8() + "\r\n";
    QTest::newRow("no line end") << Master << Master.toUtf8();
    QTest::newRow("Western letters in UTF-8")
        << QStringLiteral("Zoë€Š!") << QByteArray("Zo\xC3\xAB\xE2\x82\xAC\xC5\xA0!\n");
    QTest::newRow("blanks only") << QStringLiteral("    ") << QByteArray("    \n");
}

void tst_Cli::exportTakesThePasswordAsTheFileHoldsIt() {
    QFETCH(QString, stored);
    QFETCH(QByteArray, input);
    const QString folder = m_scratch->path();
    DataFile(dataFile(folder)).save(stored, storedEntries());
    const CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, input);
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, EntryCsv::write(storedEntries()));
}

void tst_Cli::exportComparesThePasswordAsText() {
    // The file holds "????": letters it could not hold never match, the question marks do.
    const QString folder = m_scratch->path();
    DataFile(dataFile(folder)).save(QStringLiteral("????"), storedEntries());
    const QStringList exportAll = {QStringLiteral("export"), QStringLiteral("--folder"), folder};
    QCOMPARE(run(exportAll, line(QStringLiteral("жжжж"))).exitCode, 4);
    QCOMPARE(run(exportAll, line(QStringLiteral("????"))).exitCode, 0);
}

void tst_Cli::exportNeedsADataFile() {
    const QString folder = m_scratch->path();
    const CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("There is no data file in this folder: %1\n").arg(shown(folder)));
    // Unlike the program's start, an export never creates the file.
    QCOMPARE(folderEntries(folder), QStringList());

    // A folder in the data file's place is reported, not read.
    QDir().mkpath(dataFile(folder));
    const CliResult blocked = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(blocked.exitCode, 3);
    QCOMPARE(QString::fromUtf8(blocked.err),
             QStringLiteral("The data file could not be read: %1\nIt is a folder, not a file.\n")
                 .arg(shown(dataFile(folder))));
}

void tst_Cli::exportNeedsTheFolder() {
    const QString missing = m_scratch->filePath(QStringLiteral("nowhere"));
    for (const QString &command : {QStringLiteral("export"), QStringLiteral("check")}) {
        const CliResult result = run({command, QStringLiteral("--folder"), missing}, line(Master));
        QCOMPARE(result.exitCode, 3);
        QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("The folder does not exist: %1\n").arg(shown(missing)));
    }
    const CliResult result =
        run({QStringLiteral("import"), writeCsv("Username,Password\na,b\n"), QStringLiteral("--folder"), missing},
            line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("The folder does not exist: %1\n").arg(shown(missing)));
    QVERIFY(!QFileInfo::exists(missing));
}

void tst_Cli::exportNeedsAMasterPassword() {
    const QString folder = m_scratch->path();
    for (const QByteArray &bytes : {QByteArray("\r\n"), QByteArray()}) {
        writeBytes(dataFile(folder), bytes);
        const CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(QString::fromUtf8(result.err),
                 QStringLiteral("The data file has no master password yet, so there is nothing to export. Varnook asks "
                                "for a new one at its next start.\n"));
        QCOMPARE(readBytes(dataFile(folder)), bytes);
    }
}

void tst_Cli::exportNeverReplacesTheDataFile() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    for (const QString &output : {dataFile(folder), folder + QStringLiteral("/./data.enc")}) {
        const CliResult result =
            run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), output},
                line(Master));
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(QString::fromUtf8(result.err),
                 QStringLiteral("The CSV file would replace the data file itself. Choose another file name.\n"));
    }
    // Through a link as well.
    const QString link = m_scratch->filePath(QStringLiteral("link.csv"));
    QVERIFY(QFile::link(dataFile(folder), link));
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), link},
                 line(Master))
                 .exitCode,
             2);
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::exportWarnsAboutLinesThatDoNotReadBack() {
    const QString folder = m_scratch->path();
    QByteArray bytes = DataFileFormat::serialize(Master, storedEntries());
    // A line with no separators, as a hand edit might leave it.
    bytes.insert(bytes.size() - 2, QByteArray("\xE3\xE1\xF2\xEF\xEC\r\n"));
    writeBytes(dataFile(folder), bytes);
    const CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    std::vector<Entry> shownEntries = storedEntries();
    shownEntries.push_back({QStringLiteral("carol"), QString(), QString()});
    QCOMPARE(result.out, EntryCsv::write(shownEntries));
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("Exported 4 entries.\nSome lines of the data file do not read back as written; the entries "
                            "above are as Varnook shows them. Run \"varnook-cli check\" to see those lines.\n"));
}

// ---- import

void tst_Cli::roundTripIntoAnEmptyFolder() {
    const QString from = savedFolder();
    const QString csv = m_scratch->filePath(QStringLiteral("export.csv"));
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), from, QStringLiteral("-o"), csv}, line(Master))
                 .exitCode,
             0);

    const QString to = m_scratch->filePath(QStringLiteral("empty"));
    QDir().mkpath(to);
    const CliResult imported =
        run({QStringLiteral("import"), csv, QStringLiteral("--folder"), to}, line(QStringLiteral("newMaster1")));
    QCOMPARE(imported.exitCode, 0);
    QCOMPARE(QString::fromUtf8(imported.err), QString());
    QCOMPARE(QString::fromUtf8(imported.out),
             QStringLiteral("Imported 3 entries; the data file now holds 3 entries.\n"));
    // The same entries, saved as the program saves them, under the new master password.
    QCOMPARE(readBytes(dataFile(to)), DataFileFormat::serialize(QStringLiteral("newMaster1"), storedEntries()));
    QCOMPARE(accessRights(dataFile(to)), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(folderEntries(to), QStringList{QStringLiteral("data.enc")});

    const CliResult again =
        run({QStringLiteral("export"), QStringLiteral("--folder"), to}, line(QStringLiteral("newMaster1")));
    QCOMPARE(again.exitCode, 0);
    QCOMPARE(again.out, readBytes(csv));
}

void tst_Cli::mergeAddsWhatTheDataFileLacks() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const Entry dave{QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")};
    const Entry changedBob{QStringLiteral(" bob "), QStringLiteral("changed"), QStringLiteral("\\\\files\\share")};
    QByteArray shortLine("ivan|||pw|"); // a line a save would not write: copied byte for byte
    scrambleBytes(shortLine);
    const QByteArray added =
        DataFileFormat::storedLine(dave) + shortLine + "\r\n" + DataFileFormat::storedLine(changedBob);
    const auto otherFile = [&](const QString &master) {
        const QString path = m_scratch->filePath(QStringLiteral("data.sync-conflict-20261209-101530-ABCDEFG.enc"));
        writeBytes(path, DataFileFormat::masterLine(master) + DataFileFormat::storedLine(storedEntries()[0]) + added +
                             DataFileFormat::storedLine(dave) + "\r\n");
        return path;
    };

    // The same master password: asked once. Equal entries are one; the changed one is another entry.
    const QString copy = otherFile(Master);
    CliResult result = run({QStringLiteral("merge"), copy, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Merged 3 entries from %1; the data file now holds 6 "
                                                           "entries.\n")
                                                .arg(shown(copy)));
    QCOMPARE(readBytes(dataFile(folder)), before.chopped(2) + added + "\r\n");

    // Again: nothing is missing now, and the file is not written.
    const QByteArray merged = readBytes(dataFile(folder));
    result = run({QStringLiteral("merge"), copy, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("Nothing to merge: every entry of %1 is in the data file already.\n").arg(shown(copy)));
    QCOMPARE(readBytes(dataFile(folder)), merged);

    // Another master password: asked after the data file's, and a wrong one changes nothing.
    const QString other = otherFile(QStringLiteral("Other-Secret"));
    const QString fresh = savedFolder();
    result = run({QStringLiteral("merge"), other, QStringLiteral("--folder"), fresh}, line(Master) + line("wrong"));
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(readBytes(dataFile(fresh)), before);
    result =
        run({QStringLiteral("merge"), other, QStringLiteral("--folder"), fresh}, line(Master) + line("Other-Secret"));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readBytes(dataFile(fresh)), before.chopped(2) + added + "\r\n");
}

void tst_Cli::mergeRefusals() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString missing = m_scratch->filePath(QStringLiteral("gone.enc"));
    CliResult result = run({QStringLiteral("merge"), missing, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The file to merge was not found: %1\n").arg(shown(missing)));

    result = run({QStringLiteral("merge"), dataFile(folder), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 2);

    const QString copy = m_scratch->filePath(QStringLiteral("copy.enc"));
    writeBytes(copy, DataFileFormat::masterLine(Master) + "\r\n");
    DataFolderLock running(folder);
    QCOMPARE(running.tryLock().state, DataFolderLock::State::Locked);
    result = run({QStringLiteral("merge"), copy, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 5);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("Varnook is running with the data file in this folder: %1\nClose it and try again; "
                            "nothing was merged.\n")
                 .arg(shown(folder)));
    running.unlock();
    // A copy on another computer refreshed its lock a moment ago.
    writeBytes(QDir(folder).filePath(QStringLiteral("data.enc.lock")), "1\nvarnook\nelsewhere-host\n");
    result = run({QStringLiteral("merge"), copy, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 5);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("Varnook is running with the data file in this folder on another computer "
                            "(elsewhere-host): %1\nClose it there and try again; nothing was merged.\n")
                 .arg(shown(folder)));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::killedSavesLeftoversGoAndBackupsStay() {
    const qint64 ended = endedProcessId();
    QVERIFY(ended > 0);
    const auto makeOld = [](const QString &path) {
        writeBytes(path, "every password in plain text");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-600), QFileDevice::FileModificationTime));
    };
    const auto leftoversBeside = [&](const QString &target) {
        const QString staging = SaveTemporaries::stagingPath(target, ended);
        makeOld(staging + QStringLiteral(".x7Yq2Z"));
        makeOld(staging);
        for (const char *backup : {".backup", ".2024Q1", ".before", ".a1B2c3"})
            makeOld(target + QLatin1String(backup));
    };
    const auto namesLeft = [](const QString &target) {
        const QFileInfo info(target);
        QStringList names;
        for (const QString &name : folderEntries(info.absolutePath())) {
            if (name.contains(info.fileName()))
                names.append(name);
        }
        return names;
    };
    const QString name = QStringLiteral("data.enc");
    const QStringList backups{name + QStringLiteral(".2024Q1"), name + QStringLiteral(".a1B2c3"),
                              name + QStringLiteral(".backup"), name + QStringLiteral(".before")};

    // An import takes the folder's lock, and clears what a killed save of the data file left.
    const QString folder = savedFolder();
    leftoversBeside(dataFile(folder));
    const QString csv = writeCsv("Username,Password\ndave,csv-Pw-9\n");
    QCOMPARE(run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master)).exitCode, 0);
    QCOMPARE(namesLeft(dataFile(folder)), QStringList{name} + backups);

    // An export clears what a killed export to the same file left, which holds every password.
    const QString out = m_scratch->filePath(name);
    leftoversBeside(out);
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("--output"), out},
                 line(Master))
                 .exitCode,
             0);
    QCOMPARE(namesLeft(out), QStringList{name} + backups);
}

void tst_Cli::importAppendsToTheEntries() {
    const QString folder = savedFolder();
    // KeePass 2's layout, with a byte order mark and CR LF line ends.
    const QString csv = writeCsv("\xEF\xBB\xBF\"Account\",\"Login Name\",\"Password\",\"Web Site\",\"Comments\"\r\n"
                                 "\"Bank\",\"dave\",\"csv-Pw-9\",\"https://bank.example\",\"note, with comma\"\r\n"
                                 "\"Shop\",\"erin@example.org\",\"q\"\"uote\",\"\",\"\"\r\n");
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Imported 2 entries; the data file now holds 5 entries.\n"));
    QCOMPARE(result.err, QByteArray());
    std::vector<Entry> expected = storedEntries();
    expected.push_back({QStringLiteral("dave"), QStringLiteral("csv-Pw-9"), QStringLiteral("https://bank.example")});
    expected.push_back({QStringLiteral("erin@example.org"), QStringLiteral("q\"uote"), QString()});
    QCOMPARE(readBytes(dataFile(folder)), DataFileFormat::serialize(Master, expected));

    // One entry: no plural.
    const QString one = writeCsv("login_uri,login_username,login_password\nx.org,frank,pw\n");
    QCOMPARE(
        QString::fromUtf8(run({QStringLiteral("import"), one, QStringLiteral("--folder"), folder}, line(Master)).out),
        QStringLiteral("Imported 1 entry; the data file now holds 6 entries.\n"));
}

void tst_Cli::importListsRefusedRows() {
    const QString folder = savedFolder();
    // The quoted line break keeps rows 6 and 7 of the text in one row, 6, as a spreadsheet shows it.
    const QString csv = writeCsv("Title,Username,Password,URL\n"
                                 "ok,gina,csv-Pw-9,g.example\n"
                                 "no pass,hank,,h.example\n"
                                 "\n"
                                 "bars,ivan,\"csv-Pw-9|||x\",i.example\n"
                                 "break,\"two\nlines\",csv-Pw-9,\n"
                                 "code page,jo,csv-Pw-9,\"https://ex\xC4\x81mple.org\"\n"
                                 "no user,,csv-Pw-9,\n"
                                 "edge,kim,\"csv-Pw-9|\",\n"
                                 "ok too,lee,\"comma, and \"\"quotes\"\"\",\n");
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 6);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral(
                 "Row 3 not imported: the password is empty\n"
                 "Row 5 not imported: the password cannot be stored: it contains \"|||\", which the data file uses to "
                 "separate fields\n"
                 "Row 6 not imported: the user name cannot be stored: it contains a line break, which the data file "
                 "uses to separate entries\n"
                 "Row 7 not imported: the location cannot be stored: it contains a character the data file cannot "
                 "store; it would be saved as \"?\"\n"
                 "Row 8 not imported: the user name is empty\n"
                 "Row 9 not imported: the password ends with \"|\", which would run into the data file's separator "
                 "\"|||\"\n"));
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Imported 2 entries; the data file now holds 5 entries.\n"));
    std::vector<Entry> expected = storedEntries();
    expected.push_back({QStringLiteral("gina"), QStringLiteral("csv-Pw-9"), QStringLiteral("g.example")});
    expected.push_back({QStringLiteral("lee"), QStringLiteral("comma, and \"quotes\""), QString()});
    QCOMPARE(readBytes(dataFile(folder)), DataFileFormat::serialize(Master, expected));
}

void tst_Cli::importWithNothingImportableChangesNothing() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString csv = writeCsv("Username,Password\nmax,\n,csv-Pw-9\n");
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 6);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("Row 2 not imported: the password is empty\nRow 3 not imported: the user name is empty\n"));
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("No rows imported; the data file was not changed.\n"));
    QCOMPARE(readBytes(dataFile(folder)), before);

    // Nor is a data file created for nothing.
    const QString empty = m_scratch->filePath(QStringLiteral("empty"));
    QDir().mkpath(empty);
    QCOMPARE(run({QStringLiteral("import"), csv, QStringLiteral("--folder"), empty}, line(QStringLiteral("newMaster1")))
                 .exitCode,
             6);
    QCOMPARE(folderEntries(empty), QStringList());
}

void tst_Cli::importOfAHeaderAloneChangesNothing() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const CliResult result = run(
        {QStringLiteral("import"), writeCsv(EntryCsv::write({})), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("No rows imported; the data file was not changed.\n"));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::importRefusesWhileVarnookHoldsTheFolder() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    // This test process stands in for the running program.
    DataFolderLock program(folder);
    QCOMPARE(program.tryLock().state, DataFolderLock::State::Locked);
    const CliResult result = run(
        {QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"), folder},
        line(Master));
    QCOMPARE(result.exitCode, 5);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("Varnook is running with the data file in this folder: %1\nClose it and try again; nothing "
                            "was imported.\n")
                 .arg(shown(folder)));
    QCOMPARE(readBytes(dataFile(folder)), before);

    // Export and check only read, which is safe while the program runs.
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master)).exitCode, 0);
    QCOMPARE(run({QStringLiteral("check"), QStringLiteral("--folder"), folder}).exitCode, 0);
    program.unlock();
    QCOMPARE(run({QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"),
                  folder},
                 line(Master))
                 .exitCode,
             0);
}

void tst_Cli::importTakesOverAnEmptyLockLeftBehind() {
    // A kill while the lock was being written leaves it empty; two days later it must not block.
    const QString folder = savedFolder();
    const QString lockFile = QDir(folder).filePath(QStringLiteral("data.enc.lock"));
    QFile lock(lockFile);
    QVERIFY(lock.open(QIODevice::WriteOnly));
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    lock.close();
    const CliResult result = run(
        {QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"), folder},
        line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The lock of this folder was left behind and has been taken over, since its lock file "
                            "could not be read (it is empty or damaged): %1\n")
                 .arg(shown(folder)));
    QVERIFY(!QFileInfo::exists(lockFile));
}

void tst_Cli::importRefusesACopyOnAnotherComputer() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString csv = writeCsv("Username,Password\nnew,csv-Pw-9\n");
    const QString lockFile = QDir(folder).filePath(QStringLiteral("data.enc.lock"));
    const QByteArray otherLock = "1\nvarnook\nelsewhere-host\n";
    const QString refused = QStringLiteral("Varnook is running with the data file in this folder on another computer "
                                           "(%1): %2\nClose it there and try again; nothing was imported.\n");

    // Its copy refreshed the lock a moment ago.
    writeBytes(lockFile, otherLock);
    CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 5);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), refused.arg(QStringLiteral("elsewhere-host"), shown(folder)));
    QCOMPARE(readBytes(lockFile), otherLock);
    QCOMPARE(readBytes(dataFile(folder)), before);

    // A copy that opened the folder beside the lock's holder, which has ended since.
    QVERIFY(QFile::remove(lockFile));
    const QString mark = QDir(folder).filePath(QStringLiteral("data.enc.lock.third-host.77"));
    writeBytes(mark, "77\nvarnook\nthird-host\n");
    result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 5);
    QCOMPARE(QString::fromUtf8(result.err), refused.arg(QStringLiteral("third-host"), shown(folder)));
    QCOMPARE(folderEntries(folder),
             (QStringList{QStringLiteral("data.enc"), QStringLiteral("data.enc.lock.third-host.77")}));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::importFreesTheFolder() {
    const QString folder = savedFolder();
    const QString csv = writeCsv("Username,Password\nnew,csv-Pw-9\n");
    QCOMPARE(run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master)).exitCode, 0);
    QCOMPARE(run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(QStringLiteral("wrong")))
                 .exitCode,
             4);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
    DataFolderLock program(folder);
    QCOMPARE(program.tryLock().state, DataFolderLock::State::Locked);
}

void tst_Cli::importRefusesAWrongPassword() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString csv = writeCsv("Username,Password\nnew,csv-Pw-9\n");
    const CliResult result =
        run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master + QLatin1Char('x')));
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("Sorry, the password you entered was not correct.\n"));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::importNewMasterPassword_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("problem"); // empty: accepted
    QTest::addColumn<QString>("stored");
    QTest::newRow("four characters") << QByteArray("abcd\n") << QString() << QStringLiteral("abcd");
    QTest::newRow("four blanks") << QByteArray("    \n") << QString() << QStringLiteral("    ");
    QTest::newRow("Western letters") << QByteArray("\xC3\x85s\xC3\xA5\xE2\x82\xAC\n") << QString()
                                     << QStringLiteral("Åså€");
    QTest::newRow("three characters") << QByteArray("abc\n")
                                      << QStringLiteral("You must enter at least 4 alphanumeric characters.")
                                      << QString();
    QTest::newRow("empty line") << QByteArray("\n") << QStringLiteral("You must enter a password to use.") << QString();
    QTest::newRow("no input") << QByteArray() << QStringLiteral("No password was given.") << QString();
    const QString outside =
        QStringLiteral("Your password contains a character that the data file cannot store.  Use only Western "
                       "European letters, digits, punctuation and blanks (Windows-1252).");
    QTest::newRow("outside Windows-1252") << QByteArray("p\xC4\x81ssword\n") << outside << QString();
    QTest::newRow("Greek") << line(QStringLiteral("ΩΩΩΩ")) << outside << QString();
    QTest::newRow("Cyrillic") << line(QStringLiteral("пароль12")) << outside << QString();
}

void tst_Cli::importNewMasterPassword() {
    QFETCH(QByteArray, input);
    QFETCH(QString, problem);
    QFETCH(QString, stored);
    const QString folder = m_scratch->path();
    const QString csv = writeCsv("Username,Password\nnew,csv-Pw-9\n");
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, input);
    if (problem.isEmpty()) {
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(readBytes(dataFile(folder)),
                 DataFileFormat::serialize(
                     stored, std::vector<Entry>{{QStringLiteral("new"), QStringLiteral("csv-Pw-9"), QString()}}));
    } else {
        QCOMPARE(result.exitCode, 4);
        QCOMPARE(QString::fromUtf8(result.err), problem + QLatin1Char('\n'));
        QCOMPARE(result.out, QByteArray());
        QVERIFY(!QFileInfo::exists(dataFile(folder)));
    }
}

void tst_Cli::importKeepsEntriesUnderAnEmptyFirstLine() {
    const QString folder = m_scratch->path();
    const QByteArray old = DataFileFormat::serialize(QString(), storedEntries());
    writeBytes(dataFile(folder), old);
    const CliResult result = run(
        {QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"), folder},
        line(QStringLiteral("newMaster1")));
    QCOMPARE(result.exitCode, 0);
    std::vector<Entry> expected = storedEntries();
    expected.push_back({QStringLiteral("new"), QStringLiteral("csv-Pw-9"), QString()});
    QCOMPARE(readBytes(dataFile(folder)), DataFileFormat::serialize(QStringLiteral("newMaster1"), expected));

    // A file created by the program's first start, before the master password was set.
    writeBytes(dataFile(folder), "\r\n");
    QCOMPARE(run({QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"),
                  folder},
                 line(QStringLiteral("newMaster1")))
                 .exitCode,
             0);
    QCOMPARE(
        readBytes(dataFile(folder)),
        DataFileFormat::serialize(QStringLiteral("newMaster1"),
                                  std::vector<Entry>{{QStringLiteral("new"), QStringLiteral("csv-Pw-9"), QString()}}));
}

void tst_Cli::importLeavesADataFileWithProblemsAlone() {
    const QString folder = m_scratch->path();
    QByteArray bytes = DataFileFormat::serialize(Master, storedEntries());
    bytes.insert(bytes.size() - 2, QByteArray("\r\n")); // a stray empty line
    writeBytes(dataFile(folder), bytes);
    const CliResult result = run(
        {QStringLiteral("import"), writeCsv("Username,Password\nnew,csv-Pw-9\n"), QStringLiteral("--folder"), folder},
        line(Master));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file has lines that do not read back as written, so nothing was imported. Run "
                            "\"varnook-cli check\" to see them.\n"));
    QCOMPARE(readBytes(dataFile(folder)), bytes);
}

void tst_Cli::importRefusesUnreadableCsv_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("problem");
    QTest::newRow("quote never closed") << QByteArray("Username,Password\na,b\n\"c,d\n")
                                        << QStringLiteral(
                                               "Row 3: a quoted field is not closed before the end of the file");
    QTest::newRow("text after a closing quote")
        << QByteArray("Username,Password\n\"a\"b,c\n")
        << QStringLiteral("Row 2: a quoted field is followed by other text than a comma or a line end");
    QTest::newRow("not UTF-8") << QByteArray("Username,Password\nZo\xEB,pw\n")
                               << QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 and try again.");
    QTest::newRow("empty") << QByteArray()
                           << QStringLiteral("It is empty; it needs a header row that names its columns.");
    QTest::newRow("no header row")
        << QByteArray("bob,secret,x.org\n")
        << QStringLiteral("The header row has no user name column; it needs one named \"Username\", \"Login Name\" or "
                          "\"login_username\".");
    QTest::newRow("two password columns")
        << QByteArray("Username,Password,login_password\n")
        << QStringLiteral("The header row names more than one password column: \"Password\" and \"login_password\".");
}

void tst_Cli::importRefusesUnreadableCsv() {
    QFETCH(QByteArray, csv);
    QFETCH(QString, problem);
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString path = writeCsv(csv);
    const CliResult result = run({QStringLiteral("import"), path, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The CSV file could not be read: %1\n%2\n").arg(shown(path), problem));
    QCOMPARE(readBytes(dataFile(folder)), before);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_Cli::importOfAnEndlessInputEnds() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString endless = QStringLiteral("/dev/zero");
    const CliResult result = run({QStringLiteral("import"), endless, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The CSV file could not be read: %1\nIt is larger than 64 MB; import it in parts.\n")
                 .arg(endless));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_Cli::importCsvEdgeCases_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<std::vector<Entry>>("entries");
    auto e = [](const char *u, const char *p, const char *l) {
        return Entry{QString::fromUtf8(u), QString::fromUtf8(p), QString::fromUtf8(l)};
    };
    QTest::newRow("KeePassXC export") << EntryCsv::write(storedEntries()) << storedEntries();
    QTest::newRow("header in any case, columns in any order")
        << QByteArray("URL,PASSWORD,userName\nx.org,p1,u1\n") << std::vector<Entry>{e("u1", "p1", "x.org")};
    QTest::newRow("no location column") << QByteArray("Username,Password\nu1,p1\n")
                                        << std::vector<Entry>{e("u1", "p1", "")};
    QTest::newRow("commas and quotes in quoted fields")
        << QByteArray("Username,Password,URL\n\"a,b\",\"\"\"q\"\",\",\"x.org/?a=1,2\"\n")
        << std::vector<Entry>{e("a,b", "\"q\",", "x.org/?a=1,2")};
    QTest::newRow("blanks kept") << QByteArray("Username,Password\n\" u \",  p  \n")
                                 << std::vector<Entry>{e(" u ", "  p  ", "")};
    QTest::newRow("lone CR line ends and no final line end")
        << QByteArray("Username,Password\rA,1\rB,2") << std::vector<Entry>{e("A", "1", ""), e("B", "2", "")};
    QTest::newRow("short and long rows") << QByteArray("Username,Password,URL\nu1,p1\nu2,p2,l2,extra,more\n")
                                         << std::vector<Entry>{e("u1", "p1", ""), e("u2", "p2", "l2")};
    QTest::newRow("Windows-1252 characters in UTF-8")
        << QByteArray("Username,Password\n\xC3\x85sa,\xE2\x82\xAC\xC5\xA0\xC5\x93\n")
        << std::vector<Entry>{e("Åsa", "€Šœ", "")};
}

void tst_Cli::importCsvEdgeCases() {
    QFETCH(QByteArray, csv);
    QFETCH(std::vector<Entry>, entries);
    const QString folder = m_scratch->path();
    const CliResult result = run({QStringLiteral("import"), writeCsv(csv), QStringLiteral("--folder"), folder},
                                 line(QStringLiteral("newMaster1")));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(readBytes(dataFile(folder)), DataFileFormat::serialize(QStringLiteral("newMaster1"), entries));
}

void tst_Cli::importReportsAFailedSave() {
    const QString folder = savedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString csv = writeCsv("Username,Password\nnew,csv-Pw-9\n");
    const CliResult result = runCliWithFileSizeLimit(
        before.size() + 10, {QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    m_allErrors += result.err;
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.startsWith(QStringLiteral("The data file could not be saved: %1\n").arg(shown(dataFile(folder)))),
             qPrintable(err));
    QVERIFY2(err.endsWith(QStringLiteral("\nIt keeps its previous contents; nothing was imported.\n")),
             qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 3); // the reason is one line
    QCOMPARE(readBytes(dataFile(folder)), before);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_Cli::exportReportsAFailedWrite() {
    const QString folder = savedFolder();
    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    const CliResult result = runCliWithFileSizeLimit(
        100, {QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("-o"), csv}, line(Master));
    m_allErrors += result.err;
    QCOMPARE(result.exitCode, 3);
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.startsWith(QStringLiteral("The CSV file could not be written: %1\n").arg(shown(csv))),
             qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 2);
    QVERIFY(!QFileInfo::exists(csv));
    QCOMPARE(folderEntries(m_scratch->path()), QStringList{QStringLiteral("folder%1").arg(m_folders)});
}

void tst_Cli::exportStreamsAsTheWholeFileReads_data() {
    // The lines under the master password line; the export must give the CSV of the entries the
    // store reads from the whole file at once, however the blocks it reads fall.
    QTest::addColumn<QByteArray>("entryLines");
    QByteArray everyByte;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r')
            everyByte.append(char(code));
    }
    const QByteArray bar = hexBytes("FC FC FC");
    QTest::newRow("every byte value in the fields")
        << everyByte + bar + everyByte + bar + everyByte + "\r\n" + everyByte + bar + everyByte + bar + "\r\n\r\n";
    QTest::newRow("LF inside lines, lone CRs, the last line without a line end")
        << QByteArray("a\nb") + bar + "\n" + bar + "c\rd" + bar + "e" + bar + "f\r\ng" + bar + "h" + bar + "i";
    QTest::newRow("empty fields, skipped, short and long lines")
        << bar + bar + "\r\n \r\n\r\nshort" + bar + "x\r\nnone\r\nu" + bar + "p" + bar + "l" + bar + "m\r\n\r\n";
    const QByteArray many = DataFileFormat::serialize(QString(), manyEntries(30000)).sliced(2);
    QTest::newRow("many blocks") << many;
    QTest::newRow("many blocks, problems among them")
        << many.left(many.size() / 3) + "odd\r \r\n" + many.sliced(many.size() / 3) + "cut" + bar;
}

void tst_Cli::exportStreamsAsTheWholeFileReads() {
    QFETCH(QByteArray, entryLines);
    const QString folder = m_scratch->filePath(QStringLiteral("folder%1").arg(++m_folders));
    QDir().mkpath(folder);
    const QByteArray bytes = DataFileFormat::masterLine(Master) + entryLines;
    writeBytes(dataFile(folder), bytes);
    // Only the lines may give findings, not the rights.
    QVERIFY(QFile::setPermissions(dataFile(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const std::vector<Entry> entries = DataFileFormat::readEntries(entryLines);
    const QByteArray expected = EntryCsv::write(entries);
    const DataFileCheck check(bytes);
    QString told = QStringLiteral("Exported %1 entries.\n").arg(entries.size());
    if (!check.isClean())
        told += QStringLiteral("Some lines of the data file do not read back as written; the entries above are as "
                               "Varnook shows them. Run \"varnook-cli check\" to see those lines.\n");

    const CliResult toOutput = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(toOutput.exitCode, 0);
    QCOMPARE(QString::fromUtf8(toOutput.err), told);
    QVERIFY(toOutput.out == expected);

    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    const CliResult toFile =
        run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("-o"), csv}, line(Master));
    QCOMPARE(toFile.exitCode, 0);
    QCOMPARE(QString::fromUtf8(toFile.err), told);
    QVERIFY(readBytes(csv) == expected);

    // The check, reading the same way, counts what the export wrote.
    const CliResult checked = run({QStringLiteral("check"), QStringLiteral("--folder"), folder});
    QCOMPARE(checked.exitCode, check.isClean() ? 0 : 1);
    QVERIFY(checked.out.contains(QStringLiteral("\nEntry lines: %1\n").arg(entries.size()).toUtf8()));
    QCOMPARE(readBytes(dataFile(folder)), bytes);
}

void tst_Cli::importWritesRowsIntoOneSave_data() {
    QTest::addColumn<qint64>("fileSizeLimit"); // 0: none
    QTest::newRow("saved") << qint64(0);
    QTest::newRow("the disk fills after some blocks") << qint64(600 * 1024);
}

void tst_Cli::importWritesRowsIntoOneSave() {
    // Many stored lines and many rows, refused ones before and after the first row taken: the rows
    // are written as they come, and a save that fails part way still tells every refused row and
    // changes nothing.
    QFETCH(qint64, fileSizeLimit);
    const QString folder = m_scratch->filePath(QStringLiteral("folder%1").arg(++m_folders));
    QDir().mkpath(folder);
    const std::vector<Entry> stored = manyEntries(20000);
    QVERIFY(DataFile(dataFile(folder)).save(Master, stored).ok());
    const QByteArray before = readBytes(dataFile(folder));
    QVERIFY(before.size() > fileSizeLimit);

    QByteArray text("\xEF\xBB\xBFUsername,Password,URL\r\nno pass,,x\r\n\r\n");
    std::vector<Entry> expected = stored;
    for (int i = 0; i < 5000; ++i) {
        const QString user = QStringLiteral("csv%1 \"é\"").arg(i);
        text += "\"" + user.toUtf8().replace("\"", "\"\"") + "\",pw" + QByteArray::number(i) + ",s" +
                QByteArray::number(i) + ".example\r\n";
        expected.push_back({user, QStringLiteral("pw%1").arg(i), QStringLiteral("s%1.example").arg(i)});
    }
    text += ",no user,\nlast,pw-last,";
    expected.push_back({QStringLiteral("last"), QStringLiteral("pw-last"), QString()});
    const QString csv = writeCsv(text);
    const QStringList arguments = {QStringLiteral("import"), csv, QStringLiteral("--folder"), folder};
    const CliResult result = fileSizeLimit > 0 ? runCliWithFileSizeLimit(fileSizeLimit, arguments, line(Master))
                                               : run(arguments, line(Master));
    m_allErrors += result.err;

    const QString refused = QStringLiteral("Row 2 not imported: the password is empty\n"
                                           "Row 5004 not imported: the user name is empty\n");
    const QString err = QString::fromUtf8(result.err);
    if (fileSizeLimit == 0) {
        QCOMPARE(result.exitCode, 6);
        QCOMPARE(err, refused);
        QCOMPARE(QString::fromUtf8(result.out),
                 QStringLiteral("Imported 5001 entries; the data file now holds 25001 entries.\n"));
        QVERIFY(readBytes(dataFile(folder)) == DataFileFormat::serialize(Master, expected));
    } else {
        QCOMPARE(result.exitCode, 3);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(err.startsWith(refused +
                                QStringLiteral("The data file could not be saved: %1\n").arg(shown(dataFile(folder)))),
                 qPrintable(err));
        QVERIFY2(err.endsWith(QStringLiteral("\nIt keeps its previous contents; nothing was imported.\n")),
                 qPrintable(err));
        QVERIFY(readBytes(dataFile(folder)) == before);
    }
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

// ---- check

void tst_Cli::check_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("findings"); // the report between the entry count and the verdict
    QTest::addColumn<QString>("header");
    const QByteArray saved = DataFileFormat::serialize(Master, storedEntries());
    const QString present = QStringLiteral("Master password line: present\n");
    QTest::newRow("saved file") << saved << 0 << QString() << present + QStringLiteral("Entry lines: 3\n");
    QTest::newRow("no entries") << DataFileFormat::serialize(Master, {}) << 0 << QString()
                                << present + QStringLiteral("Entry lines: 0\n");
    QTest::newRow("first start, before the master password")
        << QByteArray("\r\n") << 1
        << QStringLiteral("Line 1: no master password: Varnook asks for a new one at its next start\n")
        << QStringLiteral("Master password line: missing\nEntry lines: 0\n");
    QTest::newRow("zero bytes") << QByteArray() << 1
                                << QStringLiteral("File: the file is empty: it holds no master password line\n")
                                << QStringLiteral("Master password line: missing\nEntry lines: 0\n");
    QByteArray damaged = saved;
    damaged.insert(damaged.size() - 2, "\xE3\xE1\xF2\xEF\xEC\r\n \r\n");    // "carol" alone, then one blank
    damaged.append("\xE1\xFC\xFC\xFC\xE2\xFC\xFC\xFC\xE3\xFC\xFC\xFC\xE4"); // a|||b|||c|||d, cut short
    QTest::newRow("damaged")
        << damaged << 1
        << QStringLiteral("Line 5: short line: it has fewer than three fields, the missing ones read as empty\n"
                          "Line 6: skipped line: it is empty or one blank, so it holds no entry\n"
                          "Line 7: skipped line: it is empty or one blank, so it holds no entry\n"
                          "Line 8: extra separators: it has more than three fields, the location reads back holding "
                          "\"|||\"\n"
                          "Line 8: the last line has no line end: the file may have been cut short\n")
        << present + QStringLiteral("Entry lines: 5\n");
}

void tst_Cli::check() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, findings);
    QFETCH(QString, header);
    const QString folder = m_scratch->path();
    writeBytes(dataFile(folder), bytes);
    QVERIFY(QFile::setPermissions(dataFile(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    // No password is asked for: standard input is not read.
    const CliResult result = run({QStringLiteral("check"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err, QByteArray());
    const int problems = int(findings.count(QLatin1Char('\n')));
    const QString verdict = problems == 0   ? QStringLiteral("The file is clean.\n")
                            : problems == 1 ? QStringLiteral("The file has 1 problem.\n")
                                            : QStringLiteral("The file has %1 problems.\n").arg(problems);
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("Data file: %1\n").arg(shown(dataFile(folder))) + header + findings + verdict);
    QCOMPARE(readBytes(dataFile(folder)), bytes);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_Cli::checkReportsRightsOfOthers_data() {
    using P = QFileDevice;
    QTest::addColumn<QFileDevice::Permissions>("rights");
    QTest::addColumn<QString>("mode");
    QTest::newRow("readable by all") << (P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther)
                                     << QStringLiteral("0644");
    QTest::newRow("writable by the group") << (P::ReadOwner | P::WriteOwner | P::WriteGroup) << QStringLiteral("0620");
    QTest::newRow("readable by others") << (P::ReadOwner | P::WriteOwner | P::ReadOther) << QStringLiteral("0604");
}

void tst_Cli::checkReportsRightsOfOthers() {
    QFETCH(QFileDevice::Permissions, rights);
    QFETCH(QString, mode);
    const QString folder = savedFolder();
    QVERIFY(QFile::setPermissions(dataFile(folder), rights));
    const CliResult result = run({QStringLiteral("check"), QStringLiteral("--folder"), folder});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("Data file: %1\nMaster password line: present\nEntry lines: 3\n"
                            "File: others than its owner may read or write it (mode %2); to fix it, run: chmod 600 %3\n"
                            "The file has 1 problem.\n")
                 .arg(shown(dataFile(folder)), mode, shown(dataFile(folder))));
    QCOMPARE(accessRights(dataFile(folder)), rights);
}

void tst_Cli::checkNeedsADataFile() {
    const QString folder = m_scratch->path();
    const CliResult result = run({QStringLiteral("check"), QStringLiteral("--folder"), folder});
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("There is no data file in this folder: %1\n").arg(shown(folder)));
    QCOMPARE(folderEntries(folder), QStringList());
}

void tst_Cli::defaultFolderIsTheProgramsOwn() {
    // Installed, varnook-cli sits beside the program and its data file.
    const QString folder = savedFolder();
    const QString program = QDir(folder).filePath(QStringLiteral("varnook-cli"));
    QVERIFY(QFile::copy(cliProgram(), program));
    const CliResult result = runCli({QStringLiteral("check")}, {}, program);
    m_checkReports += result.out;
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.startsWith(QStringLiteral("Data file: %1\n").arg(shown(dataFile(folder))).toUtf8()),
             result.out.constData());
    const CliResult exported = runCli({QStringLiteral("export")}, line(Master), program);
    QCOMPARE(exported.exitCode, 0);
    QCOMPARE(exported.out, EntryCsv::write(storedEntries()));
}

void tst_Cli::noCoreDumps() {
    // While it waits for the password, the process's own limits show that a crash leaves no core file.
    const QString folder = savedFolder();
    // Started with core dumps allowed, as a desktop session may start it.
    rlimit allowed{};
    QVERIFY(::getrlimit(RLIMIT_CORE, &allowed) == 0);
    allowed.rlim_cur = allowed.rlim_max = allowed.rlim_max == 0 && ::geteuid() == 0 ? 1 << 20 : allowed.rlim_max;
    if (allowed.rlim_max == 0)
        QSKIP("Core dumps are off for this user and cannot be allowed, so switching them off shows nothing.");
    QProcess process;
    process.setChildProcessModifier([allowed] { ::setrlimit(RLIMIT_CORE, &allowed); });
    process.start(cliProgram(), {QStringLiteral("export"), QStringLiteral("--folder"), folder});
    QVERIFY(process.waitForStarted());
    const QString limits = QStringLiteral("/proc/%1/limits").arg(process.processId());
    const auto coreLine = [&] {
        const QByteArrayList lines = readBytes(limits).split('\n');
        for (const QByteArray &entry : lines) {
            if (entry.startsWith("Max core file size"))
                return entry.simplified();
        }
        return QByteArray();
    };
    QTRY_COMPARE(coreLine(), QByteArray("Max core file size 0 0 bytes"));
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished());
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
