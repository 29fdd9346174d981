#include "ProtectedForm.h"

#include <QtEndian>

#include <sodium.h>

#include <cstring>

namespace varnook {

namespace {

constexpr qsizetype Start = ProtectedForm::Signature.size();
constexpr qsizetype BodyStart = ProtectedForm::BodyStart;

// Offsets in the header, after the signature line.
constexpr qsizetype VersionAt = 0, KdfAt = 1, CipherAt = 2, ReservedAt = 3, PassesAt = 4, MemoryAt = 8, SaltAt = 12,
                    NonceAt = 28, BodySizeAt = 52, CheckAt = 60;
static_assert(CheckAt == ProtectedForm::CheckedSize);
static_assert(CheckAt + sizeof(ProtectedForm::Check) == ProtectedForm::HeaderSize);
static_assert(sizeof(ProtectedForm::Nonce) == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(ProtectedForm::TagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);

const uchar *bytesAt(QByteArrayView bytes, qsizetype at) {
    return reinterpret_cast<const uchar *>(bytes.data() + at);
}

template <typename Array> Array arrayAt(QByteArrayView bytes, qsizetype at) {
    Array array{};
    std::memcpy(array.data(), bytes.data() + at, array.size());
    return array;
}

QByteArray headerBytes(const ProtectedForm::Header &header) {
    QByteArray bytes(ProtectedForm::HeaderSize, '\0');
    uchar *out = reinterpret_cast<uchar *>(bytes.data());
    out[VersionAt] = ProtectedForm::Version;
    out[KdfAt] = ProtectedForm::Argon2id;
    out[CipherAt] = ProtectedForm::XChaCha20Poly1305;
    out[ReservedAt] = 0;
    qToLittleEndian(header.cost.passes, out + PassesAt);
    qToLittleEndian(header.cost.memoryKiB, out + MemoryAt);
    std::memcpy(out + SaltAt, header.salt.data(), header.salt.size());
    std::memcpy(out + NonceAt, header.nonce.data(), header.nonce.size());
    qToLittleEndian(header.bodySize, out + BodySizeAt);
    std::memcpy(out + CheckAt, header.check.data(), header.check.size());
    return bytes;
}

ProtectedForm::Opened damaged(const QString &problem) {
    ProtectedForm::Opened opened;
    opened.outcome = ProtectedForm::Opened::Outcome::Damaged;
    opened.problem = problem;
    return opened;
}

} // namespace

std::variant<ProtectedForm::Header, QString> ProtectedForm::readHeader(QByteArrayView bytes) {
    if (!isProtected(bytes))
        return QStringLiteral("it is not in the protected form");
    if (bytes.size() < BodyStart)
        return QStringLiteral("it ends inside its header, after %1 of %2 bytes").arg(bytes.size()).arg(BodyStart);
    const QByteArrayView header = bytes.sliced(Start, HeaderSize);
    if (const uchar version = uchar(header[VersionAt]); version != Version)
        return QStringLiteral("its format version is %1; this version of the program reads version %2")
            .arg(version)
            .arg(Version);
    if (uchar(header[KdfAt]) != Argon2id || uchar(header[CipherAt]) != XChaCha20Poly1305 || header[ReservedAt] != 0)
        return QStringLiteral("its header names a key derivation or cipher that this version does not know");
    Header read;
    read.cost.passes = qFromLittleEndian<std::uint32_t>(bytesAt(header, PassesAt));
    read.cost.memoryKiB = qFromLittleEndian<std::uint32_t>(bytesAt(header, MemoryAt));
    if (const std::optional<QString> problem = read.cost.problem())
        return *problem;
    read.salt = arrayAt<FileKey::Salt>(header, SaltAt);
    read.nonce = arrayAt<Nonce>(header, NonceAt);
    read.bodySize = qFromLittleEndian<std::uint64_t>(bytesAt(header, BodySizeAt));
    read.check = arrayAt<Check>(header, CheckAt);
    return read;
}

ProtectedForm::Opened ProtectedForm::open(QByteArrayView bytes, const FileKey &key) {
    const auto read = readHeader(bytes);
    if (const QString *problem = std::get_if<QString>(&read))
        return damaged(*problem);
    const Header &header = std::get<Header>(read);
    Opened opened;
    // The check comes before any look at the body: a wrong password is told as such, even for a
    // file whose body is damaged too.
    const Check expected = key.headerCheck(bytes.first(Start + CheckedSize));
    if (!key.belongsTo(header.cost, header.salt) ||
        sodium_memcmp(expected.data(), header.check.data(), expected.size()) != 0) {
        opened.outcome = Opened::Outcome::WrongPassword;
        return opened;
    }
    const std::uint64_t present = std::uint64_t(bytes.size() - BodyStart);
    if (present < TagSize || present - TagSize < header.bodySize)
        return damaged(
            QStringLiteral("it is cut short: %1 bytes are missing")
                .arg(header.bodySize + TagSize - std::min<std::uint64_t>(present, header.bodySize + TagSize)));
    if (present - TagSize > header.bodySize)
        return damaged(
            QStringLiteral("it has %1 bytes more than its header says").arg(present - TagSize - header.bodySize));
    opened.plain.resize(qsizetype(header.bodySize));
    const QByteArrayView additional = bytes.first(BodyStart);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            reinterpret_cast<uchar *>(opened.plain.data()), nullptr, bytesAt(bytes, BodyStart), header.bodySize,
            bytesAt(bytes, BodyStart + qsizetype(header.bodySize)), bytesAt(additional, 0),
            std::size_t(additional.size()), header.nonce.data(), key.bodyKey()) != 0) {
        wipe(opened.plain.data(), std::size_t(opened.plain.size()));
        return damaged(QStringLiteral("its contents do not match their check: bytes were changed"));
    }
    opened.outcome = Opened::Outcome::Plain;
    return opened;
}

