// varnook-cli on the protected form of the data file: protect, unprotect and passwd, and export,
// import, check and merge of a protected file, run as the real executable on temporary folders.

#include "CliRunner.h"
#include "DataFile.h"
#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "DataFolderLock.h"
#include "DataLoader.h"
#include "EntryCsv.h"
#include "FileHelpers.h"
#include "ProtectedForm.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

Q_DECLARE_METATYPE(varnook::KdfCost)

namespace {

const QString Master = QStringLiteral("Mast3r-Secret");
const QString NewMaster = QStringLiteral("New-Secret-2");
const QString OtherMaster = QStringLiteral("Other-Secret");

// Passwords that must never show on standard error or standard output.
const QStringList Secrets = {Master, NewMaster, OtherMaster, QStringLiteral("pw1"), QStringLiteral("Šecret€")};

// The cheapest cost the command line can choose, so that the tests stay fast.
const QStringList CheapKey = {QStringLiteral("--kdf-passes"), QStringLiteral("1"), QStringLiteral("--kdf-memory"),
                              QStringLiteral("1")};
const KdfCost CheapCost{1, 1024};

// "Mast3r-Secret" as line 1; a short line ended by a lone CR, a skipped line, bob|||pw1|||x.org, and
// no last line end: a file no save writes, whose bytes protection must keep all the same.
QByteArray oddPlainFile() {
    QByteArray bytes = DataFileFormat::masterLine(Master);
    bytes += hexBytes("E1 0D"
                      "20 0D 0A"
                      "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7");
    return bytes;
}

std::vector<Entry> storedEntries() {
    return {{QStringLiteral("alice"), QStringLiteral("pw-Alpha-1"), QStringLiteral("https://mail.example/")},
            {QStringLiteral("Zoë"), QStringLiteral("Šecret€"), QString()}};
}

QByteArray line(const QString &text) {
    return text.toUtf8() + '\n';
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

QByteArray sealed(const QByteArray &plain, const QString &password, const KdfCost &cost = KdfCost::cheapest()) {
    const auto key = DataFileKey::forNewProtection(password, cost);
    return ProtectedForm::seal(plain, *key, ProtectedForm::newNonce());
}

ProtectedForm::Header headerOf(const QByteArray &bytes) {
    const auto header = ProtectedForm::readHeader(bytes);
    if (const QString *problem = std::get_if<QString>(&header))
        qFatal("%s", qPrintable(*problem));
    return std::get<ProtectedForm::Header>(header);
}

// The plain form of a protected file, opened with password; a null array when it does not open.
QByteArray opened(const QByteArray &bytes, const QString &password) {
    LoadResult read = DataLoader::fromBytes(bytes);
    if (read.state != LoadResult::State::Protected)
        return {};
    const auto key = DataFileKey::derive(password, read.header.cost, read.header.salt, read.header.version);
    if (!key || !DataLoader::unseal(read, key) || read.state != LoadResult::State::HasMasterPassword)
        return {};
    return read.plain;
}

QString damagedMessage(const QString &which, const QString &path, const QString &reason) {
    return which + QStringLiteral(" is damaged and cannot be opened: ") + shown(path) + QStringLiteral("\n") + reason +
           QStringLiteral(".\nNothing was changed. A backup of the file, or the copy on another computer, may still "
                          "be whole.\n");
}

const QString WrongPassword = QStringLiteral("Sorry, the password you entered was not correct.\n");
const QString NoPassword = QStringLiteral("No password was given.\n");

} // namespace

class tst_CliProtected : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void protectThenUnprotectGivesTheVeryBytesBack();
    void protectChoosesTheCost_data();
    void protectChoosesTheCost();
    void protectRefusals();
    void protectRefusesWhileVarnookHoldsTheFolder();
    void protectReportsAFailedSave();
    void unprotectRefusals();

    void passwdReplacesLineOneOfThePlainForm();
    void passwdGivesAProtectedFileANewKey();
    void passwdRefusals_data();
    void passwdRefusals();
    void passwdChoosesACostForProtectedFilesOnly();

