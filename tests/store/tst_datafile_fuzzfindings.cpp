// Inputs the data file fuzzer found faults with, and its seed inputs, replayed through the same
// checks; and the faults themselves, tested where the program meets them.

#include "DataFileChecks.h"
#include "DataFileFormat.h"
#include "DataLoader.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "MasterPasswordPrompts.h"

#include <QDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

const QString CannotStoreText =
    QStringLiteral("Your password contains a character that cannot be stored.  Please enter another one.");
// U+008D is the code page's code 141, whose scrambled code is CR.
const QString PasswordWithCode141 = QStringLiteral("pa\u008Dss");

void addFolderRows(const QString &folder, const QString &prefix) {
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(!names.isEmpty(), qPrintable(folder));
    for (const QString &name : names)
        QTest::newRow(qPrintable(prefix + name)) << readBytes(dir.filePath(name));
}

} // namespace

class tst_DataFileFuzzFindings : public QObject {
    Q_OBJECT

private slots:
    void replay_data();
    void replay();

    void creationRefusesAPasswordThatWouldEndItsLine_data();
    void creationRefusesAPasswordThatWouldEndItsLine();
    void firstStartStoresOnlyAPasswordThatReadsBack();
};

void tst_DataFileFuzzFindings::replay_data() {
    QTest::addColumn<QByteArray>("bytes");
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_FINDINGS "/datafile"), QStringLiteral("found: "));
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_SEEDS "/datafile"), QStringLiteral("seed: "));
}

void tst_DataFileFuzzFindings::replay() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(dataFileFault(bytes), QString());
}

void tst_DataFileFuzzFindings::creationRefusesAPasswordThatWouldEndItsLine_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("code 141 inside") << PasswordWithCode141 << CannotStoreText;
    QTest::newRow("code 141 at the end") << QStringLiteral("pass\u008D") << CannotStoreText;
    QTest::newRow("code 141 at the start") << QStringLiteral("\u008Dpass") << CannotStoreText;
    // The input the fuzzer found: a character outside the code page, named first, and code 141.
    QTest::newRow("as found") << QStringLiteral("\u7020\u008D\u0000\u0000")
                              << QStringLiteral("Your password contains a character that the data file cannot "
                                                "store.  Use only Western European letters, digits, punctuation "
                                                "and blanks (Windows-1252).");
}

void tst_DataFileFuzzFindings::creationRefusesAPasswordThatWouldEndItsLine() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QCOMPARE(MasterPasswordPrompts::creationProblem(typed), text);

    FakePlatform fake;
    fake.dialogs.answerInput(typed);
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QCOMPARE(MasterPasswordPrompts::askNew(), std::nullopt);
    QCOMPARE(fake.dialogs.shown.size(), 2);
    const ShownBox &box = fake.dialogs.shown[1];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, QStringLiteral("Password Error"));
    QCOMPARE(box.buttons, MessageButtons::OkCancel);
    QCOMPARE(fake.dialogs.unexpected, 0);
}

void tst_DataFileFuzzFindings::firstStartStoresOnlyAPasswordThatReadsBack() {
    // Before, the password was stored with a CR inside: the next start read "pa" as the master
    // password and "ss" as an entry, and the typed password never matched again.
    FakePlatform fake;
    fake.dialogs.answerInput(PasswordWithCode141);
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const LoadOutcome created = DataLoader(DataFile(fake.dataFile())).load();
    QVERIFY(created.unlocked);
    QCOMPARE(created.masterPassword, QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), hexBytes("F0 E1 F3 F3 0D 0A"));
    QCOMPARE(fake.dialogs.shown.size(), 3);
    QCOMPARE(fake.dialogs.shown[1].text, CannotStoreText);

    // The next start asks for that password and finds no entries.
    fake.dialogs.shown.clear();
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const LoadOutcome next = DataLoader(DataFile(fake.dataFile())).load();
    QVERIFY(next.unlocked);
    QVERIFY(next.entries.empty());
    QCOMPARE(next.status, QStringLiteral("Loaded 0 entries"));
    QCOMPARE(fake.dialogs.unexpected, 0);
}

QTEST_GUILESS_MAIN(tst_DataFileFuzzFindings)
#include "tst_datafile_fuzzfindings.moc"
