#include "RtfListNumbering.h"

#include <utility>

namespace varnook {

namespace {

QString letters(int number, char16_t a) {
    QString text;
    for (int n = number; n > 0; n = (n - 1) / 26)
        text.prepend(QChar(char16_t(a + (n - 1) % 26)));
    return text;
}

QString roman(int number, bool upper) {
    static const std::pair<int, const char *> parts[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                                                         {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                                                         {5, "v"},    {4, "iv"},   {1, "i"}};
    QString text;
    for (const auto &[value, digits] : parts) {
        for (; number >= value; number -= value)
            text += QLatin1String(digits);
    }
    return upper ? text.toUpper() : text;
}

} // namespace

QString RtfListNumbering::text(int number) const {
    QString shown;
    switch (style) {
    case Style::None:
        return {};
    case Style::Bullet:
        return (before.isEmpty() ? QString(QChar(0x2022)) : before) + u'\t';
    case Style::UpperLetter:
    case Style::LowerLetter:
        shown = letters(number, style == Style::UpperLetter ? u'A' : u'a');
        break;
    case Style::UpperRoman:
    case Style::LowerRoman:
        if (number > 0 && number < 4000) {
            shown = roman(number, style == Style::UpperRoman);
            break;
        }
        [[fallthrough]];
    case Style::Decimal:
        shown = QString::number(number);
        break;
    }
    return before + shown + after + u'\t';
}

} // namespace varnook
