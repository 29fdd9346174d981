#pragma once

#include "Entry.h"

#include <vector>

namespace varnook::bench {

// Typical entries: 10 to 40 characters per field, in a fixed pseudo-random sequence.
std::vector<Entry> typicalEntries(int count);
// Entries whose texts use every character of Windows-1252 but NUL and the five unassigned codes.
std::vector<Entry> codePageEntries(int count);

} // namespace varnook::bench
