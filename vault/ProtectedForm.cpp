#include "ProtectedForm.h"

#include "PieceSealer.h"

#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <limits>

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
static_assert(sizeof(ProtectedForm::Nonce) == crypto_secretstream_xchacha20poly1305_HEADERBYTES);
static_assert(ProtectedForm::PieceTagSize == crypto_secretstream_xchacha20poly1305_ABYTES);

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
    out[VersionAt] = header.version;
    out[KdfAt] = ProtectedForm::Argon2id;
    out[CipherAt] = header.version == ProtectedForm::OnePieceVersion ? ProtectedForm::XChaCha20Poly1305
                                                                     : ProtectedForm::SecretStreamXChaCha20Poly1305;
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

const QString ChangedBytes = QStringLiteral("its contents do not match their check: bytes were changed");

QString cutShort(std::uint64_t missing) {
    return QStringLiteral("it is cut short: %1 bytes are missing").arg(missing);
}

QString overLong(std::uint64_t extra) {
    return QStringLiteral("it has %1 bytes more than its header says").arg(extra);
}

// Pulls a version 2 body piece by piece into opened.plain; the file's size was found right.
ProtectedForm::Opened openPieces(QByteArrayView bytes, const ProtectedForm::Header &header, const FileKey &key,
                                 std::size_t pieceSize) {
    ProtectedForm::Opened opened;
    opened.plain.resize(qsizetype(header.bodySize));
    const auto fail = [&opened](const QString &problem) {
        wipe(opened.plain.data(), std::size_t(opened.plain.size()));
        return damaged(problem);
    };
    SecretBytes state(sizeof(crypto_secretstream_xchacha20poly1305_state));
    auto *stream = reinterpret_cast<crypto_secretstream_xchacha20poly1305_state *>(state.data());
    if (crypto_secretstream_xchacha20poly1305_init_pull(stream, header.nonce.data(), key.bodyKey()) != 0)
        return fail(ChangedBytes);
    const std::uint64_t pieces = ProtectedForm::pieceCount(header.bodySize, pieceSize);
    auto *plain = reinterpret_cast<uchar *>(opened.plain.data());
    qsizetype at = BodyStart;
    for (std::uint64_t piece = 0; piece < pieces; ++piece) {
        const std::uint64_t done = piece * pieceSize;
        const std::size_t length = std::size_t(std::min<std::uint64_t>(pieceSize, header.bodySize - done));
        // The first piece authenticates the signature line and the whole header.
        const std::size_t additionalSize = piece == 0 ? std::size_t(BodyStart) : 0;
        unsigned char tag = 0;
        if (crypto_secretstream_xchacha20poly1305_pull(stream, plain + done, nullptr, &tag, bytesAt(bytes, at),
                                                       length + ProtectedForm::PieceTagSize,
                                                       piece == 0 ? bytesAt(bytes, 0) : nullptr, additionalSize) != 0)
            return fail(ChangedBytes);
        const bool last = piece + 1 == pieces;
        if (!last && tag != crypto_secretstream_xchacha20poly1305_TAG_MESSAGE)
            return fail(QStringLiteral("its contents are marked as ending before their last piece"));
        if (last && tag != crypto_secretstream_xchacha20poly1305_TAG_FINAL)
            return fail(QStringLiteral("its contents are not marked as ending at their last piece"));
        at += qsizetype(length + ProtectedForm::PieceTagSize);
    }
    opened.outcome = ProtectedForm::Opened::Outcome::Plain;
    return opened;
}

} // namespace

std::uint64_t ProtectedForm::pieceCount(std::uint64_t plainSize, std::size_t pieceSize) {
    return std::max<std::uint64_t>(1, plainSize / pieceSize + (plainSize % pieceSize != 0));
}

std::uint64_t ProtectedForm::fileSize(const Header &header) {
    const std::uint64_t added =
        header.version == OnePieceVersion ? std::uint64_t(TagSize) : pieceCount(header.bodySize) * PieceTagSize;
    // A hostile header's size may not fit: no file has that many bytes.
    const std::uint64_t most = std::numeric_limits<std::uint64_t>::max() - BodyStart - added;
    return header.bodySize > most ? std::numeric_limits<std::uint64_t>::max() : BodyStart + header.bodySize + added;
}

