#include "FieldRules.h"

#include "CodePage1252.h"

namespace varnook {

QString fieldProblem(const QString &text) {
    if (text.contains(QStringLiteral("|||")))
        return QStringLiteral("it contains \"|||\", which the data file uses to separate fields");
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return QStringLiteral("it contains a line break, which the data file uses to separate entries");
    if (!CodePage1252::holds(text))
        return QStringLiteral("it contains a character the data file cannot store; it would be saved as \"?\"");
    return {};
}

} // namespace varnook
