#include "OwnPagesScheme.h"
#include "TestHttpServer.h"
#include "VersionRecord.h"
#include "WebBrowser.h"

#include <QMouseEvent>
#include <QNetworkProxy>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

using namespace varnook;
using varnook::test::TestHttpServer;

namespace {
// Page loads come from this process's own server; the limit only guards against a hang.
constexpr int LoadTimeout = 30000;

// A link filling the top 100 pixels of the page; nothing below it.
const QString LinkBody = QStringLiteral("<a href=\"/two\" style=\"display:block;height:100px\">to two</a>");
} // namespace

class tst_WebBrowser : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsAddressLikeAnAddressBar_data();
    void readsAddressLikeAnAddressBar();
    void navigateLoadsTypedAddress_data();
    void navigateLoadsTypedAddress();
    void namedHostIsReadAsWebAddress();
    void unreadableAddressIsIgnored_data();
    void unreadableAddressIsIgnored();
    void unreadableAddressKeepsCurrentPage();
    void buttonsBeforeFirstPageDoNothing();
    void webEngineStartsWithFirstNavigate();
    void pagesAreOffTheRecord();
    void backAndForwardWalkTheHistory();
    void backAndForwardAtTheEndsDoNothing();
    void refreshLoadsThePageAgain();
    void stopEndsALoadInProgress();
    void failedLoadCompletes();
    void stopWithNothingLoadingDoesNothing();
    void pageWithoutTitleIsNamedByItsAddress();
    void statusTextFollowsHoveredLink();
    void ownHostsReadAsOwnPages();
    void ownPagesShowWithoutNetwork_data();
    void ownPagesShowWithoutNetwork();
    void unreachedAddressShowsOwnPage_data();
    void unreachedAddressShowsOwnPage();
    void bannerShowsOwnBannerWhenUnreached();
    void controlGoingWhileItsOwnPageIsPutInPlace();

private:
    // The text of the page shown, as the user reads it.
    QString plainText();
    // Navigates and waits for the load to end.
    void load(const QString &address);
    // Moves the mouse over the page, as the user would.
    void hover(const QPoint &position);

    TestHttpServer *m_server = nullptr;
    WebBrowser *m_browser = nullptr;
};

void tst_WebBrowser::init() {
    m_server = new TestHttpServer(this);
    QVERIFY(m_server->isListening());
    m_server->addPage(QStringLiteral("/one"), QStringLiteral("Page One"), LinkBody);
    m_server->addPage(QStringLiteral("/two"), QStringLiteral("Page Two"));
    m_server->addPage(QStringLiteral("/three"), QStringLiteral("Page Three"));
    m_server->addStalledPage(QStringLiteral("/stalled"));
    m_browser = new WebBrowser;
    m_browser->resize(400, 300);
    m_browser->show();
}

void tst_WebBrowser::cleanup() {
    delete m_browser;
    m_browser = nullptr;
    delete m_server;
    m_server = nullptr;
}

void tst_WebBrowser::load(const QString &address) {
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    m_browser->navigate(address);
    QTRY_VERIFY_WITH_TIMEOUT(complete.count() > 0, LoadTimeout);
}

