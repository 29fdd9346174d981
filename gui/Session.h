#pragma once

#include "DataFile.h"
#include "DiskState.h"
#include "EntryMerge.h"
#include "EntryTableModel.h"
#include "FileKey.h"
#include "FileResult.h"
#include "StoredLine.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace varnook {

class BackgroundRead;
struct LoadResult;

// One run's data file and what it holds: the entries as the list shows them, the master password,
// what the file on disk was when last read or written, and the changes the file still lacks.
// Every change is saved when it is made. Another program may change the file meanwhile (a second
// computer through a sync engine, a backup restored): the session watches it, shows the new file
// when the list holds nothing unsaved, and otherwise carries the changes made here into the file's
// entries before it saves, asking the user where the two disagree. Outcomes go to status().
class Session : public QObject {
    Q_OBJECT

public:
    explicit Session(DataFile file, QObject *parent = nullptr);
    ~Session() override;
    // data.enc in the data folder (the program's own folder, or the user's data folder; ProgramFolders).
    static DataFile inDataFolder();

    const DataFile &dataFile() const { return m_file; }
    EntryTableModel &entries() { return m_entries; }
    const EntryTableModel &entries() const { return m_entries; }
    const QString &masterPassword() const { return m_masterPassword; }
    // Whether the data file is in the protected form; saves keep the form it has.
    bool isProtected() const { return bool(m_key); }
    // The protected file's format version, which its saves keep; 0 for the plain form.
    std::uint8_t protectedFormatVersion() const { return m_key ? m_key->formatVersion() : 0; }
    // The protected file's key, while the list is open; none for a file in the original form.
    const FileKey *key() const { return m_key.get(); }

    // Reads data.enc into the list, creating it or asking for the master password first, and starts
    // watching it. False when the program was ended on the way (refused login, cancelled creation,
    // unreadable file); it then ends with a non-zero exit status.
    bool load();
    // Starts reading data.enc on a thread, for the next load(): at the program's start, so that the
    // file is read while the splash screen shows.
    void startReading();

    // Forgets the entries, the master password and the key, for the lock; load() brings them back.
    // False, forgetting nothing, while changes the file lacks cannot be saved (a box said why).
    bool lock();

    // Records change, which the list already shows, and saves. False when the save failed; the user
    // has been told then, and the session knows that the file lacks its changes until a later save
    // succeeds.
    bool save(const EntryChange &change);
    // Saves the changes the file lacks (none: writes the list as it is).
    bool save();
    // The same without a box about a failed save or a "Saved" status line: for the save at Exit.
    FileResult write();

    // The changes of form and of the master password. Each first saves what the file lacks; a file
    // that lacks nothing is kept byte for byte, in its new form or under its new line 1. False when
    // the file could not be written; a box has said why, and the file and the session are as they were.
    bool protect(std::shared_ptr<const FileKey> key);
    bool removeProtection();
    // key: for a protected file, the key made from the new password; null for the plain form.
    bool changeMasterPassword(const QString &newPassword, std::shared_ptr<const FileKey> key);

    // What the last save merged from another program's changes to the file, as a sentence to add to
    // its status line; empty when it merged nothing.
    const QString &mergeNote() const { return m_mergeNote; }

    // Whether the data file lacks changes the list holds, since a save failed, and why it failed.
    bool hasUnsavedChanges() const { return m_unsaved; }
    const QString &unsavedReason() const { return m_unsavedReason; }

    // Looks at the file now, as the watcher does when it sees a change: shows the new file when
    // another program changed it and nothing is unsaved here.
    void checkForChanges();
    // Offers, a box each, to merge the entries of the conflict copies that sync engines left beside
    // the file; a merged copy is removed once its entries are saved, a declined one stays.
    void mergeConflictCopies();

signals:
    // A line for the main window's status bar.
    void status(const QString &text);
    // A look found the file changed by another program, quiet and with nothing unsaved here: the
    // session starts reading it to show it in the list (the benchmark times the reload from here).
    void reloadStarted();

private:
    // The file as the next save finds it: unchanged, changed by another program (merged into the
    // list), removed, or unreadable.
    FileResult prepareForSave();
    // Reads the data file as it is now. A line the list holds already is neither decoded nor kept:
    // heldIds[i] is the row that line i of the file is, 0 for a line decoded; the result's entries
    // and storedLines are those of the lines decoded, in order.
    LoadResult readFile(std::vector<EntryTableModel::RowId> &heldIds) const;
    // Whether a file read is the one last read or written here, written again: each of its lines
    // one a row holds (heldIds, as readFile gives them), in the order written.
    bool holdsWhatWasWritten(const LoadResult &read, const std::vector<EntryTableModel::RowId> &heldIds) const;
    // The rows of a file read, for a merge: lines the list holds stand for their rows' entries,
    // which are not copied.
    EntryMerge::Rows rowsOf(LoadResult &read, std::vector<EntryTableModel::RowId> heldIds) const;
    // Reads the file that another program changed, waiting a moment while it is being written, as
    // readFile does. Nothing when it could not be read whole.
    std::optional<LoadResult> readChangedFile(std::vector<EntryTableModel::RowId> &heldIds, QString *reason);
    // Waits, briefly, until the file keeps its identity; false when it went on changing.
    bool waitUntilQuiet();
    // Takes the file's master password when it differs from the one held (the login box), and opens
    // a protected file whose key is not this run's. False when the user did not give it, or the
    // protected file turned out damaged (reason says so).
    bool acceptMasterPasswordOf(LoadResult &read, QString *reason = nullptr);
    // The file's bytes in their plain form, once the file holds every change the list has.
    std::optional<QByteArray> currentPlainBytes(QString *reason);
    bool rewrite(const QByteArray &plain, std::shared_ptr<const FileKey> key, const QString &done);
    void tellNotSaved(const FileResult &result);
    ConflictChoice askWhichToKeep(const MergeConflict &conflict);
    bool askToCreateAgain();
    void watch();
    // Rows and the lines the data file holds for them.
    // Yields the first row's id; the rows' ids are consecutive.
    EntryTableModel::RowId appendRows(const std::vector<Entry> &entries, std::vector<StoredLine> lines);
    // heldIds: the row each line is, as readFile gives them with entries and lines; when empty,
    // entries and lines are every row's.
    void replaceRows(const std::vector<Entry> &entries, std::vector<StoredLine> lines,
                     std::vector<EntryTableModel::RowId> heldIds = {});
    void markSaved();
    void markUnsaved(const QString &reason);

    DataFile m_file;
    // The read startReading() began, until load() takes it.
    std::unique_ptr<BackgroundRead> m_reading;
    // The rows, each with the line the data file holds for it.
    EntryTableModel m_entries;
    // The rows' ids in the order of the file's lines as last read or written: another program's
    // file mostly keeps that order, which makes finding its lines among the held ones cheap.
    std::vector<EntryTableModel::RowId> m_fileOrder;
    QString m_masterPassword;
    // The protected form's key, derived once a run; null for the plain form.
    std::shared_ptr<const FileKey> m_key;
    DiskState m_disk;
    std::vector<EntryChange> m_pending; // changes the file lacks, oldest first
    bool m_unsaved = false;
    QString m_unsavedReason;
    QString m_mergeNote;          // what the last save merged, for its status line
    QStringList m_declinedCopies; // asked about once a run
    bool m_removalTold = false;
    bool m_checking = false;
    FileIdentity m_seen; // the file as the last look found it, to tell when it has gone quiet
    QFileSystemWatcher m_watcher;
    QTimer m_checkSoon;
};

} // namespace varnook
