#include "MasterPasswordRules.h"

#include "FieldRules.h"

namespace varnook {

std::optional<MasterPasswordRules::Problem> MasterPasswordRules::problemWithNewPassword(QStringView typed) {
    if (typed.isEmpty())
        return Problem::Empty;
    switch (characterProblem(typed)) {
    case CharacterProblem::OutsideCodePage:
        return Problem::OutsideCodePage;
    case CharacterProblem::NotStorable:
        return Problem::NotStorable;
    case CharacterProblem::None:
        break;
    }
    // No text box can hold NUL, and line 1 of the protected form begins with it: no master password
    // line is ever that line.
    if (typed.contains(QChar(u'\0')))
        return Problem::NotStorable;
    // Every character is one code unit here, so size() counts characters.
    if (typed.size() < MinimumLength)
        return Problem::TooShort;
    return std::nullopt;
}

QString MasterPasswordRules::describe(Problem problem) {
    switch (problem) {
    case Problem::Empty:
        return QStringLiteral("You must enter a password to use.");
    case Problem::OutsideCodePage:
        return QStringLiteral("Your password contains a character that the data file cannot store.  Use only "
                              "Western European letters, digits, punctuation and blanks (Windows-1252).");
    case Problem::NotStorable:
        return QStringLiteral("Your password contains a character that cannot be stored.  Please enter another one.");
    case Problem::TooShort:
        return QStringLiteral("You must enter at least 4 alphanumeric characters.");
    }
    return {};
}

} // namespace varnook
