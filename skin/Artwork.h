#pragma once

#include <QIcon>
#include <QObject>
#include <QPixmap>

class QLabel;
class QPainter;

namespace varnook {

// The program's pictures. Each is kept twice: as drawn for an ordinary screen, and drawn again at
// twice its size (name@2x.png, made by tools/artwork) for a denser one.
enum class Artwork {
    Splash,      // the start-up window's picture
    AboutHeader, // the About window's header
};

// The picture for a screen of the given device pixel ratio, carrying that ratio, so that it is
// drawn pixel for pixel and never enlarged: the original at 1 (and below), the double at 2, and in
// between the double reduced smoothly to the ratio's own size. Above 2 it is the double.
QPixmap artworkPixmap(Artwork artwork, qreal devicePixelRatio);

// The program's icon, at 256 and at 512 pixels.
QIcon programIcon();

// An icon drawn by a routine that paints in the icon's own pixels, drawn once at its size and once
// at twice it, so that it is sharp on a denser screen too.
QIcon drawnIcon(const QSize &size, void (*draw)(QPainter &painter));

// Keeps a label's picture at the resolution of the screen its window is on: chosen before each
// paint, so a window moved to a screen of another scale shows it sharp there too.
class ArtworkPicture : public QObject {
    Q_OBJECT

public:
    // Shows the picture in the label; the label owns what this makes.
    static void show(QLabel *label, Artwork artwork);

private:
    ArtworkPicture(QLabel *label, Artwork artwork);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void choosePixmap();

    QLabel *m_label;
    Artwork m_artwork;
};

} // namespace varnook
