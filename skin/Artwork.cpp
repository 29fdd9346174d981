#include "Artwork.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QtMath>

namespace varnook {

namespace {

struct ArtworkFiles {
    const char *original;
    const char *doubled;
};

ArtworkFiles filesOf(Artwork artwork) {
    switch (artwork) {
    case Artwork::Splash:
        return {":/varnook/splash.jpg", ":/varnook/splash@2x.png"};
    case Artwork::AboutHeader:
        return {":/varnook/about-header.jpg", ":/varnook/about-header@2x.png"};
    }
    return {"", ""};
}

// The ratio a picture is handed out at: the screen's, but never above that of the largest drawing.
qreal pictureRatio(qreal devicePixelRatio) {
    return devicePixelRatio <= 1.0 ? 1.0 : qMin(devicePixelRatio, 2.0);
}

} // namespace

QPixmap artworkPixmap(Artwork artwork, qreal devicePixelRatio) {
    const ArtworkFiles files = filesOf(artwork);
    const qreal ratio = pictureRatio(devicePixelRatio);
    if (ratio == 1.0)
        return QPixmap(QString::fromLatin1(files.original));
    // The "@2x" in its name gives the double its ratio of 2.
    QPixmap doubled(QString::fromLatin1(files.doubled));
    if (ratio == 2.0 || doubled.isNull())
        return doubled;
    const QSize size(qRound(doubled.width() / 2.0 * ratio), qRound(doubled.height() / 2.0 * ratio));
    QPixmap reduced = doubled.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    reduced.setDevicePixelRatio(ratio);
    return reduced;
}

QIcon programIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/varnook/icon.png"), QSize(256, 256));
    icon.addFile(QStringLiteral(":/varnook/icon@2x.png"), QSize(512, 512));
    return icon;
}

QIcon drawnIcon(const QSize &size, void (*draw)(QPainter &painter)) {
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(size * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void ArtworkPicture::show(QLabel *label, Artwork artwork) {
    if (label)
        new ArtworkPicture(label, artwork);
}

ArtworkPicture::ArtworkPicture(QLabel *label, Artwork artwork)
    : QObject(label)
    , m_label(label)
    , m_artwork(artwork) {
    choosePixmap();
    label->installEventFilter(this);
}

bool ArtworkPicture::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_label && event->type() == QEvent::Paint)
        choosePixmap();
    return QObject::eventFilter(watched, event);
}

void ArtworkPicture::choosePixmap() {
    const qreal wanted = pictureRatio(m_label->devicePixelRatioF());
    if (!m_label->pixmap().isNull() && m_label->pixmap().devicePixelRatio() == wanted)
        return;
    m_label->setPixmap(artworkPixmap(m_artwork, wanted));
}

} // namespace varnook
