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
    // Every character is one code unit here, so size() counts characters.
    if (typed.size() < MinimumLength)
        return Problem::TooShort;
    return std::nullopt;
}

} // namespace varnook
