#include "FileKey.h"

#include <QtGlobal>

#include <sodium.h>

namespace varnook {

namespace {

// The two keys are subkeys of the derived one; the context names what they are for.
constexpr char SubkeyContext[crypto_kdf_CONTEXTBYTES + 1] = "VarnookK";
constexpr std::uint64_t HeaderKeyId = 1;
constexpr std::uint64_t BodyKeyId = 2;

static_assert(sizeof(FileKey::Salt) == crypto_pwhash_argon2id_SALTBYTES);
static_assert(FileKey::KeySize == crypto_kdf_KEYBYTES);
static_assert(FileKey::KeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);

} // namespace

FileKey::FileKey(const KdfCost &cost, const Salt &salt, std::uint8_t formatVersion, SecretBytes keys,
                 std::chrono::nanoseconds derivationTime)
    : m_cost(cost)
    , m_salt(salt)
    , m_formatVersion(formatVersion)
    , m_keys(std::move(keys))
    , m_derivationTime(derivationTime) {}

std::optional<FileKey> FileKey::derive(QByteArrayView password, const KdfCost &cost, const Salt &salt,
                                       std::uint8_t formatVersion) {
    if (sodium_init() < 0 || cost.problem())
        return std::nullopt;
    const auto started = std::chrono::steady_clock::now();
    SecretBytes master(KeySize);
    // libsodium wants a pointer even for no bytes at all.
    static const char none = 0;
    const char *bytes = password.isEmpty() ? &none : password.data();
    if (crypto_pwhash(master.data(), master.size(), bytes, password.size(), salt.data(), cost.passes,
                      std::size_t(cost.memoryKiB) * 1024, crypto_pwhash_ALG_ARGON2ID13) != 0)
        return std::nullopt;
    SecretBytes keys(2 * KeySize);
    crypto_kdf_derive_from_key(keys.data(), KeySize, HeaderKeyId, SubkeyContext, master.data());
    crypto_kdf_derive_from_key(keys.data() + KeySize, KeySize, BodyKeyId, SubkeyContext, master.data());
    return FileKey(cost, salt, formatVersion, std::move(keys), std::chrono::steady_clock::now() - started);
}

FileKey::Salt FileKey::newSalt() {
    // A salt of zeros would be the same for every file: without a random source nothing is protected.
    if (sodium_init() < 0)
        qFatal("libsodium could not start");
    Salt salt{};
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

std::array<unsigned char, 32> FileKey::headerCheck(QByteArrayView bytes) const {
    std::array<unsigned char, 32> check{};
    crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char *>(bytes.data()),
                       std::size_t(bytes.size()), m_keys.data(), KeySize);
    return check;
}

} // namespace varnook
