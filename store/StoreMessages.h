#pragma once

#include <QString>

namespace varnook {

// The texts of the boxes the credential store shows when a file operation fails.
class StoreMessages {
public:
    // The application's title, shown by boxes that have no title of their own.
    static QString applicationTitle();
    static QString readFailed(const QString &path, const QString &reason);
    // The file could not be made at the first start.
    static QString createFailed(const QString &path, const QString &reason);
    // replaced: the failure came after the new contents had taken the old ones' place.
    static QString saveFailed(const QString &path, const QString &reason, bool replaced = false);
    static QString passwordNotStored(const QString &path, const QString &reason);
    static QString folderInUse(const QString &folder);
    static QString lockTakenOver(const QString &folder, const QString &because);
    static QString lockFailed(const QString &folder, const QString &reason);
};

} // namespace varnook
