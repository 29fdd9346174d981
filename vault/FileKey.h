#pragma once

#include "KdfCost.h"
#include "SecretBytes.h"

#include <QByteArrayView>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

namespace varnook {

// The keys of one protected data file, derived from its master password, its salt and its cost:
// one that checks the header (telling a wrong password before the body is touched) and one that
// encrypts the body. Deriving is slow by design, so a run derives once and keeps them, in secret
// memory, for every later save and read of the same file. It also keeps the file's format version
// (ProtectedForm), which a save with it writes: a save keeps the version the file has.
class FileKey {
public:
    static constexpr std::size_t KeySize = 32;
    using Salt = std::array<unsigned char, 16>;

    // The keys for password (the codes the data file stores it in). Nothing when the memory the cost
    // asks for could not be had. Seconds of work at the default cost: keep it off the UI thread.
    static std::optional<FileKey> derive(QByteArrayView password, const KdfCost &cost, const Salt &salt,
                                         std::uint8_t formatVersion);
    // A salt no other file has.
    static Salt newSalt();

    const KdfCost &cost() const { return m_cost; }
    const Salt &salt() const { return m_salt; }
    std::uint8_t formatVersion() const { return m_formatVersion; }
    // Whether this key was made for a file of this salt and cost (say, this run's file read again).
    bool belongsTo(const KdfCost &cost, const Salt &salt) const { return cost == m_cost && salt == m_salt; }
    // How long deriving it took on this machine: the part of an unlock that its cost decides.
    std::chrono::nanoseconds derivationTime() const { return m_derivationTime; }

    // BLAKE2b-256 of bytes, keyed with the header key.
    std::array<unsigned char, 32> headerCheck(QByteArrayView bytes) const;
    const unsigned char *bodyKey() const { return m_keys.data() + KeySize; }

private:
    FileKey(const KdfCost &cost, const Salt &salt, std::uint8_t formatVersion, SecretBytes keys,
            std::chrono::nanoseconds derivationTime);

    KdfCost m_cost;
    Salt m_salt{};
    std::uint8_t m_formatVersion;
    SecretBytes m_keys; // header key, then body key
    std::chrono::nanoseconds m_derivationTime;
};

} // namespace varnook
