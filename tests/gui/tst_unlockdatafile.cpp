#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "UnlockDataFile.h"

#include "BackgroundRead.h"
#include "DataFileFormat.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

// The entries of the lines unlocked, as the list shows them.
std::vector<Entry> entriesOf(const UnlockedData &data) {
    std::vector<Entry> entries;
    for (const StoredLine &line : data.storedLines)
        entries.push_back(DataFileFormat::readEntry(line.bytes().chopped(DataFileFormat::LineEnd.size())));
    return entries;
}
const QString CreationTitle = QStringLiteral("Password Creation");
const QString LoginTitle = QStringLiteral("Password Required");
// "pass" as line 1, then bob|||pw1|||x.org and the empty last line of a save.
const QByteArray SavedFile = hexBytes("F0 E1 F3 F3 0D 0A"
                                      "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                      "0D 0A");
const Entry Bob{QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org")};

// Long enough to be decoded on two threads, half each.
std::vector<Entry> manyEntries(int count, const QString &prefix) {
    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(
            Entry{prefix + QString::number(i), QStringLiteral("pw%1").arg(i), QStringLiteral("site%1.example").arg(i)});
    return entries;
}

// Another program's save: a new file renamed over the data file.
void replaceFile(const QString &path, const QByteArray &bytes) {
    writeBytes(path + QStringLiteral(".incoming"), bytes);
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(path + QStringLiteral(".incoming"), path));
}

std::optional<UnlockedData> unlock(const FakePlatform &fake) {
    return unlockDataFile(DataFile(fake.dataFile()));
}
} // namespace

class tst_UnlockDataFile : public QObject {
    Q_OBJECT

private slots:
    void firstStartWithoutAFile();
    void creationOnAFileWithoutPassword_data();
    void creationOnAFileWithoutPassword();
    void creationKeepsEntryLinesUnderAnEmptyFirstLine();
    void cancelledCreation();
    void loginLoadsTheEntries();
    void refusedLogin();
    void unreadableFile_data();
    void unreadableFile();
    void creationThatCannotBeStored();
    void firstStartInAFolderThatCannotBeWritten();
    void firstStartStoresOnlyAPasswordThatReadsBack();
    void longFileReadWhileTheBoxIsUp();
    void cancelWhileALongFileIsRead();
    void fileReplacedWhileTheBoxIsUp_data();
    void fileReplacedWhileTheBoxIsUp();
    void whatTheBoxAsksIsToldByTheBytes();
};

void tst_UnlockDataFile::firstStartWithoutAFile() {
    FakePlatform fake;
    fake.dialogs.onShow = [&](const ShownBox &) {
        // While the user is asked, the file already holds its one empty line.
        QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    };
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(outcome);
    QCOMPARE(outcome->status, QStringLiteral("Password created successfully"));
    QVERIFY(entriesOf(*outcome).empty());
    QCOMPARE(outcome->masterPassword, QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), hexBytes("F0 E1 F3 F3 0D 0A"));
    QCOMPARE(accessRights(fake.dataFile()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(fake.dialogs.shown[0].title, CreationTitle);
}

void tst_UnlockDataFile::creationOnAFileWithoutPassword_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("one empty line") << QByteArray("\r\n");
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n \r\n");
    QTest::newRow("a lone CR") << QByteArray("\r");
}

void tst_UnlockDataFile::creationOnAFileWithoutPassword() {
    QFETCH(QByteArray, bytes);
    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(outcome);
    QCOMPARE(outcome->status, QStringLiteral("Password created successfully"));
    QVERIFY(entriesOf(*outcome).empty());
    // The password line alone.
    QCOMPARE(readBytes(fake.dataFile()), hexBytes("F0 E1 F3 F3 0D 0A"));
    QCOMPARE(fake.dialogs.shown.size(), 1);
}

void tst_UnlockDataFile::creationKeepsEntryLinesUnderAnEmptyFirstLine() {
    FakePlatform fake;
    const QByteArray entryLines = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                           "0D 0A"
                                           "E1 0D"            // a short line ended by a lone CR
                                           "E3 FC FC FC E4"); // no line end at all
    writeBytes(fake.dataFile(), QByteArray("\r\n") + entryLines);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(outcome);
    QCOMPARE(outcome->status, QStringLiteral("Password created successfully"));
    QCOMPARE(entriesOf(*outcome).size(), size_t(3));
    QCOMPARE(entriesOf(*outcome)[0], Bob);
    QCOMPARE(entriesOf(*outcome)[1], (Entry{QStringLiteral("a"), {}, {}}));
    QCOMPARE(entriesOf(*outcome)[2], (Entry{QStringLiteral("c"), QStringLiteral("d"), {}}));
    // Every byte of the entry lines is kept behind the new password line.
    QCOMPARE(readBytes(fake.dataFile()), hexBytes("F0 E1 F3 F3 0D 0A") + entryLines);
}

void tst_UnlockDataFile::cancelledCreation() {
    FakePlatform fake;
    fake.dialogs.answerInput(QString());
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(!outcome);
    // The file made for the first start stays as made.
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    QCOMPARE(fake.dialogs.shown.size(), 2);
}

