#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "DataLoader.h"
#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "ProtectedForm.h"
#include "SealedOutput.h"
#include "SmallDisk.h"

#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {
using State = LoadResult::State;

// "pass" as line 1; a short line ended by a lone CR, a skipped line, bob|||pw1|||x.org, and no last line
// end: a file no save writes, whose bytes protection must still keep.
const QByteArray OddFile = hexBytes("F0 E1 F3 F3 0D 0A"
                                    "E1 0D"
                                    "20 0D 0A"
                                    "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7");
const Entry Bob{QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org")};
const Entry Carol{QStringLiteral("carol"), QStringLiteral("Ünïcödé €"), QStringLiteral("https://c.example")};

std::shared_ptr<const FileKey> newKey(const QString &password = QStringLiteral("pass")) {
    return DataFileKey::forNewProtection(password, KdfCost::cheapest());
}

// Reads the protected file and opens it with a key derived anew from password, as a start does.
LoadResult openWith(const DataFile &file, const QString &password) {
    LoadResult read = DataLoader::readExisting(file);
    if (read.state != State::Protected)
        return read;
    auto key = DataFileKey::derive(password, read.header.cost, read.header.salt, read.header.version);
    if (!key || !DataLoader::unseal(read, key))
        read.reason = QStringLiteral("wrong password");
    return read;
}

} // namespace

class tst_ProtectedDataFile : public QObject {
    Q_OBJECT

private slots:
    void protectThenRemoveGivesTheVeryBytesBack();
    void aChangeInBetweenIsKept();
    void newMasterPasswordReplacesLineOneOnly();
    void wrongPasswordLeavesTheResultAsItWas();
    void damagedFilesAreToldAndKeptAsTheyAre();
    void readAgainWithThisRunsKey();
    void failedSaveLeavesTheProtectedFile_data();
    void failedSaveLeavesTheProtectedFile();
    void aSaveKeepsTheFormatVersion();
    void aFullDiskLeavesTheProtectedFile();
    void sealedOutputTakesExactlyItsSize();
    void aSaveKnowsTheFileItWrote();
    void passwordOutsideTheCodePageMakesNoKey();
};

void tst_ProtectedDataFile::protectThenRemoveGivesTheVeryBytesBack() {
    FakePlatform fake;
    writeBytes(fake.dataFile(), OddFile);
    const DataFile file(fake.dataFile());
    const LoadResult plain = DataLoader::readExisting(file);
    QCOMPARE(plain.plain, OddFile);
    QVERIFY(!plain.key);
    QVERIFY(file.writePlain(plain.plain, newKey().get()));
    const QByteArray sealed = readBytes(fake.dataFile());
    QVERIFY(sealed.startsWith(ProtectedForm::Signature.toByteArray()));
    QVERIFY(!sealed.contains(OddFile.mid(19)));

    LoadResult opened = openWith(file, QStringLiteral("pass"));
    QCOMPARE(opened.state, State::HasMasterPassword);
    QVERIFY(opened.key);
    QCOMPARE(opened.masterPassword, QStringLiteral("pass"));
    QCOMPARE(opened.entries.size(), size_t(2));
    QCOMPARE(opened.entries[1], Bob);
    QCOMPARE(opened.plain, OddFile);
    QCOMPARE(opened.disk.identity(), FileIdentity::of(fake.dataFile()));

    QVERIFY(file.writePlain(opened.plain, nullptr));
    QCOMPARE(readBytes(fake.dataFile()), OddFile);
    QCOMPARE(accessRights(fake.dataFile()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void tst_ProtectedDataFile::aChangeInBetweenIsKept() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const auto key = newKey();
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob}, nullptr, key.get()));
    const QByteArray first = readBytes(fake.dataFile());
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob, Carol}, nullptr, key.get()));
    const QByteArray second = readBytes(fake.dataFile());
    // The key stays for the run (the same salt); the nonce is new at every save.
    QCOMPARE(second.mid(ProtectedForm::Signature.size() + 12, 16), first.mid(ProtectedForm::Signature.size() + 12, 16));
    QVERIFY(second.mid(ProtectedForm::Signature.size() + 28, 24) !=
            first.mid(ProtectedForm::Signature.size() + 28, 24));

    LoadResult opened = openWith(file, QStringLiteral("pass"));
    QCOMPARE(opened.state, State::HasMasterPassword);
    QVERIFY(file.writePlain(opened.plain, nullptr));
    QCOMPARE(readBytes(fake.dataFile()),
             DataFileFormat::serialize(QStringLiteral("pass"), std::vector<Entry>{Bob, Carol}));
}

