#include "UnlockDataFile.h"

#include "BackgroundRead.h"
#include "DataLoader.h"
#include "MasterPasswordDialogs.h"
#include "MasterPasswordRules.h"
#include "Messages.h"
#include "Platform.h"
#include "ProtectedLogin.h"

#include <QTimer>

namespace varnook {

namespace {

// Long enough for the password box to be drawn (its window mapped, its first paint sent) on a busy
// machine too: decoding a million entries takes both cores for a third of a second, and begun 50 ms
// after the box it held the box back by as much. The user is still typing then.
constexpr int DecodeAfterBoxMs = 400;

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
    const QString status = QStringLiteral("Loaded %1 entries").arg(read.storedLines.size());
    return UnlockedData{std::move(read.masterPassword), std::move(read.storedLines), status, read.disk,
                        std::move(read.key)};
}

// The file as it is once the password is OK: another computer's save may have come in while the box
// was up. The new file is taken when the password typed is its master password too; otherwise the
// list shows what was read before the box, and the session finds the change at its next look.
LoadResult asItIsNow(const DataFile &file, LoadResult read, const QString &typed) {
    if (FileIdentity::of(file.path()) == read.disk.identity())
        return read;
    LoadResult again = DataLoader::readExisting(file);
    if (again.state == LoadResult::State::HasMasterPassword &&
        MasterPasswordRules::matchesStored(typed, again.masterPassword))
        return again;
    return read;
}

} // namespace

std::optional<UnlockedData> unlockDataFile(const DataFile &file) {
    BackgroundRead reading(file);
    return unlockDataFile(file, reading);
}

std::optional<UnlockedData> unlockDataFile(const DataFile &file, BackgroundRead &reading) {
    if (reading.holdsMasterPassword()) {
        // The box is up before the entries are decoded, which start a moment after it is shown; the
        // first OK waits for them.
        QTimer decodeSoon;
        decodeSoon.setSingleShot(true);
        QObject::connect(&decodeSoon, &QTimer::timeout, [&reading] { reading.startDecoding(); });
        decodeSoon.start(DecodeAfterBoxMs);
        std::optional<LoadResult> read;
        QString accepted;
        const bool loggedIn = MasterPasswordDialogs::login([&](const QString &typed) {
            if (!read)
                read = reading.take();
            if (!MasterPasswordRules::matchesStored(typed, read->masterPassword))
                return false;
            accepted = typed;
            return true;
        });
        if (!loggedIn)
            return std::nullopt;
        return loaded(asItIsNow(file, std::move(*read), accepted));
    }
    LoadResult read = reading.take();
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
    return UnlockedData{*password, std::move(read.storedLines), QStringLiteral("Password created successfully"), disk,
                        nullptr};
}

} // namespace varnook
