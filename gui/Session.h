#pragma once

#include <QString>

namespace varnook {

class EntryTableModel;

// Shows one line in the main window's status bar.
void ShowStatus(const QString &text);

// Reads data.enc into the list, creating it or asking for the master password first.
// False when the program was ended on the way (refused login, cancelled creation, unreadable file).
bool LoadData(EntryTableModel &list);

// Writes the whole list to data.enc. False when the save failed; the user has been told then.
bool SaveData(const EntryTableModel &list);

} // namespace varnook
