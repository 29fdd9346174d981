#include "Branding.h"
#include "BrowserWindow.h"
#include "ControlArray.h"
#include "Design.h"
#include "FakePlatform.h"
#include "OwnPagesScheme.h"
#include "PageLoads.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "StatusBar.h"
#include "TestHttpServer.h"
#include "WebBrowser.h"
#include "WindowCleanup.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QNetworkProxy>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <cmath>
#include <memory>

using namespace varnook;
using varnook::test::FakePlatform;
using varnook::test::TestHttpServer;

namespace {
// Page loads come from this process's own server; the limit only guards against a hang.
constexpr int LoadTimeout = 30000;

// A link filling the top 100 pixels of the page; nothing below it.
const QString LinkBody = QStringLiteral("<a href=\"/two\" style=\"display:block;height:100px\">to two</a>");

// The same link, asking for a new window.
const QString NewWindowLinkBody =
    QStringLiteral("<a href=\"/two\" target=\"_blank\" style=\"display:block;height:100px\">to two</a>");

// The branding of a build whose vendor and company hosts are real: their pages come from the network,
// here from the test server as the proxy.
Branding realHostBranding() {
    Branding branding = Branding::fromVersion(VersionRecord::builtIn());
    branding.companyWebsite = QStringLiteral("www.real-company.example");
    branding.adServerPage = QStringLiteral("http://ads.real-vendor.example/adserver.asp");
    branding.productPage = QStringLiteral("http://ads.real-vendor.example/showsoftware2.asp?soft_id=17");
    return branding;
}
const Branding TheBranding = realHostBranding();
// This build's own branding: its pages are the program's own.
const Branding OwnBranding = Branding::fromVersion(VersionRecord::builtIn());

// A host the test machine's resolver never finds.
const QString NoSuchHost = QStringLiteral("http://no-such-host.example/page");

template <class T> T *control(QWidget *window, const char *name) {
    return window->findChild<T *>(QString::fromLatin1(name));
}

// The request a web address makes: a bare host name asks for its root page.
QString requestFor(const QString &address) {
    QUrl url = WebBrowser::readAddress(address);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url.toString();
}

// The text of the page the control shows, as the user reads it.
QString plainText(WebBrowser *page) {
    QString text;
    bool done = false;
    page->view()->page()->toPlainText([&](const QString &shown) {
        text = shown;
        done = true;
    });
    // A page that never answers gives an empty text, which no test expects.
    if (!QTest::qWaitFor([&] { return done; }, LoadTimeout))
        return {};
    return text;
}

int pixels(float twips) {
    return int(std::lround(twips / 15.0f));
}
} // namespace

class tst_BrowserWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void controlsAsDesigned();
    void windowBeforeLoading();
    void loadStep();
    void firstOpeningShowsProductPage();
    void openingOnTheCompanyWebsite();
    void goAndEnterLoadTypedAddress_data();
    void goAndEnterLoadTypedAddress();
    void otherKeysOnlyType();
    void unreadableAddressDoesNotEndProgram_data();
    void unreadableAddressDoesNotEndProgram();
    void backForwardAndRefresh();
    void stopEndsLoadInProgress();
    void buttonsWithNothingToDoFailSilently();
    void buttonsOfWindowWithoutPageDoNothing();
    void statusTextFollowsHoveredLink();
    void newWindowLinkOpensHere();
    void arrangeControls_data();
    void arrangeControls();
    void paintArrangesControls();
    void frameBorderStaysAboveAddressRow();
    void closingTellsTheOwnerAndEndsNothing();
    void ownPagesOpenWithoutNetwork_data();
    void ownPagesOpenWithoutNetwork();
    void unreachedPageKeepsAddressTitleAndHistory_data();
    void unreachedPageKeepsAddressTitleAndHistory();

private:
    // Opens the window the first time and waits for the product page.
    BrowserWindow *openBrowserWindow(const QString &address, const Branding &branding = TheBranding);
    BrowserWindow *openOnProductPage();
    // Types an address, clicks Go, waits for the page and checks the title it gave the window.
    void go(BrowserWindow *window, const QString &address, const QString &expectedTitle);
    void hover(BrowserWindow *window, const QPoint &position);

    TestHttpServer *m_server = nullptr;
    std::unique_ptr<FakePlatform> m_platform;
    QString m_productPage;
    QString m_companyWebsite;
    SkinEngine m_skin;
};

