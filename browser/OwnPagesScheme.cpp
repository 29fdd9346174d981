#include "OwnPagesScheme.h"

#include "VersionRecordValues.h"

#include <QWebEngineUrlScheme>

namespace varnook::OwnPagesScheme {

QString name() {
    return QStringLiteral(VARNOOK_PAGES_SCHEME);
}

void registerScheme() {
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    QWebEngineUrlScheme scheme(QByteArrayLiteral(VARNOOK_PAGES_SCHEME));
    // A host part, so that the pages keep the vendor's host names; secure, so that they count as
    // https pages do; nothing of the disk or the network is reachable from them.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QStringList hosts() {
    if (!VARNOOK_OWN_PAGES)
        return {};
    QStringList served{QStringLiteral(VARNOOK_VENDOR_HOST).toLower()};
    const QString company = QStringLiteral(VARNOOK_COMMENTS).toLower();
    if (!company.isEmpty() && !served.contains(company))
        served.append(company);
    return served;
}

bool isOwnHost(const QString &host) {
    return !host.isEmpty() && hosts().contains(host.toLower());
}

} // namespace varnook::OwnPagesScheme
