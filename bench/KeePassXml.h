#pragma once

#include "Entry.h"

#include <QString>

#include <vector>

namespace varnook::bench {

// Writes the entries as a KeePass 2 XML file, the form `keepassxc-cli import` reads: one group
// "Varnook", each entry with the fields varnook-cli export writes (Title and URL the location).
bool writeKeePassXml(const QString &path, const std::vector<Entry> &entries);

} // namespace varnook::bench
