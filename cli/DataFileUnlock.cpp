#include "DataFileUnlock.h"

#include "CodePage1252.h"
#include "Console.h"
#include "DataFileKey.h"
#include "DataLoader.h"
#include "MasterPasswordInput.h"

#include <QDir>

namespace varnook {

namespace {

std::optional<ExitCode> refusal(MasterPasswordInput::Outcome outcome) {
    if (outcome == MasterPasswordInput::Outcome::Accepted)
        return std::nullopt;
    return ExitCode::PasswordRefused;
}

// A typed character the code page lacks cannot be in the stored password: such a password is
// wrong, not a failure to make its key.
bool fitsTheCodePage(const QString &typed) {
    for (const QChar character : typed) {
        if (CodePage1252::codeOf(character.unicode()) < 0)
            return false;
    }
    return true;
}

} // namespace

DataFileUnlock::Names DataFileUnlock::dataFile() {
    return {QStringLiteral("The data file"), QStringLiteral("Please enter your password: ")};
}

bool DataFileUnlock::tryPassword(LoadResult &read, const QString &password, bool &noMemory) {
    // A protected file always holds a master password, so an empty line is wrong without the work
    // of a key (and libsodium takes no empty password buffer).
    if (password.isEmpty())
        return false;
    const auto key = DataFileKey::derive(password, read.header.cost, read.header.salt, read.header.version);
    if (!key) {
        noMemory = fitsTheCodePage(password);
        return noMemory;
    }
    return DataLoader::unseal(read, key);
}

std::optional<ExitCode> DataFileUnlock::unlock(LoadResult &read, const QString &path, const Names &names) {
    switch (read.state) {
    case LoadResult::State::HasMasterPassword:
        return refusal(MasterPasswordInput::login(read.masterPassword, names.prompt));
    case LoadResult::State::Protected:
        break;
    case LoadResult::State::Damaged:
        tellDamaged(names.which, path, read.reason);
        return ExitCode::FileHasProblems;
    case LoadResult::State::NeedsMasterPassword:
    case LoadResult::State::CouldNotCreate:
    case LoadResult::State::CouldNotRead:
        // The callers tell these in their own words before they get here.
        return ExitCode::FileFailure;
    }
    bool noMemory = false;
    // Stops at the first password that opens the file or cannot make a key at all.
    const MasterPasswordInput::Outcome outcome = MasterPasswordInput::login(
        [&](const QString &typed) { return tryPassword(read, typed, noMemory); }, names.prompt);
    if (const std::optional<ExitCode> refused = refusal(outcome))
        return refused;
    if (noMemory) {
        tellNoMemory(read.header.cost);
        return ExitCode::FileFailure;
    }
    if (read.state == LoadResult::State::Damaged) {
        tellDamaged(names.which, path, read.reason);
        return ExitCode::FileHasProblems;
    }
    return std::nullopt;
}

void DataFileUnlock::tellDamaged(const QString &which, const QString &path, const QString &reason) {
    // The reason reads as the end of "The file …": "it is cut short".
    QString sentence = reason;
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    Console::err(which + QStringLiteral(" is damaged and cannot be opened: ") + QDir::toNativeSeparators(path) +
                 QStringLiteral("\n") + sentence +
                 QStringLiteral(".\nNothing was changed. A backup of the file, or the copy on another computer, "
                                "may still be whole."));
}

void DataFileUnlock::tellNoMemory(const KdfCost &cost) {
    Console::err(QStringLiteral("The key could not be made from the master password: the memory it needs (%1 KiB) "
                                "could not be had. Nothing was changed.")
                     .arg(cost.memoryKiB));
}

} // namespace varnook