    void exportsAProtectedFile();
    void damagedProtectedFileIsRefused_data();
    void damagedProtectedFileIsRefused();
    void importIntoAProtectedFileKeepsItProtected();
    void importLeavesAProtectedFileWithProblemsAlone();
    void checkReportsTheHeader_data();
    void checkReportsTheHeader();
    void mergeWithProtectedFiles();
    void mergeRefusesADamagedFileToMerge();

private:
    CliResult run(const QStringList &arguments, const QByteArray &input = {});
    QString newFolder();
    QString dataFile(const QString &folder) const { return QDir(folder).filePath(QStringLiteral("data.enc")); }
    // A folder holding bytes as its data file.
    QString folderWith(const QByteArray &bytes);
    // A folder holding storedEntries() under Master, protected at the least cost.
    QString protectedFolder();

    std::unique_ptr<QTemporaryDir> m_scratch;
    QByteArray m_everything;
    int m_folders = 0;
};

void tst_CliProtected::init() {
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    m_everything.clear();
}

void tst_CliProtected::cleanup() {
    // No password, typed or stored, ever shows; export's CSV on standard output is the one exception,
    // and is left out.
    for (const QString &secret : Secrets)
        QVERIFY2(!m_everything.contains(secret.toUtf8()), qPrintable(secret));
    m_scratch.reset();
}

CliResult tst_CliProtected::run(const QStringList &arguments, const QByteArray &input) {
    CliResult result = runCli(arguments, input);
    m_everything += result.err;
    if (!arguments.contains(QStringLiteral("export")))
        m_everything += result.out;
    return result;
}

QString tst_CliProtected::newFolder() {
    const QString folder = m_scratch->filePath(QStringLiteral("folder%1").arg(++m_folders));
    QDir().mkpath(folder);
    return folder;
}

QString tst_CliProtected::folderWith(const QByteArray &bytes) {
    const QString folder = newFolder();
    writeBytes(dataFile(folder), bytes);
    QFile::setPermissions(dataFile(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return folder;
}

QString tst_CliProtected::protectedFolder() {
    return folderWith(sealed(DataFileFormat::serialize(Master, storedEntries()), Master));
}

// ---- protect and unprotect

void tst_CliProtected::protectThenUnprotectGivesTheVeryBytesBack() {
    const QByteArray plain = oddPlainFile();
    const QString folder = folderWith(plain);
    CliResult result =
        run(QStringList{QStringLiteral("protect"), QStringLiteral("--folder"), folder} + CheapKey, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("The data file is protected now.\n"));
    QCOMPARE(result.err, QByteArray());
    const QByteArray protectedBytes = readBytes(dataFile(folder));
    QVERIFY(ProtectedForm::isProtected(protectedBytes));
    QCOMPARE(headerOf(protectedBytes).cost, CheapCost);
    // Protection given anew is sealed in pieces: one here, with its 17 bytes.
    QCOMPARE(headerOf(protectedBytes).version, ProtectedForm::PiecesVersion);
    QCOMPARE(protectedBytes.size(), 123 + plain.size() + 17);
    // Neither the master password nor an entry line is left in its scrambled form.
    QVERIFY(!protectedBytes.contains(plain.first(13)));
    QVERIFY(!protectedBytes.contains(plain.last(17)));
    QCOMPARE(opened(protectedBytes, Master), plain);
    QCOMPARE(accessRights(dataFile(folder)), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});

    result = run({QStringLiteral("unprotect"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("Protection removed: the data file is in its plain form again.\n"));
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(readBytes(dataFile(folder)), plain);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_CliProtected::protectChoosesTheCost_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<KdfCost>("cost");
    QTest::newRow("default") << QStringList() << KdfCost::forNewFiles();
    QTest::newRow("both") << QStringList{QStringLiteral("--kdf-passes=2"), QStringLiteral("--kdf-memory=3")}
                          << KdfCost{2, 3 * 1024};
    QTest::newRow("passes only, the default memory") << QStringList{QStringLiteral("--kdf-passes"), QStringLiteral("1")}
                                                     << KdfCost{1, KdfCost::forNewFiles().memoryKiB};
}

void tst_CliProtected::protectChoosesTheCost() {
    QFETCH(QStringList, options);
    QFETCH(KdfCost, cost);
    const QString folder = folderWith(oddPlainFile());
    const CliResult result =
        run(QStringList{QStringLiteral("protect"), QStringLiteral("--folder"), folder} + options, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(headerOf(readBytes(dataFile(folder))).cost, cost);
}

void tst_CliProtected::protectRefusals() {
    const QStringList protect = QStringList{QStringLiteral("protect"), QStringLiteral("--folder")};
    // Protected already: refused before anything is asked.
    QString folder = protectedFolder();
    QByteArray before = readBytes(dataFile(folder));
    CliResult result = run(protect + QStringList{folder} + CheapKey, line(Master));
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file is protected already: %1\nNothing was changed. To choose another master "
                            "password, use \"varnook-cli passwd\".\n")
                 .arg(shown(dataFile(folder))));
    QCOMPARE(readBytes(dataFile(folder)), before);

    // A wrong password, and none at all.
    folder = folderWith(oddPlainFile());
    for (const QByteArray &input :
         {line(Master.toLower()), QByteArray("\n"), line(QStringLiteral("x")) + line(Master)}) {
        result = run(protect + QStringList{folder} + CheapKey, input);
        QCOMPARE(result.exitCode, 4);
        QCOMPARE(QString::fromUtf8(result.err), WrongPassword);
        QCOMPARE(result.out, QByteArray());
    }
    result = run(protect + QStringList{folder} + CheapKey);
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(QString::fromUtf8(result.err), NoPassword);
    QCOMPARE(readBytes(dataFile(folder)), oddPlainFile());

    // No master password yet: nothing to make the key from.
    folder = folderWith("\r\n");
    result = run(protect + QStringList{folder} + CheapKey, line(Master));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file has no master password yet, so nothing was changed. Varnook asks for a new "
                            "one at its next start.\n"));
    QCOMPARE(readBytes(dataFile(folder)), QByteArray("\r\n"));

    // No data file: none is made.
    folder = newFolder();
    result = run(protect + QStringList{folder} + CheapKey, line(Master));
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("There is no data file in this folder: %1\n").arg(shown(folder)));
    QCOMPARE(folderEntries(folder), QStringList());
}

