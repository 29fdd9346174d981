#pragma once

#include "FileKey.h"
#include "KdfCost.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <variant>

namespace varnook {

// The protected form of the data file: a first line no master password line can be, a header
// (format version, key derivation and its cost, salt, nonce, body size, and a check of all that
// keyed by the master password), then the file's plain form, encrypted and authenticated under a key
// derived with Argon2id. Version 1 seals the body in one piece with XChaCha20-Poly1305; version 2
// in pieces of 256 KiB with libsodium's secretstream, so that a save can write one piece while the
// next is sealed (PieceSealer). docs/DATA-FORMAT.md gives both byte by byte.
class ProtectedForm {
public:
    // Line 1. It begins with two NUL codes as the file scrambles them: no master password holds
    // NUL (no text box can), so no master password line is this line.
    static constexpr QByteArrayView Signature{"\x80\x80Varnook protected data file\r\n"};
    static constexpr std::uint8_t OnePieceVersion = 1;
    static constexpr std::uint8_t PiecesVersion = 2;
    // What a file protected anew gets; a save keeps the version the file has, so that an older
    // build on another computer still reads a file it wrote.
    static constexpr std::uint8_t NewestVersion = PiecesVersion;
    static constexpr std::uint8_t Argon2id = 2; // libsodium's crypto_pwhash_ALG_ARGON2ID13
    static constexpr std::uint8_t XChaCha20Poly1305 = 1;
    static constexpr std::uint8_t SecretStreamXChaCha20Poly1305 = 2;
    static constexpr qsizetype HeaderSize = 92;  // after the signature line
    static constexpr qsizetype CheckedSize = 60; // the header bytes the check covers
    static constexpr qsizetype TagSize = 16;
    // Version 2: the plain form's piece size (the last piece may be shorter), and what sealing adds
    // to each piece.
    static constexpr std::size_t PieceSize = 256 * 1024;
    static constexpr std::size_t PieceTagSize = 17;
    // Version 1: the nonce; version 2: the secretstream header, of the same size.
    using Nonce = std::array<unsigned char, 24>;
    using Check = std::array<unsigned char, 32>;

    struct Header {
        std::uint8_t version = NewestVersion;
        KdfCost cost;
        FileKey::Salt salt{};
        Nonce nonce{};
        std::uint64_t bodySize = 0;
        Check check{};
    };

    // Whether bytes are a file in the protected form (the rest may still be damaged).
    static bool isProtected(QByteArrayView bytes) { return bytes.startsWith(Signature); }
    // The header of a protected file, read without any key; or why it cannot be read.
    static std::variant<Header, QString> readHeader(QByteArrayView bytes);

    // What opening a protected file with a key gave.
    struct Opened {
        enum class Outcome { Plain, WrongPassword, Damaged };
        Outcome outcome = Outcome::Damaged;
        QByteArray plain; // the plain form, for Plain
        QString problem;  // why it is damaged, for Damaged
    };
    // Opens bytes with key, which must belong to the header's salt and cost (else WrongPassword).
    static Opened open(QByteArrayView bytes, const FileKey &key);
    // The same for a version 2 file sealed in pieces of pieceSize: the format fixes PieceSize, and
    // another size serves only tests that change every byte of a small file of several pieces.
    static Opened open(QByteArrayView bytes, const FileKey &key, std::size_t pieceSize);

    // How many pieces a version 2 body of plainSize bytes has: an empty one is one empty piece.
    static std::uint64_t pieceCount(std::uint64_t plainSize, std::size_t pieceSize = PieceSize);
    // The size of the whole file the header describes.
    static std::uint64_t fileSize(const Header &header);

    // The whole version 1 file for plain, under key, with nonce (a fresh one for every save:
    // newNonce()).
    static QByteArray seal(QByteArrayView plain, const FileKey &key, const Nonce &nonce);
    // The whole version 2 file for plain, under key, sealed at once (PieceSealer makes the
    // secretstream header afresh each time).
    static QByteArray sealInPieces(QByteArrayView plain, const FileKey &key, std::size_t pieceSize = PieceSize);
    // Where the body begins: a buffer for sealInPlace holds this many bytes of any value, then the
    // plain form.
    static constexpr qsizetype BodyStart = Signature.size() + HeaderSize;
    // The same as seal (version 1), with the plain form written after BodyStart bytes of file: it is encrypted
    // where it is and file becomes the whole protected file. The plain form is not copied; with room
    // for the tag reserved (BodyStart + plain + TagSize bytes), no byte of it is left once this returns.
    static void sealInPlace(QByteArray &file, const FileKey &key, const Nonce &nonce);
    // The signature line and header (BodyStart bytes) for header, its check made with key.
    static QByteArray fileStart(const Header &header, const FileKey &key);
    static Nonce newNonce();
};

} // namespace varnook
