#include "ProtectCommand.h"

#include "Console.h"
#include "DataFileKey.h"
#include "DataFileRewrite.h"
#include "DataFileUnlock.h"
#include "PasswordInput.h"

#include <QDir>

namespace varnook {

namespace {

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

ExitCode ProtectCommand::run() {
    DataFileRewrite rewrite(m_folder);
    if (const std::optional<ExitCode> failed = rewrite.begin())
        return *failed;
    LoadResult &read = rewrite.read();
    if (read.state == LoadResult::State::Protected) {
        Console::err(QStringLiteral("The data file is protected already: ") + shown(rewrite.path()) +
                     QStringLiteral("\nNothing was changed. To choose another master password, use "
                                    "\"varnook-cli passwd\"."));
        return ExitCode::Usage;
    }
    if (read.state == LoadResult::State::HasMasterPassword && PasswordInput::isTerminal())
        Console::err(QStringLiteral("Protection encrypts the data file with a key made from your master password, so "
                                    "that a copy of it (a backup, a synced folder, a lost disk) reveals nothing to "
                                    "whoever lacks the password. The original program cannot read a protected file; "
                                    "\"varnook-cli unprotect\" gives it back its plain form."));
    if (const std::optional<ExitCode> refused =
            DataFileUnlock::unlock(read, rewrite.path(), DataFileUnlock::dataFile()))
        return *refused;
    const auto key = DataFileKey::forNewProtection(read.masterPassword, m_cost);
    if (!key) {
        DataFileUnlock::tellNoMemory(m_cost);
        return ExitCode::FileFailure;
    }
    // The file's own bytes, whatever a save would write instead: unprotect gives them back.
    return rewrite.finish(read.plain, key.get(), QStringLiteral("The data file is protected now."));
}

ExitCode UnprotectCommand::run() {
    DataFileRewrite rewrite(m_folder);
    if (const std::optional<ExitCode> failed = rewrite.begin())
        return *failed;
    LoadResult &read = rewrite.read();
    if (read.state == LoadResult::State::HasMasterPassword) {
        Console::err(QStringLiteral("The data file is not protected: ") + shown(rewrite.path()) +
                     QStringLiteral("\nNothing was changed."));
        return ExitCode::Usage;
    }
    if (read.state == LoadResult::State::Protected && PasswordInput::isTerminal())
        Console::err(QStringLiteral("Without protection the data file is scrambled only: anyone who has a copy of it "
                                    "can read every password in it."));
    if (const std::optional<ExitCode> refused =
            DataFileUnlock::unlock(read, rewrite.path(), DataFileUnlock::dataFile()))
        return *refused;
    return rewrite.finish(read.plain, nullptr,
                          QStringLiteral("Protection removed: the data file is in its plain form again."));
}

} // namespace varnook
