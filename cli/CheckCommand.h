#pragma once

#include "DataFolder.h"
#include "ExitCode.h"

#include <cstddef>

class QFile;

namespace varnook {

// varnook-cli check: the data file's health, without the master password. The report names line
// numbers and kinds of problems, never anything the lines hold. Of a protected file it reports the
// header (the form's version, the key derivation and its cost, the body's size) and whether the
// file's size matches it: its lines are encrypted.
class CheckCommand {
public:
    explicit CheckCommand(DataFolder folder)
        : m_folder(std::move(folder)) {}

    ExitCode run();

private:
    ExitCode checkProtected(QFile &file);
    // The rights of the file, then the verdict on count problems found and those.
    ExitCode verdict(size_t count) const;

    DataFolder m_folder;
};

} // namespace varnook
