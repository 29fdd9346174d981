#pragma once

#include <QLockFile>
#include <QString>

namespace varnook {

// Keeps a second copy of the program off a data folder that one copy is using, so that the two
// never overwrite each other's saves. The lock is a file in the folder, readable by its owner
// only. A lock whose owner cannot be shown to be alive on this computer (it died, the lock file is
// empty or damaged, or it was made on another computer) is taken over, and the result says why.
class DataFolderLock {
public:
    static constexpr const char *FileName = "data.enc.lock";

    enum class State {
        Locked,        // this copy holds the folder
        HeldElsewhere, // another running copy holds it
        Unavailable,   // no lock can be made here (no rights, a full disk, no folder); see failureReason()
    };

    explicit DataFolderLock(const QString &folder);

    // What tryLock() found and did.
    struct Result {
        State state = State::Unavailable;
        // Why a lock left behind was taken over; empty when there was none to take over.
        QString takenOverBecause;
        // Why no lock could be made, when state is Unavailable.
        QString failureReason;
    };

    // Once locked, the temporary files that a killed save of the data file left are removed.
    // A caller that gets anything but Locked should not go on: it would run unguarded.
    Result tryLock();
    void unlock() { m_lock.unlock(); }

    const QString &folder() const { return m_folder; }
    QString lockFilePath() const;

private:
    // Why the lock that blocks us has no owner alive on this computer; empty when it may have one.
    QString whyOwnerIsGone();
    QString probeFailure() const;
    void lockTaken();

    QString m_folder;
    QLockFile m_lock;
};

} // namespace varnook