void tst_CliProtected::protectRefusesWhileVarnookHoldsTheFolder() {
    for (const QString &command : {QStringLiteral("protect"), QStringLiteral("unprotect"), QStringLiteral("passwd")}) {
        const QString folder = command == QLatin1String("unprotect") ? protectedFolder() : folderWith(oddPlainFile());
        const QByteArray before = readBytes(dataFile(folder));
        DataFolderLock program(folder);
        QCOMPARE(program.tryLock().state, DataFolderLock::State::Locked);
        const CliResult result =
            run({command, QStringLiteral("--folder"), folder}, line(Master) + line(NewMaster) + line(NewMaster));
        QCOMPARE(result.exitCode, 5);
        QCOMPARE(QString::fromUtf8(result.err),
                 QStringLiteral("Varnook is running with the data file in this folder: %1\nClose it and try again; "
                                "nothing was changed.\n")
                     .arg(shown(folder)));
        QCOMPARE(readBytes(dataFile(folder)), before);
        program.unlock();
    }
}

void tst_CliProtected::protectReportsAFailedSave() {
    // The protected file is 139 bytes larger than the plain one: a disk that holds only the plain one
    // (and the folder's lock) fills.
    std::vector<Entry> many;
    for (int i = 0; i < 100; ++i)
        many.push_back({QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i), QStringLiteral("x.org")});
    const QByteArray plain = DataFileFormat::serialize(Master, many);
    const QString folder = folderWith(plain);
    const CliResult result = runCliWithFileSizeLimit(
        plain.size() + 100, QStringList{QStringLiteral("protect"), QStringLiteral("--folder"), folder} + CheapKey,
        line(Master));
    m_everything += result.err + result.out;
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.out, QByteArray());
    const QString err = QString::fromUtf8(result.err);
    QVERIFY2(err.startsWith(QStringLiteral("The data file could not be saved: %1\n").arg(shown(dataFile(folder)))),
             qPrintable(err));
    QVERIFY2(err.endsWith(QStringLiteral("\nIt keeps its previous contents; nothing was changed.\n")), qPrintable(err));
    QCOMPARE(readBytes(dataFile(folder)), plain);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_CliProtected::unprotectRefusals() {
    const QStringList unprotect = {QStringLiteral("unprotect"), QStringLiteral("--folder")};
    QString folder = folderWith(oddPlainFile());
    CliResult result = run(unprotect + QStringList{folder}, line(Master));
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file is not protected: %1\nNothing was changed.\n").arg(shown(dataFile(folder))));
    QCOMPARE(readBytes(dataFile(folder)), oddPlainFile());

    folder = protectedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    // The password of the plain file's line 1 counts, not a password that is typed as the file holds it.
    for (const QByteArray &input :
         {line(Master.toLower()), line(Master + QLatin1Char(' ')), QByteArray("\n"), line(QStringLiteral("Маст3r"))}) {
        result = run(unprotect + QStringList{folder}, input);
        QCOMPARE(result.exitCode, 4);
        QCOMPARE(QString::fromUtf8(result.err), WrongPassword);
    }
    result = run(unprotect + QStringList{folder});
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(QString::fromUtf8(result.err), NoPassword);
    QCOMPARE(readBytes(dataFile(folder)), before);
    QCOMPARE(run(unprotect + QStringList{folder, QStringLiteral("x")}).exitCode, 2);
}

