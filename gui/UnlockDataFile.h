#pragma once

#include "DataFile.h"
#include "DiskState.h"
#include "Entry.h"
#include "FileKey.h"
#include "StoredLine.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace varnook {

class BackgroundRead;

// What the start hands to the main window once the data file is open.
struct UnlockedData {
    QString masterPassword;
    // The entries' lines as the data file holds them, in its order: the list decodes them as it
    // shows them, and the first save writes them as they are.
    std::vector<StoredLine> storedLines;
    // The status line to show: "Loaded N entries" or "Password created successfully".
    QString status;
    // The file as read or written, for later checks of whether another program changed it.
    DiskState disk;
    // The key of a file in the protected form; null for the plain form.
    std::shared_ptr<const FileKey> key;
};

// Opens the data file at start: makes it when missing, then creates the master password on the
// first start (and writes it as line 1, keeping any entry lines under it) or asks for it on every
// later one. Nothing when the program has to end: the login was refused, the creation cancelled, or
// the file could not be read or written (a box has told the user).
std::optional<UnlockedData> unlockDataFile(const DataFile &file);
// The same with the file's read started before (BackgroundRead): the login box is up while its
// entries are decoded, and the bytes read then are what it asks for. A file replaced before the
// password's OK is read again and taken when that password is its own as well.
std::optional<UnlockedData> unlockDataFile(const DataFile &file, BackgroundRead &reading);

} // namespace varnook
