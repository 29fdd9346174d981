#pragma once

#include <QWebEngineUrlSchemeHandler>

class QUrl;

namespace varnook {

// Answers the web engine's requests for the program's own pages from its resources: the banner at
// "/adserver.asp", the product page at "/showsoftware2.asp?soft_id=17" and the company page at "/",
// on the hosts the program serves. Any other address is a page that does not exist.
class OwnPagesHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT

public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob *job) override;

    // The resource that holds the page at this address; empty when there is none.
    static QString resourceFor(const QUrl &address);
};

} // namespace varnook
