#include "PieceSealer.h"

#include "FileKey.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace varnook {

namespace {

crypto_secretstream_xchacha20poly1305_state *streamOf(SecretBytes &state) {
    return reinterpret_cast<crypto_secretstream_xchacha20poly1305_state *>(state.data());
}

} // namespace

PieceSealer::PieceSealer(const FileKey &key, std::uint64_t plainSize, std::size_t pieceSize)
    : m_state(sizeof(crypto_secretstream_xchacha20poly1305_state))
    , m_plainSize(plainSize)
    , m_pieceSize(pieceSize)
    , m_pieceCount(ProtectedForm::pieceCount(plainSize, pieceSize)) {
    ProtectedForm::Header header;
    header.version = ProtectedForm::PiecesVersion;
    header.cost = key.cost();
    header.salt = key.salt();
    header.bodySize = plainSize;
    // The stream's header (random, made afresh for every stream) takes the nonce's place.
    if (crypto_secretstream_xchacha20poly1305_init_push(streamOf(m_state), header.nonce.data(), key.bodyKey()) != 0)
        throw std::bad_alloc();
    m_start = ProtectedForm::fileStart(header, key);
}

std::size_t PieceSealer::nextLength() const {
    if (isDone())
        return 0;
    return std::size_t(std::min<std::uint64_t>(m_pieceSize, m_plainSize - m_sealed * m_pieceSize));
}

bool PieceSealer::seal(const unsigned char *plain, std::size_t length, unsigned char *out) {
    if (isDone() || length != nextLength())
        return false;
    const bool last = m_sealed + 1 == m_pieceCount;
    const unsigned char tag =
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
    // The first piece authenticates the signature line and the whole header, check included.
    const bool first = m_sealed == 0;
    static const unsigned char none = 0;
    if (crypto_secretstream_xchacha20poly1305_push(streamOf(m_state), out, nullptr, length ? plain : &none, length,
                                                   first ? reinterpret_cast<const unsigned char *>(m_start.constData())
                                                         : nullptr,
                                                   first ? std::size_t(m_start.size()) : 0, tag) != 0)
        return false;
    ++m_sealed;
    return true;
}

} // namespace varnook
