#pragma once

#include <QColor>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QTextOption>

namespace varnook {

// Character formatting as rich text describes it: indexes into the font and colour tables, sizes in
// half-points. A group saves it on entry and restores it on exit.
struct RtfCharState {
    enum class Underline : char { None, Single, Dotted, Dashed, DashDot, DashDotDot, Wave };
    enum class Vertical : char { Normal, Super, Sub };
    enum class Caps : char { Normal, All, Small };

    int font = -1; // -1: the document's default font
    int halfPoints = 24;
    int foreground = -1; // -1: automatic
    int background = -1; // -1: none
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false;
    Underline underline = Underline::None;
    Vertical vertical = Vertical::Normal;
    Caps caps = Caps::Normal;
    int link = -1; // the hyperlink the text belongs to, an index into the formatter's links; -1: none

    bool operator==(const RtfCharState &) const = default;
};

inline size_t qHash(const RtfCharState &s, size_t seed = 0) {
    return qHashMulti(seed, s.font, s.halfPoints, s.foreground, s.background, s.bold, s.italic, s.strike, s.hidden,
                      int(s.underline), int(s.vertical), int(s.caps), s.link);
}

// Paragraph formatting; lengths in twips. It applies to the paragraph whose end mark it reaches.
struct RtfParaState {
    enum class Align : char { Left, Center, Right, Justify };

    Align align = Align::Left;
    bool rightToLeft = false;
    bool inTable = false;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int lineSpacing = 0; // 0 single; > 0 at least; < 0 exactly
    bool lineMultiple = false;
    QList<QTextOption::Tab> tabs; // positions in twips
    QTextOption::TabType nextTabType = QTextOption::LeftTab;

    bool operator==(const RtfParaState &other) const {
        return align == other.align && rightToLeft == other.rightToLeft && inTable == other.inTable &&
               leftIndent == other.leftIndent && rightIndent == other.rightIndent && firstIndent == other.firstIndent &&
               spaceBefore == other.spaceBefore && spaceAfter == other.spaceAfter && lineSpacing == other.lineSpacing &&
               lineMultiple == other.lineMultiple && tabs == other.tabs;
    }
};

// One side of a table cell's border as a row definition gives it.
struct RtfBorder {
    enum class Style : char { None, Solid, Double, Dotted, Dashed };
    Style style = Style::None;
    int width = 15; // \brdrw, in twips
    int color = -1; // \brdrcf; -1: automatic
};

struct RtfFont {
    QString name;
    int charset = -1;  // -1: none given
    int codePage = 0;  // from \cpg; 0: none given
    int styleHint = 0; // a QFont::StyleHint
};

} // namespace varnook
