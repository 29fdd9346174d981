#include "ArtworkDrawing.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QtMath>

namespace varnook::artwork {

namespace {

const QColor Accent(0x1D, 0x5F, 0xA8);
const QColor Paper(0xF2, 0xF4, 0xF7);
const QColor Caption(0xDD, 0xE5, 0xEE); // the smaller texts on the blue
const QColor White(0xFF, 0xFF, 0xFF);

// White laid thinly over the blue: the rings and the rule.
QColor veil(int alpha) {
    return QColor(0xFF, 0xFF, 0xFF, alpha);
}

// The blue of every picture, darkening from its first corner towards the far one.
void fillBackground(QPainter &painter, const QRectF &area, const QPointF &towards) {
    QLinearGradient gradient(area.topLeft(), towards);
    gradient.setColorAt(0, Accent);
    gradient.setColorAt(1, Accent.darker(160));
    painter.fillRect(area, gradient);
}

// The mark: a rounded square holding a dial with eight studs round it and a keyhole in its middle.
// Face is the square's colour, ink the colour of what is drawn on it.
void drawMark(QPainter &painter, const QRectF &square, const QColor &face, const QColor &ink) {
    const qreal s = square.width();
    const QPointF centre = square.center();
    painter.setPen(Qt::NoPen);
    painter.setBrush(face);
    painter.drawRoundedRect(square, 0.22 * s, 0.22 * s);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ink, 0.07 * s));
    painter.drawEllipse(centre, 0.34 * s, 0.34 * s);

    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    for (int i = 0; i < 8; ++i) {
        const qreal angle = qDegreesToRadians(22.5 + 45.0 * i);
        const QPointF stud = centre + QPointF(qCos(angle), qSin(angle)) * 0.43 * s;
        painter.drawEllipse(stud, 0.025 * s, 0.025 * s);
    }

    const QPointF hole(centre.x(), square.top() + 0.44 * s);
    painter.drawEllipse(hole, 0.085 * s, 0.085 * s);
    const qreal bottom = square.top() + 0.67 * s;
    const QPolygonF slot({QPointF(hole.x() - 0.048 * s, hole.y()), QPointF(hole.x() + 0.048 * s, hole.y()),
                          QPointF(hole.x() + 0.075 * s, bottom), QPointF(hole.x() - 0.075 * s, bottom)});
    painter.drawPolygon(slot);
}

QFont sans(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Text from its baseline's start. The painter's scale enlarges the glyphs, not the layout: the
// text takes the same room at every scale.
void drawText(QPainter &painter, const QPointF &baseline, const QFont &font, const QColor &colour,
              const QString &text) {
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(baseline, text);
}

void drawTextEndingAt(QPainter &painter, const QPointF &baselineEnd, const QFont &font, const QColor &colour,
                      const QString &text) {
    const qreal width = QFontMetricsF(font).horizontalAdvance(text);
    drawText(painter, baselineEnd - QPointF(width, 0), font, colour, text);
}

void drawRing(QPainter &painter, const QPointF &centre, qreal radius, qreal width, int alpha) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(veil(alpha), width));
    painter.drawEllipse(centre, radius, radius);
}

void drawSplash(QPainter &painter) {
    const QRectF area(QPointF(0, 0), pictureSize(Picture::Splash));
    fillBackground(painter, area, area.bottomRight());
    drawRing(painter, {400, 250}, 150, 18, 22);
    drawRing(painter, {400, 250}, 95, 10, 15);
    drawMark(painter, QRectF(40, 70, 120, 120), Paper, Accent);
    drawText(painter, {182, 128}, sans(46, true), White, QStringLiteral("Varnook"));
    drawText(painter, {184, 166}, sans(16, false), Caption, QStringLiteral("Your passwords, kept at home."));
    painter.setPen(QPen(veil(60), 1, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(40, 232), QPointF(436, 232));
    drawText(painter, {40, 261}, sans(13, false), Caption, QStringLiteral("Quillmere"));
    drawTextEndingAt(painter, {436, 261}, sans(13, false), Caption, QStringLiteral("Starting…"));
}

void drawAboutHeader(QPainter &painter) {
    const QRectF area(QPointF(0, 0), pictureSize(Picture::AboutHeader));
    fillBackground(painter, area, area.topRight());
    drawRing(painter, {470, 34}, 60, 10, 20);
    drawMark(painter, QRectF(14, 10, 48, 48), Paper, Accent);
    drawText(painter, {76, 34}, sans(26, true), White, QStringLiteral("Varnook"));
    drawText(painter, {77, 52}, sans(12, false), Caption, QStringLiteral("A small password store for one person"));
}

void drawIcon(QPainter &painter) {
    drawMark(painter, QRectF(8, 8, 240, 240), Accent, Paper);
}

} // namespace

QSize pictureSize(Picture picture) {
    switch (picture) {
    case Picture::Splash:
        return {476, 316};
    case Picture::AboutHeader:
        return {497, 68};
    case Picture::Icon:
        return {256, 256};
    }
    return {};
}

void drawPicture(QPainter &painter, Picture picture) {
    painter.setRenderHint(QPainter::Antialiasing);
    switch (picture) {
    case Picture::Splash:
        drawSplash(painter);
        break;
    case Picture::AboutHeader:
        drawAboutHeader(painter);
        break;
    case Picture::Icon:
        drawIcon(painter);
        break;
    }
}

QImage renderPicture(Picture picture, int scale) {
    QImage image(pictureSize(picture) * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(scale, scale);
    drawPicture(painter, picture);
    painter.end();
    return image;
}

} // namespace varnook::artwork
