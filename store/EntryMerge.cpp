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
    const auto at = std::find(rows.entries.begin(), rows.entries.end(), entry);
    return at == rows.entries.end() ? -1 : qsizetype(at - rows.entries.begin());
}

// The file's version of entry: the first that agrees with it in two of the three fields.
qsizetype findChanged(const Rows &rows, const Entry &entry) {
    for (size_t i = 0; i < rows.entries.size(); ++i) {
        const Entry &other = rows.entries[i];
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
}

void replace(Rows &rows, qsizetype at, const Entry &entry) {
    rows.entries[size_t(at)] = entry;
    rows.lines[size_t(at)] = StoredLine();
}

void erase(Rows &rows, qsizetype at) {
    rows.entries.erase(rows.entries.begin() + at);
    rows.lines.erase(rows.lines.begin() + at);
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
            conflict.inFile = rows.entries[size_t(changedAt)];
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
    std::unordered_set<Entry, EntryHash> known(rows.entries.begin(), rows.entries.end());
    Rows missing;
    for (size_t i = 0; i < other.entries.size(); ++i) {
        if (!known.insert(other.entries[i]).second)
            continue;
        missing.entries.push_back(other.entries[i]);
        missing.lines.push_back(i < other.lines.size() ? other.lines[i] : StoredLine());
    }
    return missing;
}

} // namespace varnook
