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

// Asks whether to open a folder that a copy on another computer holds; on OK it is opened beside it.
bool openAlongsideIfAsked(DataFolderLock &lock, const QString &otherHost) {
    MessageBoxRequest question;
    question.text = Messages::folderOpenOnAnotherComputer(lock.folder(), otherHost);
    question.title = Messages::applicationTitle();
    question.buttons = MessageButtons::OkCancel;
    question.icon = MessageIcon::Warning;
    // Two copies at once is the user's deliberate choice.
    question.defaultButton = MessageAnswer::Cancel;
    if (platform().dialogs->messageBox(question) != MessageAnswer::Ok)
        return false;
    const DataFolderLock::Result opened = lock.openAlongside();
    if (opened.state == DataFolderLock::State::Alongside)
        return true;
    tell(Messages::lockFailed(lock.folder(), opened.failureReason), MessageIcon::Critical);
    return false;
}

} // namespace

bool lockFolderOrTell(DataFolderLock &lock) {
    const DataFolderLock::Result result = lock.tryLock();
    switch (result.state) {
    case DataFolderLock::State::Locked:
        if (!result.takenOverBecause.isEmpty())
            tell(Messages::lockTakenOver(lock.folder(), result.takenOverBecause), MessageIcon::Warning);
        return true;
    case DataFolderLock::State::Alongside:
        return true;
    case DataFolderLock::State::HeldOnAnotherComputer:
        return openAlongsideIfAsked(lock, result.otherHost);
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
