#pragma once

#include <QString>

namespace varnook {

// How a writer numbers a paragraph in the paragraph itself (\pn), as older writers do.
struct RtfListNumbering {
    enum class Style : char { None, Bullet, Decimal, UpperLetter, LowerLetter, UpperRoman, LowerRoman };
    Style style = Style::None;
    bool continuation = false; // \pnlvlcont: in the list, without a number of its own
    int start = 1;
    QString before; // \pntxtb: before the number, or the bullet itself
    QString after;  // \pntxta

    bool isNumbered() const { return style != Style::None && style != Style::Bullet; }
    bool sameStyle(const RtfListNumbering &other) const {
        return style == other.style && before == other.before && after == other.after;
    }
    // The paragraph's bullet, or its number in this style, and the tab after it.
    QString text(int number) const;
};

} // namespace varnook
