#include "FieldRules.h"

namespace varnook {

namespace {

// The characters Windows-1252 puts at codes 0x80 to 0x9F; the rest of the code page is Latin-1.
bool isWindows1252Extra(char16_t c) {
    switch (c) {
    case u'\u20AC':
    case u'\u201A':
    case u'\u0192':
    case u'\u201E':
    case u'\u2026':
    case u'\u2020':
    case u'\u2021':
    case u'\u02C6':
    case u'\u2030':
    case u'\u0160':
    case u'\u2039':
    case u'\u0152':
    case u'\u017D':
    case u'\u2018':
    case u'\u2019':
    case u'\u201C':
    case u'\u201D':
    case u'\u2022':
    case u'\u2013':
    case u'\u2014':
    case u'\u02DC':
    case u'\u2122':
    case u'\u0161':
    case u'\u203A':
    case u'\u0153':
    case u'\u017E':
    case u'\u0178':
        return true;
    default:
        return false;
    }
}

} // namespace

bool fitsWindows1252(const QString &text) {
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        if (!isWindows1252Extra(c))
            return false;
    }
    return true;
}

QString fieldProblem(const QString &text) {
    if (text.contains(QStringLiteral("|||")))
        return QStringLiteral("it contains \"|||\", which the data file uses to separate fields");
    if (text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')))
        return QStringLiteral("it contains a line break, which the data file uses to separate entries");
    if (!fitsWindows1252(text))
        return QStringLiteral("it contains a character the data file cannot store; it would be saved as \"?\"");
    return {};
}

} // namespace varnook
