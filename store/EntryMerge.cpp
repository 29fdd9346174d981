#include "EntryMerge.h"

#include "DataFileFormat.h"

#include <QHashFunctions>

#include <optional>
#include <unordered_set>

namespace varnook {

namespace {

using Rows = EntryMerge::Rows;

struct EntryHash {
    size_t operator()(const Entry &entry) const {
        return qHashMulti(0, entry.username, entry.password, entry.location);
    }
};

// A row, and where its own entry is in rows.entries (for a held row: where it would go).
struct Place {
    size_t row = 0;
    size_t own = 0;
};

// A held row's entry, decoded from its line.
Entry heldEntry(QByteArrayView storedLine) {
    if (storedLine.endsWith(DataFileFormat::LineEnd))
        storedLine.chop(DataFileFormat::LineEnd.size());
    return DataFileFormat::readEntry(storedLine);
}

// How many fields of an entry a row holds as they are, for a row's entry or its stored line. A
// line is compared in its scrambled form, so that held rows are not decoded: each code stands for
// one character, so fields are equal when their bytes are. An entry that its line would not give
// back (a character the code page lacks) is compared decoded.
class FieldMatch {
public:
    explicit FieldMatch(const Entry &entry)
        : m_entry(entry)
        , m_asLine(DataFileFormat::readsBackAsWritten(entry)) {
        if (m_asLine) {
            m_line = DataFileFormat::storedLine(entry);
            m_line.chop(DataFileFormat::LineEnd.size());
            m_fields = DataFileFormat::fieldsOf(m_line);
        }
    }

    // Whether a line holds the entry: mostly told by its size and bytes alone, since a line holds
    // the entry as a save writes it, or lacks one or both separators and the empty fields after them.
    bool isHeldBy(QByteArrayView storedLine) const {
        if (!m_asLine)
            return equalFields(heldEntry(storedLine)) == 3;
        if (storedLine.endsWith(DataFileFormat::LineEnd))
            storedLine.chop(DataFileFormat::LineEnd.size());
        const qsizetype missing = m_line.size() - storedLine.size();
        if (missing == 0)
            return storedLine == QByteArrayView(m_line);
        const qsizetype separator = DataFileFormat::Separator.size();
        return (missing == separator || missing == 2 * separator) && equalFields(storedLine) == 3;
    }
    bool isHeldBy(const Entry &other) const { return other == m_entry; }

