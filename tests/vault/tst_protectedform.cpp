#include "FileKey.h"
#include "ProtectedForm.h"

#include <QTest>
#include <QtEndian>

#include <chrono>

#include <sodium.h>

using namespace varnook;

namespace {

using Outcome = ProtectedForm::Opened::Outcome;

// "hunter22" as line 1, then bob|||pw1|||x.org and the last line end of a save: the plain form.
const QByteArray PlainFile = QByteArray::fromHex("E8F5EEF4E5F2B2B20D0A"
                                                 "E2EFE2FCFCFCF0F7B1FCFCFCF8AEEFF2E70D0A"
                                                 "0D0A");
const QByteArray Password("hunter22");

FileKey::Salt countingSalt() {
    FileKey::Salt salt{};
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = uchar(i);
    return salt;
}

ProtectedForm::Nonce countingNonce() {
    ProtectedForm::Nonce nonce{};
    for (std::size_t i = 0; i < nonce.size(); ++i)
        nonce[i] = uchar(0xA0 + i);
    return nonce;
}

FileKey keyOf(const QByteArray &password, FileKey::Salt salt = countingSalt(), KdfCost cost = KdfCost::cheapest()) {
    std::optional<FileKey> key = FileKey::derive(password, cost, salt, ProtectedForm::NewestVersion);
    if (!key)
        qFatal("no key");
    return std::move(*key);
}

// The bytes of PlainFile protected under "hunter22" at the cheapest cost with countingSalt and countingNonce.
const char *const KnownSealed = "80805661726e6f6f6b2070726f74656374656420646174612066696c650d0a" // signature line
                                "01020100"                         // version, Argon2id, XChaCha20-Poly1305, reserved
                                "01000000"                         // passes: 1
                                "08000000"                         // memory: 8 KiB
                                "000102030405060708090a0b0c0d0e0f" // salt
                                "a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3b4b5b6b7" // nonce
                                "1f00000000000000"                                 // plain form size: 31
                                "2691da77b7b9e897a8e483945da540d2f706d39d51b55a63c363aa53f82c9b0a" // header check
                                "98b287bad4b2b446b9a1ce95e60a8cd63ec5262060d1812d37021a7b25f642" // encrypted plain form
                                "389a283f89d2ccfef58b9adaf42ae98d";                              // tag

constexpr qsizetype BodyStart = ProtectedForm::Signature.size() + ProtectedForm::HeaderSize;

// PlainFile sealed in pieces under "hunter22" at the cheapest cost with countingSalt, once: the
// stream's header is random, so no later seal gives these bytes, but they must always open.
const char *const KnownPieces = "80805661726e6f6f6b2070726f74656374656420646174612066696c650d0a" // signature line
                                "02020200"                         // version 2, Argon2id, secretstream, reserved
                                "01000000"                         // passes: 1
                                "08000000"                         // memory: 8 KiB
                                "000102030405060708090a0b0c0d0e0f" // salt
                                "92284cbecbc7df97fd7c1bdc754c9b53c0c27f588ff02451" // secretstream header
                                "1f00000000000000"                                 // plain form size: 31
                                "01624fc40d63e7a3b77b03975439fffc47a070dd831c67c4ed5e27e062e77e7c" // header check
                                "eed781fbcad41b7833b5e4fc4bf445c1e6259eb14fdf562ae28cf22f96c1afcd" // the one piece:
                                "c1b0654a7a67c6fa3f9522acc2e96829";                                // 31 bytes + 17

// A small piece size for files of several pieces whose every byte a test changes.
constexpr std::size_t SmallPieces = 64;

// A version 2 file of plain pieces, each pushed with its tag as given, the first with the
// signature line and header as additional data: what a faulty or hostile writer with the key could make.
QByteArray pushedPieces(const FileKey &key, const QList<QByteArray> &pieces, const QList<uchar> &tags) {
    ProtectedForm::Header header;
    header.version = ProtectedForm::PiecesVersion;
    header.cost = key.cost();
    header.salt = key.salt();
    for (const QByteArray &piece : pieces)
        header.bodySize += std::uint64_t(piece.size());
    crypto_secretstream_xchacha20poly1305_state state;
    crypto_secretstream_xchacha20poly1305_init_push(&state, header.nonce.data(), key.bodyKey());
    QByteArray file = ProtectedForm::fileStart(header, key);
    const QByteArray start = file;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QByteArray sealed(pieces[i].size() + qsizetype(ProtectedForm::PieceTagSize), '\0');
        crypto_secretstream_xchacha20poly1305_push(
            &state, reinterpret_cast<uchar *>(sealed.data()), nullptr,
            reinterpret_cast<const uchar *>(pieces[i].constData()), std::size_t(pieces[i].size()),
            i == 0 ? reinterpret_cast<const uchar *>(start.constData()) : nullptr,
            i == 0 ? std::size_t(start.size()) : 0, tags[i]);
        file += sealed;
    }
    return file;
}

