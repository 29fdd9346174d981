#include "StoreMessages.h"

#include "Platform.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {
QString productName() {
    return platform().version.productName;
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

QString StoreMessages::applicationTitle() {
    return productName() + QStringLiteral(" Demo");
}

QString StoreMessages::readFailed(const QString &path, const QString &reason) {
    return QStringLiteral("The data file could not be read:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + productName() + QStringLiteral(" will now close without changing it.");
}

QString StoreMessages::createFailed(const QString &path, const QString &reason) {
    return QStringLiteral("The data file could not be written:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + productName() + QStringLiteral(" will now close.");
}

QString StoreMessages::saveFailed(const QString &path, const QString &reason, bool replaced) {
    // Say what the disk holds now: the old file, the new one, or nothing at all.
    const QFileInfo file(path);
    QString state;
    if (replaced)
        state = QStringLiteral("The file holds the new contents.");
    else if (!file.dir().exists())
        state = QStringLiteral("Its folder no longer exists, so there is no data file any more.");
    else if (!file.exists())
        state = QStringLiteral("There is no data file in its folder any more.");
    else
        state = QStringLiteral("The file keeps its previous contents.");
    return QStringLiteral("The data file could not be saved:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + state +
           QStringLiteral(" The change stays in the list and is saved again with the next change.");
}

QString StoreMessages::passwordNotStored(const QString &path, const QString &reason) {
    return QStringLiteral("The master password could not be stored in the data file:\n") + shown(path) +
           QStringLiteral("\n\n") + reason + QStringLiteral("\n\n") + productName() +
           QStringLiteral(" will now close.");
}

QString StoreMessages::folderInUse(const QString &folder) {
    return productName() + QStringLiteral(" is already running with the data file in this folder:\n") + shown(folder) +
           QStringLiteral("\n\nOnly one copy at a time may use it, so this one will now close.");
}

QString StoreMessages::lockTakenOver(const QString &folder, const QString &because) {
    return QStringLiteral("The lock of this data folder was left behind, and ") + productName() +
           QStringLiteral(" has taken it over, since ") + because + QStringLiteral(":\n") + shown(folder) +
           QStringLiteral("\n\nIf another copy is still using this folder, close one of the two now: their saves "
                          "would overwrite each other.");
}

QString StoreMessages::lockFailed(const QString &folder, const QString &reason) {
    return productName() +
           QStringLiteral(" cannot lock the data file's folder, so it could not keep a second copy "
                          "from overwriting its saves:\n") +
           shown(folder) + QStringLiteral("\n\n") + reason + QStringLiteral("\n\n") + productName() +
           QStringLiteral(" will now close.");
}

} // namespace varnook
