#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QUrl>
#include <QWidget>

class QWebEngineProfile;
class QWebEngineView;

namespace varnook {

// Pages that did not load, the banner's among them, leave their line here.
Q_DECLARE_LOGGING_CATEGORY(browserLog)

// The program's web browser control: the page view of the browser window and the banner strip.
// The web engine starts with the first navigate, so a window that never browses costs nothing.
// Pages live in a private, off-the-record profile: nothing of what is browsed reaches the disk.
// The program's own pages (OwnPagesScheme) are served in it; a page that cannot be loaded shows a
// page of the program's own in its place, never the engine's error page.
class WebBrowser : public QWidget {
    Q_OBJECT

public:
    // What shows in place of a page that could not be loaded.
    enum class WhenUnreached {
        ExplainFailure, // the address and why it could not be reached
        ShowOwnBanner,  // the program's own banner: the banner strip never shows a failure
    };

    explicit WebBrowser(QWidget *parent = nullptr);
    ~WebBrowser() override;

    void setWhenUnreached(WhenUnreached shown) { m_whenUnreached = shown; }

    // Reads the address as a browser's address bar does: one without a scheme is a web address,
    // except that a bare host whose pages the program serves itself opens the program's page.
    // An empty or unreadable address is ignored.
    Q_INVOKABLE void navigate(const QString &address);
    // Back with no earlier page, Forward with no later one, stop and refresh with nothing to do
    // do nothing.
    void goBack();
    void goForward();
    void stop();
    void refresh();

    // The address navigate goes to; an empty one when it ignores the text.
    static QUrl readAddress(const QString &address);

    QString locationUrl() const;
    QString locationName() const;

    // The page view; null until the first navigate.
    QWebEngineView *view() const { return m_view; }

signals:
    // The page's status text: the address of the hovered link, empty when it is left.
    void statusTextChanged(const QString &text);
    void downloadBegin();
    // After every load that ended: finished, stopped or failed; after a failure once the program's
    // own page has taken the engine's place.
    void downloadComplete();
    void progressChanged(int progress, int maximum);

private:
    void createView();
    // Puts the program's page in place of the engine's error page, then reports the load complete.
    void showUnreachedPage(const QUrl &address, int errorCode, const QString &engineError);
    // Pages must go before their profile, and both before the web engine shuts down with the
    // application.
    void releaseView();

    QWebEngineProfile *m_profile = nullptr;
    QWebEngineView *m_view = nullptr;
    WhenUnreached m_whenUnreached = WhenUnreached::ExplainFailure;
};

} // namespace varnook