// ---- passwd

void tst_CliProtected::passwdReplacesLineOneOfThePlainForm() {
    const QByteArray plain = oddPlainFile();
    const QString folder = folderWith(plain);
    const CliResult result = run({QStringLiteral("passwd"), QStringLiteral("--folder"), folder},
                                 line(Master) + line(NewMaster) + line(NewMaster));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Master password changed.\n"));
    QCOMPARE(result.err, QByteArray());
    // Line 1 holds the new password; every byte after it is as it was.
    const QByteArray after = readBytes(dataFile(folder));
    const qsizetype oldLineOne = DataFileFormat::masterLine(Master).size();
    QCOMPARE(after, DataFileFormat::masterLine(NewMaster) + plain.mid(oldLineOne));
    QVERIFY(!ProtectedForm::isProtected(after));

    // The old password no longer opens the file; the new one does.
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master)).exitCode, 4);
    QCOMPARE(run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(NewMaster)).exitCode, 0);
}

void tst_CliProtected::passwdGivesAProtectedFileANewKey() {
    const QByteArray plain = oddPlainFile();
    const QString folder = folderWith(sealed(plain, Master));
    const ProtectedForm::Header before = headerOf(readBytes(dataFile(folder)));
    const CliResult result = run(QStringList{QStringLiteral("passwd"), QStringLiteral("--folder"), folder} + CheapKey,
                                 line(Master) + line(NewMaster) + line(NewMaster));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Master password changed.\n"));
    QCOMPARE(result.err, QByteArray());
    const QByteArray after = readBytes(dataFile(folder));
    const ProtectedForm::Header header = headerOf(after);
    QCOMPARE(header.cost, CheapCost);
    QVERIFY(header.salt != before.salt);
    // A version 1 file stays one, so that an older build elsewhere still reads it.
    QCOMPARE(before.version, ProtectedForm::OnePieceVersion);
    QCOMPARE(header.version, ProtectedForm::OnePieceVersion);
    QCOMPARE(after.size(), 123 + opened(after, NewMaster).size() + 16);
    QCOMPARE(opened(after, Master), QByteArray());
    QCOMPARE(opened(after, NewMaster),
             DataFileFormat::masterLine(NewMaster) + plain.mid(DataFileFormat::masterLine(Master).size()));
    // unprotect then gives the plain form with only line 1 changed.
    QCOMPARE(run({QStringLiteral("unprotect"), QStringLiteral("--folder"), folder}, line(Master)).exitCode, 4);
    QCOMPARE(run({QStringLiteral("unprotect"), QStringLiteral("--folder"), folder}, line(NewMaster)).exitCode, 0);
    QCOMPARE(readBytes(dataFile(folder)),
             DataFileFormat::masterLine(NewMaster) + plain.mid(DataFileFormat::masterLine(Master).size()));
}

