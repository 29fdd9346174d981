#pragma once

#include "Entry.h"

#include <QByteArray>

#include <vector>

namespace varnook::bench {

// The data layer's own steps in this process, each beside its plain counterpart run by run: the
// cipher and the building of the file's bytes against a copy of as many bytes, reading and parsing
// the file against reading it. suffix tells entry sets apart ("" typical, "_cp1252" every character).
void benchStore(const char *suffix, const std::vector<Entry> &entries, int runs);

} // namespace varnook::bench
