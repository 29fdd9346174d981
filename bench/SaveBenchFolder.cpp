#include "SaveBenchFolder.h"

#include <QDir>

namespace varnook::bench {

MessageAnswer CountingDialogs::messageBox(const MessageBoxRequest &request) {
    ++m_shown;
    return request.defaultButton;
}

QString CountingDialogs::inputBox(const QString &, const QString &, bool) {
    ++m_shown;
    return m_password;
}

void CountingDialogs::waitFor(const QString &, const QString &, const std::function<void()> &work) {
    ++m_shown;
    runOffThread(work);
}

SaveBenchFolder::SaveBenchFolder(const QString &password)
    : m_dialogs(password) {
    Platform &p = platform();
    p.dialogs = &m_dialogs;
    p.programFolder = m_folder.path();
    p.dataFolder = m_folder.path();
    p.settingsFile = QDir(m_settingsFolder.path()).filePath(QStringLiteral("settings.ini"));
    p.version = VersionRecord::builtIn();
}

SaveBenchFolder::~SaveBenchFolder() {
    platform().dialogs = nullptr;
}

QString SaveBenchFolder::dataFile() const {
    return QDir(m_folder.path()).filePath(QStringLiteral("data.enc"));
}

} // namespace varnook::bench
