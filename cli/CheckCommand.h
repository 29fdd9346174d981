#pragma once

#include "DataFolder.h"
#include "ExitCode.h"

namespace varnook {

// varnook-cli check: the data file's health, without the master password. The report names line
// numbers and kinds of problems, never anything the lines hold.
class CheckCommand {
public:
    explicit CheckCommand(DataFolder folder)
        : m_folder(std::move(folder)) {}

    ExitCode run();

private:
    DataFolder m_folder;
};

} // namespace varnook
