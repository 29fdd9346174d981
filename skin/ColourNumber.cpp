#include "ColourNumber.h"

namespace varnook {

quint32 colourNumber(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

QColor colourFromNumber(quint32 number) {
    if ((number & 0xFF000000u) != 0)
        return {};
    return QColor(int(number & 0xFF), int(number >> 8 & 0xFF), int(number >> 16 & 0xFF));
}

} // namespace varnook
