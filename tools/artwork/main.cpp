// Draws the program's pictures at twice their size into resources/ (name@2x.png), beside the
// originals the windows show on ordinary screens:
//   varnook-artwork RESOURCES_FOLDER [--scale N --suffix TEXT]
// --scale 1 --suffix "" into another folder gives the drawings at their own size, to hold against
// the originals.
#include "ArtworkDrawing.h"

#include <QDir>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>

using namespace varnook::artwork;

int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    int scale = 2;
    QString suffix = QStringLiteral("@2x");
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--scale")); at >= 0 && at + 1 < arguments.size()) {
        scale = arguments.at(at + 1).toInt();
        arguments.remove(at, 2);
    }
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--suffix")); at >= 0 && at + 1 < arguments.size()) {
        suffix = arguments.at(at + 1);
        arguments.remove(at, 2);
    }
    if (arguments.size() != 1 || scale < 1) {
        std::fprintf(stderr, "usage: varnook-artwork RESOURCES_FOLDER [--scale N --suffix TEXT]\n");
        return 2;
    }
    const QDir folder(arguments.first());
    const QList<QPair<Picture, QString>> pictures = {{Picture::Splash, QStringLiteral("splash")},
                                                     {Picture::AboutHeader, QStringLiteral("about-header")},
                                                     {Picture::Icon, QStringLiteral("icon")}};
    for (const auto &[picture, name] : pictures) {
        const QString path = folder.filePath(name + suffix + QStringLiteral(".png"));
        if (!renderPicture(picture, scale).save(path)) {
            std::fprintf(stderr, "varnook-artwork: could not write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