void tst_ProtectedDataFile::newMasterPasswordReplacesLineOneOnly() {
    QCOMPARE(DataFileFormat::withMasterLine(OddFile, QStringLiteral("word")),
             hexBytes("F7 EF F2 E4 0D 0A") + OddFile.mid(6));
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    QVERIFY(file.writePlain(OddFile, newKey().get()));
    LoadResult opened = openWith(file, QStringLiteral("pass"));
    QVERIFY(file.writePlain(DataFileFormat::withMasterLine(opened.plain, QStringLiteral("word")),
                            newKey(QStringLiteral("word")).get()));
    QCOMPARE(openWith(file, QStringLiteral("pass")).reason, QStringLiteral("wrong password"));
    LoadResult again = openWith(file, QStringLiteral("word"));
    QCOMPARE(again.state, State::HasMasterPassword);
    QCOMPARE(again.masterPassword, QStringLiteral("word"));
    QCOMPARE(again.plain, hexBytes("F7 EF F2 E4 0D 0A") + OddFile.mid(6));
}

void tst_ProtectedDataFile::wrongPasswordLeavesTheResultAsItWas() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    QVERIFY(file.writePlain(OddFile, newKey().get()));
    LoadResult read = DataLoader::readExisting(file);
    QCOMPARE(read.state, State::Protected);
    QVERIFY(read.entries.empty());
    QVERIFY(read.masterPassword.isEmpty());
    const auto wrong =
        DataFileKey::derive(QStringLiteral("Pass"), read.header.cost, read.header.salt, read.header.version);
    QVERIFY(!DataLoader::unseal(read, wrong));
    QCOMPARE(read.state, State::Protected);
    const auto right =
        DataFileKey::derive(QStringLiteral("pass"), read.header.cost, read.header.salt, read.header.version);
    QVERIFY(DataLoader::unseal(read, right));
    QCOMPARE(read.state, State::HasMasterPassword);
}

void tst_ProtectedDataFile::damagedFilesAreToldAndKeptAsTheyAre() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    QVERIFY(file.writePlain(OddFile, newKey().get()));
    const QByteArray sealed = readBytes(fake.dataFile());

    writeBytes(fake.dataFile(), sealed.first(sealed.size() - 5));
    LoadResult cut = openWith(file, QStringLiteral("pass"));
    QCOMPARE(cut.state, State::Damaged);
    QCOMPARE(cut.reason, QStringLiteral("it is cut short: 5 bytes are missing"));

    writeBytes(fake.dataFile(), sealed.first(40));
    LoadResult header = DataLoader::readExisting(file);
    QCOMPARE(header.state, State::Damaged);
    QCOMPARE(header.reason, QStringLiteral("it ends inside its header, after 40 of 123 bytes"));

    QByteArray changed = sealed;
    changed[changed.size() - 20] = char(changed[changed.size() - 20] ^ 0x10);
    writeBytes(fake.dataFile(), changed);
    QCOMPARE(openWith(file, QStringLiteral("pass")).reason,
             QStringLiteral("its contents do not match their check: bytes were changed"));
    QCOMPARE(readBytes(fake.dataFile()), changed);
}

void tst_ProtectedDataFile::readAgainWithThisRunsKey() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const auto key = newKey();
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob}, nullptr, key.get()));
    const LoadResult again = DataLoader::readExisting(file, key);
    QCOMPARE(again.state, State::HasMasterPassword);
    QCOMPARE(again.entries, std::vector<Entry>{Bob});
    QCOMPARE(again.key, key);
    // Protected anew elsewhere (another salt): this run's key no longer belongs to it.
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob}, nullptr, newKey().get()));
    QCOMPARE(DataLoader::readExisting(file, key).state, State::Protected);
    // Protection removed elsewhere: the plain file reads as plain.
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob, Carol}));
    const LoadResult plain = DataLoader::readExisting(file, key);
    QCOMPARE(plain.state, State::HasMasterPassword);
    QVERIFY(!plain.key);
    QCOMPARE(plain.entries.size(), size_t(2));
}