QByteArray countingBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

} // namespace

class tst_ProtectedForm : public QObject {
    Q_OBJECT

private slots:
    void fixedSaltAndNonceGiveKnownBytes();
    void theFormatDocumentsWayOpensIt();
    void sealThenOpenGivesThePlainFormBack();
    void everySealHasItsOwnNonce();
    void headerReadsWithoutAnyKey();
    void wrongPasswordIsToldByTheHeader();
    void everyChangedByteIsRefused();
    void everyCutIsRefused();
    void hostileCostIsRefusedBeforeAnyWork_data();
    void hostileCostIsRefusedBeforeAnyWork();
    void laterFormatVersionIsNamed();
    void keyTimesItsOwnDerivation();
    void piecesRoundTripIsByteExact_data();
    void piecesRoundTripIsByteExact();
    void theKnownPiecesFileOpensAsTheFormatSays();
    void everyChangedByteOfPiecesIsRefused();
    void everyCutOfPiecesIsRefused();
    void piecesOutOfPlaceAreRefused();
    void theFinalTagMustEndTheLastPiece();
};

void tst_ProtectedForm::fixedSaltAndNonceGiveKnownBytes() {
    const QByteArray sealed = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    QCOMPARE(sealed.toHex(), QByteArray(KnownSealed));
}

// What docs/DATA-FORMAT.md says a reader does, done with libsodium alone: the bytes above are that format.
void tst_ProtectedForm::theFormatDocumentsWayOpensIt() {
    const QByteArray file = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    QVERIFY(file.startsWith("\x80\x80Varnook protected data file\r\n"));
    const qsizetype h = 31;
    QCOMPARE(bytes[h + 0], 1); // format version
    QCOMPARE(bytes[h + 1], crypto_pwhash_ALG_ARGON2ID13);
    QCOMPARE(bytes[h + 2], 1); // XChaCha20-Poly1305
    QCOMPARE(bytes[h + 3], 0);
    const quint32 passes = qFromLittleEndian<quint32>(bytes + h + 4);
    const quint32 memoryKiB = qFromLittleEndian<quint32>(bytes + h + 8);
    QCOMPARE(passes, 1u);
    QCOMPARE(memoryKiB, 8u);
    QCOMPARE(QByteArray(file.constData() + h + 12, 16).toHex(), QByteArray("000102030405060708090a0b0c0d0e0f"));
    QCOMPARE(qFromLittleEndian<quint64>(bytes + h + 52), quint64(PlainFile.size()));

    unsigned char master[32];
    QCOMPARE(crypto_pwhash(master, 32, Password.constData(), Password.size(), bytes + h + 12, passes, memoryKiB * 1024,
                           crypto_pwhash_ALG_ARGON2ID13),
             0);
    unsigned char headerKey[32], bodyKey[32];
    crypto_kdf_derive_from_key(headerKey, 32, 1, "VarnookK", master);
    crypto_kdf_derive_from_key(bodyKey, 32, 2, "VarnookK", master);
    unsigned char check[32];
    crypto_generichash(check, 32, bytes, std::size_t(h + 60), headerKey, 32);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(check), 32), file.mid(h + 60, 32));

    QByteArray plain(PlainFile.size(), '\0');
    QCOMPARE(crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
                 reinterpret_cast<uchar *>(plain.data()), nullptr, bytes + BodyStart, std::size_t(PlainFile.size()),
                 bytes + BodyStart + PlainFile.size(), bytes, std::size_t(BodyStart), bytes + h + 28, bodyKey),
             0);
    QCOMPARE(plain, PlainFile);
    QCOMPARE(file.size(), BodyStart + PlainFile.size() + 16);
}

