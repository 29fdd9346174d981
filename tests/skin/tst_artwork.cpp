#include "Artwork.h"

#include <QLabel>
#include <QPainter>
#include <QtTest>

#include <cmath>

using namespace varnook;

namespace {

// How far two pictures of one size lie apart, in colour levels: over the whole, and in the 16 x 16
// block where they differ most. A caption changed or moved shows in its block.
struct Difference {
    double mean = 0;
    double worstBlock = 0;
    QPoint worstAt;
};

Difference differenceOf(const QImage &a, const QImage &b) {
    Difference difference;
    const QImage first = a.convertToFormat(QImage::Format_ARGB32);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32);
    const auto levels = [&](int x, int y) {
        const QRgb p = first.pixel(x, y);
        const QRgb q = second.pixel(x, y);
        return (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))) / 3.0;
    };
    double total = 0;
    for (int top = 0; top < first.height(); top += 16) {
        for (int left = 0; left < first.width(); left += 16) {
            double block = 0;
            int pixels = 0;
            for (int y = top; y < qMin(top + 16, first.height()); ++y) {
                for (int x = left; x < qMin(left + 16, first.width()); ++x) {
                    block += levels(x, y);
                    ++pixels;
                }
            }
            total += block;
            if (block / pixels > difference.worstBlock) {
                difference.worstBlock = block / pixels;
                difference.worstAt = QPoint(left, top);
            }
        }
    }
    difference.mean = total / (first.width() * first.height());
    return difference;
}

QString describe(const Difference &difference) {
    return QStringLiteral("mean %1, block at %2,%3: %4")
        .arg(difference.mean, 0, 'f', 2)
        .arg(difference.worstAt.x())
        .arg(difference.worstAt.y())
        .arg(difference.worstBlock, 0, 'f', 2);
}

QImage reducedToHalf(const QImage &image) {
    return image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void drawCross(QPainter &painter) {
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(2, 2, 14, 14);
    painter.drawLine(14, 2, 2, 14);
}

} // namespace

// The pictures drawn at twice their size are the pictures the windows show on an ordinary screen,
// and each screen gets them at its own resolution.
class tst_artwork : public QObject {
    Q_OBJECT

private slots:
    void doubleIsTheSamePicture_data();
    void doubleIsTheSamePicture();
    void pictureFollowsTheScreensRatio_data();
    void pictureFollowsTheScreensRatio();
    void iconHasItsDouble();
    void drawnIconIsDrawnAtEachResolution();
    void labelShowsThePictureForItsScreen();
};

void tst_artwork::doubleIsTheSamePicture_data() {
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("doubled");
    QTest::newRow("splash") << ":/varnook/splash.jpg"
                            << ":/varnook/splash@2x.png";
    QTest::newRow("about header") << ":/varnook/about-header.jpg"
                                  << ":/varnook/about-header@2x.png";
    QTest::newRow("icon") << ":/varnook/icon.png"
                          << ":/varnook/icon@2x.png";
}

