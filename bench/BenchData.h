#pragma once

#include "Entry.h"

#include <QByteArray>

#include <vector>

namespace varnook::bench {

// Typical entries: 10 to 40 characters per field, in a fixed pseudo-random sequence.
std::vector<Entry> typicalEntries(int count);
// Entries whose texts use every character of Windows-1252 but NUL and the five unassigned codes.
std::vector<Entry> codePageEntries(int count);

// A data file as a save writes it, with one entry line more at the end: another computer's save
// of the same list after an add, as a sync engine brings it.
QByteArray withEntryAdded(const QByteArray &dataFile, const Entry &entry);

} // namespace varnook::bench
