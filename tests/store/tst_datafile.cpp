#include "DataFile.h"
#include "DataFileFormat.h"
#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileExists.h"
#include "FileHelpers.h"
#include "SaveTemporaries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace varnook;
using namespace varnook::test;

Q_DECLARE_METATYPE(varnook::DataFile::Access)

namespace {
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QByteArray OldBytes = hexBytes("F0 E1 F3 F3 0D 0A E1 FC FC FC E2 FC FC FC E3 0D 0A 0D 0A");
const QByteArray NewBytes = hexBytes("F0 E1 F3 F3 0D 0A E4 FC FC FC E5 FC FC FC E6 0D 0A E7 FC FC FC E8 FC FC FC "
                                     "E9 0D 0A 0D 0A");
} // namespace

class tst_DataFile : public QObject {
    Q_OBJECT

private slots:
    void ensureCreatesOneEmptyLineForItsOwnerOnly();
    void ensureLeavesAnExistingFileAlone_data();
    void ensureLeavesAnExistingFileAlone();
    void ensureAddsALineToAFileItCannotSee();
    void ensureRefusesAFolder();

    void readGivesTheBytes();
    void readRefusesAFolder();
    void readUnreadableFile();

    void writeReplacesTheBytes();
    void writeGoesThroughANameOnlyASaveGives();
    void writeThroughASymbolicLinkKeepsTheLink();
    void writeMakesANewFileForItsOwnerOnly();
    void writeKeepsTheRightsOfAnExistingFile_data();
    void writeKeepsTheRightsOfAnExistingFile();
    void writeKeepsTheOwnerOfAnExistingFile();
    void saveWritesTheWholeFile();
    void failedWriteKeepsTheOldBytes_data();
    void failedWriteKeepsTheOldBytes();
    void failedWriteIntoAReadOnlyFolder();
    void failedWriteOverAFolder();
    void failedWriteWhenTheFolderIsGone();

    void fileExists_data();
    void fileExists();
    void fileExistsCountsLetterCaseWhereTheFileSystemDoes();
};

void tst_DataFile::ensureCreatesOneEmptyLineForItsOwnerOnly() {
    FakePlatform fake;
    QVERIFY(!QFile::exists(fake.dataFile()));
    const FileResult result = DataFile(fake.dataFile()).ensure();
    QVERIFY2(result.ok(), qPrintable(result.reason()));
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    QCOMPARE(accessRights(fake.dataFile()), OwnerOnly);
}

void tst_DataFile::ensureLeavesAnExistingFileAlone_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("one empty line") << QByteArray("\r\n");
    QTest::newRow("a saved file") << OldBytes;
}

void tst_DataFile::ensureLeavesAnExistingFileAlone() {
    QFETCH(QByteArray, bytes);
    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    QVERIFY(DataFile(fake.dataFile()).ensure().ok());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

void tst_DataFile::ensureAddsALineToAFileItCannotSee() {
    // A hidden file is not seen by fileExists; like the original, the empty line goes at its end.
    FakePlatform fake;
    const QString hidden = QDir(fake.programFolder()).filePath(QStringLiteral(".data.enc"));
    writeBytes(hidden, "abc");
    QVERIFY(!varnook::fileExists(hidden));
    QVERIFY(DataFile(hidden).ensure().ok());
    QCOMPARE(readBytes(hidden), QByteArray("abc\r\n"));
}

void tst_DataFile::ensureRefusesAFolder() {
    FakePlatform fake;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    const FileResult result = DataFile(fake.dataFile()).ensure();
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), QStringLiteral("It is a folder, not a file."));
    QVERIFY(QFileInfo(fake.dataFile()).isDir());
    QCOMPARE(folderEntries(fake.dataFile()), QStringList());
}

void tst_DataFile::readGivesTheBytes() {
    FakePlatform fake;
    const QByteArray bytes("\x00\r\n\n\r\xFF", 6);
    writeBytes(fake.dataFile(), bytes);
    QByteArray read;
    QVERIFY(DataFile(fake.dataFile()).read(read).ok());
    QCOMPARE(read, bytes);
}

