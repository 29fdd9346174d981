#pragma once

#include <QColor>

namespace varnook {

// Colours travel between the skin and the controls as 32-bit numbers with red in the low byte,
// then green, then blue (0x00BBGGRR). The high byte must be zero.
quint32 colourNumber(const QColor &colour);
// An invalid colour when the high byte is set: such a number names no colour of ours.
QColor colourFromNumber(quint32 number);

} // namespace varnook
