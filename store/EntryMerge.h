#pragma once

#include "Entry.h"
#include "StoredLine.h"

#include <functional>
#include <optional>
#include <vector>

namespace varnook {

// One change the user made to the list, as a save must carry it into a file that another program
// changed meanwhile.
struct EntryChange {
    enum class Kind { Add, Edit, Delete };
    Kind kind = Kind::Add;
    Entry before; // Edit and Delete: the entry as it was
    Entry after;  // Add and Edit: the entry as it is now
};

// A change that does not apply cleanly: the entry it edits or deletes is no longer in the file, or
// the file holds it changed.
struct MergeConflict {
    EntryChange change;
    // The file's version of the entry (the one that agrees with it in two fields of three), or none
    // when the file no longer holds it.
    std::optional<Entry> inFile;
};

enum class ConflictChoice {
    KeepBoth,   // the file's version stays and this change is added to it
    KeepMine,   // the change made here wins
    KeepTheirs, // the file's version wins and the change is dropped
};

// Applies the changes made here, in order, to the entries another program saved. Entries the
// changes do not touch keep their stored lines byte for byte; new and edited ones get none (a
// save encodes them). A change that does not apply cleanly is settled by resolve, so that nothing
// from either side goes without the user's choice.
class EntryMerge {
public:
    using Resolve = std::function<ConflictChoice(const MergeConflict &)>;

    struct Rows {
        std::vector<Entry> entries;
        std::vector<StoredLine> lines; // lines[i] for entries[i]; a null line for a new one
        // Rows that the caller holds already (a line of the file it knows), left empty in entries so
        // that a merge into a long list copies none of them: held[i], when not null, is row i's
        // entry, and heldIds[i] the caller's name for that row, 0 once a change rewrote it. Both are
        // empty, or as long as entries; what they point to must not change during the merge.
        std::vector<const Entry *> held = {};
        std::vector<quint64> heldIds = {};

        const Entry &entryAt(size_t i) const { return i < held.size() && held[i] ? *held[i] : entries[i]; }
    };
    struct Outcome {
        int applied = 0;   // changes that applied cleanly
        int conflicts = 0; // changes settled by resolve
    };

    static Outcome apply(Rows &rows, const std::vector<EntryChange> &changes, const Resolve &resolve);
    // The rows of other (another copy of the data file) that rows lack, with their stored lines:
    // an entry equal in all three fields to one in rows, or to one taken before, is one entry.
    static Rows missingFrom(const Rows &rows, const Rows &other);
};

} // namespace varnook
