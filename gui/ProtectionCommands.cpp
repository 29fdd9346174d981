#include "ProtectionCommands.h"

#include "DataFileKey.h"
#include "MasterPasswordRules.h"
#include "Messages.h"
#include "Platform.h"
#include "Session.h"
#include "Settings.h"

namespace varnook {

namespace {

const QString ProtectTitle = QStringLiteral("Protect the Data File");
const QString RemoveTitle = QStringLiteral("Remove Protection");
const QString ChangeTitle = QStringLiteral("Change Master Password");

MessageAnswer tell(const QString &text, const QString &title, MessageButtons buttons = MessageButtons::Ok,
                   MessageIcon icon = MessageIcon::None) {
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = icon;
    return platform().dialogs->messageBox(request);
}

std::shared_ptr<const FileKey> deriveNewKey(const QString &password, const QString &text,
                                            std::uint8_t formatVersion = ProtectedForm::NewestVersion) {
    std::shared_ptr<const FileKey> key;
    const KdfCost cost = ProtectionCommands::costForNewKeys();
    platform().dialogs->waitFor(text, Messages::applicationTitle(),
                                [&] { key = DataFileKey::forNewProtection(password, cost, formatVersion); });
    if (!key)
        tell(QStringLiteral("The key could not be made from the master password: the memory it needs (%1 MiB) "
                            "could not be had. The data file was not changed.")
                 .arg(cost.memoryKiB / 1024),
             Messages::applicationTitle(), MessageButtons::Ok, MessageIcon::Critical);
    return key;
}

} // namespace

KdfCost ProtectionCommands::costForNewKeys() {
    const Settings settings;
    const std::optional<std::uint32_t> passes = settings.keyDerivationPasses();
    const std::optional<std::uint32_t> memory = settings.keyDerivationMemoryKiB();
    if (passes && memory) {
        const KdfCost chosen{*passes, *memory};
        if (!chosen.problem())
            return chosen;
    }
    return KdfCost::forNewFiles();
}

QString ProtectionCommands::protectPrompt() {
    return QStringLiteral("Protection encrypts the data file with a key made from your master password, so that a "
                          "copy of it (a backup, a synced folder, a lost disk) reveals nothing to whoever lacks the "
                          "password. The original program cannot read a protected file; Remove Protection gives "
                          "it back its plain form.\r\n\r\nPlease enter your password to protect the data file.");
}

QString ProtectionCommands::removeProtectionPrompt() {
    return QStringLiteral("Without protection the data file is scrambled only: anyone who has a copy of it can "
                          "read every password in it.\r\n\r\nPlease enter your password to remove protection.");
}

bool ProtectionCommands::confirmMasterPassword(const QString &prompt, const QString &title) {
    const QString typed = platform().dialogs->inputBox(prompt, title, true);
    if (typed.isEmpty())
        return false;
    if (MasterPasswordRules::matchesStored(typed, m_session.masterPassword()))
        return true;
    tell(QStringLiteral("Sorry, the password you entered was not correct."), QStringLiteral("Incorrect Password"));
    return false;
}

void ProtectionCommands::protect() {
    if (m_session.isProtected() || !confirmMasterPassword(protectPrompt(), ProtectTitle))
        return;
    if (auto key = deriveNewKey(m_session.masterPassword(), QStringLiteral("Protecting the data file…")))
        m_session.protect(std::move(key));
}

void ProtectionCommands::removeProtection() {
    if (!m_session.isProtected() || !confirmMasterPassword(removeProtectionPrompt(), RemoveTitle))
        return;
    m_session.removeProtection();
}

QString ProtectionCommands::askNewPassword() {
    for (;;) {
        const QString typed =
            platform().dialogs->inputBox(QStringLiteral("Please enter your new password."), ChangeTitle, true);
        if (typed.isEmpty())
            return {};
        if (const auto problem = MasterPasswordRules::problemWithNewPassword(typed)) {
            if (tell(Messages::newPasswordRefused(*problem), QStringLiteral("Password Error"),
                     MessageButtons::OkCancel) != MessageAnswer::Ok)
                return {};
            continue;
        }
        const QString again =
            platform().dialogs->inputBox(QStringLiteral("Please enter your new password again."), ChangeTitle, true);
        if (again.isEmpty())
            return {};
        if (again == typed)
            return typed;
        if (tell(QStringLiteral("The two passwords you entered differ."), QStringLiteral("Password Error"),
                 MessageButtons::OkCancel) != MessageAnswer::Ok)
            return {};
    }
}

void ProtectionCommands::changeMasterPassword() {
    if (!confirmMasterPassword(QStringLiteral("Please enter your current password."), ChangeTitle))
        return;
    const QString newPassword = askNewPassword();
    if (newPassword.isEmpty())
        return;
    std::shared_ptr<const FileKey> key;
    if (m_session.isProtected()) {
        // The file keeps its format version: an older build elsewhere may still read it.
        key = deriveNewKey(newPassword, QStringLiteral("Making the key of the new master password…"),
                           m_session.protectedFormatVersion());
        if (!key)
            return;
    }
    m_session.changeMasterPassword(newPassword, std::move(key));
}

} // namespace varnook
