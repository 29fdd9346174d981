#pragma once

#include <QImage>
#include <QSize>

class QPainter;

namespace varnook::artwork {

// The program's pictures as drawings, so that they can be made at any resolution: each is drawn
// in its own pixels (the size the windows show it at) and scaled by the painter's transform.
enum class Picture {
    Splash,      // the start-up window's picture, 476 x 316
    AboutHeader, // the About window's header, 497 x 68
    Icon,        // the program's icon, 256 x 256
};

QSize pictureSize(Picture picture);
void drawPicture(QPainter &painter, Picture picture);
// The picture at scale times its size, its device pixel ratio left at 1.
QImage renderPicture(Picture picture, int scale);

} // namespace varnook::artwork