void tst_WebBrowser::hover(const QPoint &position) {
    QWidget *target = m_browser->view()->focusProxy();
    QMouseEvent move(QEvent::MouseMove, position, target->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

void tst_WebBrowser::readsAddressLikeAnAddressBar_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("address");
    QTest::newRow("bare host") << QStringLiteral("www.vendor.example") << QStringLiteral("http://www.vendor.example");
    QTest::newRow("host, port and path") << QStringLiteral("127.0.0.1:8080/x")
                                         << QStringLiteral("http://127.0.0.1:8080/x");
    QTest::newRow("named host and port") << QStringLiteral("localhost:8080") << QStringLiteral("http://localhost:8080");
    QTest::newRow("secure") << QStringLiteral("https://example.org/a?b=1")
                            << QStringLiteral("https://example.org/a?b=1");
    QTest::newRow("upper-case scheme and host") << QStringLiteral("HTTP://X/y") << QStringLiteral("http://x/y");
    QTest::newRow("blanks around") << QStringLiteral("  http://x/ \t") << QStringLiteral("http://x/");
    QTest::newRow("blank page") << QStringLiteral("about:blank") << QStringLiteral("about:blank");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("only blanks") << QStringLiteral("   ") << QString();
    QTest::newRow("broken IPv6 host") << QStringLiteral("http://[::1") << QString();
    QTest::newRow("blank in host") << QStringLiteral("http://a b/") << QString();
    QTest::newRow("percent in host") << QStringLiteral("http://%zz") << QString();
    QTest::newRow("port out of range") << QStringLiteral("http://host:99999/") << QString();
    QTest::newRow("no host") << QStringLiteral("http://") << QString();
    QTest::newRow("no host, a path") << QStringLiteral("http:///x") << QString();
    QTest::newRow("two words") << QStringLiteral("foo bar") << QString();
}

void tst_WebBrowser::readsAddressLikeAnAddressBar() {
    QFETCH(QString, typed);
    QFETCH(QString, address);
    QCOMPARE(WebBrowser::readAddress(typed).toString(), address);
}

void tst_WebBrowser::navigateLoadsTypedAddress_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("full address") << QStringLiteral("http://%1/one") << QStringLiteral("/one")
                                  << QStringLiteral("Page One");
    QTest::newRow("no scheme") << QStringLiteral("%1/two") << QStringLiteral("/two") << QStringLiteral("Page Two");
    QTest::newRow("blanks around") << QStringLiteral("  %1/three ") << QStringLiteral("/three")
                                   << QStringLiteral("Page Three");
    QTest::newRow("upper-case scheme") << QStringLiteral("HTTP://%1/one") << QStringLiteral("/one")
                                       << QStringLiteral("Page One");
}

void tst_WebBrowser::navigateLoadsTypedAddress() {
    QFETCH(QString, typed);
    QFETCH(QString, path);
    QFETCH(QString, title);
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    QSignalSpy progress(m_browser, &WebBrowser::progressChanged);
    load(typed.arg(m_server->hostAndPort()));
    QCOMPARE(m_browser->locationUrl(), m_server->url(path));
    QCOMPARE(m_browser->locationName(), title);
    QCOMPARE(m_server->requests(), QStringList{path});
    QCOMPARE(begin.count(), 1);
    QCOMPARE(complete.count(), 1);
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), (QVariantList{100, 100}));
}

void tst_WebBrowser::namedHostIsReadAsWebAddress() {
    // A bare host name goes out as a web address; the server answers it as the proxy.
    m_server->addPage(QStringLiteral("http://www.vendor.example/"), QStringLiteral("Vendor"));
    m_server->becomeApplicationProxy();
    load(QStringLiteral("www.vendor.example"));
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    QCOMPARE(m_server->requests(), QStringList{QStringLiteral("http://www.vendor.example/")});
    QCOMPARE(m_browser->locationUrl(), QStringLiteral("http://www.vendor.example/"));
    QCOMPARE(m_browser->locationName(), QStringLiteral("Vendor"));
}

void tst_WebBrowser::unreadableAddressIsIgnored_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("broken IPv6 host") << QStringLiteral("http://[::1");
    QTest::newRow("blank in host") << QStringLiteral("http://a b/");
    QTest::newRow("no host") << QStringLiteral("http://");
    QTest::newRow("port out of range") << QStringLiteral("http://host:99999/");
    QTest::newRow("two words") << QStringLiteral("foo bar");
}

void tst_WebBrowser::unreadableAddressIsIgnored() {
    QFETCH(QString, typed);
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    m_browser->navigate(typed);
    QCoreApplication::processEvents();
    QCOMPARE(begin.count(), 0);
    QVERIFY(!m_browser->view());
    QCOMPARE(m_browser->locationUrl(), QString());
    QCOMPARE(m_browser->locationName(), QString());
}