void tst_ProtectedDataFile::failedSaveLeavesTheProtectedFile_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<qint64>("room"); // bytes the disk takes before it fails; below 0: all but that many
    QTest::addColumn<bool>("shortWrite");
    QTest::addColumn<int>("entries");
    QTest::newRow("version 1, in the header") << 1 << qint64(100) << false << 2;
    QTest::newRow("version 2, in the header") << 2 << qint64(100) << false << 2;
    QTest::newRow("version 2, in the third piece") << 2 << qint64(600000) << false << 40000;
    QTest::newRow("version 2, a short write in the third piece") << 2 << qint64(600000) << true << 40000;
    QTest::newRow("version 2, a short write in the last piece") << 2 << qint64(-20) << true << 40000;
}

void tst_ProtectedDataFile::failedSaveLeavesTheProtectedFile() {
    QFETCH(int, version);
    QFETCH(qint64, room);
    QFETCH(bool, shortWrite);
    QFETCH(int, entries);
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const auto key = DataFileKey::forNewProtection(QStringLiteral("pass"), KdfCost::cheapest(), std::uint8_t(version));
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob}, nullptr, key.get()));
    const QByteArray before = readBytes(fake.dataFile());
    const std::vector<Entry> many(std::size_t(entries), Carol);
    const qint64 plainSize = DataFileFormat::serialize(QStringLiteral("pass"), many).size();
    const qint64 pieces = (plainSize + qint64(ProtectedForm::PieceSize) - 1) / qint64(ProtectedForm::PieceSize);
    const qint64 fileSize = 123 + plainSize + (version == 1 ? 16 : pieces * 17);
    if (room < 0)
        room += fileSize;
    QVERIFY(fileSize > room);
    DataFile::setSaveFileFactory([=](const QString &path) {
        return std::make_unique<FailingSaveFile>(
            path, room, shortWrite ? FailingSaveFile::Mode::ShortWrite : FailingSaveFile::Mode::Error);
    });
    const FileResult saved = file.saveLines(QStringLiteral("pass"), many, nullptr, key.get());
    DataFile::setSaveFileFactory({});
    QVERIFY(!saved);
    QVERIFY(!saved.reason().isEmpty());
    QCOMPARE(readBytes(fake.dataFile()), before);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_ProtectedDataFile::aSaveKeepsTheFormatVersion() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const auto firstKey =
        DataFileKey::forNewProtection(QStringLiteral("pass"), KdfCost::cheapest(), ProtectedForm::OnePieceVersion);
    writeBytes(fake.dataFile(), ProtectedForm::seal(OddFile, *firstKey, ProtectedForm::newNonce()));
    // A start reads the file, derives its key, and saves: the file stays in version 1.
    LoadResult read = openWith(file, QStringLiteral("pass"));
    QCOMPARE(read.state, State::HasMasterPassword);
    QVERIFY(file.saveLines(read.masterPassword, std::vector<Entry>{Bob, Carol}, nullptr, read.key.get()));
    QByteArray saved = readBytes(fake.dataFile());
    QCOMPARE(saved[31], char(1));
    QCOMPARE(saved.size(),
             123 + DataFileFormat::serialize(QStringLiteral("pass"), std::vector<Entry>{Bob, Carol}).size() + 16);
    QVERIFY(file.writePlain(OddFile, read.key.get()));
    QCOMPARE(readBytes(fake.dataFile())[31], char(1));
    QCOMPARE(openWith(file, QStringLiteral("pass")).plain, OddFile);

    // Protection given anew writes version 2, and its saves keep it.
    QVERIFY(file.writePlain(OddFile, newKey().get()));
    read = openWith(file, QStringLiteral("pass"));
    QCOMPARE(read.state, State::HasMasterPassword);
    QVERIFY(file.saveLines(read.masterPassword, std::vector<Entry>{Bob}, nullptr, read.key.get()));
    saved = readBytes(fake.dataFile());
    QCOMPARE(saved[31], char(2));
    QCOMPARE(openWith(file, QStringLiteral("pass")).plain,
             DataFileFormat::serialize(QStringLiteral("pass"), std::vector<Entry>{Bob}));
}

