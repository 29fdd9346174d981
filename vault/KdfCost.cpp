#include "KdfCost.h"

#include <sodium.h>

namespace varnook {

namespace {

constexpr std::uint32_t MaximumPasses = 64;
constexpr std::uint32_t MaximumMemoryKiB = 4u * 1024 * 1024;

} // namespace

KdfCost KdfCost::forNewFiles() {
    // Measured on the machines the program is built and tested on (two cores, one used): 20 passes
    // over 64 MiB take 0.85 to 1.0 s, and up to twice that while builds run beside it.
    return KdfCost{20, 64 * 1024};
}

KdfCost KdfCost::cheapest() {
    return KdfCost{std::uint32_t(crypto_pwhash_argon2id_OPSLIMIT_MIN),
                   std::uint32_t(crypto_pwhash_argon2id_MEMLIMIT_MIN / 1024)};
}

std::optional<QString> KdfCost::problem() const {
    if (passes < crypto_pwhash_argon2id_OPSLIMIT_MIN || memoryKiB * 1024ull < crypto_pwhash_argon2id_MEMLIMIT_MIN)
        return QStringLiteral("its key derivation is below the least that Argon2id allows");
    if (passes > MaximumPasses || memoryKiB > MaximumMemoryKiB)
        return QStringLiteral("its key derivation asks for %1 passes over %2 MiB, more than this version allows "
                              "(%3 passes, %4 MiB)")
            .arg(passes)
            .arg(memoryKiB / 1024)
            .arg(MaximumPasses)
            .arg(MaximumMemoryKiB / 1024);
    return std::nullopt;
}

} // namespace varnook