void tst_DataFile::readRefusesAFolder() {
    FakePlatform fake;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    QByteArray read("untouched");
    const FileResult result = DataFile(fake.dataFile()).read(read);
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), QStringLiteral("It is a folder, not a file."));
}

void tst_DataFile::readUnreadableFile() {
    if (!folderPermissionsApply())
        QSKIP("File rights do not bind this process (it runs as the super-user), so no file is unreadable here.");
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QVERIFY(QFile::setPermissions(fake.dataFile(), QFileDevice::WriteOwner));
    QByteArray read;
    const FileResult result = DataFile(fake.dataFile()).read(read);
    QFile::setPermissions(fake.dataFile(), OwnerOnly);
    QVERIFY(!result.ok());
    QVERIFY2(result.reason().contains(QStringLiteral("ermission")), qPrintable(result.reason()));
}

void tst_DataFile::writeReplacesTheBytes() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    QVERIFY2(result.ok(), qPrintable(result.reason()));
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFile::writeGoesThroughANameOnlyASaveGives() {
    // Whatever a save leaves when it is killed is named after the staging name its device gets
    // (that name, or that name and six random characters): the clean-up knows both, and no backup
    // a person names "data.enc.<something>" is either.
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QString staging;
    DataFile::setSaveFileFactory([&](const QString &path) {
        staging = path;
        return std::make_unique<QSaveFile>(path);
    });
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    DataFile::setSaveFileFactory({});
    QVERIFY2(result.ok(), qPrintable(result.reason()));
    QCOMPARE(QFileInfo(staging).absolutePath(), QFileInfo(fake.dataFile()).absolutePath());
    const QString name = QFileInfo(staging).fileName();
    const qint64 self = QCoreApplication::applicationPid();
    QCOMPARE(SaveTemporaries::makerOf(name, QStringLiteral("data.enc")), self);
    QCOMPARE(SaveTemporaries::makerOf(name + QStringLiteral(".Ab3dE9"), QStringLiteral("data.enc")), self);
    for (const char *backup : {"data.enc.backup", "data.enc.2024Q1", "data.enc.before", "data.enc.a1B2c3"})
        QCOMPARE(SaveTemporaries::makerOf(QString::fromLatin1(backup), QStringLiteral("data.enc")), 0);
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFile::writeThroughASymbolicLinkKeepsTheLink() {
    // A data file kept elsewhere (a synced folder) and linked into the program folder.
    FakePlatform fake;
    QTemporaryDir elsewhere;
    const QString real = QDir(elsewhere.path()).filePath(QStringLiteral("data.enc"));
    writeBytes(real, OldBytes);
    QVERIFY(QFile::link(real, fake.dataFile()));
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    QVERIFY2(result.ok(), qPrintable(result.reason()));
    QVERIFY(QFileInfo(fake.dataFile()).isSymLink());
    QCOMPARE(readBytes(real), NewBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
    QCOMPARE(folderEntries(elsewhere.path()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFile::writeMakesANewFileForItsOwnerOnly() {
    FakePlatform fake;
    QVERIFY(DataFile(fake.dataFile()).write(NewBytes).ok());
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
    QCOMPARE(accessRights(fake.dataFile()), OwnerOnly);
}

void tst_DataFile::writeKeepsTheRightsOfAnExistingFile_data() {
    using P = QFileDevice;
    QTest::addColumn<DataFile::Access>("access");
    QTest::addColumn<QFileDevice::Permissions>("before");
    QTest::addColumn<QFileDevice::Permissions>("after");
    const auto keep = DataFile::Access::KeepTightened;
    QTest::newRow("owner-only stays") << keep << OwnerOnly << OwnerOnly;
    QTest::newRow("owner read only stays") << keep << P::Permissions(P::ReadOwner) << P::Permissions(P::ReadOwner);
    QTest::newRow("readable by all is tightened") << keep << (OwnerOnly | P::ReadGroup | P::ReadOther) << OwnerOnly;
    QTest::newRow("group read and write is tightened")
        << keep << (OwnerOnly | P::ReadGroup | P::WriteGroup) << OwnerOnly;
    QTest::newRow("owner-only export over a file readable by all")
        << DataFile::Access::OwnerOnly << (OwnerOnly | P::ReadGroup | P::ReadOther) << OwnerOnly;
    QTest::newRow("owner-only export over a read-only file")
        << DataFile::Access::OwnerOnly << P::Permissions(P::ReadOwner) << OwnerOnly;
}

void tst_DataFile::writeKeepsTheRightsOfAnExistingFile() {
    QFETCH(DataFile::Access, access);
    QFETCH(QFileDevice::Permissions, before);
    QFETCH(QFileDevice::Permissions, after);
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QVERIFY(QFile::setPermissions(fake.dataFile(), before));
    QVERIFY(DataFile(fake.dataFile()).write(NewBytes, access).ok());
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
    QCOMPARE(accessRights(fake.dataFile()), after);
}

void tst_DataFile::writeKeepsTheOwnerOfAnExistingFile() {
    if (::geteuid() != 0)
        QSKIP("Only the super-user can give a file to another user, which this test needs.");
    // Saved by root, the file of another user stays theirs, or they could no longer open it.
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QVERIFY(::chown(QFile::encodeName(fake.dataFile()).constData(), 65534, 65533) == 0);
    QVERIFY(DataFile(fake.dataFile()).write(NewBytes).ok());
    struct stat saved {};
    QVERIFY(::stat(QFile::encodeName(fake.dataFile()).constData(), &saved) == 0);
    QCOMPARE(saved.st_uid, uid_t(65534));
    QCOMPARE(saved.st_gid, gid_t(65533));
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
}

void tst_DataFile::saveWritesTheWholeFile() {
    FakePlatform fake;
    const std::vector<Entry> entries{{QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")},
                                     {QStringLiteral("g"), QStringLiteral("h"), QStringLiteral("i")}};
    QVERIFY(DataFile(fake.dataFile()).save(QStringLiteral("pass"), entries).ok());
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
}

void tst_DataFile::failedWriteKeepsTheOldBytes_data() {
    QTest::addColumn<qint64>("room");
    QTest::addColumn<bool>("shortWrite");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full at once") << qint64(0) << false << QStringLiteral("No space left on device");
    QTest::newRow("full after some bytes") << qint64(10) << false << QStringLiteral("No space left on device");
    QTest::newRow("full one byte before the end")
        << qint64(NewBytes.size() - 1) << false << QStringLiteral("No space left on device");
    QTest::newRow("takes fewer bytes without an error")
        << qint64(10) << true << QStringLiteral("Not all of the data could be written.");
}

void tst_DataFile::failedWriteKeepsTheOldBytes() {
    QFETCH(qint64, room);
    QFETCH(bool, shortWrite);
    QFETCH(QString, reason);
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    FailingSaveFile *device = nullptr;
    DataFile::setSaveFileFactory([&](const QString &path) {
        auto file = std::make_unique<FailingSaveFile>(
            path, room, shortWrite ? FailingSaveFile::Mode::ShortWrite : FailingSaveFile::Mode::Error);
        device = file.get();
        return file;
    });
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    QVERIFY(device);
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), reason);
    QCOMPARE(readBytes(fake.dataFile()), OldBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});

    // The next write, on a sound disk, writes everything.
    DataFile::setSaveFileFactory({});
    QVERIFY(DataFile(fake.dataFile()).write(NewBytes).ok());
    QCOMPARE(readBytes(fake.dataFile()), NewBytes);
}

void tst_DataFile::failedWriteIntoAReadOnlyFolder() {
    if (!folderPermissionsApply())
        QSKIP("Folder rights do not bind this process (it runs as the super-user), so no folder is read-only here; "
              "a folder in the file's place and a failing device test the failure instead.");
    FakePlatform fake;
    writeBytes(fake.dataFile(), OldBytes);
    QVERIFY(QFile::setPermissions(fake.programFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    QFile::setPermissions(fake.programFolder(), OwnerOnly | QFileDevice::ExeOwner);
    QVERIFY(!result.ok());
    QVERIFY(!result.reason().isEmpty());
    QCOMPARE(readBytes(fake.dataFile()), OldBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFile::failedWriteOverAFolder() {
    FakePlatform fake;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    writeBytes(QDir(fake.dataFile()).filePath(QStringLiteral("inside")), OldBytes);
    const FileResult result = DataFile(fake.dataFile()).write(NewBytes);
    QVERIFY(!result.ok());
    QCOMPARE(result.reason(), QStringLiteral("It is a folder, not a file."));
    QVERIFY(QFileInfo(fake.dataFile()).isDir());
    QCOMPARE(readBytes(QDir(fake.dataFile()).filePath(QStringLiteral("inside"))), OldBytes);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFile::failedWriteWhenTheFolderIsGone() {
    QTemporaryDir scratch;
    const QString folder = QDir(scratch.path()).filePath(QStringLiteral("gone"));
    const QString path = QDir(folder).filePath(QStringLiteral("data.enc"));
    const FileResult result = DataFile(path).write(NewBytes);
    QVERIFY(!result.ok());
    QVERIFY(!result.reason().isEmpty());
    QVERIFY(!QFileInfo::exists(folder));
    // Nothing was put in place.
    QVERIFY(!result.replaced());
}

void tst_DataFile::fileExists_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");
    QTest::newRow("a normal file") << QStringLiteral("data.enc") << true;
    QTest::newRow("a zero-byte file") << QStringLiteral("empty.enc") << true;
    QTest::newRow("missing") << QStringLiteral("missing.enc") << false;
    QTest::newRow("a folder") << QStringLiteral("folder") << false;
    QTest::newRow("a hidden file") << QStringLiteral(".hidden") << false;
    QTest::newRow("a name with wildcards") << QStringLiteral("*.enc") << false;
    QTest::newRow("no name at all") << QString() << false;
}

void tst_DataFile::fileExists() {
    QFETCH(QString, name);
    QFETCH(bool, exists);
    QTemporaryDir scratch;
    const QDir folder(scratch.path());
    writeBytes(folder.filePath(QStringLiteral("data.enc")), "x");
    writeBytes(folder.filePath(QStringLiteral("empty.enc")), QByteArray());
    writeBytes(folder.filePath(QStringLiteral(".hidden")), "x");
    QVERIFY(folder.mkdir(QStringLiteral("folder")));
    QCOMPARE(varnook::fileExists(name.isEmpty() ? QString() : folder.filePath(name)), exists);
}

void tst_DataFile::fileExistsCountsLetterCaseWhereTheFileSystemDoes() {
    QTemporaryDir scratch;
    const QDir folder(scratch.path());
    writeBytes(folder.filePath(QStringLiteral("Data.ENC")), "x");
    const QString lower = folder.filePath(QStringLiteral("data.enc"));
    if (QFile::exists(lower)) {
        // A file system that ignores letter case: the file is there whatever the case.
        QVERIFY(varnook::fileExists(lower));
        QSKIP("This file system ignores letter case.");
    }
    QVERIFY(!varnook::fileExists(lower));
    // So the program's own file is created beside it, and the other one is left alone.
    QVERIFY(DataFile(lower).ensure().ok());
    QCOMPARE(readBytes(lower), QByteArray("\r\n"));
    QCOMPARE(readBytes(folder.filePath(QStringLiteral("Data.ENC"))), QByteArray("x"));
}

QTEST_GUILESS_MAIN(tst_DataFile)
#include "tst_datafile.moc"
