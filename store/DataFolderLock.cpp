#include "DataFolderLock.h"

#include "Platform.h"
#include "StoreMessages.h"

#include <QDir>

namespace varnook {

DataFolderLock::DataFolderLock(const QString &folder)
    : m_folder(folder)
    , m_lock(QDir(folder).filePath(QString::fromLatin1(FileName))) {
    // The program runs for hours: only a lock whose owner has died counts as stale, never an old one.
    m_lock.setStaleLockTime(0);
}

QString DataFolderLock::lockFilePath() const {
    return QDir(m_folder).filePath(QString::fromLatin1(FileName));
}

DataFolderLock::State DataFolderLock::tryLock() {
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return State::Locked;
    return m_lock.error() == QLockFile::LockFailedError ? State::HeldElsewhere : State::Unavailable;
}

bool DataFolderLock::lockOrTell() {
    if (tryLock() != State::HeldElsewhere)
        return true;
    MessageBoxRequest request;
    request.text = StoreMessages::folderInUse(m_folder);
    request.title = StoreMessages::applicationTitle();
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::Warning;
    platform().dialogs->messageBox(request);
    return false;
}

} // namespace varnook
