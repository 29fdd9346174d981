#pragma once

#include "DataFile.h"
#include "Entry.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace varnook {

// What the data file holds, as DataLoader read it.
struct LoadResult {
    enum class State {
        NeedsMasterPassword, // missing, empty, or line 1 is empty: a new master password comes first
        HasMasterPassword,   // masterPassword holds the one the user must type
        CouldNotCreate,      // the missing file could not be made; see reason
        CouldNotRead,        // see reason; nothing was changed
    };
    State state = State::CouldNotRead;
    // True when there was no file (and the loader was not asked to make one).
    bool missing = false;
    QString masterPassword;
    std::vector<Entry> entries;
    // The entry lines, byte for byte, that a new master password line keeps under it; empty when
    // they hold no entry.
    QByteArray entryLinesToKeep;
    QString reason;

    bool failed() const { return state == State::CouldNotCreate || state == State::CouldNotRead; }
};

// Reads the data file: its master password line and its entries. Asks nothing and shows nothing;
// the caller decides what to ask from the result.
class DataLoader {
public:
    enum class WhenMissing {
        Create, // make the file with one empty line first, as the program's first start does
        Report, // leave the disk alone and report the file as missing
    };

    static LoadResult read(const DataFile &file, WhenMissing whenMissing);
    // What the bytes of a data file hold: NeedsMasterPassword or HasMasterPassword.
    static LoadResult fromBytes(QByteArrayView bytes);
};

} // namespace varnook
