#pragma once

#include "ProtectedForm.h"
#include "SecretBytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <cstdint>

namespace varnook {

class FileKey;

// Seals a plain form of a size known beforehand into the protected form's version 2, one piece at
// a time and in order, with libsodium's secretstream: so a save can write a sealed piece while the
// next is sealed, and needs no whole copy of the file. Each sealer starts a stream of its own (a
// fresh secretstream header), so two saves never share one.
class PieceSealer {
public:
    // pieceSize: the format's, but for tests of small files of several pieces.
    PieceSealer(const FileKey &key, std::uint64_t plainSize, std::size_t pieceSize = ProtectedForm::PieceSize);

    // The signature line and the header: the file's first ProtectedForm::BodyStart bytes.
    QByteArrayView fileStart() const { return m_start; }
    std::size_t pieceSize() const { return m_pieceSize; }
    std::uint64_t pieceCount() const { return m_pieceCount; }
    // The plain length of the next piece to seal.
    std::size_t nextLength() const;

    // Seals the next piece, length plain bytes, into out (length + ProtectedForm::PieceTagSize
    // bytes, apart from plain). False, with nothing sealed, when length is not nextLength() or every
    // piece is sealed already.
    bool seal(const unsigned char *plain, std::size_t length, unsigned char *out);
    bool isDone() const { return m_sealed == m_pieceCount; }

private:
    QByteArray m_start;
    SecretBytes m_state; // the stream's state holds its key
    std::uint64_t m_plainSize;
    std::size_t m_pieceSize;
    std::uint64_t m_pieceCount;
    std::uint64_t m_sealed = 0;
};

} // namespace varnook