    int equalFields(const Entry &other) const {
        return int(other.username == m_entry.username) + int(other.password == m_entry.password) +
               int(other.location == m_entry.location);
    }
    int equalFields(QByteArrayView storedLine) const {
        if (!m_asLine)
            return equalFields(heldEntry(storedLine));
        if (storedLine.endsWith(DataFileFormat::LineEnd))
            storedLine.chop(DataFileFormat::LineEnd.size());
        const DataFileFormat::LineFields other = DataFileFormat::fieldsOf(storedLine);
        return int(other.username == m_fields.username) + int(other.password == m_fields.password) +
               int(other.location == m_fields.location);
    }

private:
    const Entry &m_entry;
    bool m_asLine;
    QByteArray m_line;
    DataFileFormat::LineFields m_fields;
};

// The first row that matches, walking the rows in order; match is asked of a row's entry, or of a
// held row's stored line.
template <typename Match> std::optional<Place> findRow(const Rows &rows, Match &&match) {
    Place place;
    for (; place.row < rows.count(); ++place.row) {
        const bool held = rows.isHeld(place.row);
        if (held ? match(rows.held[place.row]) : match(rows.entries[place.own]))
            return place;
        if (!held)
            ++place.own;
    }
    return std::nullopt;
}

std::optional<Place> find(const Rows &rows, const Entry &entry) {
    const FieldMatch match(entry);
    return findRow(rows, [&match](const auto &row) { return match.isHeldBy(row); });
}

// The file's version of entry: the first that agrees with it in two of the three fields.
std::optional<Place> findChanged(const Rows &rows, const Entry &entry) {
    const FieldMatch match(entry);
    return findRow(rows, [&match](const auto &row) { return match.equalFields(row) >= 2; });
}

Entry entryAt(const Rows &rows, const Place &place) {
    return rows.isHeld(place.row) ? heldEntry(rows.held[place.row]) : rows.entries[place.own];
}

template <typename Each> void forEachEntry(const Rows &rows, Each each) {
    size_t own = 0;
    for (size_t row = 0; row < rows.count(); ++row) {
        if (rows.isHeld(row))
            each(heldEntry(rows.held[row]), StoredLine());
        else {
            each(rows.entries[own], own < rows.lines.size() ? rows.lines[own] : StoredLine());
            ++own;
        }
    }
}

void append(Rows &rows, const Entry &entry) {
    if (find(rows, entry))
        return; // added on both sides: one entry
    rows.entries.push_back(entry);
    rows.lines.emplace_back();
    if (!rows.heldIds.empty()) {
        rows.held.emplace_back();
        rows.heldIds.push_back(0);
    }
}

void replace(Rows &rows, const Place &at, const Entry &entry) {
    if (rows.isHeld(at.row)) {
        rows.entries.insert(rows.entries.begin() + qsizetype(at.own), entry);
        rows.lines.insert(rows.lines.begin() + qsizetype(at.own), StoredLine());
        rows.held[at.row] = {};
        rows.heldIds[at.row] = 0;
        return;
    }
    rows.entries[at.own] = entry;
    rows.lines[at.own] = StoredLine();
}

void erase(Rows &rows, const Place &at) {
    if (!rows.isHeld(at.row)) {
        rows.entries.erase(rows.entries.begin() + qsizetype(at.own));
        rows.lines.erase(rows.lines.begin() + qsizetype(at.own));
    }
    if (!rows.heldIds.empty()) {
        rows.held.erase(rows.held.begin() + qsizetype(at.row));
        rows.heldIds.erase(rows.heldIds.begin() + qsizetype(at.row));
    }
}

} // namespace

EntryMerge::Outcome EntryMerge::apply(Rows &rows, const std::vector<EntryChange> &changes, const Resolve &resolve) {
    Outcome outcome;
    for (const EntryChange &change : changes) {
        if (change.kind == EntryChange::Kind::Add) {
            append(rows, change.after);
            ++outcome.applied;
            continue;
        }
        if (const std::optional<Place> at = find(rows, change.before)) {
            if (change.kind == EntryChange::Kind::Edit)
                replace(rows, *at, change.after);
            else
                erase(rows, *at);
            ++outcome.applied;
            continue;
        }
        const std::optional<Place> changedAt = findChanged(rows, change.before);
        if (change.kind == EntryChange::Kind::Delete && !changedAt) {
            ++outcome.applied; // deleted on both sides
            continue;
        }
        MergeConflict conflict{change, std::nullopt};
        if (changedAt)
            conflict.inFile = entryAt(rows, *changedAt);
        ++outcome.conflicts;
        switch (resolve(conflict)) {
        case ConflictChoice::KeepTheirs:
            break;
        case ConflictChoice::KeepMine:
            if (change.kind == EntryChange::Kind::Delete)
                erase(rows, *changedAt);
            else if (changedAt)
                replace(rows, *changedAt, change.after);
            else
                append(rows, change.after);
            break;
        case ConflictChoice::KeepBoth:
            if (change.kind == EntryChange::Kind::Edit)
                append(rows, change.after);
            break;
        }
    }
    return outcome;
}

EntryMerge::Rows EntryMerge::missingFrom(const Rows &rows, const Rows &other) {
    std::unordered_set<Entry, EntryHash> known;
    forEachEntry(rows, [&known](const Entry &entry, const StoredLine &) { known.insert(entry); });
    Rows missing;
    // A row the caller holds is one of its list's: missing from rows only when rows is not that
    // list, and then its line is encoded again.
    forEachEntry(other, [&known, &missing](const Entry &entry, const StoredLine &line) {
        if (!known.insert(entry).second)
            return;
        missing.entries.push_back(entry);
        missing.lines.push_back(line);
    });
    return missing;
}

} // namespace varnook
