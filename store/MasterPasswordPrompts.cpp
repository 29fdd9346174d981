#include "MasterPasswordPrompts.h"

#include "CodePage1252.h"
#include "DataFileFormat.h"
#include "Platform.h"
#include "StoreMessages.h"

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

QString MasterPasswordPrompts::creationPrompt(const QString &productName) {
    return QStringLiteral("Because this is the first time you have used ") + productName +
           QStringLiteral(", you will need to set up a password.\r\n\r\n"
                          "This will prevent others from viewing data you store in ") +
           productName +
           QStringLiteral(".  A password that is at least 8 characters, and not a word that is found in a "
                          "dictionary, is recommended.\r\n\r\nPlease enter your password below.");
}

bool MasterPasswordPrompts::login(const QString &stored) {
    int retries = 0;
    for (;;) {
        const QString typed = platform().dialogs->inputBox(QStringLiteral("Please enter your password"),
                                                           QStringLiteral("Password Required"), true);
        if (CodePage1252::roundTrip(typed) == stored)
            return true;
        const MessageAnswer answer =
            ask(QStringLiteral("Sorry, the password you entered was not correct."),
                QStringLiteral("Incorrect Password"), MessageButtons::RetryCancel, MessageAnswer::Retry);
        if (answer != MessageAnswer::Retry)
            return false;
        if (++retries == Tries) {
            ask(QStringLiteral("Only 3 tries allowed.  Click Ok to close."), StoreMessages::applicationTitle(),
                MessageButtons::Ok, MessageAnswer::Ok);
            return false;
        }
    }
}

QString MasterPasswordPrompts::creationProblem(const QString &typed) {
    if (typed.isEmpty())
        return QStringLiteral("You must enter a password to use.  If you would like to quit, click Cancel.");
    const QString stored = CodePage1252::roundTrip(typed);
    if (stored.size() < MinimumLength)
        return QStringLiteral("You must enter at least 4 alphanumeric characters.");
    // The data file has no escapes: a character whose scrambled code ends a line would cut the
    // password short at the next start and turn its rest into an entry.
    if (DataFileFormat::readMasterLine(DataFileFormat::masterLine(stored)).masterPassword != stored)
        return QStringLiteral("Your password contains a character that cannot be stored.  Please enter another one.");
    return {};
}

std::optional<QString> MasterPasswordPrompts::askNew() {
    for (;;) {
        // The product name is read afresh for every prompt, as the version record may say.
        const QString typed = platform().dialogs->inputBox(creationPrompt(platform().version.productName),
                                                           QStringLiteral("Password Creation"), false);
        const QString problem = creationProblem(typed);
        if (problem.isEmpty())
            return CodePage1252::roundTrip(typed);
        if (ask(problem, QStringLiteral("Password Error"), MessageButtons::OkCancel, MessageAnswer::Ok) !=
            MessageAnswer::Ok)
            return std::nullopt;
    }
}

} // namespace varnook
