#include "Settings.h"

#include "Platform.h"

#include <QSettings>

namespace varnook {

namespace {
const QString ShowHelpKey = QStringLiteral("Settings/showHelp");
} // namespace

Settings::Settings()
    : m_store(platform().openSettings()) {}

Settings::~Settings() = default;

bool Settings::showHelp() const {
    // Written as "1" or "0"; a value edited by hand counts when it reads as one of them.
    bool isNumber = false;
    const int stored = m_store->value(ShowHelpKey, QStringLiteral("1")).toString().trimmed().toInt(&isNumber);
    return !(isNumber && stored == 0);
}

bool Settings::setShowHelp(bool show) {
    m_store->setValue(ShowHelpKey, show ? QStringLiteral("1") : QStringLiteral("0"));
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

QString Settings::location() const {
    return m_store->fileName();
}

} // namespace varnook
