// A save that fails at any one of its steps (open, each write, flush, putting the new file in
// place) leaves data.enc holding exactly its old bytes, never a mix or an empty file, and says why.

#include "BufferedWriter.h"
#include "DataFile.h"
#include "DataFileFormat.h"
#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "FileSave.h"
#include "SabotagedSaveFile.h"
#include "SmallDisk.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

Q_DECLARE_METATYPE(varnook::DataFile::SyncTarget)

namespace {

const QByteArray OldBytes = hexBytes("F0 E1 F3 F3 0D 0A E1 FC FC FC E2 FC FC FC E3 0D 0A 0D 0A");

std::vector<Entry> someEntries(int count, int fieldLength) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i);
        entries.push_back({QStringLiteral("user").append(n).leftJustified(fieldLength, u'u'),
                           QStringLiteral("pw").append(n).leftJustified(fieldLength, u'p'),
                           QStringLiteral("site").append(n).leftJustified(fieldLength, u's')});
    }
    return entries;
}

const QByteArray NewBytes = DataFileFormat::serialize(QStringLiteral("pass"), someEntries(3, 8));
// Larger than the device's write buffer, so its bytes go to the disk during the write itself.
const QByteArray LargeBytes = DataFileFormat::serialize(QStringLiteral("pass"), someEntries(500, 12));

using Step = SabotagedSaveFile::Step;

// Tells, once write() is done with it, how many bytes it was given.
class CountingFailingSaveFile : public FailingSaveFile {
public:
    CountingFailingSaveFile(const QString &path, qint64 room, Mode mode, qint64 *attempted)
        : FailingSaveFile(path, room, mode)
        , m_attempted(attempted) {}
    ~CountingFailingSaveFile() override { *m_attempted = attempted(); }

private:
    qint64 *m_attempted;
};

// The bytes the file holds afterwards must be the old ones (or, where it did not exist, no file
// at all); nothing of the failed save may be left in the folder.
void checkUntouched(const FakePlatform &fake, const QByteArray &old) {
    if (old.isNull()) {
        QVERIFY(!QFileInfo::exists(fake.dataFile()));
        QCOMPARE(folderEntries(fake.programFolder()), QStringList());
    } else {
        QCOMPARE(readBytes(fake.dataFile()), old);
        QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
    }
}

} // namespace

class tst_DataFileFaults : public QObject {
    Q_OBJECT

private slots:
    void failedStepKeepsTheOldBytes_data();
    void failedStepKeepsTheOldBytes();
    void failureAtEveryByte_data();
    void failureAtEveryByte();
    void fullDisk_data();
    void fullDisk();
    void failedSyncIsReported_data();
    void failedSyncIsReported();
    void streamedSaveFailsPartWay_data();
    void streamedSaveFailsPartWay();
    void droppedSaveChangesNothing();
};

void tst_DataFileFaults::failedStepKeepsTheOldBytes_data() {
    QTest::addColumn<Step>("step");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("old");
    for (const bool exists : {true, false}) {
        const QByteArray old = exists ? OldBytes : QByteArray();
        const char *suffix = exists ? "" : ", no file before";
        QTest::addRow("open%s", suffix) << Step::Open << NewBytes << old;
        QTest::addRow("flush of buffered bytes%s", suffix) << Step::Flush << NewBytes << old;
        QTest::addRow("write of a large file%s", suffix) << Step::Flush << LargeBytes << old;
        QTest::addRow("rename%s", suffix) << Step::Rename << NewBytes << old;
        QTest::addRow("rename of a large file%s", suffix) << Step::Rename << LargeBytes << old;
    }
}

void tst_DataFileFaults::failedStepKeepsTheOldBytes() {
    QFETCH(Step, step);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, old);
    FakePlatform fake;
    if (!old.isNull())
        writeBytes(fake.dataFile(), old);
    bool sabotaged = false;
    DataFile::setSaveFileFactory(
        [&](const QString &path) { return std::make_unique<SabotagedSaveFile>(path, step, &sabotaged); });

    const FileResult result = DataFile(fake.dataFile()).write(bytes);
    QVERIFY(sabotaged);
    QVERIFY(!result.ok());
    if (const QString expected = SabotagedSaveFile::expectedReason(step); !expected.isEmpty())
        QCOMPARE(result.reason(), expected);
    else
        QVERIFY2(!result.reason().isEmpty() && result.reason() != FileResult::failure({}).reason(),
                 qPrintable(result.reason()));
    checkUntouched(fake, old);

    // On a sound disk the next save writes everything.
    DataFile::setSaveFileFactory({});
    QVERIFY(DataFile(fake.dataFile()).write(bytes).ok());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

void tst_DataFileFaults::failureAtEveryByte_data() {
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("shortWrite");
    QTest::newRow("disk full") << OldBytes << false;
    QTest::newRow("bytes quietly not taken") << OldBytes << true;
    QTest::newRow("disk full, no file before") << QByteArray() << false;
}

void tst_DataFileFaults::failureAtEveryByte() {
    // The write gives out after each possible number of bytes in turn.
    QFETCH(QByteArray, old);
    QFETCH(bool, shortWrite);
    const FailingSaveFile::Mode mode = shortWrite ? FailingSaveFile::Mode::ShortWrite : FailingSaveFile::Mode::Error;
    for (qint64 room = 0; room < NewBytes.size(); ++room) {
        FakePlatform fake;
        if (!old.isNull())
            writeBytes(fake.dataFile(), old);
        qint64 attempted = 0;
        DataFile::setSaveFileFactory([&](const QString &path) {
            return std::make_unique<CountingFailingSaveFile>(path, room, mode, &attempted);
        });
        const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
        QVERIFY2(!result.ok(), qPrintable(QStringLiteral("room for %1 bytes").arg(room)));
        QCOMPARE(attempted, qint64(NewBytes.size()));
        checkUntouched(fake, old);
    }
}

