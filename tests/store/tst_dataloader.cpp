#include "DataFileFormat.h"
#include "DataLoader.h"
#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {
// "pass" as line 1, then bob|||pw1|||x.org and the empty last line of a save.
const QByteArray SavedFile = hexBytes("F0 E1 F3 F3 0D 0A"
                                      "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                      "0D 0A");
const Entry Bob{QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org")};
using State = LoadResult::State;
} // namespace

class tst_DataLoader : public QObject {
    Q_OBJECT

private slots:
    void missingFileIsMadeForTheFirstStart();
    void fileWithoutPassword_data();
    void fileWithoutPassword();
    void entryLinesUnderAnEmptyFirstLineAreKept();
    void fileWithPassword_data();
    void fileWithPassword();
    void folderInTheFilesPlace_data();
    void folderInTheFilesPlace();
    void fileWithoutReadRights();
    void missingFileInAFolderThatCannotBeWritten();
    void bytesReadAsTheFileIs();
    void loadedLinesAreKeptForTheFirstSave_data();
    void loadedLinesAreKeptForTheFirstSave();
    void linesAloneAreTheLinesOfAFullRead_data() { loadedLinesAreKeptForTheFirstSave_data(); }
    void linesAloneAreTheLinesOfAFullRead();
    void heldLinesAreNotDecoded_data() { loadedLinesAreKeptForTheFirstSave_data(); }
    void heldLinesAreNotDecoded();
    void aFileReadAgainKeepsNoneOfItsBytesForAFewNewLines();

    void newMasterPasswordKeepsTheEntryLines_data();
    void newMasterPasswordKeepsTheEntryLines();
    void newMasterPasswordThatCannotBeWritten();
};

void tst_DataLoader::missingFileIsMadeForTheFirstStart() {
    FakePlatform fake;
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QCOMPARE(result.state, State::NeedsMasterPassword);
    QVERIFY(result.entries.empty());
    QVERIFY(result.entryLinesToKeep.isEmpty());
    // The file holds its one empty line, for its owner only.
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    QCOMPARE(accessRights(fake.dataFile()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void tst_DataLoader::fileWithoutPassword_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("one empty line") << QByteArray("\r\n");
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n \r\n");
    QTest::newRow("a lone CR") << QByteArray("\r");
}

void tst_DataLoader::fileWithoutPassword() {
    QFETCH(QByteArray, bytes);
    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QCOMPARE(result.state, State::NeedsMasterPassword);
    QVERIFY(result.masterPassword.isEmpty());
    QVERIFY(result.entries.empty());
    // Lines without an entry are not kept under a new password line.
    QVERIFY(result.entryLinesToKeep.isEmpty());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

void tst_DataLoader::entryLinesUnderAnEmptyFirstLineAreKept() {
    FakePlatform fake;
    const QByteArray entryLines = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                           "0D 0A"
                                           "E1 0D"            // a short line ended by a lone CR
                                           "E3 FC FC FC E4"); // no line end at all
    writeBytes(fake.dataFile(), QByteArray("\r\n") + entryLines);
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QCOMPARE(result.state, State::NeedsMasterPassword);
    QCOMPARE(result.entries.size(), size_t(3));
    QCOMPARE(result.entries[0], Bob);
    QCOMPARE(result.entries[1], (Entry{QStringLiteral("a"), {}, {}}));
    QCOMPARE(result.entries[2], (Entry{QStringLiteral("c"), QStringLiteral("d"), {}}));
    // Every byte of the entry lines, for the new password line to keep.
    QCOMPARE(result.entryLinesToKeep, entryLines);
}

void tst_DataLoader::fileWithPassword_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("masterPassword");
    QTest::addColumn<std::vector<Entry>>("entries");
    QTest::newRow("a saved file") << SavedFile << QStringLiteral("pass") << std::vector<Entry>{Bob};
    QTest::newRow("the password line only")
        << hexBytes("F0 E1 F3 F3 0D 0A") << QStringLiteral("pass") << std::vector<Entry>{};
    QTest::newRow("skipped lines between entries")
        << hexBytes("F0 E1 F3 F3 0D 0A"
                    "0D 0A 20 0D 0A"
                    "E1 FC FC FC E2 FC FC FC E3 0D 0A"
                    "20 0D 0A"
                    "E4 FC FC FC E5 FC FC FC E6 0D 0A"
                    "0D 0A")
        << QStringLiteral("pass")
        << std::vector<Entry>{{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                              {QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f")}};
    QTest::newRow("question marks stored")
        << hexBytes("BF BF BF BF 0D 0A 0D 0A") << QStringLiteral("????") << std::vector<Entry>{};
}

void tst_DataLoader::fileWithPassword() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, masterPassword);
    QFETCH(std::vector<Entry>, entries);
    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QCOMPARE(result.state, State::HasMasterPassword);
    QCOMPARE(result.masterPassword, masterPassword);
    QCOMPARE(result.entries, entries);
    QVERIFY(result.entryLinesToKeep.isEmpty());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

void tst_DataLoader::folderInTheFilesPlace_data() {
    QTest::addColumn<bool>("withContent");
    QTest::newRow("an empty folder") << false;
    QTest::newRow("a folder with files") << true;
}

void tst_DataLoader::folderInTheFilesPlace() {
    QFETCH(bool, withContent);
    FakePlatform fake;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    if (withContent)
        writeBytes(QDir(fake.dataFile()).filePath(QStringLiteral("x")), "x");
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QCOMPARE(result.state, State::CouldNotRead);
    QCOMPARE(result.reason, QStringLiteral("It is a folder, not a file."));
    // Nothing was written.
    QVERIFY(QFileInfo(fake.dataFile()).isDir());
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
    QCOMPARE(folderEntries(fake.dataFile()).size(), withContent ? 1 : 0);
}

void tst_DataLoader::fileWithoutReadRights() {
    if (!folderPermissionsApply())
        QSKIP("File rights do not bind this process (it runs as the super-user); a folder in the file's place "
              "tests an unreadable file instead.");
    FakePlatform fake;
    writeBytes(fake.dataFile(), SavedFile);
    QVERIFY(QFile::setPermissions(fake.dataFile(), QFileDevice::WriteOwner));
    const LoadResult result = DataLoader::read(DataFile(fake.dataFile()));
    QFile::setPermissions(fake.dataFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QCOMPARE(result.state, State::CouldNotRead);
    QVERIFY(result.reason.contains(QStringLiteral("ermission")));
    QVERIFY(result.masterPassword.isEmpty());
    QCOMPARE(readBytes(fake.dataFile()), SavedFile);
}

void tst_DataLoader::missingFileInAFolderThatCannotBeWritten() {
    // A folder that is gone stands for one without write rights, which bind no super-user.
    FakePlatform fake;
    const QString path = QDir(fake.programFolder()).filePath(QStringLiteral("gone/data.enc"));
    const LoadResult result = DataLoader::read(DataFile(path));
    QCOMPARE(result.state, State::CouldNotCreate);
    QCOMPARE(result.reason, QStringLiteral("No such file or directory"));
}

void tst_DataLoader::bytesReadAsTheFileIs() {
    // varnook-cli reads the bytes itself and hands them over; the outcome is the file's.
    const LoadResult withPassword = DataLoader::fromBytes(SavedFile);
    QCOMPARE(withPassword.state, State::HasMasterPassword);
    QCOMPARE(withPassword.masterPassword, QStringLiteral("pass"));
    QCOMPARE(withPassword.entries, std::vector<Entry>{Bob});
    const LoadResult without = DataLoader::fromBytes(QByteArray("\r\n") + SavedFile.sliced(6));
    QCOMPARE(without.state, State::NeedsMasterPassword);
    QCOMPARE(without.entries, std::vector<Entry>{Bob});
    QCOMPARE(without.entryLinesToKeep, SavedFile.sliced(6));
}

void tst_DataLoader::newMasterPasswordKeepsTheEntryLines_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("no file") << QByteArray() << hexBytes("F0 E1 F3 F3 0D 0A");
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n \r\n") << hexBytes("F0 E1 F3 F3 0D 0A");
    const QByteArray entryLines = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                           "E1 0D"
                                           "E3 FC FC FC E4");
    QTest::newRow("entry lines") << QByteArray("\r\n") + entryLines << hexBytes("F0 E1 F3 F3 0D 0A") + entryLines;
}

void tst_DataLoader::newMasterPasswordKeepsTheEntryLines() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    FakePlatform fake;
    if (!before.isEmpty())
        writeBytes(fake.dataFile(), before);
    const DataFile file(fake.dataFile());
    const LoadResult read = DataLoader::read(file);
    QCOMPARE(read.state, State::NeedsMasterPassword);
    const FileResult written = file.writeNewMasterPassword(QStringLiteral("pass"), read.entryLinesToKeep);
    QVERIFY(written.ok());
    QCOMPARE(readBytes(fake.dataFile()), after);
    QCOMPARE(accessRights(fake.dataFile()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Read again, the file opens with the new password and the same entries.
    const LoadResult again = DataLoader::read(file);
    QCOMPARE(again.state, State::HasMasterPassword);
    QCOMPARE(again.masterPassword, QStringLiteral("pass"));
    QCOMPARE(again.entries, read.entries);
}

void tst_DataLoader::newMasterPasswordThatCannotBeWritten() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), "\r\n");
    DataFile::setSaveFileFactory([](const QString &path) { return std::make_unique<FailingSaveFile>(path, 2); });
    const FileResult written = DataFile(fake.dataFile()).writeNewMasterPassword(QStringLiteral("pass"), {});
    QVERIFY(!written.ok());
    QCOMPARE(written.reason(), QStringLiteral("No space left on device"));
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataLoader::loadedLinesAreKeptForTheFirstSave_data() {
    // The lines after "pass", and the stored line each entry gets: the very bytes read where they
    // end with CR LF (shared), else the line read with CR LF (own bytes).
    QTest::addColumn<QByteArray>("entryLines");
    QTest::addColumn<QList<QByteArray>>("storedLines");
    QTest::addColumn<QList<bool>>("shared");
    const QByteArray bob = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7");
    QTest::newRow("saved lines") << bob + "\r\n" + bob + "\r\n\r\n"
                                 << QList<QByteArray>{bob + "\r\n", bob + "\r\n"} << QList<bool>{true, true};
    QTest::newRow("every byte but CR, a lone LF among them")
        << hexBytes("00 0A 7F 80 FC FC FC 81 FF FC FC FC 0C 0D 0A")
        << QList<QByteArray>{hexBytes("00 0A 7F 80 FC FC FC 81 FF FC FC FC 0C 0D 0A")} << QList<bool>{true};
    QTest::newRow("extra separators read back as written")
        << hexBytes("E1 FC FC FC E2 FC FC FC E3 FC FC FC E4 0D 0A")
        << QList<QByteArray>{hexBytes("E1 FC FC FC E2 FC FC FC E3 FC FC FC E4 0D 0A")} << QList<bool>{true};
    QTest::newRow("short lines are kept as they are")
        << hexBytes("E1 FC FC FC E2 0D 0A E1 0D 0A")
        << QList<QByteArray>{hexBytes("E1 FC FC FC E2 0D 0A"), hexBytes("E1 0D 0A")} << QList<bool>{true, true};
    // "ivan|||pw|" and "pw": encoded again, the first would read as password "pw" and location "|".
    QTest::newRow("short lines ending in bars")
        << hexBytes("E9 F6 E1 EE FC FC FC F0 F7 FC 0D 0A F0 F7 FC FC")
        << QList<QByteArray>{hexBytes("E9 F6 E1 EE FC FC FC F0 F7 FC 0D 0A"), hexBytes("F0 F7 FC FC 0D 0A")}
        << QList<bool>{true, false};
    QTest::newRow("a lone CR and a missing line end become CR LF")
        << bob + "\r" + bob << QList<QByteArray>{bob + "\r\n", bob + "\r\n"} << QList<bool>{false, false};
    QTest::newRow("skipped lines have none") << QByteArray(" \r\n\r\n") + bob + "\r\n \r\n"
                                             << QList<QByteArray>{bob + "\r\n"} << QList<bool>{true};
}

void tst_DataLoader::loadedLinesAreKeptForTheFirstSave() {
    QFETCH(QByteArray, entryLines);
    QFETCH(QList<QByteArray>, storedLines);
    QFETCH(QList<bool>, shared);
    const QByteArray bytes = hexBytes("F0 E1 F3 F3 0D 0A") + entryLines;
    const LoadResult result = DataLoader::fromBytes(bytes);
    QCOMPARE(result.state, State::HasMasterPassword);
    QCOMPARE(result.storedLines.size(), result.entries.size());
    QCOMPARE(qsizetype(result.storedLines.size()), storedLines.size());
    for (size_t i = 0; i < result.storedLines.size(); ++i) {
        const QByteArrayView line = result.storedLines[i].bytes();
        QCOMPARE(line.toByteArray(), storedLines[qsizetype(i)]);
        const bool inBytesRead = line.data() >= bytes.constData() && line.data() < bytes.constData() + bytes.size();
        QCOMPARE(inBytesRead, shared[qsizetype(i)]);
    }

    // The first save with the kept lines writes what a save of the entries writes.
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const EntryLines kept(qsizetype(result.storedLines.size()),
                          [&](qsizetype i) { return result.storedLines[size_t(i)].bytes(); });
    QVERIFY(file.saveLines(result.masterPassword, kept).ok());
    const QByteArray saved = readBytes(fake.dataFile());
    QCOMPARE(saved, hexBytes("F0 E1 F3 F3 0D 0A") + storedLines.join() + "\r\n");
    // Each entry reads back from the saved file as it read before.
    const LoadResult again = DataLoader::fromBytes(saved);
    QCOMPARE(again.masterPassword, result.masterPassword);
    QCOMPARE(again.entries, result.entries);
}

void tst_DataLoader::linesAloneAreTheLinesOfAFullRead() {
    // The start's read keeps the lines without decoding them: the same bytes, shared with the
    // file read where a full read shares them, and no entries.
    QFETCH(QByteArray, entryLines);
    QFETCH(QList<QByteArray>, storedLines);
    QFETCH(QList<bool>, shared);
    FakePlatform fake;
    writeBytes(fake.dataFile(), hexBytes("F0 E1 F3 F3 0D 0A") + entryLines);
    const LoadResult lines = DataLoader::read(DataFile(fake.dataFile()), {}, DataLoader::Decoding::LinesOnly);
    QCOMPARE(lines.state, State::HasMasterPassword);
    QCOMPARE(lines.masterPassword, QStringLiteral("pass"));
    QVERIFY(lines.entries.empty());
    QCOMPARE(qsizetype(lines.storedLines.size()), storedLines.size());
    for (size_t i = 0; i < lines.storedLines.size(); ++i) {
        const QByteArrayView line = lines.storedLines[i].bytes();
        QCOMPARE(line.toByteArray(), storedLines[qsizetype(i)]);
        const bool inBytesRead =
            line.data() >= lines.plain.constData() && line.data() < lines.plain.constData() + lines.plain.size();
        QCOMPARE(inBytesRead, shared[qsizetype(i)]);
    }
}

void tst_DataLoader::heldLinesAreNotDecoded() {
    // A file read again whose caller holds every other line's entry already: it is asked about
    // each stored line in order, as the line is stored, and only the lines it does not hold are
    // decoded and kept, in order, with the very bytes a full read keeps for them.
    QFETCH(QByteArray, entryLines);
    QFETCH(QList<QByteArray>, storedLines);
    const QByteArray bytes = hexBytes("F0 E1 F3 F3 0D 0A") + entryLines;
    const LoadResult plain = DataLoader::fromBytes(bytes);
    QList<QByteArray> asked;
    const LoadResult again = DataLoader::fromBytes(bytes, [&asked](QByteArrayView storedLine) {
        asked << storedLine.toByteArray();
        return asked.size() % 2 == 1;
    });
    QCOMPARE(asked, storedLines);
    QCOMPARE(again.state, State::HasMasterPassword);
    QCOMPARE(again.masterPassword, plain.masterPassword);
    QCOMPARE(again.entries.size(), plain.entries.size() / 2);
    QCOMPARE(again.storedLines.size(), again.entries.size());
    for (size_t i = 0; i < again.entries.size(); ++i) {
        QCOMPARE(again.storedLines[i].bytes(), plain.storedLines[2 * i + 1].bytes());
        QCOMPARE(again.entries[i], plain.entries[2 * i + 1]);
    }
}

void tst_DataLoader::aFileReadAgainKeepsNoneOfItsBytesForAFewNewLines() {
    // Forty lines held, one new: the new line's bytes are its own, so the file read does not stay
    // in memory behind the one line (every read of a synced file would keep another copy).
    QByteArray bytes = hexBytes("F0 E1 F3 F3 0D 0A");
    for (int i = 0; i < 40; ++i)
        bytes += DataFileFormat::storedLine({QStringLiteral("user%1").arg(i), QStringLiteral("pw"), QString()});
    const QByteArray added = DataFileFormat::storedLine({QStringLiteral("new"), QStringLiteral("pw"), QString()});
    bytes += added;
    int asked = 0;
    LoadResult again = DataLoader::fromBytes(bytes, [&asked](QByteArrayView) { return ++asked <= 40; });
    QCOMPARE(asked, 41);
    QCOMPARE(again.entries, (std::vector<Entry>{{QStringLiteral("new"), QStringLiteral("pw"), QString()}}));
    QCOMPARE(again.storedLines.size(), size_t(1));
    QCOMPARE(again.storedLines[0].bytes(), QByteArrayView(added));
    const char *const line = again.storedLines[0].bytes().data();
    QVERIFY(line < bytes.constData() || line >= bytes.constData() + bytes.size());
}

QTEST_GUILESS_MAIN(tst_DataLoader)
#include "tst_dataloader.moc"
