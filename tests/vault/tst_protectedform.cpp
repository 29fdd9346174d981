#include "FileKey.h"
#include "ProtectedForm.h"

#include <QTest>
#include <QtEndian>

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
    std::optional<FileKey> key = FileKey::derive(password, cost, salt);
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
    QVERIFY(!FileKey::derive(Password, KdfCost{passes, memoryKiB}, countingSalt()));
}

void tst_ProtectedForm::laterFormatVersionIsNamed() {
    QByteArray file = ProtectedForm::seal(PlainFile, keyOf(Password), countingNonce());
    file[31] = 2;
    QCOMPARE(std::get<QString>(ProtectedForm::readHeader(file)),
             QStringLiteral("its format version is 2; this version of the program reads version 1"));
}

QTEST_GUILESS_MAIN(tst_ProtectedForm)
#include "tst_protectedform.moc"
