#pragma once

#include "MasterPasswordRules.h"

#include <QString>

#include <optional>

namespace varnook {

// The boxes that ask for the master password: the login at every start and the creation on the
// first. A new password must pass MasterPasswordRules, so the file holds it exactly as typed.
class MasterPasswordPrompts {
public:
    static constexpr int MinimumLength = MasterPasswordRules::MinimumLength;
    static constexpr int Tries = 3;

    // Asks for the master password (typing masked). True when it equals stored, exactly; false when
    // the user cancelled or used up the tries, after the boxes that say so.
    static bool login(const QString &stored);
    // Asks for a new master password (typing shown) until one the rules accept is given; nothing
    // when the user cancelled.
    static std::optional<QString> askNew();
    // Why the creation refuses a typed password, or an empty text when it takes it.
    static QString creationProblem(const QString &typed);

    static QString creationPrompt(const QString &productName);
};

} // namespace varnook
