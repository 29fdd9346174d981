#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace varnook {

// Temporary copies of the data file that a save left behind when it was killed between writing
// and renaming: "data.enc." and six letters or digits. Each holds every password, so the next copy
// that holds the folder's lock removes them; a copy made after that lock belongs to a running save.
class LeftoverTemporaries {
public:
    static bool isOurs(const QString &fileName);
    // Removes our temporary files in folder last changed before time; yields the names removed.
    static QStringList removeIn(const QString &folder, const QDateTime &before);
};

} // namespace varnook