void tst_WebBrowser::unreadableAddressKeepsCurrentPage() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    m_browser->navigate(QString());
    m_browser->navigate(QStringLiteral("http://[::1"));
    // A later load shows that the event queue has run past anything the two could have started.
    load(m_server->url(QStringLiteral("/two")));
    QCOMPARE(begin.count(), 1);
    QCOMPARE(m_server->requests(), (QStringList{QStringLiteral("/one"), QStringLiteral("/two")}));
}

void tst_WebBrowser::buttonsBeforeFirstPageDoNothing() {
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    m_browser->goBack();
    m_browser->goForward();
    m_browser->stop();
    m_browser->refresh();
    QCoreApplication::processEvents();
    QCOMPARE(begin.count(), 0);
    QCOMPARE(complete.count(), 0);
    QCOMPARE(m_browser->locationUrl(), QString());
    QVERIFY(m_server->requests().isEmpty());
}

void tst_WebBrowser::webEngineStartsWithFirstNavigate() {
    QVERIFY(!m_browser->view());
    m_browser->navigate(m_server->url(QStringLiteral("/one")));
    QVERIFY(m_browser->view());
    QCOMPARE(m_browser->view()->parentWidget(), m_browser);
}

void tst_WebBrowser::pagesAreOffTheRecord() {
    load(m_server->url(QStringLiteral("/one")));
    QVERIFY(m_browser->view()->page()->profile()->isOffTheRecord());
    QVERIFY(m_browser->view()->page()->profile() != QWebEngineProfile::defaultProfile());
}

void tst_WebBrowser::backAndForwardWalkTheHistory() {
    load(m_server->url(QStringLiteral("/one")));
    load(m_server->url(QStringLiteral("/two")));
    load(m_server->url(QStringLiteral("/three")));

    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    m_browser->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->locationUrl(), m_server->url(QStringLiteral("/two")), LoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page Two"));

    m_browser->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 2, LoadTimeout);
    QCOMPARE(m_browser->locationUrl(), m_server->url(QStringLiteral("/one")));

    m_browser->goForward();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 3, LoadTimeout);
    QCOMPARE(m_browser->locationUrl(), m_server->url(QStringLiteral("/two")));
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page Two"));
}

void tst_WebBrowser::backAndForwardAtTheEndsDoNothing() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    m_browser->goBack();    // no earlier page
    m_browser->goForward(); // no later page
    // The next load shows that neither of the two started one.
    load(m_server->url(QStringLiteral("/two")));
    QCOMPARE(begin.count(), 1);
    QCOMPARE(m_server->requests(), (QStringList{QStringLiteral("/one"), QStringLiteral("/two")}));

    m_browser->goForward(); // still no later page
    m_browser->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(m_browser->locationUrl(), m_server->url(QStringLiteral("/one")), LoadTimeout);
}

void tst_WebBrowser::refreshLoadsThePageAgain() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    m_browser->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(m_server->requestCount(QStringLiteral("/one")), 2);
    QCOMPARE(m_browser->locationUrl(), m_server->url(QStringLiteral("/one")));
}

void tst_WebBrowser::stopEndsALoadInProgress() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy requested(m_server, &TestHttpServer::requestReceived);
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    m_browser->navigate(m_server->url(QStringLiteral("/stalled")));
    QTRY_VERIFY_WITH_TIMEOUT(m_server->requestCount(QStringLiteral("/stalled")) == 1, LoadTimeout);
    QCOMPARE(complete.count(), 0);
    m_browser->stop();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
}

void tst_WebBrowser::failedLoadCompletes() {
    // A port nobody listens on: the server that had it is gone.
    QString deadAddress;
    {
        TestHttpServer gone;
        deadAddress = gone.url(QStringLiteral("/nothing"));
    }
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    // The failure leaves a line in the log that names the page.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("could not load \"%1\" \"net::ERR_CONNECTION_REFUSED\"$")
                                                .arg(QRegularExpression::escape(deadAddress))));
    load(deadAddress);
    QCOMPARE(begin.count(), 1);
}

void tst_WebBrowser::stopWithNothingLoadingDoesNothing() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy begin(m_browser, &WebBrowser::downloadBegin);
    m_browser->stop();
    load(m_server->url(QStringLiteral("/two")));
    QCOMPARE(begin.count(), 1);
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page Two"));
}