void tst_CliProtected::passwdRefusals_data() {
    QTest::addColumn<bool>("isProtected");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("message");
    const QString rules = QStringLiteral("Your password contains a character that the data file cannot store.  Use "
                                         "only Western European letters, digits, punctuation and blanks "
                                         "(Windows-1252).\n");
    for (const bool isProtected : {false, true}) {
        const QByteArray form = isProtected ? "protected: " : "plain: ";
        QTest::newRow(form + "wrong current password")
            << isProtected << line(OtherMaster) + line(NewMaster) + line(NewMaster) << WrongPassword;
        QTest::newRow(form + "no input") << isProtected << QByteArray() << NoPassword;
        QTest::newRow(form + "no new password") << isProtected << line(Master) << NoPassword;
        QTest::newRow(form + "the new one once") << isProtected << line(Master) + line(NewMaster) << NoPassword;
        QTest::newRow(form + "empty new password") << isProtected << line(Master) + "\n\n"
                                                   << QStringLiteral("You must enter a password to use.\n");
        QTest::newRow(form + "too short")
            << isProtected << line(Master) + line(QStringLiteral("abc")) + line(QStringLiteral("abc"))
            << QStringLiteral("You must enter at least 4 alphanumeric characters.\n");
        QTest::newRow(form + "outside the code page")
            << isProtected << line(Master) + line(QStringLiteral("Пароль-1")) + line(QStringLiteral("Пароль-1"))
            << rules;
        QTest::newRow(form + "the two differ")
            << isProtected << line(Master) + line(NewMaster) + line(NewMaster + QLatin1Char('3'))
            << QStringLiteral("The two passwords are not the same.\n");
    }
}

void tst_CliProtected::passwdRefusals() {
    QFETCH(bool, isProtected);
    QFETCH(QByteArray, input);
    QFETCH(QString, message);
    const QString folder = isProtected ? protectedFolder() : folderWith(oddPlainFile());
    const QByteArray before = readBytes(dataFile(folder));
    const QStringList options = isProtected ? CheapKey : QStringList();
    const CliResult result =
        run(QStringList{QStringLiteral("passwd"), QStringLiteral("--folder"), folder} + options, input);
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(result.out, QByteArray());
    QCOMPARE(QString::fromUtf8(result.err), message);
    QCOMPARE(readBytes(dataFile(folder)), before);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
}

void tst_CliProtected::passwdChoosesACostForProtectedFilesOnly() {
    const QString folder = folderWith(oddPlainFile());
    const CliResult result = run(QStringList{QStringLiteral("passwd"), QStringLiteral("--folder"), folder} + CheapKey,
                                 line(Master) + line(NewMaster) + line(NewMaster));
    QCOMPARE(result.exitCode, 2);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file is not protected, so it has no key derivation cost to choose: leave out "
                            "--kdf-passes and --kdf-memory, or run \"varnook-cli protect\" first.\n"));
    QCOMPARE(readBytes(dataFile(folder)), oddPlainFile());

    // Without them, a protected file gets the cost of new protection.
    const QString protectedOne = protectedFolder();
    QCOMPARE(run({QStringLiteral("passwd"), QStringLiteral("--folder"), protectedOne},
                 line(Master) + line(NewMaster) + line(NewMaster))
                 .exitCode,
             0);
    QCOMPARE(headerOf(readBytes(dataFile(protectedOne))).cost, KdfCost::forNewFiles());
}

// ---- export, import, check and merge of a protected file

void tst_CliProtected::exportsAProtectedFile() {
    const QString folder = protectedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    CliResult result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("Exported 2 entries.\n"));
    QCOMPARE(result.out, EntryCsv::write(storedEntries()));

    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    result =
        run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("-o"), csv}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readBytes(csv), EntryCsv::write(storedEntries()));
    QCOMPARE(accessRights(csv), QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    // A wrong password is told as for a plain file, and writes nothing.
    QFile::remove(csv);
    result = run({QStringLiteral("export"), QStringLiteral("--folder"), folder, QStringLiteral("-o"), csv},
                 line(Master.toUpper()));
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(QString::fromUtf8(result.err), WrongPassword);
    QVERIFY(!QFile::exists(csv));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_CliProtected::damagedProtectedFileIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray whole = sealed(DataFileFormat::serialize(Master, storedEntries()), Master);
    QByteArray changed = whole;
    changed[200] = char(changed[200] ^ 0x01);
    QTest::newRow("a changed byte in the body")
        << changed << QStringLiteral("Its contents do not match their check: bytes were changed");
    QTest::newRow("cut short") << whole.chopped(5) << QStringLiteral("It is cut short: 5 bytes are missing");
    QTest::newRow("a byte more") << whole + 'x' << QStringLiteral("It has 1 bytes more than its header says");
    QTest::newRow("cut inside the header")
        << whole.first(100) << QStringLiteral("It ends inside its header, after 100 of 123 bytes");
}

