#include "ShortenedText.h"

namespace varnook {

QString shortenedText(const QString &field) {
    constexpr qsizetype ShownCharacters = 80;
    if (field.size() <= ShownCharacters)
        return field;
    qsizetype cut = ShownCharacters;
    if (field.at(cut - 1).isHighSurrogate())
        --cut;
    return field.left(cut) + QStringLiteral("\u2026 (%1 characters)").arg(field.size());
}

} // namespace varnook
