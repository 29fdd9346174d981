#pragma once

#include <QChar>
#include <QStringView>

namespace varnook::caseFold {

// One UTF-16 unit with its letter case folded; ASCII without a table look-up, the rest as Unicode
// folds it. A surrogate is left as it is: only a pair makes a character.
inline char16_t unit(char16_t unit) {
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    return QChar(unit).toCaseFolded().unicode();
}

// The text's UTF-16 units with letter case folded, as many as the text has: a surrogate pair folds
// as the character it makes, into another pair. Sorting and finding fold alike, so that what sorts
// as equal is found alike.
template <typename Sink> void foldInto(QStringView text, Sink &&append) {
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, units[i + 1]));
            append(QChar::highSurrogate(folded));
            append(QChar::lowSurrogate(folded));
            ++i;
        } else {
            append(caseFold::unit(unit));
        }
    }
}

} // namespace varnook::caseFold
