#pragma once

namespace varnook {

// What varnook-cli ends with; --help and the README list the same.
enum class ExitCode : int {
    Success = 0,         // done; for check: the data file is clean
    FileHasProblems = 1, // the data file has problems; check lists them
    Usage = 2,           // the command line is wrong
    FileFailure = 3,     // a file or folder could not be found, read or written, or the CSV file is malformed
    PasswordRefused = 4, // the master password was wrong, not given, or not acceptable
    FolderInUse = 5,     // Varnook is running with the data file in this folder, here or on another computer
    RowsRefused = 6,     // import: some rows could not be imported; the others were saved
};

constexpr int exitCode(ExitCode code) {
    return static_cast<int>(code);
}

} // namespace varnook
