// Makes the icon theme's sizes of the program's icon at build time:
//   varnook-icon-sizes OUTPUT_FOLDER ICON.png ICON.svg SIZE...
// writes OUTPUT_FOLDER/<size>x<size>/apps/varnook.png for each size: the bitmap scaled down where it
// is at least that big, so that the sizes show the very artwork, else drawn from the vectors, since
// a bitmap scaled up is blurred.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int fail(const QString &message) {
    std::fprintf(stderr, "varnook-icon-sizes: %s\n", qPrintable(message));
    return 1;
}

QImage drawn(QSvgRenderer &vectors, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    vectors.render(&painter, QRectF(0, 0, size, size));
    return image;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 5)
        return fail(QStringLiteral("usage: varnook-icon-sizes OUTPUT_FOLDER ICON.png ICON.svg SIZE..."));
    const QDir output(QString::fromLocal8Bit(argv[1]));
    const QImage bitmap(QString::fromLocal8Bit(argv[2]));
    if (bitmap.isNull() || bitmap.width() != bitmap.height())
        return fail(QStringLiteral("not a square image: %1").arg(QString::fromLocal8Bit(argv[2])));
    QSvgRenderer vectors(QString::fromLocal8Bit(argv[3]));
    if (!vectors.isValid())
        return fail(QStringLiteral("not an SVG picture: %1").arg(QString::fromLocal8Bit(argv[3])));
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0)
            return fail(QStringLiteral("not a size: %1").arg(QString::fromLocal8Bit(argv[i])));
        const QImage icon = bitmap.width() >= size
                                ? bitmap.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                : drawn(vectors, size);
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!output.mkpath(folder) || !icon.save(output.filePath(folder + QStringLiteral("/varnook.png")), "PNG"))
            return fail(QStringLiteral("cannot write the %1 pixel icon in %2").arg(size).arg(output.path()));
    }
    return 0;
}
