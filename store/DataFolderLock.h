#pragma once

#include <QLockFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace varnook {

// Keeps a second copy of the program off a data folder that one copy is using, so that the two
// never overwrite each other's saves. The lock is a file in the folder, readable by its owner
// only. A lock whose owner cannot be shown to be alive on this computer (it died, the lock file is
// empty or damaged) is taken over, and the result says why.
//
// A copy on another computer (a shared or network folder) cannot be asked whether it lives: a live
// copy shows it by refreshing its lock's modification time (refresh(), every RefreshSeconds), and
// its lock is taken over only once it has not been refreshed for StaleAfterSeconds. A copy may open
// a folder that such a lock holds anyway (openAlongside()): it leaves a mark, a file of its own
// beside the lock that it refreshes too, so that the holder's next refresh finds it and can say so.
class DataFolderLock {
public:
    static constexpr const char *FileName = "data.enc.lock";
    static constexpr int RefreshSeconds = 5;
    // Twelve refreshes: a loaded machine or a slow network write misses a few, and the two
    // computers' clocks (or the file server's and ours) may differ by some seconds. A network file
    // system's cached times are no part of it, since the lock file is opened before its time is
    // read, which makes NFS and SMB ask the server. Longer costs little: until then a copy that
    // died elsewhere leaves a box that offers to open the folder anyway, as does a lock whose time
    // is ahead of our clock.
    static constexpr int StaleAfterSeconds = 60;

    enum class State {
        Locked,                // this copy holds the folder
        HeldElsewhere,         // another running copy on this computer holds it
        HeldOnAnotherComputer, // a copy on otherHost refreshed its lock lately; see openAlongside()
        Alongside,             // this copy uses the folder beside the holder on another computer
        Unavailable,           // no lock can be made here (no rights, a full disk, no folder); see failureReason()
    };

    explicit DataFolderLock(const QString &folder);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    // What tryLock() found and did.
    struct Result {
        State state = State::Unavailable;
        // Why a lock left behind was taken over; empty when there was none to take over.
        QString takenOverBecause;
        // Why no lock could be made, when state is Unavailable.
        QString failureReason;
        // The computer whose copy holds the folder, when state is HeldOnAnotherComputer.
        QString otherHost;
        // When Locked: the computers of copies that opened the folder alongside the lock's last
        // holder and still run.
        QStringList alongside;
    };

    // Once locked, the temporary files that a killed save of the data file left are removed.
    // A caller that gets anything but Locked should not go on: it would run unguarded, unless the
    // user chose to open a folder held on another computer (openAlongside()).
    Result tryLock();
    // After tryLock() found the folder HeldOnAnotherComputer: uses it anyway, leaving a mark for
    // the holder. Alongside, or Unavailable when the mark cannot be written.
    Result openAlongside();
    void unlock();

    // What refresh() found that the user should be told; each only once in a run.
    struct Refreshed {
        // Computers of copies that opened the folder alongside this one since the last refresh.
        QStringList openedAlongside;
        // The computer of a copy that has taken this copy's lock over, once it has.
        QString lockTakenBy;
    };
    // A live copy calls this every RefreshSeconds: it touches its lock (or its mark), and the
    // holder looks for marks of copies that opened the folder alongside it.
    Refreshed refresh();

    const QString &folder() const { return m_folder; }
    QString lockFilePath() const;

private:
    // Who holds the lock that blocks us, as far as this computer can tell.
    struct Holder {
        QString goneBecause; // not empty: no owner alive, and why
        QString otherHost;   // not empty: a live copy on that computer
    };
    Holder blockingHolder();
    QString probeFailure() const;
    void lockTaken();

    QString m_folder;
    QLockFile m_lock;
    std::optional<QString> m_mark; // this copy's mark, when it uses the folder alongside another
    QSet<QString> m_toldMarks;     // the marks refresh() reported
    bool m_lossTold = false;
};

} // namespace varnook
