#pragma once

#include "DataFile.h"
#include "Entry.h"

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace varnook {

// What reading the data file at start gave.
struct LoadOutcome {
    // False when the program has to end: the login was refused, the creation cancelled, or the
    // file could not be read or written (the user has been told).
    bool unlocked = false;
    std::vector<Entry> entries;
    // The status line to show: "Loaded N entries" or "Password created successfully".
    QString status;
    // The master password the user logged in with or created.
    QString masterPassword;
};

// Reads the data file at start: creates it when missing, then creates the master password on the
// first start or asks for it on every later one, and reads the entries.
class DataLoader {
public:
    explicit DataLoader(DataFile file)
        : m_file(std::move(file)) {}

    LoadOutcome load();

private:
    // Asks for a new master password and writes it as line 1, keeping any entry lines after it.
    LoadOutcome CreatePassword(const QByteArray &bytes, qsizetype entriesStart);
    LoadOutcome failed(const QString &text);

    DataFile m_file;
};

} // namespace varnook
