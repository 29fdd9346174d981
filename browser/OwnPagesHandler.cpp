#include "OwnPagesHandler.h"

#include "OwnPagesScheme.h"

#include <QFile>
#include <QUrl>
#include <QWebEngineUrlRequestJob>

namespace varnook {

QString OwnPagesHandler::resourceFor(const QUrl &address) {
    if (address.scheme() != OwnPagesScheme::name() || !OwnPagesScheme::isOwnHost(address.host()) ||
        address.port() != -1 || !address.userInfo().isEmpty())
        return {};
    const QString path = address.path();
    const QString query = address.query();
    if (path == QStringLiteral("/adserver.asp") && query.isEmpty())
        return QStringLiteral(":/varnook/pages/banner.html");
    if (path == QStringLiteral("/showsoftware2.asp") && query == QStringLiteral("soft_id=17"))
        return QStringLiteral(":/varnook/pages/product.html");
    if ((path.isEmpty() || path == QStringLiteral("/")) && query.isEmpty())
        return QStringLiteral(":/varnook/pages/company.html");
    return {};
}

void OwnPagesHandler::requestStarted(QWebEngineUrlRequestJob *job) {
    // The pages are read, never sent to.
    if (job->requestMethod() != QByteArrayLiteral("GET")) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString resource = resourceFor(job->requestUrl());
    auto *page = new QFile(resource, job); // read by the engine, gone with the request
    if (resource.isEmpty() || !page->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    job->reply(QByteArrayLiteral("text/html;charset=utf-8"), page);
}

} // namespace varnook
