#include "FolderLockBox.h"

#include "DataFolderLock.h"
#include "Messages.h"
#include "Platform.h"

namespace varnook {

namespace {

void tell(const QString &text, MessageIcon icon) {
    MessageBoxRequest request;
    request.text = text;
    request.title = Messages::applicationTitle();
    request.buttons = MessageButtons::Ok;
    request.icon = icon;
    platform().dialogs->messageBox(request);
}

} // namespace

bool lockFolderOrTell(DataFolderLock &lock) {
    const DataFolderLock::Result result = lock.tryLock();
    switch (result.state) {
    case DataFolderLock::State::Locked:
        if (!result.takenOverBecause.isEmpty())
            tell(Messages::lockTakenOver(lock.folder(), result.takenOverBecause), MessageIcon::Warning);
        return true;
    case DataFolderLock::State::HeldElsewhere:
        tell(Messages::folderInUse(lock.folder()), MessageIcon::Warning);
        return false;
    case DataFolderLock::State::Unavailable:
        tell(Messages::lockFailed(lock.folder(), result.failureReason), MessageIcon::Critical);
        return false;
    }
    return false;
}

} // namespace varnook