void tst_ProtectedForm::sealThenOpenGivesThePlainFormBack() {
    const FileKey key = keyOf(Password);
    for (const QByteArray &plain : {PlainFile, QByteArray(1 << 20, '\xE1'), QByteArray("\r\n")}) {
        const ProtectedForm::Opened opened = ProtectedForm::open(ProtectedForm::seal(plain, key, countingNonce()), key);
        QCOMPARE(opened.outcome, Outcome::Plain);
        QCOMPARE(opened.plain, plain);
    }
}

void tst_ProtectedForm::everySealHasItsOwnNonce() {
    const FileKey key = keyOf(Password);
    const QByteArray first = ProtectedForm::seal(PlainFile, key, ProtectedForm::newNonce());
    const QByteArray second = ProtectedForm::seal(PlainFile, key, ProtectedForm::newNonce());
    QCOMPARE(first.size(), second.size());
    QVERIFY(first.mid(31 + 28, 24) != second.mid(31 + 28, 24));
    QVERIFY(first.mid(BodyStart) != second.mid(BodyStart));
    QCOMPARE(ProtectedForm::open(second, key).plain, PlainFile);
    // Neither the password nor any entry is in the file in any form a reader could pick out.
    for (const QByteArray &secret : {Password, PlainFile.first(8), PlainFile.mid(10, 19), QByteArray("pw1")})
        QVERIFY(!first.contains(secret));
}

void tst_ProtectedForm::headerReadsWithoutAnyKey() {
    const FileKey key = keyOf(Password, countingSalt(), KdfCost{2, 16});
    const QByteArray file = ProtectedForm::seal(PlainFile, key, countingNonce());
    QVERIFY(ProtectedForm::isProtected(file));
    QVERIFY(!ProtectedForm::isProtected(PlainFile));
    const auto header = std::get<ProtectedForm::Header>(ProtectedForm::readHeader(file));
    QCOMPARE(header.cost, (KdfCost{2, 16}));
    QVERIFY(header.salt == countingSalt());
    QVERIFY(header.nonce == countingNonce());
    QCOMPARE(header.bodySize, quint64(PlainFile.size()));
}

void tst_ProtectedForm::wrongPasswordIsToldByTheHeader() {
    // No password at all derives a key too, and it is a wrong one.
    QCOMPARE(ProtectedForm::open(ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce()), keyOf({})).outcome,
             Outcome::WrongPassword);
    const QByteArray file = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    QCOMPARE(ProtectedForm::open(file, keyOf("hunter23")).outcome, Outcome::WrongPassword);
    FileKey::Salt otherSalt = countingSalt();
    otherSalt[0] = 0xFF;
    QCOMPARE(ProtectedForm::open(file, keyOf(Password, otherSalt)).outcome, Outcome::WrongPassword);
    // A wrong password on a file whose body is damaged as well is still a wrong password.
    QByteArray cut = file;
    cut.chop(20);
    QCOMPARE(ProtectedForm::open(cut, keyOf("hunter23")).outcome, Outcome::WrongPassword);
}

void tst_ProtectedForm::everyChangedByteIsRefused() {
    const FileKey key = keyOf(Password);
    const QByteArray file = ProtectedForm::seal(PlainFile, key, countingNonce());
    for (qsizetype at = 0; at < file.size(); ++at) {
        for (const uchar flip : {uchar(0x01), uchar(0x80)}) {
            QByteArray changed = file;
            changed[at] = char(changed[at] ^ flip);
            const ProtectedForm::Opened opened = ProtectedForm::open(changed, key);
            QVERIFY2(opened.outcome != Outcome::Plain, qPrintable(QString::number(at)));
            QVERIFY(opened.plain.isEmpty());
            // A changed body or tag cannot be the password's fault.
            if (at >= BodyStart)
                QCOMPARE(opened.outcome, Outcome::Damaged);
            if (opened.outcome == Outcome::Damaged)
                QVERIFY(!opened.problem.isEmpty());
        }
    }
}

