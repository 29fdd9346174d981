#include "ChangePasswordCommand.h"

#include "Console.h"
#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "DataFileRewrite.h"
#include "DataFileUnlock.h"
#include "MasterPasswordInput.h"
#include "SecretBytes.h"

namespace varnook {

ExitCode ChangePasswordCommand::run() {
    DataFileRewrite rewrite(m_folder);
    if (const std::optional<ExitCode> failed = rewrite.begin())
        return *failed;
    LoadResult &read = rewrite.read();
    const bool isProtected = read.state != LoadResult::State::HasMasterPassword;
    if (m_cost && !isProtected) {
        // Refused before any password is typed: the plain form has no key to derive.
        Console::err(QStringLiteral("The data file is not protected, so it has no key derivation cost to choose: "
                                    "leave out --kdf-passes and --kdf-memory, or run \"varnook-cli protect\" first."));
        return ExitCode::Usage;
    }
    if (const std::optional<ExitCode> refused = DataFileUnlock::unlock(
            read, rewrite.path(), {QStringLiteral("The data file"), QStringLiteral("Current master password: ")}))
        return *refused;
    QString newPassword;
    if (MasterPasswordInput::askReplacement(newPassword) != MasterPasswordInput::Outcome::Accepted)
        return ExitCode::PasswordRefused;

    std::shared_ptr<const FileKey> key;
    if (isProtected) {
        // A new password gets a new salt: nothing derived from the old one opens the new file. The
        // file keeps its format version: an older build elsewhere may still read it.
        const KdfCost cost = m_cost.value_or(KdfCost::forNewFiles());
        key = DataFileKey::forNewProtection(newPassword, cost, read.key->formatVersion());
        if (!key) {
            DataFileUnlock::tellNoMemory(cost);
            return ExitCode::FileFailure;
        }
    }
    QByteArray plain = DataFileFormat::withMasterLine(read.plain, newPassword);
    const ExitCode done = rewrite.finish(plain, key.get(), QStringLiteral("Master password changed."));
    wipe(plain.data(), std::size_t(plain.size()));
    return done;
}

} // namespace varnook
