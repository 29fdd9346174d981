#pragma once

#include "CsvReader.h"
#include "Entry.h"
#include "ImportColumns.h"

#include <QString>

#include <vector>

namespace varnook {

// Sorts the records of a CSV file below its header into the entries the data file can hold and
// the rows it cannot, each with the reason. Blank lines are passed over.
class ImportRows {
public:
    struct Refused {
        qsizetype row = 0;
        QString reason; // names the field, never its content

        friend bool operator==(const Refused &, const Refused &) = default;
    };

    // Longest field taken, in characters (each one byte in the data file).
    static constexpr qsizetype MaximumFieldLength = 1024 * 1024;

    ImportRows(const std::vector<CsvRecord> &records, const ImportColumns &columns);

    // What one record below the header comes to: a blank line, an entry, or a refused row.
    enum class Verdict { Blank, Taken, Refused };
    static Verdict sort(const CsvRecord &record, const ImportColumns &columns, Entry &entry, Refused &refused);

    const std::vector<Entry> &entries() const { return m_entries; }
    const std::vector<Refused> &refused() const { return m_refused; }

    // Why the data file cannot hold entry as it is, or an empty text when it can.
    static QString problemOf(const Entry &entry);
    // "Row N not imported: reason"
    static QString message(const Refused &refused);

private:
    std::vector<Entry> m_entries;
    std::vector<Refused> m_refused;
};

} // namespace varnook
