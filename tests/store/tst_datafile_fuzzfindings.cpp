// Inputs the data file fuzzers found faults with, and their seed inputs, replayed through the same
// checks. The faults themselves are tested where the program meets them (tst_masterpasswordrules,
// tst_unlockdatafile).

#include "DataFileChecks.h"
#include "FileHelpers.h"
#include "ProtectedFormChecks.h"
#include "UntouchedSaveChecks.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

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
    void replayUntouchedSave_data();
    void replayUntouchedSave();
    void replayProtectedForm_data();
    void replayProtectedForm();
    void protectedFormSeedsAreSealedDataFiles();
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

void tst_DataFileFuzzFindings::replayUntouchedSave_data() {
    QTest::addColumn<QByteArray>("bytes");
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_FINDINGS "/untouchedsave"), QStringLiteral("found: "));
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_SEEDS "/untouchedsave"), QStringLiteral("seed: "));
}

void tst_DataFileFuzzFindings::replayUntouchedSave() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(untouchedSaveFault(bytes), QString());
}

void tst_DataFileFuzzFindings::replayProtectedForm_data() {
    QTest::addColumn<QByteArray>("bytes");
    // Until the fuzzer finds a fault here, there is no folder of findings.
    if (QDir(QStringLiteral(VARNOOK_FUZZ_FINDINGS "/protectedform")).exists())
        addFolderRows(QStringLiteral(VARNOOK_FUZZ_FINDINGS "/protectedform"), QStringLiteral("found: "));
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_SEEDS "/protectedform"), QStringLiteral("seed: "));
    // The data file fuzzer's seeds as they are, in the plain form.
    addFolderRows(QStringLiteral(VARNOOK_FUZZ_SEEDS "/datafile"), QStringLiteral("plain seed: "));
}

void tst_DataFileFuzzFindings::replayProtectedForm() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(protectedFormFault(bytes), QString());
}

void tst_DataFileFuzzFindings::protectedFormSeedsAreSealedDataFiles() {
    // Each seed "sealed-NAME" is the data file seed NAME sealed under the fuzzer's key and nonce, and
    // each "pieces-NAME" the same sealed in pieces (version 2), so that the fuzzer starts from files
    // of both versions that open with its key.
    const QDir seeds(QStringLiteral(VARNOOK_FUZZ_SEEDS "/protectedform"));
    const QDir plain(QStringLiteral(VARNOOK_FUZZ_SEEDS "/datafile"));
    const QStringList names = seeds.entryList(QDir::Files, QDir::Name);
    QVERIFY(names.size() >= 3);
    QVERIFY(names.filter(QStringLiteral("pieces-")).size() >= 3);
    for (const QString &name : names) {
        if (name.startsWith(QLatin1String("pieces-"))) {
            const QByteArray seed = readBytes(seeds.filePath(name));
            QCOMPARE(int(seed.at(31)), 2);
            QVERIFY2(openedForFuzzing(seed) == readBytes(plain.filePath(name.mid(7))), qPrintable(name));
            continue;
        }
        QVERIFY2(name.startsWith(QLatin1String("sealed-")), qPrintable(name));
        const QString from = plain.filePath(name.mid(7));
        QVERIFY2(QFile::exists(from), qPrintable(from));
        QVERIFY2(readBytes(seeds.filePath(name)) == sealedForFuzzing(readBytes(from)), qPrintable(name));
    }
}

QTEST_GUILESS_MAIN(tst_DataFileFuzzFindings)
#include "tst_datafile_fuzzfindings.moc"