void tst_UnlockDataFile::loginLoadsTheEntries() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), SavedFile);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(outcome);
    QCOMPARE(outcome->status, QStringLiteral("Loaded 1 entries"));
    QCOMPARE(entriesOf(*outcome).size(), size_t(1));
    QCOMPARE(entriesOf(*outcome)[0], Bob);
    QCOMPARE(outcome->masterPassword, QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), SavedFile);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(fake.dialogs.shown[0].title, LoginTitle);
    QVERIFY(fake.dialogs.shown[0].masked);
}

void tst_UnlockDataFile::refusedLogin() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), SavedFile);
    fake.dialogs.answerInput(QStringLiteral("Pass"));
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(!outcome);
    QCOMPARE(readBytes(fake.dataFile()), SavedFile);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_UnlockDataFile::unreadableFile_data() {
    QTest::addColumn<bool>("withContent");
    QTest::newRow("an empty folder in the file's place") << false;
    QTest::newRow("a folder with files in the file's place") << true;
}

void tst_UnlockDataFile::unreadableFile() {
    QFETCH(bool, withContent);
    FakePlatform fake;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    if (withContent)
        writeBytes(QDir(fake.dataFile()).filePath(QStringLiteral("x")), "x");
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(!outcome);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::Critical);
    QCOMPARE(box.text, QStringLiteral("The data file could not be read:\n") +
                           QDir::toNativeSeparators(fake.dataFile()) +
                           QStringLiteral("\n\nIt is a folder, not a file.\n\nVarnook will now close without "
                                          "changing it."));
    // Nothing was written.
    QVERIFY(QFileInfo(fake.dataFile()).isDir());
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
    QCOMPARE(folderEntries(fake.dataFile()).size(), withContent ? 1 : 0);
}

void tst_UnlockDataFile::creationThatCannotBeStored() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), "\r\n");
    DataFile::setSaveFileFactory([](const QString &path) { return std::make_unique<FailingSaveFile>(path, 2); });
    fake.dialogs.answerInput(QStringLiteral("pass"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    const std::optional<UnlockedData> outcome = unlock(fake);
    QVERIFY(!outcome);
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
    QCOMPARE(fake.dialogs.shown.size(), 2);
    const ShownBox &box = fake.dialogs.shown[1];
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.icon, MessageIcon::Critical);
    QCOMPARE(box.text, QStringLiteral("The master password could not be stored in the data file:\n") +
                           QDir::toNativeSeparators(fake.dataFile()) +
                           QStringLiteral("\n\nNo space left on device\n\nVarnook will now close."));
}