std::variant<ProtectedForm::Header, QString> ProtectedForm::readHeader(QByteArrayView bytes) {
    if (!isProtected(bytes))
        return QStringLiteral("it is not in the protected form");
    if (bytes.size() < BodyStart)
        return QStringLiteral("it ends inside its header, after %1 of %2 bytes").arg(bytes.size()).arg(BodyStart);
    const QByteArrayView header = bytes.sliced(Start, HeaderSize);
    const uchar version = uchar(header[VersionAt]);
    if (version != OnePieceVersion && version != PiecesVersion)
        return QStringLiteral("its format version is %1; this version of the program reads versions %2 and %3")
            .arg(version)
            .arg(OnePieceVersion)
            .arg(PiecesVersion);
    const uchar cipher = version == OnePieceVersion ? XChaCha20Poly1305 : SecretStreamXChaCha20Poly1305;
    if (uchar(header[KdfAt]) != Argon2id || uchar(header[CipherAt]) != cipher || header[ReservedAt] != 0)
        return QStringLiteral("its header names a key derivation or cipher that this version does not know");
    Header read;
    read.version = version;
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
    return open(bytes, key, PieceSize);
}

ProtectedForm::Opened ProtectedForm::open(QByteArrayView bytes, const FileKey &key, std::size_t pieceSize) {
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
    if (header.version == PiecesVersion) {
        // The size tells a cut or an addition before any work; the pieces then tell a changed byte.
        const std::uint64_t added = pieceCount(header.bodySize, pieceSize) * PieceTagSize;
        const std::uint64_t present = std::uint64_t(bytes.size() - BodyStart);
        if (present < added || present - added < header.bodySize) {
            const std::uint64_t expected = std::numeric_limits<std::uint64_t>::max() - added < header.bodySize
                                               ? std::numeric_limits<std::uint64_t>::max()
                                               : header.bodySize + added;
            return damaged(cutShort(expected - present));
        }
        if (present - added > header.bodySize)
            return damaged(overLong(present - added - header.bodySize));
        return openPieces(bytes, header, key, pieceSize);
    }
    const std::uint64_t present = std::uint64_t(bytes.size() - BodyStart);
    if (present < TagSize || present - TagSize < header.bodySize)
        return damaged(
            cutShort(header.bodySize + TagSize - std::min<std::uint64_t>(present, header.bodySize + TagSize)));
    if (present - TagSize > header.bodySize)
        return damaged(overLong(present - TagSize - header.bodySize));
    opened.plain.resize(qsizetype(header.bodySize));
    const QByteArrayView additional = bytes.first(BodyStart);
    if (crypto_aead_xchacha20poly1305_ietf_decrypt_detached(
            reinterpret_cast<uchar *>(opened.plain.data()), nullptr, bytesAt(bytes, BodyStart), header.bodySize,
            bytesAt(bytes, BodyStart + qsizetype(header.bodySize)), bytesAt(additional, 0),
            std::size_t(additional.size()), header.nonce.data(), key.bodyKey()) != 0) {
        wipe(opened.plain.data(), std::size_t(opened.plain.size()));
        return damaged(ChangedBytes);
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
    header.version = OnePieceVersion;
    header.cost = key.cost();
    header.salt = key.salt();
    header.nonce = nonce;
    header.bodySize = std::uint64_t(plainSize);
    // The tag's room is made before anything is encrypted. A buffer with that room reserved stays
    // where it is; one that moves here leaves no encrypted byte behind, at worst plain ones, as any
    // growth of a buffer would.
    file.resize(BodyStart + plainSize + TagSize);
    uchar *out = reinterpret_cast<uchar *>(file.data());
    const QByteArray start = fileStart(header, key);
    std::memcpy(out, start.constData(), std::size_t(BodyStart));
    // The stream cipher's output takes the place of its input, byte for byte.
    crypto_aead_xchacha20poly1305_ietf_encrypt_detached(out + BodyStart, out + BodyStart + plainSize, nullptr,
                                                        out + BodyStart, std::size_t(plainSize), out,
                                                        std::size_t(BodyStart), nullptr, nonce.data(), key.bodyKey());
}

QByteArray ProtectedForm::fileStart(const Header &header, const FileKey &key) {
    QByteArray start = Signature.toByteArray() + headerBytes(header);
    const Check check = key.headerCheck(QByteArrayView(start).first(Start + CheckedSize));
    std::memcpy(start.data() + Start + CheckAt, check.data(), check.size());
    return start;
}

QByteArray ProtectedForm::sealInPieces(QByteArrayView plain, const FileKey &key, std::size_t pieceSize) {
    PieceSealer sealer(key, std::uint64_t(plain.size()), pieceSize);
    QByteArray file = sealer.fileStart().toByteArray();
    const auto *in = reinterpret_cast<const uchar *>(plain.data());
    while (!sealer.isDone()) {
        const std::size_t length = sealer.nextLength();
        const qsizetype at = file.size();
        file.resize(at + qsizetype(length + PieceTagSize));
        sealer.seal(in, length, reinterpret_cast<uchar *>(file.data() + at));
        in += length;
    }
    return file;
}

ProtectedForm::Nonce ProtectedForm::newNonce() {
    if (sodium_init() < 0)
        qFatal("libsodium could not start");
    Nonce nonce{};
    randombytes_buf(nonce.data(), nonce.size());
    return nonce;
}

} // namespace varnook
