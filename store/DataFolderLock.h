#pragma once

#include <QLockFile>
#include <QString>

namespace varnook {

// Keeps a second copy of the program off a data folder that one copy is using, so that the two
// never overwrite each other's saves. The lock is a file in the folder; a lock left behind by a
// copy that died is recognised and taken over.
class DataFolderLock {
public:
    static constexpr const char *FileName = "data.enc.lock";

    enum class State {
        Locked,        // this copy holds the folder
        HeldElsewhere, // another running copy holds it
        Unavailable,   // no lock can be made here (no rights); saves report their own failures
    };

    explicit DataFolderLock(const QString &folder);

    State tryLock();
    // Locks the folder, or tells the user that another copy holds it and yields false: the program
    // should end then.
    bool lockOrTell();
    void unlock() { m_lock.unlock(); }

    const QString &folder() const { return m_folder; }
    QString lockFilePath() const;

private:
    QString m_folder;
    QLockFile m_lock;
};

} // namespace varnook