void tst_UnlockDataFile::firstStartInAFolderThatCannotBeWritten() {
    // A folder that is gone stands for one without write rights, which bind no super-user.
    FakePlatform fake;
    const QString path = QDir(fake.programFolder()).filePath(QStringLiteral("gone/data.enc"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    const std::optional<UnlockedData> outcome = unlockDataFile(DataFile(path));
    QVERIFY(!outcome);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(fake.dialogs.shown[0].icon, MessageIcon::Critical);
    QCOMPARE(fake.dialogs.shown[0].text,
             QStringLiteral("The data file could not be written:\n") + QDir::toNativeSeparators(path) +
                 QStringLiteral("\n\nNo such file or directory\n\nVarnook will now close."));
}

void tst_UnlockDataFile::firstStartStoresOnlyAPasswordThatReadsBack() {
    // A password with code 141 was once stored with a CR inside: the next start read "pa" as the
    // master password and "ss" as an entry, and the typed password never matched again.
    FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("pa\u008Dss"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> created = unlock(fake);
    QVERIFY(created);
    QCOMPARE(created->masterPassword, QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), hexBytes("F0 E1 F3 F3 0D 0A"));
    QCOMPARE(fake.dialogs.shown.size(), 3);
    QCOMPARE(fake.dialogs.shown[1].text,
             QStringLiteral("Your password contains a character that cannot be stored.  Please enter another one."));

    // The next start asks for that password and finds no entries.
    fake.dialogs.shown.clear();
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> next = unlock(fake);
    QVERIFY(next);
    QVERIFY(entriesOf(*next).empty());
    QCOMPARE(next->status, QStringLiteral("Loaded 0 entries"));
    QCOMPARE(fake.dialogs.shown.size(), 1);
}

// The read started before the box: a wrong password and then the right one give every entry of the
// file, in its order, with the boxes as they always were.
void tst_UnlockDataFile::longFileReadWhileTheBoxIsUp() {
    FakePlatform fake;
    const std::vector<Entry> entries = manyEntries(40000, QStringLiteral("user"));
    const QByteArray file = DataFileFormat::serialize(QStringLiteral("pass"), entries);
    QVERIFY(file.size() > 1024 * 1024);
    writeBytes(fake.dataFile(), file);
    BackgroundRead reading(DataFile(fake.dataFile()));
    fake.dialogs.answerInput(QStringLiteral("Pass"));
    fake.dialogs.answerMessage(MessageAnswer::Retry);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlockDataFile(DataFile(fake.dataFile()), reading);
    QVERIFY(outcome);
    QCOMPARE(outcome->status, QStringLiteral("Loaded 40000 entries"));
    QVERIFY(entriesOf(*outcome) == entries);
    QCOMPARE(outcome->storedLines.size(), entries.size());
    QCOMPARE(outcome->storedLines[39999].bytes(), DataFileFormat::storedLine(entries[39999]));
    QCOMPARE(outcome->disk.identity(), FileIdentity::of(fake.dataFile()));
    QCOMPARE(fake.dialogs.shown.size(), 3);
    QCOMPARE(fake.dialogs.shown[0].title, LoginTitle);
    QCOMPARE(fake.dialogs.shown[1].title, QStringLiteral("Incorrect Password"));
    QCOMPARE(fake.dialogs.shown[2].title, LoginTitle);
    QCOMPARE(readBytes(fake.dataFile()), file);
}

void tst_UnlockDataFile::cancelWhileALongFileIsRead() {
    FakePlatform fake;
    const QByteArray file = DataFileFormat::serialize(QStringLiteral("pass"), manyEntries(40000, QStringLiteral("u")));
    writeBytes(fake.dataFile(), file);
    fake.dialogs.answerInput(QString());
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QVERIFY(!unlock(fake));
    QCOMPARE(fake.dialogs.shown.size(), 2);
    QCOMPARE(fake.dialogs.shown[1].title, QStringLiteral("Incorrect Password"));
    QCOMPARE(readBytes(fake.dataFile()), file);
}

// Another computer's save comes in while the box is up. Under the same master password the list is
// the new file's; under another one it is what was read before the box (the session finds the
// change at its next look), and the password asked for is the one of the file as read then.
void tst_UnlockDataFile::fileReplacedWhileTheBoxIsUp_data() {
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<bool>("newFileTaken");
    QTest::newRow("same master password") << QStringLiteral("pass") << true;
    QTest::newRow("another master password") << QStringLiteral("other") << false;
}
void tst_UnlockDataFile::fileReplacedWhileTheBoxIsUp() {
    QFETCH(QString, newPassword);
    QFETCH(bool, newFileTaken);
    FakePlatform fake;
    const std::vector<Entry> before = manyEntries(30000, QStringLiteral("mine"));
    std::vector<Entry> after = before;
    after.push_back(Entry{QStringLiteral("theirs"), QStringLiteral("pw"), QStringLiteral("other.example")});
    const QByteArray oldFile = DataFileFormat::serialize(QStringLiteral("pass"), before);
    const QByteArray newFile = DataFileFormat::serialize(newPassword, after);
    writeBytes(fake.dataFile(), oldFile);
    const FileIdentity oldIdentity = FileIdentity::of(fake.dataFile());
    BackgroundRead reading(DataFile(fake.dataFile()));
    fake.dialogs.onShow = [&](const ShownBox &box) {
        if (box.title == LoginTitle)
            replaceFile(fake.dataFile(), newFile);
    };
    fake.dialogs.answerInput(QStringLiteral("pass"));
    const std::optional<UnlockedData> outcome = unlockDataFile(DataFile(fake.dataFile()), reading);
    QVERIFY(outcome);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(outcome->masterPassword, QStringLiteral("pass"));
    QVERIFY(entriesOf(*outcome) == (newFileTaken ? after : before));
    QCOMPARE(outcome->storedLines.size(), entriesOf(*outcome).size());
    QCOMPARE(outcome->status, QStringLiteral("Loaded %1 entries").arg(entriesOf(*outcome).size()));
    QCOMPARE(outcome->disk.identity(), newFileTaken ? FileIdentity::of(fake.dataFile()) : oldIdentity);
    QCOMPARE(readBytes(fake.dataFile()), newFile);
}

// Only the plain form with a master password is asked for before its entries are decoded; the other
// cases wait for the whole read, as before.
void tst_UnlockDataFile::whatTheBoxAsksIsToldByTheBytes() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), SavedFile);
    QVERIFY(BackgroundRead(DataFile(fake.dataFile())).holdsMasterPassword());
    writeBytes(fake.dataFile(), hexBytes("0D 0A") + SavedFile.mid(6));
    QVERIFY(!BackgroundRead(DataFile(fake.dataFile())).holdsMasterPassword());
    // A folder in the file's place cannot be read at all.
    QVERIFY(QFile::remove(fake.dataFile()));
    QVERIFY(QDir().mkpath(fake.dataFile()));
    BackgroundRead unreadable{DataFile(fake.dataFile())};
    QVERIFY(!unreadable.holdsMasterPassword());
    QCOMPARE(unreadable.take().state, LoadResult::State::CouldNotRead);
    // A missing file is made with its one empty line, as at every first start.
    const QString missing = QDir(fake.programFolder()).filePath(QStringLiteral("new.enc"));
    BackgroundRead made{DataFile(missing)};
    QVERIFY(!made.holdsMasterPassword());
    QCOMPARE(made.take().state, LoadResult::State::NeedsMasterPassword);
    QCOMPARE(readBytes(missing), QByteArray("\r\n"));
}

QTEST_GUILESS_MAIN(tst_UnlockDataFile)
#include "tst_unlockdatafile.moc"