void tst_artwork::doubleIsTheSamePicture() {
    QFETCH(QString, original);
    QFETCH(QString, doubled);
    const QImage small(original);
    const QImage large(doubled);
    QVERIFY(!small.isNull() && !large.isNull());
    QCOMPARE(large.size(), small.size() * 2);
    // The originals are JPEG pictures: their blocks smear each edge by a few levels.
    const Difference difference = differenceOf(reducedToHalf(large), small);
    QVERIFY2(difference.mean <= 4 && difference.worstBlock <= 25, qPrintable(describe(difference)));
    // The see-through corners of the icon stay so.
    if (small.hasAlphaChannel()) {
        QCOMPARE(large.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(large.pixelColor(large.width() / 2, large.height() / 2).alpha(), 255);
    }
}

void tst_artwork::pictureFollowsTheScreensRatio_data() {
    QTest::addColumn<double>("screenRatio");
    QTest::addColumn<double>("pictureRatio");
    QTest::addColumn<QSize>("pixels");
    QTest::newRow("1") << 1.0 << 1.0 << QSize(476, 316);
    QTest::newRow("1.25") << 1.25 << 1.25 << QSize(595, 395);
    QTest::newRow("1.5") << 1.5 << 1.5 << QSize(714, 474);
    QTest::newRow("1.75") << 1.75 << 1.75 << QSize(833, 553);
    QTest::newRow("2") << 2.0 << 2.0 << QSize(952, 632);
    QTest::newRow("3: the double, the largest there is") << 3.0 << 2.0 << QSize(952, 632);
    QTest::newRow("0.75: the original") << 0.75 << 1.0 << QSize(476, 316);
}

void tst_artwork::pictureFollowsTheScreensRatio() {
    QFETCH(double, screenRatio);
    QFETCH(double, pictureRatio);
    QFETCH(QSize, pixels);
    const QPixmap pixmap = artworkPixmap(Artwork::Splash, screenRatio);
    QCOMPARE(pixmap.size(), pixels);
    QCOMPARE(pixmap.devicePixelRatio(), pictureRatio);
    // In the window it takes the picture's own room, to half a pixel.
    QVERIFY(qAbs(pixmap.deviceIndependentSize().width() - 476) < 0.5);
    QVERIFY(qAbs(pixmap.deviceIndependentSize().height() - 316) < 0.5);
    if (pictureRatio == 1.0) {
        QCOMPARE(pixmap.toImage(),
                 QImage(QStringLiteral(":/varnook/splash.jpg")).convertToFormat(pixmap.toImage().format()));
    } else if (pictureRatio < 2.0) {
        // Reduced from the double, not enlarged from the original.
        const QImage fromDouble = QImage(QStringLiteral(":/varnook/splash@2x.png"))
                                      .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QImage fromOriginal = QImage(QStringLiteral(":/varnook/splash.jpg"))
                                        .scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const Difference toDouble = differenceOf(pixmap.toImage(), fromDouble);
        const Difference toOriginal = differenceOf(pixmap.toImage(), fromOriginal);
        QVERIFY2(toDouble.mean < 0.5 && toDouble.worstBlock * 2 < toOriginal.worstBlock,
                 qPrintable(describe(toDouble) + QStringLiteral(" / ") + describe(toOriginal)));
    }
    const QPixmap header = artworkPixmap(Artwork::AboutHeader, screenRatio);
    QCOMPARE(header.devicePixelRatio(), pictureRatio);
    QVERIFY(qAbs(header.deviceIndependentSize().width() - 497) < 0.5);
}

void tst_artwork::iconHasItsDouble() {
    const QIcon icon = programIcon();
    const QPixmap ordinary = icon.pixmap(QSize(256, 256), 1.0);
    QCOMPARE(ordinary.size(), QSize(256, 256));
    QCOMPARE(ordinary.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(QStringLiteral(":/varnook/icon.png")).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const QPixmap dense = icon.pixmap(QSize(256, 256), 2.0);
    QCOMPARE(dense.size(), QSize(512, 512));
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    // A title bar's icon at 150 %: reduced from the double.
    const QPixmap small = icon.pixmap(QSize(32, 32), 1.5);
    QCOMPARE(small.size(), QSize(48, 48));
    QCOMPARE(small.devicePixelRatio(), 1.5);
}

void tst_artwork::drawnIconIsDrawnAtEachResolution() {
    const QIcon icon = drawnIcon(QSize(16, 16), drawCross);
    const QPixmap dense = icon.pixmap(QSize(16, 16), 2.0);
    QCOMPARE(dense.size(), QSize(32, 32));
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    // The double's line is two pixels of full black across; an enlarged small one would be grey.
    const QImage large = dense.toImage();
    int black = 0;
    for (int x = 0; x < large.width(); ++x)
        black += large.pixelColor(x, x) == QColor(Qt::black);
    QVERIFY2(black >= 20, qPrintable(QString::number(black)));

    QPixmap drawn(16, 16);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    drawCross(painter);
    painter.end();
    QCOMPARE(icon.pixmap(QSize(16, 16), 1.0).toImage(), drawn.toImage());
}

void tst_artwork::labelShowsThePictureForItsScreen() {
    QLabel label;
    ArtworkPicture::show(&label, Artwork::AboutHeader);
    QCOMPARE(label.pixmap().devicePixelRatio(), 1.0);
    QCOMPARE(label.pixmap().size(), QSize(497, 68));
    // A picture put there for another screen is chosen again at the next paint.
    label.setPixmap(artworkPixmap(Artwork::AboutHeader, 2.0));
    label.resize(497, 68);
    label.show();
    QVERIFY(QTest::qWaitForWindowExposed(&label));
    QTRY_COMPARE(label.pixmap().devicePixelRatio(), 1.0);
    QCOMPARE(label.pixmap().size(), QSize(497, 68));
}

QTEST_MAIN(tst_artwork)
#include "tst_artwork.moc"
