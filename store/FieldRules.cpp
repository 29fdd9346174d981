#include "FieldRules.h"

#include "CodePage1252.h"

namespace varnook {

CharacterProblem characterProblem(QStringView text) {
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        if (CodePage1252::codeOf(unit) < 0)
            return CharacterProblem::OutsideCodePage;
        if (!CodePage1252::holds(QStringView(&character, 1)))
            return CharacterProblem::NotStorable;
    }
    return CharacterProblem::None;
}

QString fieldProblem(const QString &text) {
    if (text.contains(QStringLiteral("|||")))
        return QStringLiteral("it contains \"|||\", which the data file uses to separate fields");
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return QStringLiteral("it contains a line break, which the data file uses to separate entries");
    switch (characterProblem(text)) {
    case CharacterProblem::None:
        break;
    case CharacterProblem::OutsideCodePage:
        return QStringLiteral("it contains a character the data file cannot store; it would be saved as \"?\"");
    case CharacterProblem::NotStorable:
        return QStringLiteral("it contains a character that cannot be stored in the data file");
    }
    return {};
}

} // namespace varnook
