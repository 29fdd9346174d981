#include "UnreachedPage.h"

#include <QFile>

namespace varnook::UnreachedPage {

namespace {
QString resourceText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}
} // namespace

QString reason(int errorCode) {
    // A server's answer without a page carries its HTTP status, a positive number.
    if (errorCode > 0)
        return QStringLiteral("The server answered with an error and sent no page.");
    // The engine's numbers are Chromium's network errors (net/base/net_error_list.h).
    switch (errorCode) {
    case -105: // NAME_NOT_RESOLVED
    case -137: // NAME_RESOLUTION_FAILED
        return QStringLiteral("The host name could not be found. Either no such host exists or this computer "
                              "has no connection to the network.");
    case -106: // INTERNET_DISCONNECTED
        return QStringLiteral("This computer has no connection to the network.");
    case -102: // CONNECTION_REFUSED
        return QStringLiteral("The server refused the connection: nothing answers at this address.");
    case -7:   // TIMED_OUT
    case -118: // CONNECTION_TIMED_OUT
        return QStringLiteral("The server took too long to answer.");
    case -100: // CONNECTION_CLOSED
    case -101: // CONNECTION_RESET
    case -103: // CONNECTION_ABORTED
    case -104: // CONNECTION_FAILED
    case -324: // EMPTY_RESPONSE
        return QStringLiteral("The connection to the server broke off before the page arrived.");
    case -108: // ADDRESS_INVALID
    case -109: // ADDRESS_UNREACHABLE
        return QStringLiteral("The server's network address cannot be reached from this computer.");
    case -130: // PROXY_CONNECTION_FAILED
        return QStringLiteral("The proxy server could not be reached.");
    case -6:   // FILE_NOT_FOUND
    case -300: // INVALID_URL
        return QStringLiteral("There is no page at this address.");
    case -301: // DISALLOWED_URL_SCHEME
    case -302: // UNKNOWN_URL_SCHEME
    case -312: // UNSAFE_PORT
        return QStringLiteral("The browser does not open addresses of this kind.");
    case -10: // ACCESS_DENIED
    case -20: // BLOCKED_BY_CLIENT
        return QStringLiteral("The page was refused.");
    default:
        if (errorCode <= -200 && errorCode > -300)
            return QStringLiteral("The server's certificate could not be trusted, so the connection was not made.");
        return QStringLiteral("The page could not be loaded.");
    }
}

QString html(const QString &address, int errorCode, const QString &engineError) {
    QString page = resourceText(QStringLiteral(":/varnook/pages/unreached.html"));
    // For an HTTP status the engine's text is the template of its own error page: the status says it all.
    const QString detail = errorCode > 0           ? QStringLiteral("HTTP status %1").arg(errorCode)
                           : engineError.isEmpty() ? QStringLiteral("error %1").arg(errorCode)
                                                   : QStringLiteral("%1, error %2").arg(engineError).arg(errorCode);
    // The address last: it is the one text a page can choose, and it may hold a placeholder's text.
    page.replace(QStringLiteral("{{detail}}"), detail.toHtmlEscaped());
    page.replace(QStringLiteral("{{reason}}"), reason(errorCode).toHtmlEscaped());
    page.replace(QStringLiteral("{{address}}"), address.toHtmlEscaped());
    return page;
}

QString bannerHtml() {
    return resourceText(QStringLiteral(":/varnook/pages/banner.html"));
}

} // namespace varnook::UnreachedPage