void tst_ProtectedForm::everyCutIsRefused() {
    const FileKey key = keyOf(Password);
    const QByteArray file = ProtectedForm::seal(PlainFile, key, countingNonce());
    for (qsizetype size = 0; size < file.size(); ++size) {
        const ProtectedForm::Opened opened = ProtectedForm::open(file.first(size), key);
        QCOMPARE(opened.outcome, Outcome::Damaged);
        if (size >= BodyStart)
            QVERIFY2(opened.problem.startsWith(QStringLiteral("it is cut short")), qPrintable(opened.problem));
    }
    QCOMPARE(ProtectedForm::open(file + "x", key).problem, QStringLiteral("it has 1 bytes more than its header says"));
}

void tst_ProtectedForm::hostileCostIsRefusedBeforeAnyWork_data() {
    QTest::addColumn<quint32>("passes");
    QTest::addColumn<quint32>("memoryKiB");
    QTest::addColumn<QString>("problem");
    QTest::newRow("4 GiB and a KiB") << 3u << (4u << 20) + 1 << QStringLiteral("more than this version allows");
    QTest::newRow("65 passes") << 65u << 65536u << QStringLiteral("more than this version allows");
    QTest::newRow("no passes") << 0u << 65536u << QStringLiteral("below the least");
    QTest::newRow("4 KiB") << 3u << 4u << QStringLiteral("below the least");
}

void tst_ProtectedForm::hostileCostIsRefusedBeforeAnyWork() {
    QFETCH(quint32, passes);
    QFETCH(quint32, memoryKiB);
    QFETCH(QString, problem);
    QByteArray file = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    qToLittleEndian(passes, file.data() + 31 + 4);
    qToLittleEndian(memoryKiB, file.data() + 31 + 8);
    const auto header = ProtectedForm::readHeader(file);
    QVERIFY(std::holds_alternative<QString>(header));
    QVERIFY2(std::get<QString>(header).contains(problem), qPrintable(std::get<QString>(header)));
    QVERIFY(!FileKey::derive(Password, KdfCost{passes, memoryKiB}, countingSalt(), ProtectedForm::NewestVersion));
}

// What an unlock's figures subtract: the time the derivation took, within the time the call took.
void tst_ProtectedForm::keyTimesItsOwnDerivation() {
    const auto started = std::chrono::steady_clock::now();
    const FileKey key = keyOf(Password, countingSalt(), KdfCost{2, 16 * 1024});
    const auto took = std::chrono::steady_clock::now() - started;
    QVERIFY(key.derivationTime() > std::chrono::nanoseconds(0));
    QVERIFY(key.derivationTime() <= took);
}

void tst_ProtectedForm::laterFormatVersionIsNamed() {
    QByteArray file = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    file[31] = 3;
    QCOMPARE(std::get<QString>(ProtectedForm::readHeader(file)),
             QStringLiteral("its format version is 3; this version of the program reads versions 1 and 2"));
    // Each version names its own cipher: a version 1 body is never read as pieces.
    file[31] = 2;
    QCOMPARE(std::get<QString>(ProtectedForm::readHeader(file)),
             QStringLiteral("its header names a key derivation or cipher that this version does not know"));
}

void tst_ProtectedForm::piecesRoundTripIsByteExact_data() {
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<int>("pieces");
    const qsizetype piece = qsizetype(ProtectedForm::PieceSize);
    QTest::newRow("empty") << qsizetype(0) << 1;
    QTest::newRow("one byte") << qsizetype(1) << 1;
    QTest::newRow("one full piece") << piece << 1;
    QTest::newRow("a byte past one piece") << piece + 1 << 2;
    QTest::newRow("three pieces and a bit") << 3 * piece + 1000 << 4;
}

