#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace varnook {

// What deriving the key from the master password costs (Argon2id): passes over the memory, and the
// memory in KiB. A file keeps the cost it was protected with, so a later default can be higher and
// older files still open.
struct KdfCost {
    std::uint32_t passes = 0;
    std::uint32_t memoryKiB = 0;

    // For new protection: about one second on a two-core desktop, with 64 MiB.
    static KdfCost forNewFiles();
    // The least libsodium accepts: for tests and for files that only need the format.
    static KdfCost cheapest();

    // Why a file's cost is refused before any work is done, or nothing when it is one this version
    // derives: at most 4 GiB and 64 passes, so that a damaged or hostile header cannot make the
    // program allocate without end or work for hours.
    std::optional<QString> problem() const;

    friend bool operator==(const KdfCost &, const KdfCost &) = default;
};

} // namespace varnook
