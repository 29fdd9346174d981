#pragma once

#include <QString>
#include <QStringList>

namespace varnook {

// The copies of the data file that sync engines leave beside it when both computers changed it:
// Syncthing's "data.sync-conflict-<date>-<time>-<device>.enc", Nextcloud's and ownCloud's
// "data (conflicted copy <date> <time>).enc", Dropbox's "data (<name>'s conflicted copy <date>).enc".
// Each holds entries that may be in no other file.
class ConflictCopies {
public:
    static bool isConflictCopy(const QString &fileName, const QString &dataFileName);
    // The paths of the conflict copies beside dataFile, oldest name first.
    static QStringList besides(const QString &dataFile);
};

} // namespace varnook