void tst_WebBrowser::pageWithoutTitleIsNamedByItsAddress() {
    // The server's answer for an unknown page has a title; a blank one has none.
    load(QStringLiteral("about:blank"));
    QCOMPARE(m_browser->locationUrl(), QStringLiteral("about:blank"));
    QCOMPARE(m_browser->locationName(), QStringLiteral("about:blank"));
}

void tst_WebBrowser::statusTextFollowsHoveredLink() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy status(m_browser, &WebBrowser::statusTextChanged);
    const QString linkAddress = m_server->url(QStringLiteral("/two"));
    QTRY_VERIFY_WITH_TIMEOUT((hover({50, 50}), !status.isEmpty()), LoadTimeout);
    QCOMPARE(status.last().first().toString(), linkAddress);
    QTRY_VERIFY_WITH_TIMEOUT((hover({50, 250}), status.last().first().toString().isEmpty()), LoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT((hover({60, 40}), status.last().first().toString() == linkAddress), LoadTimeout);
}

QString tst_WebBrowser::plainText() {
    QString text;
    bool done = false;
    m_browser->view()->page()->toPlainText([&](const QString &shown) {
        text = shown;
        done = true;
    });
    // A page that never answers gives an empty text, which no test expects.
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return {};
    return text;
}

void tst_WebBrowser::ownHostsReadAsOwnPages() {
    const QStringList hosts = OwnPagesScheme::hosts();
    if (hosts.isEmpty())
        QSKIP("This build's pages come from real hosts.");
    for (const QString &host : hosts) {
        QCOMPARE(WebBrowser::readAddress(host).toString(), QStringLiteral("varnook://") + host);
        QCOMPARE(WebBrowser::readAddress(host.toUpper() + QStringLiteral("/x")).toString(),
                 QStringLiteral("varnook://") + host + QStringLiteral("/x"));
        // Typed with a web scheme or a port, the address goes to the network as typed.
        QCOMPARE(WebBrowser::readAddress(QStringLiteral("http://") + host).toString(),
                 QStringLiteral("http://") + host);
        QCOMPARE(WebBrowser::readAddress(host + QStringLiteral(":81")).toString(),
                 QStringLiteral("http://") + host + QStringLiteral(":81"));
    }
}

void tst_WebBrowser::ownPagesShowWithoutNetwork_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    const QString vendor = VersionRecord::vendorServer();
    const QString company = VersionRecord::builtIn().comments;
    QTest::newRow("banner") << vendor + QStringLiteral("/adserver.asp") << vendor + QStringLiteral("/adserver.asp")
                            << QStringLiteral("Varnook") << QStringLiteral("Varnook by Quillmere");
    QTest::newRow("product page") << vendor + QStringLiteral("/showsoftware2.asp?soft_id=17")
                                  << vendor + QStringLiteral("/showsoftware2.asp?soft_id=17")
                                  << QStringLiteral("Varnook - Quillmere")
                                  << QStringLiteral("A small password store for the desktop, by Quillmere.");
    QTest::newRow("company's bare host") << company << QStringLiteral("varnook://%1/").arg(company)
                                         << QStringLiteral("Quillmere")
                                         << QStringLiteral("Quillmere makes small desktop programs");
}

// The program's pages come from the program: the tests' resolver finds no host but the loopback.
void tst_WebBrowser::ownPagesShowWithoutNetwork() {
    QFETCH(QString, address);
    QFETCH(QString, location);
    QFETCH(QString, title);
    QFETCH(QString, text);
    if (OwnPagesScheme::hosts().isEmpty())
        QSKIP("This build's pages come from real hosts.");
    load(address);
    QCOMPARE(m_browser->locationUrl(), location);
    QCOMPARE(m_browser->locationName(), title);
    QVERIFY2(plainText().contains(text), qPrintable(plainText()));
    QVERIFY(m_server->requests().isEmpty());
}

