#pragma once

#include <QString>

#include <optional>

namespace varnook {

// The boxes that ask for the master password: the login at every start and the creation on the
// first. Passwords are compared and measured as the data file holds them, in the code page, so a
// password always works again after it has been stored.
class MasterPasswordPrompts {
public:
    static constexpr int MinimumLength = 4;
    static constexpr int Tries = 3;

    // Asks for the master password (typing masked). True when it equals stored, exactly; false when
    // the user cancelled or used up the tries, after the boxes that say so.
    static bool login(const QString &stored);
    // Asks for a new master password (typing shown) until one of at least four characters is given;
    // nothing when the user cancelled. The result is the password as the data file holds it.
    static std::optional<QString> askNew();
    // Why the creation refuses a typed password, or an empty text when it takes it.
    static QString creationProblem(const QString &typed);

    static QString creationPrompt(const QString &productName);
};

} // namespace varnook
