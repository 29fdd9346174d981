#include "MasterPasswordInput.h"

#include "Console.h"
#include "MasterPasswordRules.h"
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
    return login(stored, QStringLiteral("Please enter your password: "));
}

MasterPasswordInput::Outcome MasterPasswordInput::login(const QString &stored, const QString &prompt) {
    // Compared exactly as the program's login compares.
    return login([&stored](const QString &typed) { return MasterPasswordRules::matchesStored(typed, stored); }, prompt);
}

MasterPasswordInput::Outcome MasterPasswordInput::login(const Opens &opens, const QString &prompt) {
    const int tries = PasswordInput::isTerminal() ? MasterPasswordRules::Tries : 1;
    for (int tried = 1;; ++tried) {
        const std::optional<QString> typed = PasswordInput::readLine(prompt);
        if (!typed)
            return noInput();
        if (opens(*typed))
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
    // The program's own rules, in the words of its boxes but for the Cancel button they point to.
    const std::optional<MasterPasswordRules::Problem> problem = MasterPasswordRules::problemWithNewPassword(typed);
    if (!problem)
        return {};
    return MasterPasswordRules::describe(*problem);
}

MasterPasswordInput::Outcome MasterPasswordInput::askNew(QString &password) {
    return chooseNew(password,
                     QStringLiteral("The data file has no master password yet. Choose one of at least 4 characters; "
                                    "8 or more, and not a word found in a dictionary, are recommended."),
                     false);
}

MasterPasswordInput::Outcome MasterPasswordInput::askReplacement(QString &password) {
    return chooseNew(password,
                     QStringLiteral("Choose a new master password of at least 4 characters; 8 or more, and not a word "
                                    "found in a dictionary, are recommended."),
                     true);
}

MasterPasswordInput::Outcome MasterPasswordInput::chooseNew(QString &password, const QString &intro,
                                                            bool confirmAlways) {
    const bool terminal = PasswordInput::isTerminal();
    if (terminal)
        Console::err(intro);
    const int tries = terminal ? MasterPasswordRules::Tries : 1;
    for (int tried = 1;; ++tried) {
        const std::optional<QString> typed = PasswordInput::readLine(QStringLiteral("New master password: "));
        if (!typed)
            return noInput();
        QString problem = newPasswordProblem(*typed);
        if (problem.isEmpty() && (terminal || confirmAlways)) {
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