void tst_CliProtected::damagedProtectedFileIsRefused() {
    // The right password, and a body that cannot be read: every command refuses, and writes nothing.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString folder = folderWith(bytes);
    const QString csv = m_scratch->filePath(QStringLiteral("out.csv"));
    const QString rows = m_scratch->filePath(QStringLiteral("in.csv"));
    writeBytes(rows, "Username,Password\ndave,pw-d\n");
    const QByteArray passwords = line(Master) + line(NewMaster) + line(NewMaster);
    const QString message = damagedMessage(QStringLiteral("The data file"), dataFile(folder), reason);
    const QList<QStringList> commands = {
        {QStringLiteral("export")},
        {QStringLiteral("export"), QStringLiteral("--output"), csv},
        {QStringLiteral("import"), rows},
        {QStringLiteral("unprotect")},
        QStringList{QStringLiteral("passwd")} + CheapKey,
    };
    for (const QStringList &command : commands) {
        const CliResult result = run(command + QStringList{QStringLiteral("--folder"), folder}, passwords);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.out, QByteArray());
        QCOMPARE(QString::fromUtf8(result.err), message);
        QCOMPARE(readBytes(dataFile(folder)), bytes);
        QVERIFY(!QFile::exists(csv));
        QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});
    }
    // protect does not take a file in the protected form for a plain one.
    const CliResult protect =
        run(QStringList{QStringLiteral("protect"), QStringLiteral("--folder"), folder} + CheapKey, passwords);
    QCOMPARE(protect.exitCode, bytes.size() < 123 ? 1 : 2);
    QCOMPARE(readBytes(dataFile(folder)), bytes);
}

