#pragma once

#include <QLockFile>
#include <QString>

namespace varnook {

// Keeps a second copy of the program off a data folder that one copy is using, so that the two
// never overwrite each other's saves. The lock is a file in the folder, readable by its owner
// only. A lock whose owner cannot be shown to be alive on this computer (it died, the lock file is
// empty or damaged, or it was made on another computer) is taken over, and the caller says so.
class DataFolderLock {
public:
    static constexpr const char *FileName = "data.enc.lock";

    enum class State {
        Locked,        // this copy holds the folder
        HeldElsewhere, // another running copy holds it
        Unavailable,   // no lock can be made here (no rights, a full disk, no folder); see failureReason()
    };

    explicit DataFolderLock(const QString &folder);

    // Once locked, leftover temporary copies of the data file from an earlier save are removed.
    State tryLock();
    // Locks the folder, or tells the user why it cannot and yields false: the program should end
    // then, since it would run unguarded. Tells the user too when a lock left behind was taken over.
    bool lockOrTell();
    void unlock() { m_lock.unlock(); }

    const QString &folder() const { return m_folder; }
    QString lockFilePath() const;
    // Why the lock left behind was taken over; empty when there was none to take over.
    const QString &takenOverBecause() const { return m_takenOverBecause; }
    // Why no lock could be made, after tryLock() gave Unavailable.
    const QString &failureReason() const { return m_failureReason; }

private:
    // Why the lock that blocks us has no owner alive on this computer; empty when it may have one.
    QString whyOwnerIsGone();
    QString probeFailure() const;
    void lockTaken();

    QString m_folder;
    QLockFile m_lock;
    QString m_takenOverBecause;
    QString m_failureReason;
};

} // namespace varnook
