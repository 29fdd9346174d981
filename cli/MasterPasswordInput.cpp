#include "MasterPasswordInput.h"

#include "CodePage1252.h"
#include "Console.h"
#include "MasterPasswordPrompts.h"
#include "PasswordInput.h"

namespace varnook {

namespace {

QString wrongPassword() {
    return QStringLiteral("Sorry, the password you entered was not correct.");
}

QString triesUsedUp() {
    return QStringLiteral("Only 3 tries allowed.");
}

MasterPasswordInput::Outcome noInput() {
    Console::err(QStringLiteral("No password was given."));
    return MasterPasswordInput::Outcome::NoInput;
}

} // namespace

MasterPasswordInput::Outcome MasterPasswordInput::login(const QString &stored) {
    const int tries = PasswordInput::isTerminal() ? MasterPasswordPrompts::Tries : 1;
    for (int tried = 1;; ++tried) {
        const std::optional<QString> typed = PasswordInput::readLine(QStringLiteral("Please enter your password: "));
        if (!typed)
            return noInput();
        // Compared as the data file holds it, exactly as the program's login compares.
        if (CodePage1252::roundTrip(*typed) == stored)
            return Outcome::Accepted;
        Console::err(wrongPassword());
        if (tried == tries) {
            if (tries > 1)
                Console::err(triesUsedUp());
            return Outcome::Refused;
        }
    }
}

QString MasterPasswordInput::newPasswordProblem(const QString &typed) {
    if (typed.isEmpty())
        return QStringLiteral("You must enter a password to use.");
    // A character the file cannot hold would be stored as a stand-in that anyone could type.
    if (!CodePage1252::holds(typed))
        return QStringLiteral("The master password can only hold characters of Windows-1252 (Western European "
                              "letters, digits and punctuation).");
    if (typed.size() < MasterPasswordPrompts::MinimumLength)
        return QStringLiteral("You must enter at least 4 alphanumeric characters.");
    return {};
}

MasterPasswordInput::Outcome MasterPasswordInput::askNew(QString &password) {
    const bool terminal = PasswordInput::isTerminal();
    if (terminal)
        Console::err(QStringLiteral("The data file has no master password yet. Choose one of at least 4 characters; "
                                    "8 or more, and not a word found in a dictionary, are recommended."));
    const int tries = terminal ? MasterPasswordPrompts::Tries : 1;
    for (int tried = 1;; ++tried) {
        const std::optional<QString> typed = PasswordInput::readLine(QStringLiteral("New master password: "));
        if (!typed)
            return noInput();
        QString problem = newPasswordProblem(*typed);
        if (problem.isEmpty() && terminal) {
            const std::optional<QString> again = PasswordInput::readLine(QStringLiteral("Type it again: "));
            if (!again)
                return noInput();
            if (*again != *typed)
                problem = QStringLiteral("The two passwords are not the same.");
        }
        if (problem.isEmpty()) {
            password = *typed;
            return Outcome::Accepted;
        }
        Console::err(problem);
        if (tried == tries) {
            if (tries > 1)
                Console::err(triesUsedUp());
            return Outcome::Refused;
        }
    }
}

} // namespace varnook
