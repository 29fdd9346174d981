#include "MasterPasswordDialogs.h"

#include "MasterPasswordRules.h"
#include "Messages.h"
#include "Platform.h"

namespace varnook {

namespace {

MessageAnswer ask(const QString &text, const QString &title, MessageButtons buttons, MessageAnswer defaultButton) {
    MessageBoxRequest request;
    request.text = text;
    request.title = title;
    request.buttons = buttons;
    request.icon = MessageIcon::None;
    request.defaultButton = defaultButton;
    return platform().dialogs->messageBox(request);
}

} // namespace

QString MasterPasswordDialogs::creationPrompt(const QString &productName) {
    return QStringLiteral("Because this is the first time you have used ") + productName +
           QStringLiteral(", you will need to set up a password.\r\n\r\n"
                          "This will prevent others from viewing data you store in ") +
           productName +
           QStringLiteral(".  A password that is at least 8 characters, and not a word that is found in a "
                          "dictionary, is recommended.\r\n\r\nPlease enter your password below.");
}

bool MasterPasswordDialogs::login(const QString &stored) {
    return login([&stored](const QString &typed) { return MasterPasswordRules::matchesStored(typed, stored); });
}

bool MasterPasswordDialogs::login(const std::function<bool(const QString &typed)> &accepts) {
    int retries = 0;
    for (;;) {
        const QString typed = platform().dialogs->inputBox(QStringLiteral("Please enter your password"),
                                                           QStringLiteral("Password Required"), true);
        if (accepts(typed))
            return true;
        const MessageAnswer answer =
            ask(QStringLiteral("Sorry, the password you entered was not correct."),
                QStringLiteral("Incorrect Password"), MessageButtons::RetryCancel, MessageAnswer::Retry);
        if (answer != MessageAnswer::Retry)
            return false;
        if (++retries == MasterPasswordRules::Tries) {
            ask(QStringLiteral("Only 3 tries allowed.  Click Ok to close."), Messages::applicationTitle(),
                MessageButtons::Ok, MessageAnswer::Ok);
            return false;
        }
    }
}

std::optional<QString> MasterPasswordDialogs::askNew() {
    for (;;) {
        // The product name is read afresh for every prompt, as the version record may say.
        const QString typed = platform().dialogs->inputBox(creationPrompt(platform().version.productName),
                                                           QStringLiteral("Password Creation"), false);
        const std::optional<MasterPasswordRules::Problem> problem = MasterPasswordRules::problemWithNewPassword(typed);
        if (!problem)
            return typed;
        if (ask(Messages::newPasswordRefused(*problem), QStringLiteral("Password Error"), MessageButtons::OkCancel,
                MessageAnswer::Ok) != MessageAnswer::Ok)
            return std::nullopt;
    }
}

} // namespace varnook
