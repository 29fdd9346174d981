#include "DesktopOpener.h"

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

namespace varnook {

namespace {

// "https://", "ftp://", "SMB://": letters, digits, "+", "-" or "." up to "://".
bool startsWithScheme(const QString &location) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z0-9+.\\-]+://"));
    return scheme.match(location).hasMatch();
}

// "/var/www", "~/Organizer", "\\server\share", "C:\Data".
bool isPath(const QString &location) {
    static const QRegularExpression path(QStringLiteral("^(/|~|\\\\|[A-Za-z]:\\\\)"));
    return path.match(location).hasMatch();
}

} // namespace

QString desktopOpener() {
#if defined(Q_OS_WIN)
    return QStringLiteral("explorer");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("open");
#else
    return QStringLiteral("xdg-open");
#endif
}

QString locationToOpen(const QString &location) {
    if (location == QStringLiteral("~") || location.startsWith(QStringLiteral("~/")))
        return QDir::homePath() + location.mid(1);
    if (startsWithScheme(location) || isPath(location))
        return location;
    // Loose on purpose: "organic.example" counts as a web address, the bare "intranet" does not.
    static const QStringList markers = {QStringLiteral(".edu"), QStringLiteral("biz"),  QStringLiteral("org"),
                                        QStringLiteral(".net"), QStringLiteral(".com"), QStringLiteral("www")};
    bool webAddress = false;
    for (const QString &marker : markers)
        webAddress = webAddress || location.contains(marker, Qt::CaseInsensitive);
    if (webAddress && !location.contains(QStringLiteral("http://"), Qt::CaseInsensitive))
        return QStringLiteral("http://") + location;
    return location;
}

bool opensAsOption(const QString &argument) {
    return argument.startsWith(QLatin1Char('-'));
}

} // namespace varnook
