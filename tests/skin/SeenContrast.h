#pragma once

#include <QColor>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>

namespace varnook::test {

// Relative luminance and contrast ratio as the Web Content Accessibility Guidelines define them.
inline double relativeLuminance(const QColor &colour) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.red()) + 0.7152 * channel(rgb.green()) + 0.0722 * channel(rgb.blue());
}

inline double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A caption as the user sees it: the pixels it changes when drawn over what lies behind it, and
// the contrast of its own colour against that. The caption's colour is where a glyph covers a pixel
// wholly; its smoothed edges lie between the two colours, so the highest contrast is the caption's.
struct SeenCaption {
    int pixels = 0;
    double ratio = 1.0;
    QColor text;
    QColor behind;
};

inline SeenCaption seenCaption(const QImage &withCaption, const QImage &withoutCaption) {
    SeenCaption seen;
    if (withCaption.size() != withoutCaption.size())
        return seen;
    for (int y = 0; y < withCaption.height(); ++y) {
        for (int x = 0; x < withCaption.width(); ++x) {
            const QColor text = withCaption.pixelColor(x, y);
            const QColor behind = withoutCaption.pixelColor(x, y);
            if (text == behind)
                continue;
            ++seen.pixels;
            const double ratio = contrastRatio(text, behind);
            if (ratio > seen.ratio) {
                seen.ratio = ratio;
                seen.text = text;
                seen.behind = behind;
            }
        }
    }
    return seen;
}

inline QString describe(const SeenCaption &seen) {
    return QStringLiteral("%1:1, %2 on %3, %4 pixels")
        .arg(seen.ratio, 0, 'f', 2)
        .arg(seen.text.name(), seen.behind.name())
        .arg(seen.pixels);
}

} // namespace varnook::test