void tst_BrowserWindow::initTestCase() {
    m_server = new TestHttpServer(this);
    QVERIFY(m_server->isListening());
    // The vendor's pages are named hosts: they reach the test server as its proxy.
    m_server->becomeApplicationProxy();
}

void tst_BrowserWindow::cleanupTestCase() {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void tst_BrowserWindow::init() {
    m_platform = std::make_unique<FakePlatform>();
    m_server->becomeApplicationProxy(); // again after a test that went without it
    m_productPage = TheBranding.productPage;
    m_companyWebsite = TheBranding.companyWebsite;

    m_server->addPage(requestFor(m_productPage), QStringLiteral("Product Page"));
    m_server->addPage(requestFor(m_companyWebsite), QStringLiteral("Company Website"));
    m_server->addPage(QStringLiteral("/one"), QStringLiteral("Page One"), LinkBody);
    m_server->addPage(QStringLiteral("/two"), QStringLiteral("Page Two"));
    m_server->addPage(QStringLiteral("/blank"), QStringLiteral("Page Blank"), NewWindowLinkBody);
    m_server->addStalledPage(QStringLiteral("/stalled"));
    m_server->clearRequests();
}

void tst_BrowserWindow::cleanup() {
    test::destroyAllWindows();
    QCOMPARE(m_platform->dialogs.shown.size(), 0);
    m_platform.reset();
}

BrowserWindow *tst_BrowserWindow::openBrowserWindow(const QString &address, const Branding &branding) {
    auto *window = new BrowserWindow(branding, &m_skin);
    window->open(address);
    window->show();
    return window;
}

BrowserWindow *tst_BrowserWindow::openOnProductPage() {
    BrowserWindow *window = openBrowserWindow(m_productPage);
    // Opening started the page; it cannot have arrived before the event loop runs.
    QSignalSpy complete(control<WebBrowser>(window, "WebBrowser1"), &WebBrowser::downloadComplete);
    if (!complete.wait(LoadTimeout))
        return nullptr;
    return window;
}

void tst_BrowserWindow::go(BrowserWindow *window, const QString &address, const QString &expectedTitle) {
    auto *text1 = control<QLineEdit>(window, "Text1");
    QSignalSpy complete(control<WebBrowser>(window, "WebBrowser1"), &WebBrowser::downloadComplete);
    text1->setText(address);
    QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(window->windowTitle(), expectedTitle);
}

void tst_BrowserWindow::hover(BrowserWindow *window, const QPoint &position) {
    QWidget *target = control<WebBrowser>(window, "WebBrowser1")->view()->focusProxy();
    QMouseEvent move(QEvent::MouseMove, position, target->mapToGlobal(position), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
}

void tst_BrowserWindow::controlsAsDesigned() {
    BrowserWindow window(TheBranding, nullptr);
    auto *frame = control<QGroupBox>(&window, "frmBrowser");
    QVERIFY(frame);
    QCOMPARE(frame->title(), QStringLiteral("Browser"));
    QCOMPARE(frame->font().families().value(0), QStringLiteral("Verdana"));
    QCOMPARE(frame->parentWidget(), &window);

    struct Expected {
        const char *name;
        QRect twips;
    };
    const Expected placed[] = {{"Label5", {120, 300, 1215, 255}},       {"Text1", {540, 240, 4875, 315}},
                               {"Command3", {5460, 240, 795, 315}},     {"Command4", {540, 600, 1000, 435}},
                               {"Command5", {1620, 600, 1000, 435}},    {"Command6", {2700, 600, 1000, 435}},
                               {"WebBrowser1", {120, 1140, 6135, 5595}}};
    for (const Expected &expected : placed) {
        QWidget *widget = control<QWidget>(&window, expected.name);
        QVERIFY2(widget, expected.name);
        QCOMPARE(widget->parentWidget(), frame);
        QCOMPARE(widget->geometry(),
                 twipsRect(expected.twips.x(), expected.twips.y(), expected.twips.width(), expected.twips.height()));
    }

    QCOMPARE(control<QLabel>(&window, "Label5")->text(), QStringLiteral("URL:"));
    QCOMPARE(control<QLineEdit>(&window, "Text1")->text(), QString());
    const struct {
        const char *name;
        const char *caption;
        const char *toolTip;
    } buttons[] = {{"Command3", "Go", "browse the entered url"},
                   {"Command4", "Back", "back"},
                   {"Command5", "Forward", "forward"},
                   {"Command6", "Stop", "stop"}};
    for (const auto &button : buttons) {
        auto *widget = control<QPushButton>(&window, button.name);
        QCOMPARE(widget->text(), QString::fromLatin1(button.caption));
        QCOMPARE(widget->toolTip(), QString::fromLatin1(button.toolTip));
    }

    auto *refresh = qobject_cast<QPushButton *>(controlElement(&window, QStringLiteral("Command7"), 1));
    QVERIFY(refresh);
    QCOMPARE(refresh->parentWidget(), frame);
    QCOMPARE(refresh->text(), QStringLiteral("Refresh"));
    QCOMPARE(refresh->toolTip(), QStringLiteral("refresh"));
    QCOMPARE(refresh->geometry(), twipsRect(3780, 600, 1000, 435));
    QCOMPARE(window.findChildren<QWidget *>(QStringLiteral("Command7")).size(), 1);

    auto *skinLabel = qobject_cast<QLabel *>(controlElement(&window, QStringLiteral("SkinLabel1"), 0));
    QVERIFY(skinLabel);
    QCOMPARE(skinLabel->parentWidget(), frame);
    QCOMPARE(skinLabel->text(), QStringLiteral("Windowed Label"));
    QCOMPARE(skinLabel->geometry(), twipsRect(3180, 6840, 555, 135));
    QVERIFY(skinLabel->isHidden());

    auto *statusBar = control<StatusBar>(&window, "StatusBar1");
    QVERIFY(statusBar);
    QCOMPARE(statusBar->parentWidget(), &window);
    QCOMPARE(statusBar->height(), twipsToPixels(315));
    QCOMPARE(statusBar->panelCount(), 1);
}

void tst_BrowserWindow::windowBeforeLoading() {
    BrowserWindow window(TheBranding, nullptr);
    QCOMPARE(window.size(), twipsSize(10545, 8580));
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
    // The web engine waits for the first page.
    QVERIFY(!control<WebBrowser>(&window, "WebBrowser1")->view());
    auto *statusBar = control<StatusBar>(&window, "StatusBar1");
    QCOMPARE(statusBar->y() + statusBar->height(), window.height());
    QCOMPARE(statusBar->width(), window.width());
}

void tst_BrowserWindow::loadStep() {
    auto *window = new BrowserWindow(TheBranding, &m_skin);
    window->open(m_productPage);
    // Right after opening, before any page has arrived.
    QCOMPARE(window->windowTitle(), m_companyWebsite);
    QCOMPARE(SkinEngine::appliedSkin(window), QStringLiteral("Standard Skin"));
    QVERIFY(window->windowState().testFlag(Qt::WindowMaximized));
    QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!window->isVisible());
    auto *statusBar = control<StatusBar>(window, "StatusBar1");
    QCOMPARE(statusBar->panelCount(), 2);
    QCOMPARE(statusBar->panelText(2), QString());
    QCOMPARE(m_platform->process.endCount, 0);
    // The one plain label is covered by a skinned copy; the hidden template is not copied.
    auto *covered = qobject_cast<SkinLabel *>(controlElement(window, QStringLiteral("SkinLabel1"), 1));
    QVERIFY(covered);
    QCOMPARE(covered->caption(), QStringLiteral("URL:"));
    QCOMPARE(covered->geometry(), control<QLabel>(window, "Label5")->geometry());
    QVERIFY(covered->isVisibleTo(window));
    QVERIFY(!controlElement(window, QStringLiteral("SkinLabel1"), 2));
    // No label lies over the address box: every point of it shows the box itself.
    auto *address = control<QLineEdit>(window, "Text1");
    for (int x = 0; x < address->width(); x += 4) {
        for (int y = 0; y < address->height(); y += 4) {
            QWidget *shown = address->parentWidget()->childAt(address->geometry().topLeft() + QPoint(x, y));
            QVERIFY2(shown == address || address->isAncestorOf(shown), qPrintable(QString::number(x)));
        }
    }
}

void tst_BrowserWindow::firstOpeningShowsProductPage() {
    BrowserWindow *window = openBrowserWindow(m_productPage);
    QVERIFY(window->isVisible());
    QVERIFY(window->isMaximized());
    QCOMPARE(window->windowTitle(), m_companyWebsite);
    auto *text1 = control<QLineEdit>(window, "Text1");
    QTRY_COMPARE_WITH_TIMEOUT(text1->text(), requestFor(m_productPage), LoadTimeout);
    QCOMPARE(window->windowTitle(), QStringLiteral("Product Page"));
    QCOMPARE(m_server->requests(), QStringList{requestFor(m_productPage)});
    QCOMPARE(control<StatusBar>(window, "StatusBar1")->panelText(2), QString());
}

void tst_BrowserWindow::openingOnTheCompanyWebsite() {
    QPointer<BrowserWindow> window = openBrowserWindow(m_companyWebsite);
    QCOMPARE(window->windowTitle(), m_companyWebsite);
    auto *text1 = control<QLineEdit>(window, "Text1");
    QTRY_COMPARE_WITH_TIMEOUT(text1->text(), requestFor(m_companyWebsite), LoadTimeout);
    QCOMPARE(window->windowTitle(), QStringLiteral("Company Website"));
    QCOMPARE(m_server->requests(), QStringList{requestFor(m_companyWebsite)});
}

void tst_BrowserWindow::goAndEnterLoadTypedAddress_data() {
    QTest::addColumn<int>("key"); // 0: click Go
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("Go, full address") << 0 << QStringLiteral("http://%1/one") << QStringLiteral("/one")
                                      << QStringLiteral("Page One");
    QTest::newRow("Go, no scheme") << 0 << QStringLiteral("%1/two") << QStringLiteral("/two")
                                   << QStringLiteral("Page Two");
    QTest::newRow("Enter, full address") << int(Qt::Key_Return) << QStringLiteral("http://%1/one")
                                         << QStringLiteral("/one") << QStringLiteral("Page One");
    QTest::newRow("Enter, no scheme") << int(Qt::Key_Return) << QStringLiteral("%1/two") << QStringLiteral("/two")
                                      << QStringLiteral("Page Two");
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << QStringLiteral("%1/one") << QStringLiteral("/one")
                                  << QStringLiteral("Page One");
}

void tst_BrowserWindow::goAndEnterLoadTypedAddress() {
    QFETCH(int, key);
    QFETCH(QString, typed);
    QFETCH(QString, path);
    QFETCH(QString, title);
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    auto *text1 = control<QLineEdit>(window, "Text1");
    text1->clear();
    QTest::keyClicks(text1, typed.arg(m_server->hostAndPort()));
    QCOMPARE(text1->text(), typed.arg(m_server->hostAndPort()));
    QSignalSpy returnPressed(text1, &QLineEdit::returnPressed);
    QSignalSpy complete(control<WebBrowser>(window, "WebBrowser1"), &WebBrowser::downloadComplete);
    if (key == 0)
        QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
    else
        QTest::keyClick(text1, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    // Enter also reaches the address box itself.
    QCOMPARE(returnPressed.count(), key == 0 ? 0 : 1);

    // The typed address is replaced by the address of the page that was loaded.
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(text1->text(), m_server->url(path));
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(m_server->requests(), (QStringList{requestFor(m_productPage), path}));
}

void tst_BrowserWindow::otherKeysOnlyType() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    auto *text1 = control<QLineEdit>(window, "Text1");
    text1->clear();
    QTest::keyClicks(text1, m_server->url(QStringLiteral("/one")));
    QTest::keyClick(text1, Qt::Key_Left);
    QTest::keyClick(text1, Qt::Key_Tab);
    QCOMPARE(text1->text(), m_server->url(QStringLiteral("/one")));
    // Only Go loads it: nothing was asked for before.
    go(window, m_server->url(QStringLiteral("/two")), QStringLiteral("Page Two"));
    QCOMPARE(m_server->requests(), (QStringList{requestFor(m_productPage), QStringLiteral("/two")}));
}

void tst_BrowserWindow::unreadableAddressDoesNotEndProgram_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("broken IPv6 host") << QStringLiteral("http://[::1");
    QTest::newRow("blank in host") << QStringLiteral("http://a b/");
    QTest::newRow("no host") << QStringLiteral("http://");
    QTest::newRow("port out of range") << QStringLiteral("http://host:99999/");
}

