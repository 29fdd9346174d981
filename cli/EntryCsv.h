#pragma once

#include "Entry.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace varnook {

// The entries as a CSV file in the column layout KeePassXC writes and reads, so that the file opens
// in a spreadsheet and in KeePassXC's CSV import with every column in place.
class EntryCsv {
public:
    static const QStringList &header();
    // Group "Varnook", Title the location (the user name where the location is empty), URL the
    // location; the columns Varnook has nothing for stay empty.
    static QStringList fieldsOf(const Entry &entry);
    static QByteArray write(const std::vector<Entry> &entries);
};

} // namespace varnook
