#include "EntryMerge.h"

#include <QHashFunctions>

#include <algorithm>
#include <unordered_set>

namespace varnook {

namespace {

using Rows = EntryMerge::Rows;

struct EntryHash {
    size_t operator()(const Entry &entry) const {
        return qHashMulti(0, entry.username, entry.password, entry.location);
    }
};

qsizetype find(const Rows &rows, const Entry &entry) {
    for (size_t i = 0; i < rows.entries.size(); ++i) {
        if (rows.entryAt(i) == entry)
            return qsizetype(i);
    }
    return -1;
}

// The file's version of entry: the first that agrees with it in two of the three fields.
qsizetype findChanged(const Rows &rows, const Entry &entry) {
    for (size_t i = 0; i < rows.entries.size(); ++i) {
        const Entry &other = rows.entryAt(i);
        const int same = int(other.username == entry.username) + int(other.password == entry.password) +
                         int(other.location == entry.location);
        if (same >= 2)
            return qsizetype(i);
    }
    return -1;
}

void append(Rows &rows, const Entry &entry) {
    if (find(rows, entry) >= 0)
        return; // added on both sides: one entry
    rows.entries.push_back(entry);
    rows.lines.emplace_back();
    if (!rows.held.empty()) {
        rows.held.push_back(nullptr);
        rows.heldIds.push_back(0);
    }
}

void replace(Rows &rows, qsizetype at, const Entry &entry) {
    rows.entries[size_t(at)] = entry;
    rows.lines[size_t(at)] = StoredLine();
    if (!rows.held.empty()) {
        rows.held[size_t(at)] = nullptr;
        rows.heldIds[size_t(at)] = 0;
    }
}

void erase(Rows &rows, qsizetype at) {
    rows.entries.erase(rows.entries.begin() + at);
    rows.lines.erase(rows.lines.begin() + at);
    if (!rows.held.empty()) {
        rows.held.erase(rows.held.begin() + at);
        rows.heldIds.erase(rows.heldIds.begin() + at);
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
        if (const qsizetype at = find(rows, change.before); at >= 0) {
            if (change.kind == EntryChange::Kind::Edit)
                replace(rows, at, change.after);
            else
                erase(rows, at);
            ++outcome.applied;
            continue;
        }
        const qsizetype changedAt = findChanged(rows, change.before);
        if (change.kind == EntryChange::Kind::Delete && changedAt < 0) {
            ++outcome.applied; // deleted on both sides
            continue;
        }
        MergeConflict conflict{change, std::nullopt};
        if (changedAt >= 0)
            conflict.inFile = rows.entryAt(size_t(changedAt));
        ++outcome.conflicts;
        switch (resolve(conflict)) {
        case ConflictChoice::KeepTheirs:
            break;
        case ConflictChoice::KeepMine:
            if (change.kind == EntryChange::Kind::Delete)
                erase(rows, changedAt);
            else if (changedAt >= 0)
                replace(rows, changedAt, change.after);
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
    for (size_t i = 0; i < rows.entries.size(); ++i)
        known.insert(rows.entryAt(i));
    Rows missing;
    for (size_t i = 0; i < other.entries.size(); ++i) {
        if (!known.insert(other.entryAt(i)).second)
            continue;
        missing.entries.push_back(other.entryAt(i));
        missing.lines.push_back(i < other.lines.size() ? other.lines[i] : StoredLine());
    }
    return missing;
}

} // namespace varnook