void tst_BrowserWindow::unreadableAddressDoesNotEndProgram() {
    QFETCH(QString, typed);
    QPointer<BrowserWindow> window = openOnProductPage();
    QVERIFY(window);
    auto *text1 = control<QLineEdit>(window, "Text1");
    text1->setText(typed);
    QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
    QTest::keyClick(text1, Qt::Key_Return);
    // The window goes on working: the next page loads as usual.
    go(window, m_server->url(QStringLiteral("/two")), QStringLiteral("Page Two"));
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("Page Two"));
    QCOMPARE(m_server->requests(), (QStringList{requestFor(m_productPage), QStringLiteral("/two")}));
    QCOMPARE(m_platform->process.endCount, 0);
}

void tst_BrowserWindow::backForwardAndRefresh() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    auto *text1 = control<QLineEdit>(window, "Text1");
    go(window, m_server->url(QStringLiteral("/one")), QStringLiteral("Page One"));
    go(window, m_server->url(QStringLiteral("/two")), QStringLiteral("Page Two"));

    QTest::mouseClick(control<QPushButton>(window, "Command4"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(text1->text(), m_server->url(QStringLiteral("/one")), LoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Page One"), LoadTimeout);

    QTest::mouseClick(control<QPushButton>(window, "Command5"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(text1->text(), m_server->url(QStringLiteral("/two")), LoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Page Two"), LoadTimeout);

    const int before = m_server->requestCount(QStringLiteral("/two"));
    text1->setText(QStringLiteral("typed but not loaded"));
    QTest::mouseClick(qobject_cast<QPushButton *>(controlElement(window, QStringLiteral("Command7"), 1)),
                      Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->requestCount(QStringLiteral("/two")), before + 1, LoadTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(text1->text(), m_server->url(QStringLiteral("/two")), LoadTimeout);
    QCOMPARE(window->windowTitle(), QStringLiteral("Page Two"));
}

void tst_BrowserWindow::stopEndsLoadInProgress() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    auto *text1 = control<QLineEdit>(window, "Text1");
    auto *browser = control<WebBrowser>(window, "WebBrowser1");
    QSignalSpy complete(browser, &WebBrowser::downloadComplete);
    text1->setText(m_server->url(QStringLiteral("/stalled")));
    QTest::mouseClick(control<QPushButton>(window, "Command3"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->requestCount(QStringLiteral("/stalled")), 1, LoadTimeout);
    QCOMPARE(complete.count(), 0);
    text1->setText(QStringLiteral("typed meanwhile"));

    QTest::mouseClick(control<QPushButton>(window, "Command6"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    // The ended load still reports where the control is and what it is called.
    QCOMPARE(text1->text(), browser->locationUrl());
    QCOMPARE(window->windowTitle(), browser->locationName());
}

void tst_BrowserWindow::buttonsWithNothingToDoFailSilently() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Product Page"), LoadTimeout);
    auto *text1 = control<QLineEdit>(window, "Text1");
    const QString shown = text1->text();
    // No earlier page, no later page, nothing loading.
    QTest::mouseClick(control<QPushButton>(window, "Command4"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(window, "Command5"), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(window, "Command6"), Qt::LeftButton);
    QCOMPARE(text1->text(), shown);
    QCOMPARE(window->windowTitle(), QStringLiteral("Product Page"));
    go(window, m_server->url(QStringLiteral("/one")), QStringLiteral("Page One"));
    QCOMPARE(m_server->requests(), (QStringList{requestFor(m_productPage), QStringLiteral("/one")}));
    QCOMPARE(control<WebBrowser>(window, "WebBrowser1")->view()->history()->count(), 2);
    QCOMPARE(m_platform->process.endCount, 0);
}

void tst_BrowserWindow::buttonsOfWindowWithoutPageDoNothing() {
    BrowserWindow window(TheBranding, nullptr); // never loaded: no page at all
    window.show();
    for (const char *name : {"Command3", "Command4", "Command5", "Command6"})
        QTest::mouseClick(control<QPushButton>(&window, name), Qt::LeftButton);
    QTest::mouseClick(qobject_cast<QPushButton *>(controlElement(&window, QStringLiteral("Command7"), 1)),
                      Qt::LeftButton);
    QTest::keyClick(control<QLineEdit>(&window, "Text1"), Qt::Key_Return);
    QVERIFY(!control<WebBrowser>(&window, "WebBrowser1")->view());
    QCOMPARE(control<QLineEdit>(&window, "Text1")->text(), QString());
    QVERIFY(m_server->requests().isEmpty());
}

void tst_BrowserWindow::statusTextFollowsHoveredLink() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    go(window, m_server->url(QStringLiteral("/one")), QStringLiteral("Page One"));
    auto *statusBar = control<StatusBar>(window, "StatusBar1");
    const QString linkAddress = m_server->url(QStringLiteral("/two"));
    QCOMPARE(statusBar->panelText(1), QString());
    QTRY_VERIFY_WITH_TIMEOUT((hover(window, {50, 50}), statusBar->panelText(1) == linkAddress), LoadTimeout);
    QCOMPARE(statusBar->panelText(2), QString());
    QTRY_VERIFY_WITH_TIMEOUT((hover(window, {50, 300}), statusBar->panelText(1).isEmpty()), LoadTimeout);
    QTRY_VERIFY_WITH_TIMEOUT((hover(window, {80, 20}), statusBar->panelText(1) == linkAddress), LoadTimeout);
    QCOMPARE(statusBar->panelText(2), QString());
}

void tst_BrowserWindow::newWindowLinkOpensHere() {
    BrowserWindow *window = openOnProductPage();
    QVERIFY(window);
    go(window, m_server->url(QStringLiteral("/blank")), QStringLiteral("Page Blank"));
    auto *browser = control<WebBrowser>(window, "WebBrowser1");
    QSignalSpy complete(browser, &WebBrowser::downloadComplete);
    QSignalSpy started(browser->view(), &QWebEngineView::loadStarted);
    QWidget *target = browser->view()->focusProxy();
    // The page may not take clicks at once: a click is sent again only when a second has passed
    // without a load, so that one link is never followed twice.
    QElapsedTimer sinceClick;
    const auto clickOnce = [&] {
        if (started.isEmpty() && (!sinceClick.isValid() || sinceClick.elapsed() > 1000)) {
            QTest::mouseClick(target, Qt::LeftButton, {}, {50, 50});
            sinceClick.start();
        }
    };
    QTRY_VERIFY_WITH_TIMEOUT((clickOnce(), complete.count() > 0), LoadTimeout);
    QCOMPARE(control<QLineEdit>(window, "Text1")->text(), m_server->url(QStringLiteral("/two")));
    QCOMPARE(window->windowTitle(), QStringLiteral("Page Two"));
    QCOMPARE(browser->view()->history()->count(), 3);
}

void tst_BrowserWindow::arrangeControls_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("design") << twipsSize(10545, 8580);
    QTest::newRow("wide and low") << QSize(790, 160);
    QTest::newRow("narrow and tall") << QSize(140, 590);
    QTest::newRow("odd pixels") << QSize(333, 277);
    QTest::newRow("tiny") << QSize(12, 9);
    QTest::newRow("one pixel") << QSize(1, 1);
}

void tst_BrowserWindow::arrangeControls() {
    QFETCH(QSize, size);
    BrowserWindow window(TheBranding, nullptr);
    auto *statusBar = control<StatusBar>(&window, "StatusBar1");
    statusBar->addPanel(); // as the load step does
    window.show();
    window.resize(size);
    QTRY_COMPARE(window.size(), size);

    // Outer size and status bar height in twips, then the layout rule worked through by hand.
    const float w = float(window.frameGeometry().width() * 15);
    const float h = float(window.height() * 15);
    const float s = 315;
    const float frameWidth = std::fabs(w - 300);
    const float frameHeight = std::fabs(h - s);
    const float addressWidth = std::fabs(frameWidth - 540 - 300 - 795);

    QCOMPARE(statusBar->height(), 21);
    QCOMPARE(statusBar->geometry(), QRect(0, window.height() - 21, window.width(), 21));
    QCOMPARE(statusBar->panelWidth(1), pixels(std::fabs(w / 2)));
    QCOMPARE(statusBar->panelWidth(2), pixels(std::fabs(w / 2)));
    QCOMPARE(control<QGroupBox>(&window, "frmBrowser")->geometry(),
             QRect(0, 0, pixels(frameWidth), pixels(frameHeight)));
    QCOMPARE(control<QLineEdit>(&window, "Text1")->geometry(), QRect(36, 16, pixels(addressWidth), 21));
    QCOMPARE(control<QPushButton>(&window, "Command3")->geometry(),
             QRect(pixels(addressWidth + 540 + 100), 16, 53, 21));
    QCOMPARE(control<WebBrowser>(&window, "WebBrowser1")->geometry(),
             QRect(8, 76, pixels(std::fabs(frameWidth - 220)), pixels(std::fabs(frameHeight - 1140 - 100))));
    // Where the window has room for it, the page reaches down to the status bar, 100 twips short.
    if (window.height() > 120) {
        const QRect page = control<WebBrowser>(&window, "WebBrowser1")->geometry();
        const int gap = statusBar->y() - page.bottom() - 1;
        QVERIFY2(gap >= 0 && gap <= 8, qPrintable(QString::number(gap)));
    }
    // The rest stays where the design put it.
    QCOMPARE(control<QLabel>(&window, "Label5")->geometry(), twipsRect(120, 300, 1215, 255));
    QCOMPARE(control<QPushButton>(&window, "Command4")->geometry(), twipsRect(540, 600, 1000, 435));
    QCOMPARE(controlElement(&window, QStringLiteral("Command7"), 1)->geometry(), twipsRect(3780, 600, 1000, 435));
}

void tst_BrowserWindow::paintArrangesControls() {
    BrowserWindow window(TheBranding, nullptr);
    window.showNormal();
    window.resize(500, 400);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.size(), QSize(500, 400));
    auto *frame = control<QGroupBox>(&window, "frmBrowser");
    auto *page = control<WebBrowser>(&window, "WebBrowser1");
    const QRect frameArranged = frame->geometry();
    const QRect pageArranged = page->geometry();
    frame->resize(10, 10);
    page->resize(10, 10);
    window.repaint();
    QCOMPARE(frame->geometry(), frameArranged);
    QCOMPARE(page->geometry(), pageArranged);
}

void tst_BrowserWindow::frameBorderStaysAboveAddressRow() {
    BrowserWindow window(TheBranding, nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *frame = control<QGroupBox>(&window, "frmBrowser");
    const QImage image = frame->grab().toImage();
    const QRgb background = image.pixel(frame->width() / 2, frame->height() / 2 + 40);
    // Near the right edge no control stands: only the top and bottom borders cross this column.
    const int x = image.width() - 4;
    QList<int> drawnRows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) != background)
            drawnRows.append(y);
    }
    QCOMPARE(drawnRows.size(), 2);
    QVERIFY2(drawnRows.first() < control<QLineEdit>(&window, "Text1")->y(),
             qPrintable(QString::number(drawnRows.first())));
    QVERIFY(drawnRows.first() < control<QLabel>(&window, "Label5")->y());
    QCOMPARE(drawnRows.last(), frame->height() - 1);
}

void tst_BrowserWindow::closingTellsTheOwnerAndEndsNothing() {
    QPointer<BrowserWindow> window = openOnProductPage();
    QVERIFY(window);
    QSignalSpy closed(window.data(), &BrowserWindow::closed);
    window->close();
    QCOMPARE(closed.count(), 1);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(m_platform->process.endCount, 0);
}

void tst_BrowserWindow::ownPagesOpenWithoutNetwork_data() {
    QTest::addColumn<bool>("companySite");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("first opening: the product page")
        << false << QStringLiteral("Varnook - Quillmere") << QStringLiteral("A small password store for the desktop");
    QTest::newRow("later openings: the company's site")
        << true << QStringLiteral("Quillmere") << QStringLiteral("makes small desktop programs");
}

// The build's own addresses open the program's pages: no request leaves the program, not even to
// the proxy that would answer every host.
void tst_BrowserWindow::ownPagesOpenWithoutNetwork() {
    QFETCH(bool, companySite);
    QFETCH(QString, title);
    QFETCH(QString, text);
    if (OwnPagesScheme::hosts().isEmpty())
        QSKIP("This build's pages come from real hosts.");
    const QString address = companySite ? OwnBranding.companyWebsite : OwnBranding.productPage;
    BrowserWindow *window = openBrowserWindow(address, OwnBranding);
    QCOMPARE(window->windowTitle(), OwnBranding.companyWebsite);
    auto *page = control<WebBrowser>(window, "WebBrowser1");
    QSignalSpy complete(page, &WebBrowser::downloadComplete);
    QVERIFY(test::pageSignalArrived(complete));
    QCOMPARE(window->windowTitle(), title);
    const QString shownAddress =
        companySite ? QStringLiteral("varnook://%1/").arg(OwnBranding.companyWebsite) : OwnBranding.productPage;
    QCOMPARE(control<QLineEdit>(window, "Text1")->text(), shownAddress);
    QVERIFY2(plainText(page).contains(text), qPrintable(plainText(page)));
    QVERIFY(m_server->requests().isEmpty());
}

void tst_BrowserWindow::unreachedPageKeepsAddressTitleAndHistory_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("reason");
    QTest::newRow("host that does not resolve") << NoSuchHost << QStringLiteral("The host name could not be found.");
    QTest::newRow("loopback port that refuses")
        << QStringLiteral("refused") << QStringLiteral("The server refused the connection");
    QTest::newRow("own page that does not exist")
        << OwnBranding.productPage.section(QLatin1Char('?'), 0, 0) + QStringLiteral("?soft_id=18")
        << QStringLiteral("There is no page at this address.");
}

// Typed into the address box, an address that cannot be reached shows the program's page saying
// so; the address box keeps the address, the title is the page's, and Back leaves it for the page
// before, while Forward tries the address again.
void tst_BrowserWindow::unreachedPageKeepsAddressTitleAndHistory() {
    QFETCH(QString, address);
    QFETCH(QString, reason);
    if (address == QStringLiteral("refused")) {
        // A port nobody listens on any more; loopback addresses never go through the proxy.
        TestHttpServer gone;
        address = gone.url(QStringLiteral("/nothing"));
    }
    if (OwnPagesScheme::hosts().isEmpty())
        QSKIP("This build's pages come from real hosts.");
    // Without the proxy, which would answer for every host; the program's own product page needs none.
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    BrowserWindow *window = openBrowserWindow(OwnBranding.productPage, OwnBranding);
    auto *text1 = control<QLineEdit>(window, "Text1");
    auto *page = control<WebBrowser>(window, "WebBrowser1");
    QSignalSpy opened(page, &WebBrowser::downloadComplete);
    QVERIFY(test::pageSignalArrived(opened));
    // The failure leaves a line in the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    go(window, address, QStringLiteral("Page not reached"));
    QCOMPARE(text1->text(), address);
    const QString text = plainText(page);
    QVERIFY2(text.startsWith(QStringLiteral("The page could not be reached\n")), qPrintable(text));
    QVERIFY2(text.contains(address), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("(net::ERR_")), qPrintable(text));
    QCOMPARE(page->view()->history()->count(), 2);

    QSignalSpy complete(page, &WebBrowser::downloadComplete);
    QTest::mouseClick(control<QPushButton>(window, "Command4"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 1, LoadTimeout);
    QCOMPARE(text1->text(), OwnBranding.productPage);
    QCOMPARE(window->windowTitle(), QStringLiteral("Varnook - Quillmere"));
    // Back once more: there is no earlier page, and the failed one is not in between.
    QTest::mouseClick(control<QPushButton>(window, "Command4"), Qt::LeftButton);
    QCOMPARE(page->view()->history()->currentItemIndex(), 0);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    QTest::mouseClick(control<QPushButton>(window, "Command5"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(complete.count(), 2, LoadTimeout);
    QCOMPARE(text1->text(), address);
    QCOMPARE(window->windowTitle(), QStringLiteral("Page not reached"));
    QCOMPARE(page->view()->history()->count(), 2);
}

QTEST_MAIN(tst_BrowserWindow)
#include "tst_browserwindow.moc"
