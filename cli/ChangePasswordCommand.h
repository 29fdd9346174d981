#pragma once

#include "DataFolder.h"
#include "ExitCode.h"
#include "KdfCost.h"

#include <optional>

namespace varnook {

// varnook-cli passwd: replaces the master password after the current one, with a new one typed
// twice that passes the program's rules. In the plain form only line 1 changes, byte for byte; a
// protected file stays protected, under a key derived from the new password with a new salt at
// cost (given only for a protected file).
class ChangePasswordCommand {
public:
    ChangePasswordCommand(DataFolder folder, std::optional<KdfCost> cost)
        : m_folder(std::move(folder))
        , m_cost(cost) {}

    ExitCode run();

private:
    DataFolder m_folder;
    std::optional<KdfCost> m_cost; // nothing: KdfCost::forNewFiles() for a protected file
};

} // namespace varnook
