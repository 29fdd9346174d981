#include "UnlockDataFile.h"

#include "DataLoader.h"
#include "MasterPasswordDialogs.h"
#include "Messages.h"
#include "Platform.h"
#include "ProtectedLogin.h"

namespace varnook {

namespace {

std::nullopt_t tellFailure(const QString &text) {
    MessageBoxRequest request;
    request.text = text;
    request.title = Messages::applicationTitle();
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::Critical;
    platform().dialogs->messageBox(request);
    return std::nullopt;
}

UnlockedData loaded(LoadResult read) {
    const QString status = QStringLiteral("Loaded %1 entries").arg(read.entries.size());
    return UnlockedData{std::move(read.masterPassword),
                        std::move(read.entries),
                        std::move(read.storedLines),
                        status,
                        read.disk,
                        std::move(read.key)};
}

} // namespace

std::optional<UnlockedData> unlockDataFile(const DataFile &file) {
    LoadResult read = DataLoader::read(file);
    switch (read.state) {
    case LoadResult::State::CouldNotCreate:
        return tellFailure(Messages::createFailed(file.path(), read.reason));
    case LoadResult::State::CouldNotRead:
        return tellFailure(Messages::readFailed(file.path(), read.reason));
    case LoadResult::State::Damaged:
        return tellFailure(Messages::dataFileDamaged(file.path(), read.reason));
    case LoadResult::State::Protected:
        if (!ProtectedLogin::open(read))
            return std::nullopt;
        if (read.state == LoadResult::State::Damaged)
            return tellFailure(Messages::dataFileDamaged(file.path(), read.reason));
        return loaded(std::move(read));
    case LoadResult::State::HasMasterPassword:
        if (!MasterPasswordDialogs::login(read.masterPassword))
            return std::nullopt;
        return loaded(std::move(read));
    case LoadResult::State::NeedsMasterPassword:
        break;
    }
    const std::optional<QString> password = MasterPasswordDialogs::askNew();
    if (!password)
        return std::nullopt;
    DiskState disk;
    if (const FileResult written = file.writeNewMasterPassword(*password, read.entryLinesToKeep, &disk); !written)
        return tellFailure(Messages::passwordNotStored(file.path(), written.reason()));
    return UnlockedData{*password,
                        std::move(read.entries),
                        std::move(read.storedLines),
                        QStringLiteral("Password created successfully"),
                        disk,
                        nullptr};
}

} // namespace varnook
