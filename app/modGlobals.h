#pragma once

#include "FileResult.h"

#include <QString>

namespace varnook {

class EntryListModel;

// Shows one line in the main window's status bar.
void ShowStatus(const QString &text);

// Reads data.enc into the list, creating it or asking for the master password first.
// False when the program was ended on the way (refused login, cancelled creation, unreadable file);
// it then ends with a non-zero exit status.
bool LoadData(EntryListModel &list);

// Writes the whole list to data.enc. False when the save failed; the user has been told then, and
// the list knows that the file lacks its changes until a later save succeeds.
bool SaveData(EntryListModel &list);

// Writes the whole list to data.enc and notes the outcome in the list, without a box or a status line.
FileResult WriteList(EntryListModel &list);

} // namespace varnook
