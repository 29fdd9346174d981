#include "StoreMessages.h"

#include "Platform.h"

#include <QDir>

namespace varnook {

namespace {
QString productName() {
    return platform().version.ProductName;
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

QString StoreMessages::saveFailed(const QString &path, const QString &reason) {
    return QStringLiteral("The data file could not be saved:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\nThe file keeps its previous contents. The change stays in the list and is saved "
                          "again with the next change.");
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

} // namespace varnook
