#include "Settings.h"

#include "Platform.h"

#include <QSettings>

namespace varnook {

namespace {
const QString ShowHelpKey = QStringLiteral("Settings/showHelp");
const QString PassesKey = QStringLiteral("Protection/keyDerivationPasses");
const QString MemoryKey = QStringLiteral("Protection/keyDerivationMemoryKiB");
const QString LockAfterKey = QStringLiteral("Settings/lockAfterMinutes");
const QString HidePasswordsKey = QStringLiteral("Settings/hidePasswords");
const QString ClipboardClearKey = QStringLiteral("Settings/clipboardClearSeconds");

std::optional<std::uint32_t> positiveNumber(const QSettings &store, const QString &key) {
    bool isNumber = false;
    const uint value = store.value(key).toString().trimmed().toUInt(&isNumber);
    if (!isNumber || value == 0)
        return std::nullopt;
    return value;
}
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

std::optional<std::uint32_t> Settings::keyDerivationPasses() const {
    if (!positiveNumber(*m_store, MemoryKey))
        return std::nullopt;
    return positiveNumber(*m_store, PassesKey);
}

std::optional<std::uint32_t> Settings::keyDerivationMemoryKiB() const {
    if (!positiveNumber(*m_store, PassesKey))
        return std::nullopt;
    return positiveNumber(*m_store, MemoryKey);
}

bool Settings::hidePasswords() const {
    return m_store->value(HidePasswordsKey, QStringLiteral("0")).toString().trimmed() == QStringLiteral("1");
}

bool Settings::setHidePasswords(bool hide) {
    m_store->setValue(HidePasswordsKey, hide ? QStringLiteral("1") : QStringLiteral("0"));
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

int Settings::clipboardClearSeconds() const {
    bool isNumber = false;
    const int seconds = m_store->value(ClipboardClearKey, QStringLiteral("30")).toString().trimmed().toInt(&isNumber);
    return isNumber && seconds >= 0 ? seconds : 30;
}

int Settings::lockAfterMinutes() const {
    return int(positiveNumber(*m_store, LockAfterKey).value_or(0));
}

bool Settings::setLockAfterMinutes(int minutes) {
    m_store->setValue(LockAfterKey, QString::number(std::max(0, minutes)));
    m_store->sync();
    return m_store->status() == QSettings::NoError;
}

QString Settings::location() const {
    return m_store->fileName();
}

} // namespace varnook
