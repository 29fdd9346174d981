#pragma once

#include "DataFile.h"
#include "DataFileFormat.h"
#include "DiskState.h"
#include "Entry.h"
#include "FileKey.h"
#include "ProtectedForm.h"
#include "StoredLine.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace varnook {

// What the data file holds, as DataLoader read it.
struct LoadResult {
    enum class State {
        NeedsMasterPassword, // new, empty, or line 1 is empty: a new master password comes first
        HasMasterPassword,   // masterPassword holds the one the user must type
        Protected,           // the protected form: the master password opens it (DataLoader::unseal)
        Damaged,             // a protected file that cannot be opened: see reason; nothing was changed
        CouldNotCreate,      // the missing file could not be made; see reason
        CouldNotRead,        // see reason; nothing was changed
    };
    State state = State::CouldNotRead;
    QString masterPassword;
    // Empty when the lines were not decoded (DataLoader::Decoding::LinesOnly).
    std::vector<Entry> entries;
    // Each entry's line as a save writes it (storedLines[i] for entries[i]), mostly the very bytes
    // read: the first save costs no more than later ones.
    std::vector<StoredLine> storedLines;
    // The entry lines, byte for byte, that a new master password line keeps under it; empty when
    // they hold no entry.
    QByteArray entryLinesToKeep;
    QString reason;
    // The file in its plain form: the bytes read, or a protected file's body once opened.
    QByteArray plain;
    // Protected: the bytes read and their header, for DataLoader::unseal.
    QByteArray sealed;
    ProtectedForm::Header header;
    // The key a protected file was opened with; null for a file in the plain form. A save keeps the
    // form the file has.
    std::shared_ptr<const FileKey> key;
    // The version read, for later checks of whether another program changed the file.
    DiskState disk;
    // The file changed while it was read: the bytes may be a half-written file.
    bool changedWhileRead = false;
};

// Reads the data file: its master password line and its entries. Asks nothing and shows nothing;
// the caller decides what to ask from the result.
class DataLoader {
public:
    // Whether the entries of the lines read are decoded, or only the lines kept: a list that
    // decodes its rows as it shows them takes the lines alone.
    enum class Decoding { Entries, LinesOnly };

    // Reads the file; one that is missing is first made with one empty line, as the first start
    // leaves it even when no master password is created.
    // bytesRead, when given, gets the bytes as soon as they are read, before their entries are
    // decoded: a caller on another thread can ask for the password meanwhile.
    static LoadResult read(const DataFile &file, const std::function<void(const QByteArray &bytes)> &bytesRead = {},
                           Decoding decoding = Decoding::Entries);
    // Reads a file that is there already, never making one: for a file another program may have
    // removed meanwhile. A missing file is CouldNotRead.
    // A protected file is opened with key when key belongs to it (this run's file read again), and
    // is Protected otherwise.
    // held: lines whose entries the caller holds already (DataFileFormat::HeldLine), so that a file
    // read again decodes only its new lines: entries and storedLines then hold only the lines not
    // held, in order.
    static LoadResult readExisting(const DataFile &file, const std::shared_ptr<const FileKey> &key = {},
                                   const DataFileFormat::HeldLine &held = {});
    // What the bytes of a data file hold: NeedsMasterPassword or HasMasterPassword in the plain form,
    // Protected or Damaged in the protected form.
    static LoadResult fromBytes(const QByteArray &bytes, const DataFileFormat::HeldLine &held = {});
    // Opens a Protected result with key: HasMasterPassword, or Damaged for a body that is cut short or
    // was changed. False, with result as it was, when key is not the file's (a wrong password).
    static bool unseal(LoadResult &result, const std::shared_ptr<const FileKey> &key,
                       const DataFileFormat::HeldLine &held = {}, Decoding decoding = Decoding::Entries);

private:
    static LoadResult readFile(const DataFile &file, const std::shared_ptr<const FileKey> &key,
                               const DataFileFormat::HeldLine &held,
                               const std::function<void(const QByteArray &bytes)> &bytesRead, Decoding decoding);
    static LoadResult fromPlainBytes(const QByteArray &bytes, const DataFileFormat::HeldLine &held,
                                     Decoding decoding = Decoding::Entries);
};

} // namespace varnook
