#pragma once

#include "ExitCode.h"
#include "KdfCost.h"

#include <QString>

#include <optional>

namespace varnook {

struct LoadResult;

// Opens a data file of either form with its master password, asked as every command asks it: in
// the plain form the typed password is compared with line 1; in the protected form each one typed
// derives the file's key, and the file's header tells whether it was the right one.
class DataFileUnlock {
public:
    // Which file, in messages and in the prompt.
    struct Names {
        QString which;  // "The data file", "The file to merge"
        QString prompt; // what the password is asked with
    };
    static Names dataFile();

    // read is HasMasterPassword, Protected or Damaged (a protected file whose header cannot be read).
    // Nothing once read is HasMasterPassword, a protected one with its key and its plain form;
    // otherwise the exit code, after telling why: a wrong or missing password, a damaged file, or
    // memory for the key that could not be had.
    static std::optional<ExitCode> unlock(LoadResult &read, const QString &path, const Names &names);
    // Opens a Protected read with password, asking nothing: true once it is opened or turned out
    // damaged, false for a password that is not the file's. A key the memory could not be had for
    // is told (noMemory set).
    static bool tryPassword(LoadResult &read, const QString &password, bool &noMemory);

    // "<which> is damaged and cannot be opened: <path>", the reason, and that nothing was changed.
    static void tellDamaged(const QString &which, const QString &path, const QString &reason);
    // The key could not be made: the memory its derivation asks for could not be had.
    static void tellNoMemory(const KdfCost &cost);
};

} // namespace varnook
