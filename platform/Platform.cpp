#include "Platform.h"

#include <QDir>
#include <QSettings>

namespace varnook {

std::unique_ptr<QSettings> Platform::openSettings() const {
    if (!settingsFile.isEmpty())
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, version.productName,
                                       version.productName);
}

QString Platform::programFile(const QString &name) const {
    return QDir(programFolder).filePath(name);
}

Platform &platform() {
    static Platform thePlatform;
    return thePlatform;
}

} // namespace varnook
