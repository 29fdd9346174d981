#pragma once

#include "MasterPasswordRules.h"

#include "EntryMerge.h"

#include <QString>

namespace varnook {

// The texts of the boxes the program shows about its data file, its folder lock and the master
// password, and of the status lines about the lock. varnook-cli words its own.
class Messages {
public:
    // The application's title, shown by boxes that have no title of their own.
    static QString applicationTitle();
    static QString readFailed(const QString &path, const QString &reason);
    // The file could not be made at the first start.
    static QString createFailed(const QString &path, const QString &reason);
    // replaced: the failure came after the new contents had taken the old ones' place.
    static QString saveFailed(const QString &path, const QString &reason, bool replaced = false);
    // Two versions of one entry, here and in the data file that another program changed.
    static QString entryConflict(const MergeConflict &conflict);
    static QString passwordNotStored(const QString &path, const QString &reason);
    // A protected data file whose header or body cannot be read; reason starts in lower case.
    static QString dataFileDamaged(const QString &path, const QString &reason);
    // The wait box while a key is derived from the master password.
    static QString checkingMasterPassword();
    static QString folderInUse(const QString &folder);
    static QString lockTakenOver(const QString &folder, const QString &because);
    // A copy on another computer refreshes the folder's lock; the box asks whether to open it anyway.
    static QString folderOpenOnAnotherComputer(const QString &folder, const QString &host);
    // The status lines of the copy that holds the lock.
    static QString openedAlongside(const QString &host);
    static QString lockTakenElsewhere(const QString &host);
    static QString lockFailed(const QString &folder, const QString &reason);
    // Why the creation refuses a new master password, as its box says it.
    static QString newPasswordRefused(MasterPasswordRules::Problem problem);
};

} // namespace varnook