QByteArray ProtectedForm::seal(QByteArrayView plain, const FileKey &key, const Nonce &nonce) {
    QByteArray file;
    file.reserve(BodyStart + plain.size() + TagSize);
    file.resize(BodyStart);
    file.append(plain);
    sealInPlace(file, key, nonce);
    return file;
}

void ProtectedForm::sealInPlace(QByteArray &file, const FileKey &key, const Nonce &nonce) {
    Q_ASSERT(file.size() >= BodyStart);
    const qsizetype plainSize = file.size() - BodyStart;
    Header header;
    header.cost = key.cost();
    header.salt = key.salt();
    header.nonce = nonce;
    header.bodySize = std::uint64_t(plainSize);
    // The tag's room is made before anything is encrypted. A buffer with that room reserved stays
    // where it is; one that moves here leaves no encrypted byte behind, at worst plain ones, as any
    // growth of a buffer would.
    file.resize(BodyStart + plainSize + TagSize);
    uchar *out = reinterpret_cast<uchar *>(file.data());
    std::memcpy(out, Signature.data(), std::size_t(Start));
    const QByteArray headerPart = headerBytes(header);
    std::memcpy(out + Start, headerPart.constData(), std::size_t(HeaderSize));
    header.check = key.headerCheck(QByteArrayView(file).first(Start + CheckedSize));
    std::memcpy(out + Start + CheckAt, header.check.data(), header.check.size());
    // The stream cipher's output takes the place of its input, byte for byte.
    crypto_aead_xchacha20poly1305_ietf_encrypt_detached(out + BodyStart, out + BodyStart + plainSize, nullptr,
                                                        out + BodyStart, std::size_t(plainSize), out,
                                                        std::size_t(BodyStart), nullptr, nonce.data(), key.bodyKey());
}

ProtectedForm::Nonce ProtectedForm::newNonce() {
    if (sodium_init() < 0)
        qFatal("libsodium could not start");
    Nonce nonce{};
    randombytes_buf(nonce.data(), nonce.size());
    return nonce;
}

} // namespace varnook
