// Inputs the data file fuzzer found faults with, and its seed inputs, replayed through the same
// checks. The faults themselves are tested where the program meets them (tst_masterpasswordrules,
// tst_unlockdatafile).

#include "DataFileChecks.h"
#include "FileHelpers.h"
#include "UntouchedSaveChecks.h"

#include <QDir>
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

QTEST_GUILESS_MAIN(tst_DataFileFuzzFindings)
#include "tst_datafile_fuzzfindings.moc"