void tst_CliProtected::importIntoAProtectedFileKeepsItProtected() {
    // The same import into the same file, plain and protected: the protected one holds the plain
    // one's very bytes, under its own key still.
    const QByteArray plain = DataFileFormat::serialize(Master, storedEntries());
    const QString plainFolder = folderWith(plain);
    const QString folder = folderWith(sealed(plain, Master));
    const ProtectedForm::Header header = headerOf(readBytes(dataFile(folder)));

    const QString csv = m_scratch->filePath(QStringLiteral("in.csv"));
    writeBytes(csv, "Username,Password,URL\ndave,pw-d,bank.example\n,no-user,\nerin,pw-e,\n");
    const CliResult plainImport =
        run({QStringLiteral("import"), csv, QStringLiteral("--folder"), plainFolder}, line(Master));
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 6);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("Imported 2 entries; the data file now holds 4 entries.\n"));
    QCOMPARE(QString::fromUtf8(result.err), QStringLiteral("Row 3 not imported: the user name is empty\n"));
    QCOMPARE(result.out, plainImport.out);
    QCOMPARE(result.err, plainImport.err);

    const QByteArray after = readBytes(dataFile(folder));
    const ProtectedForm::Header saved = headerOf(after);
    QCOMPARE(saved.salt, header.salt);
    QCOMPARE(saved.cost, header.cost);
    QVERIFY(saved.nonce != header.nonce);
    QCOMPARE(opened(after, Master), readBytes(dataFile(plainFolder)));
    QVERIFY(!after.contains(
        DataFileFormat::storedLine({QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")})));
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")});

    // A wrong password changes nothing.
    QCOMPARE(run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(NewMaster)).exitCode, 4);
    QCOMPARE(readBytes(dataFile(folder)), after);
}

void tst_CliProtected::importLeavesAProtectedFileWithProblemsAlone() {
    // A save writes every line again: a line that would not come back as it was is left to the user,
    // as in a plain file, once the file is open.
    QByteArray plain = DataFileFormat::serialize(Master, storedEntries());
    plain.insert(plain.size() - 2, QByteArray("\xE3\xE1\xF2\xEF\xEC\r\n")); // "carol" alone
    const QString folder = folderWith(sealed(plain, Master));
    const QByteArray before = readBytes(dataFile(folder));
    const QString csv = m_scratch->filePath(QStringLiteral("in.csv"));
    writeBytes(csv, "Username,Password\ndave,pw-d\n");
    const CliResult result = run({QStringLiteral("import"), csv, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err),
             QStringLiteral("The data file has lines that do not read back as written, so nothing was imported. Run "
                            "\"varnook-cli check\" to see them.\n"));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

void tst_CliProtected::checkReportsTheHeader_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report"); // after the form line
    const QByteArray plain = DataFileFormat::serialize(Master, storedEntries());
    const QByteArray whole = sealed(plain, Master);
    const QString header = QStringLiteral("Format version: 1\n"
                                          "Key derivation: Argon2id, 1 pass over 8 KiB\n"
                                          "Cipher: XChaCha20-Poly1305\n"
                                          "Encrypted plain form: %1 bytes\n"
                                          "Entry lines: encrypted, not checked without the master password\n")
                               .arg(plain.size());
    QTest::newRow("whole") << whole << 0 << header + QStringLiteral("The file is clean.\n");
    QTest::newRow("the default cost") << sealed(plain, Master, KdfCost::forNewFiles()) << 0
                                      << QString(header).replace(QStringLiteral("1 pass over 8 KiB"),
                                                                 QStringLiteral("%1 passes over 65536 KiB (64 MiB)")
                                                                     .arg(KdfCost::forNewFiles().passes)) +
                                             QStringLiteral("The file is clean.\n");
    QTest::newRow("cut short") << whole.chopped(7) << 1
                               << header + QStringLiteral("File: the file is damaged: it is cut short: 7 bytes are "
                                                          "missing\nThe file has 1 problem.\n");
    QTest::newRow("bytes more") << whole + "xyz" << 1
                                << header + QStringLiteral("File: the file is damaged: it has 3 bytes more than its "
                                                           "header says\nThe file has 1 problem.\n");
    QTest::newRow("cut inside the header")
        << whole.first(60) << 1
        << QStringLiteral("File: the file is damaged: it ends inside its header, after 60 of 123 bytes\n"
                          "The file has 1 problem.\n");
    const QByteArray inPieces =
        ProtectedForm::sealInPieces(plain, *DataFileKey::forNewProtection(Master, KdfCost::cheapest()));
    const QString piecesHeader = QString(header)
                                     .replace(QStringLiteral("Format version: 1"), QStringLiteral("Format version: 2"))
                                     .replace(QStringLiteral("Cipher: XChaCha20-Poly1305"),
                                              QStringLiteral("Cipher: XChaCha20-Poly1305 (secretstream), in pieces "
                                                             "of 256 KiB"));
    QTest::newRow("version 2") << inPieces << 0 << piecesHeader + QStringLiteral("The file is clean.\n");
    QTest::newRow("version 2 cut short")
        << inPieces.chopped(7) << 1
        << piecesHeader + QStringLiteral("File: the file is damaged: it is cut short: 7 bytes are missing\nThe file "
                                         "has 1 problem.\n");
    QTest::newRow("version 2 bytes more")
        << inPieces + "xyz" << 1
        << piecesHeader + QStringLiteral("File: the file is damaged: it has 3 bytes more than its header says\nThe "
                                         "file has 1 problem.\n");
    QByteArray later = whole;
    later[31] = 3;
    QTest::newRow("a later format version")
        << later << 1
        << QStringLiteral("File: the file is damaged: its format version is 3; this version of the program reads "
                          "versions 1 and 2\nThe file has 1 problem.\n");
    QByteArray costly = whole;
    costly[35] = char(200); // passes
    QTest::newRow("a cost past the limits")
        << costly << 1
        << QStringLiteral("File: the file is damaged: its key derivation asks for 200 passes over 0 MiB, more than "
                          "this version allows (64 passes, 4096 MiB)\nThe file has 1 problem.\n");
}

void tst_CliProtected::checkReportsTheHeader() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    const QString folder = folderWith(bytes);
    // No password is asked for: standard input is not read.
    const CliResult result = run({QStringLiteral("check"), QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("Data file: %1\nForm: protected\n").arg(shown(dataFile(folder))) + report);
    QCOMPARE(readBytes(dataFile(folder)), bytes);

    // Rights of others are a problem in this form too.
    QVERIFY(QFile::setPermissions(dataFile(folder),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    const CliResult open = run({QStringLiteral("check"), QStringLiteral("--folder"), folder});
    QCOMPARE(open.exitCode, 1);
    QVERIFY2(open.out.contains("File: others than its owner may read or write it (mode 0604)"), open.out.constData());
}

void tst_CliProtected::mergeWithProtectedFiles() {
    const Entry dave{QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")};
    const QByteArray ours = DataFileFormat::serialize(Master, storedEntries());
    std::vector<Entry> theirEntries = storedEntries();
    theirEntries.push_back(dave);
    const auto theirs = [&](const QString &password) {
        return DataFileFormat::serialize(password, theirEntries);
    };
    const QByteArray merged = ours.chopped(2) + DataFileFormat::storedLine(dave) + "\r\n";
    const QString otherFile = m_scratch->filePath(QStringLiteral("data.sync-conflict.enc"));
    const QString done = QStringLiteral("Merged 1 entry from %1; the data file now holds 3 entries.\n");

    // A protected data file and a plain copy with the same password: asked once, and still protected.
    QString folder = folderWith(sealed(ours, Master));
    const ProtectedForm::Header before = headerOf(readBytes(dataFile(folder)));
    writeBytes(otherFile, theirs(Master));
    CliResult result = run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(QString::fromUtf8(result.out), done.arg(shown(otherFile)));
    QCOMPARE(result.err, QByteArray());
    QByteArray after = readBytes(dataFile(folder));
    QCOMPARE(headerOf(after).salt, before.salt);
    QCOMPARE(opened(after, Master), merged);

    // A plain data file and a protected copy: the data file's password opens the copy too.
    folder = folderWith(ours);
    writeBytes(otherFile, sealed(theirs(Master), Master));
    result = run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder}, line(Master));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(readBytes(dataFile(folder)), merged);

    // Both protected, with other passwords: the copy's own is asked after the data file's.
    folder = folderWith(sealed(ours, Master));
    writeBytes(otherFile, sealed(theirs(OtherMaster), OtherMaster));
    const QByteArray untouched = readBytes(dataFile(folder));
    result = run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder},
                 line(Master) + line(Master.toLower()));
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(QString::fromUtf8(result.err), WrongPassword);
    QCOMPARE(readBytes(dataFile(folder)), untouched);
    result =
        run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder}, line(Master) + line(OtherMaster));
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(opened(readBytes(dataFile(folder)), Master), merged);

    // A wrong password for the data file comes first.
    result = run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder}, line(OtherMaster));
    QCOMPARE(result.exitCode, 4);
    QCOMPARE(QString::fromUtf8(result.err), WrongPassword);
}

void tst_CliProtected::mergeRefusesADamagedFileToMerge() {
    const QString folder = protectedFolder();
    const QByteArray before = readBytes(dataFile(folder));
    const QString otherFile = m_scratch->filePath(QStringLiteral("copy.enc"));
    std::vector<Entry> entries = storedEntries();
    entries.push_back({QStringLiteral("dave"), QStringLiteral("pw-d"), QString()});
    writeBytes(otherFile, sealed(DataFileFormat::serialize(Master, entries), Master).chopped(1));
    const CliResult result =
        run({QStringLiteral("merge"), otherFile, QStringLiteral("--folder"), folder}, line(Master) + line(Master));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(QString::fromUtf8(result.err), damagedMessage(QStringLiteral("The file to merge"), otherFile,
                                                           QStringLiteral("It is cut short: 1 bytes are missing")));
    QCOMPARE(readBytes(dataFile(folder)), before);
}

QTEST_GUILESS_MAIN(tst_CliProtected)
#include "tst_cli_protected.moc"
