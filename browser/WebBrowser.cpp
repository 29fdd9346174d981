#include "WebBrowser.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace varnook {

Q_LOGGING_CATEGORY(browserLog, "varnook.browser")

WebBrowser::WebBrowser(QWidget *parent)
    : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

WebBrowser::~WebBrowser() {
    releaseView();
}

void WebBrowser::createView() {
    // A profile without a storage name is off the record: cache and cookies stay in memory.
    m_profile = new QWebEngineProfile(this);
    m_view = new QWebEngineView(this);
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    layout()->addWidget(m_view);

    QWebEnginePage *page = m_view->page();
    connect(page, &QWebEnginePage::linkHovered, this, &WebBrowser::statusTextChanged);
    // The control has no second window: a link that asks for one (target=_blank, window.open)
    // opens here instead of being dropped.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [page](QWebEngineNewWindowRequest &request) { page->load(request.requestedUrl()); });
    connect(page, &QWebEnginePage::loadStarted, this, &WebBrowser::downloadBegin);
    connect(page, &QWebEnginePage::loadProgress, this, [this](int progress) { emit progressChanged(progress, 100); });
    connect(page, &QWebEnginePage::loadFinished, this, [this, page](bool loaded) {
        // A page that did not load (the banner's too) shows an error page; the log says which.
        if (!loaded)
            qCWarning(browserLog) << objectName() << "could not load" << page->requestedUrl().toString();
        emit downloadComplete();
    });

    // A window still open when the program ends is never destroyed; the web engine shuts down
    // with the application object, so its pages must be gone by then.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &WebBrowser::releaseView,
            Qt::UniqueConnection);
}

void WebBrowser::releaseView() {
    delete m_view; // and its page
    m_view = nullptr;
    delete m_profile;
    m_profile = nullptr;
}

QUrl WebBrowser::readAddress(const QString &address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    // An address that names its scheme stands as typed. Left to fromUserInput, an unreadable one
    // would get a second "http://" in front and send the browser to a host named "http".
    static const QRegularExpression namesScheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (namesScheme.match(text).hasMatch()) {
        const QUrl url(text, QUrl::TolerantMode);
        const bool web = url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https");
        if (!url.isValid() || (web && url.host().isEmpty()))
            return {};
        return url;
    }
    return QUrl::fromUserInput(text);
}

void WebBrowser::navigate(const QString &address) {
    const QUrl url = readAddress(address);
    if (!url.isValid())
        return;
    if (!m_view)
        createView();
    m_view->load(url);
}

void WebBrowser::goBack() {
    if (m_view)
        m_view->back();
}

void WebBrowser::goForward() {
    if (m_view)
        m_view->forward();
}

void WebBrowser::stop() {
    if (m_view)
        m_view->stop();
}

void WebBrowser::refresh() {
    if (m_view)
        m_view->reload();
}

QString WebBrowser::locationUrl() const {
    return m_view ? m_view->url().toString() : QString();
}

QString WebBrowser::locationName() const {
    return m_view ? m_view->title() : QString();
}

} // namespace varnook
