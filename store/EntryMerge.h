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

    // The rows of a list, in order. Rows that the caller holds already (a line of the file it
    // knows) stand for themselves, so that a merge into a long list copies and decodes none of them:
    // heldIds[i], when not 0, is the caller's name for row i, held[i] its stored line (with its line
    // end), which stays the caller's. entries and lines hold the other rows' own, in order: every
    // row's, when heldIds is empty. The bytes held points to must not change during the merge.
    struct Rows {
        std::vector<Entry> entries;
        std::vector<StoredLine> lines; // lines[k] for entries[k]; a null line for a new or changed one
        std::vector<quint64> heldIds = {};
        std::vector<QByteArrayView> held = {};

        size_t count() const { return heldIds.empty() ? entries.size() : heldIds.size(); }
        bool isHeld(size_t row) const { return !heldIds.empty() && heldIds[row] != 0; }
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
