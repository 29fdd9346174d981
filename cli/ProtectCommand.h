#pragma once

#include "DataFolder.h"
#include "ExitCode.h"
#include "KdfCost.h"

namespace varnook {

// varnook-cli protect: puts the data file in the protected form after its master password: the
// very bytes of its plain form, encrypted under a key derived from that password at cost. Refused
// for a file that is protected already, and while Varnook holds the folder.
class ProtectCommand {
public:
    ProtectCommand(DataFolder folder, const KdfCost &cost)
        : m_folder(std::move(folder))
        , m_cost(cost) {}

    ExitCode run();

private:
    DataFolder m_folder;
    KdfCost m_cost;
};

// varnook-cli unprotect: gives a protected data file its plain form back, byte for byte as it was
// before protection (with the changes saved since), after its master password.
class UnprotectCommand {
public:
    explicit UnprotectCommand(DataFolder folder)
        : m_folder(std::move(folder)) {}

    ExitCode run();

private:
    DataFolder m_folder;
};

} // namespace varnook