void tst_ProtectedDataFile::aFullDiskLeavesTheProtectedFile() {
    FakePlatform fake;
    SmallDisk disk(fake.programFolder(), 2048);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    const DataFile file(fake.dataFile());
    const auto key = newKey();
    QVERIFY(file.saveLines(QStringLiteral("pass"), std::vector<Entry>{Bob}, nullptr, key.get()));
    const QByteArray before = readBytes(fake.dataFile());
    QVERIFY(disk.fill(QStringLiteral("filler")));
    const FileResult saved =
        file.saveLines(QStringLiteral("pass"), std::vector<Entry>(40000, Carol), nullptr, key.get());
    QVERIFY(!saved);
    QCOMPARE(saved.reason(), QStringLiteral("No space left on device"));
    QCOMPARE(readBytes(fake.dataFile()), before);
    QCOMPARE(folderEntries(fake.programFolder()), (QStringList{QStringLiteral("data.enc"), QStringLiteral("filler")}));
}

// The sealing pipeline on its own, with small pieces so that its slots are used many times over.
void tst_ProtectedDataFile::sealedOutputTakesExactlyItsSize() {
    constexpr std::size_t Small = 64;
    const auto key = newKey();
    QByteArray plain;
    for (int i = 0; plain.size() < 1000; ++i)
        plain += QByteArray::number(i * 7919) + "|";
    for (const qsizetype step : {qsizetype(1), qsizetype(63), qsizetype(64), qsizetype(200), plain.size()}) {
        QByteArray out;
        {
            BufferedWriter file([&out](QByteArrayView block) {
                out += block;
                return true;
            });
            SealedOutput sealed(file, *key, std::uint64_t(plain.size()), Small);
            for (qsizetype at = 0; at < plain.size(); at += step)
                QVERIFY(sealed.write(QByteArrayView(plain).sliced(at, std::min(step, plain.size() - at))));
            QVERIFY(sealed.finish());
            QVERIFY(file.flush());
        }
        QCOMPARE(ProtectedForm::open(out, *key, Small).plain, plain);
    }
    // Fewer bytes than the size given, or more: never a whole file.
    BufferedWriter discard([](QByteArrayView) { return true; });
    SealedOutput fewer(discard, *key, 100, Small);
    QVERIFY(fewer.write(plain.first(99)));
    QVERIFY(!fewer.finish());
    SealedOutput more(discard, *key, 100, Small);
    QVERIFY(!more.write(plain.first(101)));
    QVERIFY(!more.finish());
}

// A later look at the file tells a file written again from one another program changed by what the
// save noted: the file's identity and the digest of the very bytes on disk, for a list of many blocks.
void tst_ProtectedDataFile::aSaveKnowsTheFileItWrote() {
    FakePlatform fake;
    const DataFile file(fake.dataFile());
    const auto key = newKey();
    const std::vector<Entry> many(40000, Carol);
    DiskState written;
    QVERIFY(file.saveLines(QStringLiteral("pass"), many, &written, key.get()));
    QVERIFY(written.isKnown());
    QCOMPARE(written.identity(), FileIdentity::of(fake.dataFile()));
    const ProtectedForm::Opened opened = ProtectedForm::open(readBytes(fake.dataFile()), *key);
    QCOMPARE(opened.outcome, ProtectedForm::Opened::Outcome::Plain);
    QCOMPARE(opened.plain, DataFileFormat::serialize(QStringLiteral("pass"), many));

    DiskState rewritten;
    QVERIFY(file.writePlain(OddFile, key.get(), &rewritten));
    QCOMPARE(rewritten.identity(), FileIdentity::of(fake.dataFile()));
    QCOMPARE(ProtectedForm::open(readBytes(fake.dataFile()), *key).plain, OddFile);
}

void tst_ProtectedDataFile::passwordOutsideTheCodePageMakesNoKey() {
    QVERIFY(!DataFileKey::forNewProtection(QStringLiteral("pāss"), KdfCost::cheapest()));
    QVERIFY(DataFileKey::forNewProtection(QStringLiteral("päss€"), KdfCost::cheapest()));
}

QTEST_GUILESS_MAIN(tst_ProtectedDataFile)
#include "tst_protecteddatafile.moc"
