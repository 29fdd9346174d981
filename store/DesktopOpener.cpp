#include "DesktopOpener.h"

#include <QStringList>

namespace varnook {

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

} // namespace varnook