void tst_ProtectedForm::piecesRoundTripIsByteExact() {
    QFETCH(qsizetype, size);
    QFETCH(int, pieces);
    const FileKey key = keyOf(Password);
    const QByteArray plain = countingBytes(size);
    const QByteArray file = ProtectedForm::sealInPieces(plain, key);
    QCOMPARE(file.size(), BodyStart + size + pieces * 17);
    QCOMPARE(file.mid(31, 3), QByteArray("\x02\x02\x02"));
    const ProtectedForm::Opened opened = ProtectedForm::open(file, key);
    QCOMPARE(opened.outcome, Outcome::Plain);
    QCOMPARE(opened.plain, plain);
    // No piece leaves a plain stretch in the file.
    if (size >= 64)
        QVERIFY(!file.contains(plain.first(32)));
}

// What docs/DATA-FORMAT.md says a reader of version 2 does, done with libsodium alone.
void tst_ProtectedForm::theKnownPiecesFileOpensAsTheFormatSays() {
    const QByteArray file = QByteArray::fromHex(KnownPieces);
    const ProtectedForm::Opened opened = ProtectedForm::open(file, keyOf(Password));
    QCOMPARE(opened.outcome, Outcome::Plain);
    QCOMPARE(opened.plain, PlainFile);
    QCOMPARE(ProtectedForm::open(file, keyOf("hunter23")).outcome, Outcome::WrongPassword);

    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype h = 31;
    unsigned char master[32];
    QCOMPARE(crypto_pwhash(master, 32, Password.constData(), Password.size(), bytes + h + 12, 1, 8 * 1024,
                           crypto_pwhash_ALG_ARGON2ID13),
             0);
    // The header check is that of version 1; the body key is the same subkey.
    unsigned char bodyKey[32];
    crypto_kdf_derive_from_key(bodyKey, 32, 2, "VarnookK", master);
    crypto_secretstream_xchacha20poly1305_state state;
    QCOMPARE(crypto_secretstream_xchacha20poly1305_init_pull(&state, bytes + h + 28, bodyKey), 0);
    QByteArray plain(PlainFile.size(), '\0');
    unsigned char tag = 0;
    QCOMPARE(crypto_secretstream_xchacha20poly1305_pull(&state, reinterpret_cast<uchar *>(plain.data()), nullptr, &tag,
                                                        bytes + BodyStart, std::size_t(file.size() - BodyStart), bytes,
                                                        std::size_t(BodyStart)),
             0);
    QCOMPARE(tag, crypto_secretstream_xchacha20poly1305_TAG_FINAL);
    QCOMPARE(plain, PlainFile);
}

void tst_ProtectedForm::everyChangedByteOfPiecesIsRefused() {
    const FileKey key = keyOf(Password);
    const QByteArray plain = countingBytes(qsizetype(SmallPieces) + 20);
    const QByteArray file = ProtectedForm::sealInPieces(plain, key, SmallPieces);
    QCOMPARE(ProtectedForm::open(file, key, SmallPieces).plain, plain);
    for (qsizetype at = 0; at < file.size(); ++at) {
        for (const uchar flip : {uchar(0x01), uchar(0x80)}) {
            QByteArray changed = file;
            changed[at] = char(changed[at] ^ flip);
            const ProtectedForm::Opened opened = ProtectedForm::open(changed, key, SmallPieces);
            QVERIFY2(opened.outcome != Outcome::Plain, qPrintable(QString::number(at)));
            QVERIFY(opened.plain.isEmpty());
            // Salt, stream header, size and check are told by the check: a wrong password. Past the
            // header, every change is damage.
            if (at >= 31 + 12 && at < BodyStart)
                QCOMPARE(opened.outcome, Outcome::WrongPassword);
            if (at >= BodyStart)
                QCOMPARE(opened.problem, QStringLiteral("its contents do not match their check: bytes were changed"));
            if (opened.outcome == Outcome::Damaged)
                QVERIFY(!opened.problem.isEmpty());
        }
    }
}

