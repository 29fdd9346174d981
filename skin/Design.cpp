#include "Design.h"

#include <QStringList>
#include <QtMath>

namespace varnook {

int twipsToPixels(int twips) {
    return qRound(double(twips) / TwipsPerPixel);
}

int pixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QSize twipsSize(int width, int height) {
    return QSize(twipsToPixels(width), twipsToPixels(height));
}

QFont verdana(double pointSize, bool bold) {
    QFont font;
    font.setFamilies(
        QStringList{QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace varnook