void tst_WebBrowser::unreachedAddressShowsOwnPage_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("engineError");
    QTest::newRow("host that does not resolve")
        << QStringLiteral("http://no-such-host.example/x") << QStringLiteral("The host name could not be found.")
        << QStringLiteral("(net::ERR_NAME_NOT_RESOLVED, error -105)");
    QTest::newRow("port that refuses") << QStringLiteral("refused")
                                       << QStringLiteral("The server refused the connection")
                                       << QStringLiteral("(net::ERR_CONNECTION_REFUSED, error -102)");
    QTest::newRow("server error without a page")
        << QStringLiteral("empty503") << QStringLiteral("The server answered with an error and sent no page.")
        << QStringLiteral("(HTTP status 503)");
    QTest::newRow("own page that does not exist")
        << VersionRecord::vendorServer() + QStringLiteral("/nothing.asp")
        << QStringLiteral("There is no page at this address.") << QStringLiteral("(net::ERR_FILE_NOT_FOUND, error -6)");
}

// Never the engine's error page: the program's own page, at the address that failed, which it
// names together with the reason.
void tst_WebBrowser::unreachedAddressShowsOwnPage() {
    QFETCH(QString, address);
    QFETCH(QString, reason);
    QFETCH(QString, engineError);
    if (address == QStringLiteral("refused")) {
        TestHttpServer gone;
        address = gone.url(QStringLiteral("/nothing"));
    }
    if (address == QStringLiteral("empty503")) {
        m_server->addEmptyAnswer(QStringLiteral("/down"), 503);
        address = m_server->url(QStringLiteral("/down"));
    }
    if (address.startsWith(QStringLiteral("varnook:")) && OwnPagesScheme::hosts().isEmpty())
        QSKIP("This build's pages come from real hosts.");
    load(m_server->url(QStringLiteral("/one")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    load(address);
    QCOMPARE(m_browser->locationUrl(), address);
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page not reached"));
    const QString text = plainText();
    QCOMPARE(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).first(),
             QStringLiteral("The page could not be reached"));
    QVERIFY2(text.contains(address + QLatin1Char('\n')), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(engineError), qPrintable(text));
    // One entry for the failed address, after the page before it.
    QCOMPARE(m_browser->view()->history()->count(), 2);
    QCOMPARE(m_browser->view()->history()->currentItemIndex(), 1);

    // Refresh tries the address again and shows the program's page again.
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    m_browser->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page not reached"));
    QCOMPARE(m_browser->view()->history()->count(), 2);

    m_browser->goBack();
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 2, LoadTimeout);
    QCOMPARE(m_browser->locationUrl(), m_server->url(QStringLiteral("/one")));
    QCOMPARE(m_browser->locationName(), QStringLiteral("Page One"));
}

void tst_WebBrowser::bannerShowsOwnBannerWhenUnreached() {
    m_browser->setWhenUnreached(WebBrowser::WhenUnreached::ShowOwnBanner);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    load(QStringLiteral("http://ads.no-such-host.example/adserver.asp"));
    QCOMPARE(m_browser->locationName(), QStringLiteral("Varnook"));
    const QString text = plainText();
    QVERIFY2(text.startsWith(QStringLiteral("V\nVarnook by Quillmere\n")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("reached")), qPrintable(text));
}

// The control is destroyed as soon as the load has failed, while the program's page is still on its
// way into the page: nothing is reported afterwards, and nothing touches what is gone.
void tst_WebBrowser::controlGoingWhileItsOwnPageIsPutInPlace() {
    load(m_server->url(QStringLiteral("/one")));
    QSignalSpy complete(m_browser, &WebBrowser::downloadComplete);
    bool destroyed = false;
    connect(m_browser->view()->page(), &QWebEnginePage::loadingChanged, this, [&](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus)
            return;
        QTimer::singleShot(0, this, [&] {
            delete m_browser;
            m_browser = nullptr;
            destroyed = true;
        });
    });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    m_browser->navigate(QStringLiteral("http://no-such-host.example/x"));
    // The page answers its pending script as it goes, within the delete: that answer found nobody.
    QTRY_VERIFY_WITH_TIMEOUT(destroyed, LoadTimeout);
    QCOMPARE(complete.count(), 0);
}

QTEST_MAIN(tst_WebBrowser)
#include "tst_webbrowser.moc"