void tst_ProtectedForm::everyCutOfPiecesIsRefused() {
    const FileKey key = keyOf(Password);
    const QByteArray file = ProtectedForm::sealInPieces(countingBytes(qsizetype(SmallPieces) + 20), key, SmallPieces);
    for (qsizetype size = 0; size < file.size(); ++size) {
        const ProtectedForm::Opened opened = ProtectedForm::open(file.first(size), key, SmallPieces);
        QCOMPARE(opened.outcome, Outcome::Damaged);
        if (size >= BodyStart)
            QCOMPARE(opened.problem, QStringLiteral("it is cut short: %1 bytes are missing").arg(file.size() - size));
    }
    QCOMPARE(ProtectedForm::open(file + "xy", key, SmallPieces).problem,
             QStringLiteral("it has 2 bytes more than its header says"));
}

void tst_ProtectedForm::piecesOutOfPlaceAreRefused() {
    const FileKey key = keyOf(Password);
    const qsizetype sealed = qsizetype(SmallPieces + 17);
    // Three full pieces: any two can trade places without changing the file's size.
    const QByteArray file = ProtectedForm::sealInPieces(countingBytes(3 * qsizetype(SmallPieces)), key, SmallPieces);
    const QByteArray start = file.first(BodyStart);
    const QByteArray first = file.mid(BodyStart, sealed), second = file.mid(BodyStart + sealed, sealed),
                     third = file.mid(BodyStart + 2 * sealed);
    QCOMPARE(third.size(), sealed);
    const QString changed = QStringLiteral("its contents do not match their check: bytes were changed");
    QCOMPARE(ProtectedForm::open(start + first + third + second, key, SmallPieces).problem, changed);
    QCOMPARE(ProtectedForm::open(start + second + first + third, key, SmallPieces).problem, changed);
    // The same piece twice, in the place of another.
    QCOMPARE(ProtectedForm::open(start + first + first + third, key, SmallPieces).problem, changed);
    QCOMPARE(ProtectedForm::open(start + first + third, key, SmallPieces).problem,
             QStringLiteral("it is cut short: %1 bytes are missing").arg(sealed));
    QCOMPARE(ProtectedForm::open(start + first + second, key, SmallPieces).problem,
             QStringLiteral("it is cut short: %1 bytes are missing").arg(sealed));
    QCOMPARE(ProtectedForm::open(start + first + second + third, key, SmallPieces).outcome, Outcome::Plain);
}

// Only a writer with the key can misplace the final tag; a reader still refuses such a file.
void tst_ProtectedForm::theFinalTagMustEndTheLastPiece() {
    const FileKey key = keyOf(Password);
    const QByteArray full = countingBytes(qsizetype(SmallPieces)), rest("the rest");
    const uchar message = crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    const uchar final = crypto_secretstream_xchacha20poly1305_TAG_FINAL;
    const ProtectedForm::Opened right =
        ProtectedForm::open(pushedPieces(key, {full, rest}, {message, final}), key, SmallPieces);
    QCOMPARE(right.outcome, Outcome::Plain);
    QCOMPARE(right.plain, full + rest);
    QCOMPARE(ProtectedForm::open(pushedPieces(key, {full, rest}, {message, message}), key, SmallPieces).problem,
             QStringLiteral("its contents are not marked as ending at their last piece"));
    QCOMPARE(ProtectedForm::open(pushedPieces(key, {full, rest}, {final, final}), key, SmallPieces).problem,
             QStringLiteral("its contents are marked as ending before their last piece"));
    QCOMPARE(ProtectedForm::open(pushedPieces(key, {QByteArray()}, {message}), key, SmallPieces).problem,
             QStringLiteral("its contents are not marked as ending at their last piece"));
    QCOMPARE(ProtectedForm::open(pushedPieces(key, {QByteArray()}, {final}), key, SmallPieces).outcome, Outcome::Plain);
}

QTEST_GUILESS_MAIN(tst_ProtectedForm)
#include "tst_protectedform.moc"
