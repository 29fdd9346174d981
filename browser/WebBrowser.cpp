#include "WebBrowser.h"

#include "OwnPagesHandler.h"
#include "OwnPagesScheme.h"
#include "UnreachedPage.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>
#include <QRegularExpression>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <utility>

namespace varnook {

Q_LOGGING_CATEGORY(browserLog, "varnook.browser")

namespace {
// The engine's error page is a document of its own scheme.
const QString OnErrorPage = QStringLiteral("location.protocol === 'chrome-error:'");

// A text as a JavaScript string literal.
QString scriptString(const QString &text) {
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// Replaces the error page, as soon as it is made, by an empty page in the window's colour, so that
// the engine's own page is never seen before the program's takes its place.
QWebEngineScript errorPageCover(const QColor &background) {
    QWebEngineScript cover;
    cover.setName(QStringLiteral("varnook-error-page-cover"));
    cover.setInjectionPoint(QWebEngineScript::DocumentCreation);
    cover.setWorldId(QWebEngineScript::ApplicationWorld);
    cover.setRunsOnSubFrames(false);
    const QString blank =
        QStringLiteral("<!DOCTYPE html><html><body style=\"background:%1\"></body></html>").arg(background.name());
    cover.setSourceCode(QStringLiteral("if (%1) { document.open(); document.write(%2); document.close(); }")
                            .arg(OnErrorPage, scriptString(blank)));
    return cover;
}
} // namespace

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
    m_profile->installUrlSchemeHandler(OwnPagesScheme::name().toLatin1(), new OwnPagesHandler(m_profile));
    m_view = new QWebEngineView(this);
    m_view->setPage(new QWebEnginePage(m_profile, m_view));
    layout()->addWidget(m_view);

    QWebEnginePage *page = m_view->page();
    // Until a page has drawn itself, the control shows its window's colour rather than white.
    const QColor background = palette().color(QPalette::Window);
    page->setBackgroundColor(background);
    page->scripts().insert(errorPageCover(background));
    connect(page, &QWebEnginePage::linkHovered, this, &WebBrowser::statusTextChanged);
    // The control has no second window: a link that asks for one (target=_blank, window.open)
    // opens here instead of being dropped.
    connect(page, &QWebEnginePage::newWindowRequested, this,
            [page](QWebEngineNewWindowRequest &request) { page->load(request.requestedUrl()); });
    connect(page, &QWebEnginePage::loadStarted, this, &WebBrowser::downloadBegin);
    connect(page, &QWebEnginePage::loadProgress, this, [this](int progress) { emit progressChanged(progress, 100); });
    connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
            // A page that did not load (the banner's too) leaves a line that names it.
            qCWarning(browserLog) << objectName() << "could not load" << info.url().toString() << info.errorString();
            if (info.isErrorPage()) {
                showUnreachedPage(info.url(), info.errorCode(), info.errorString());
                return;
            }
        }
        emit downloadComplete();
    });

    // A window still open when the program ends is never destroyed; the web engine shuts down
    // with the application object, so its pages must be gone by then.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &WebBrowser::releaseView,
            Qt::UniqueConnection);
}

void WebBrowser::showUnreachedPage(const QUrl &address, int errorCode, const QString &engineError) {
    const QString html = m_whenUnreached == WhenUnreached::ShowOwnBanner
                             ? UnreachedPage::bannerHtml()
                             : UnreachedPage::html(address.toString(), errorCode, engineError);
    // The error page keeps its place in the history under the address that failed: Back leaves it
    // for the page before, Refresh tries the address again. Only its content becomes the program's.
    const QString script = QStringLiteral("if (%1) { document.open(); document.write(%2); document.close(); }")
                               .arg(OnErrorPage, scriptString(html));
    QPointer<WebBrowser> self(this);
    m_view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self](const QVariant &) {
        // A page that goes with its control (a window closing, the program ending) may still answer:
        // nobody is told of a load then.
        if (self && self->m_view)
            emit self->downloadComplete();
    });
}

void WebBrowser::releaseView() {
    // Gone before it is deleted: what the page reports while it goes finds no view.
    delete std::exchange(m_view, nullptr); // and its page
    delete std::exchange(m_profile, nullptr);
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
    QUrl url = QUrl::fromUserInput(text);
    if (url.scheme() == QStringLiteral("http") && url.port() == -1 && OwnPagesScheme::isOwnHost(url.host()))
        url.setScheme(OwnPagesScheme::name());
    return url;
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
