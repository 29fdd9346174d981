#pragma once

#include <QFont>
#include <QRect>

namespace varnook {

// Window designs are given in twips; 15 twips make a pixel at 96 dots per inch. Qt's
// high-DPI scaling applies on top of the pixels this yields.
constexpr int TwipsPerPixel = 15;

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);

// Verdana at the given point size, falling back to the desktop's sans-serif where it is missing.
QFont verdana(double pointSize, bool bold = false);

} // namespace varnook
