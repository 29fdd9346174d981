#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace varnook {

// The boxes that ask for the master password, through the dialog seam: the login at every start
// and the creation on the first. They follow MasterPasswordRules.
class MasterPasswordDialogs {
public:
    // Asks for the master password (typing masked). True when it equals stored, exactly; false when
    // the user cancelled or used up the tries, after the boxes that say so.
    static bool login(const QString &stored);
    // The same boxes, with accepts deciding whether the typed password is the right one.
    static bool login(const std::function<bool(const QString &typed)> &accepts);
    // Asks for a new master password (typing shown) until one the rules accept is given; nothing
    // when the user cancelled.
    static std::optional<QString> askNew();

    static QString creationPrompt(const QString &productName);
};

} // namespace varnook