void tst_DataFileFaults::fullDisk_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("a small save, held in the buffer until the end") << NewBytes;
    QTest::newRow("a large save, written as it goes") << LargeBytes;
}

void tst_DataFileFaults::fullDisk() {
    // A real file system that fills up: the new bytes find no room.
    QFETCH(QByteArray, bytes);
    FakePlatform fake;
    SmallDisk disk(fake.programFolder(), 64);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    writeBytes(fake.dataFile(), OldBytes);
    QCOMPARE(readBytes(fake.dataFile()), OldBytes);
    QVERIFY(disk.fill(QStringLiteral("filler")));

    const FileResult result = DataFile(fake.dataFile()).write(bytes);
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), QStringLiteral("No space left on device"));
    QCOMPARE(readBytes(fake.dataFile()), OldBytes);
    QCOMPARE(folderEntries(fake.programFolder()), (QStringList{QStringLiteral("data.enc"), QStringLiteral("filler")}));

    // Once there is room again, the save goes through.
    QVERIFY(QFile::remove(QDir(fake.programFolder()).filePath(QStringLiteral("filler"))));
    QVERIFY(DataFile(fake.dataFile()).write(bytes).ok());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

void tst_DataFileFaults::failedSyncIsReported_data() {
    QTest::addColumn<DataFile::SyncTarget>("target");
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("reason");
    QTest::newRow("temporary file, I/O error")
        << DataFile::SyncTarget::TemporaryFile << EIO << QStringLiteral("Input/output error");
    QTest::newRow("temporary file, disk full")
        << DataFile::SyncTarget::TemporaryFile << ENOSPC << QStringLiteral("No space left on device");
    QTest::newRow("folder after the rename")
        << DataFile::SyncTarget::Folder << EIO
        << QStringLiteral("The new contents were put in place, but the folder could not be synced to disk, so they "
                          "may be lost if the computer stops now: Input/output error");
}

void tst_DataFileFaults::failedSyncIsReported() {
    QFETCH(DataFile::SyncTarget, target);
    QFETCH(int, error);
    QFETCH(QString, reason);
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QList<DataFile::SyncTarget> synced;
    DataFile::setSyncCall([&](int, DataFile::SyncTarget at) {
        synced.append(at);
        return at == target ? error : 0;
    });
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    DataFile::setSyncCall({});
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), reason);
    if (target == DataFile::SyncTarget::Folder) {
        // The file was synced first; only the folder failed, after the new bytes took the old ones' place.
        QCOMPARE(synced, (QList{DataFile::SyncTarget::TemporaryFile, DataFile::SyncTarget::Folder}));
        QVERIFY(result.replaced());
        QCOMPARE(readBytes(fake.dataFile()), NewBytes);
    } else {
        QCOMPARE(synced, QList{DataFile::SyncTarget::TemporaryFile});
        QVERIFY(!result.replaced());
        checkUntouched(fake, OldBytes);
    }
}

void tst_DataFileFaults::streamedSaveFailsPartWay_data() {
    // A save of many blocks, written straight into the temporary file as it is made.
    QTest::addColumn<qint64>("room");
    QTest::addColumn<bool>("shortWrite");
    const qint64 block = BufferedWriter::DefaultBlockSize;
    for (const bool shortWrite : {false, true}) {
        const char *how = shortWrite ? "bytes quietly not taken" : "disk full";
        for (const qint64 room : {qint64(0), qint64(1), block - 1, block, block + 1, 3 * block + 17})
            QTest::addRow("%s after %lld bytes", how, room) << room << shortWrite;
    }
}

void tst_DataFileFaults::streamedSaveFailsPartWay() {
    QFETCH(qint64, room);
    QFETCH(bool, shortWrite);
    const std::vector<Entry> entries = someEntries(30000, 12);
    const QByteArray whole = DataFileFormat::serialize(QStringLiteral("pass"), entries);
    QVERIFY(whole.size() > 4 * BufferedWriter::DefaultBlockSize);
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    qint64 attempted = 0;
    const auto mode = shortWrite ? FailingSaveFile::Mode::ShortWrite : FailingSaveFile::Mode::Error;
    DataFile::setSaveFileFactory(
        [&](const QString &path) { return std::make_unique<CountingFailingSaveFile>(path, room, mode, &attempted); });
    const FileResult result = DataFile(fake.dataFile()).save(QStringLiteral("pass"), entries);
    DataFile::setSaveFileFactory({});
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), shortWrite ? QStringLiteral("Not all of the data could be written.")
                                         : QStringLiteral("No space left on device"));
    checkUntouched(fake, OldBytes);
    // The writing stopped at the block that was refused.
    QVERIFY2(attempted <= room + BufferedWriter::DefaultBlockSize, qPrintable(QString::number(attempted)));

    QVERIFY(DataFile(fake.dataFile()).save(QStringLiteral("pass"), entries).ok());
    QCOMPARE(readBytes(fake.dataFile()), whole);
}

void tst_DataFileFaults::droppedSaveChangesNothing() {
    // A save given up half way (an import that meets a problem) leaves neither new bytes nor a temporary file.
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    {
        FileSave save(fake.dataFile(), DataFile::Access::KeepTightened);
        QVERIFY(save.open().ok());
        save.out().write(LargeBytes);
        save.out().write(LargeBytes);
    }
    checkUntouched(fake, OldBytes);
}

QTEST_GUILESS_MAIN(tst_DataFileFaults)
#include "tst_datafile_faults.moc"
