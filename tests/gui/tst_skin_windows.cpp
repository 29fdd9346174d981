#include "AboutWindow.h"
#include "Application.h"
#include "ControlArray.h"
#include "Design.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "PageLoads.h"
#include "PictureBox.h"
#include "Skin.h"
#include "SkinEngine.h"
#include "SplashScreen.h"
#include "StatusLine.h"
#include "WebBrowser.h"
#include "WindowCleanup.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <functional>
#include <optional>
#include <utility>

using namespace varnook;

namespace {

// Answers the first-run password prompt should the main window's load step ask, and keeps the
// Help window closed, so that loading the main window shows no box.
void prepareMainWindow(test::FakePlatform &fake) {
    fake.dialogs.answerInput(QStringLiteral("a master password"));
    QSettings settings(fake.settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
}

// The program of one test, ended while the test's platform is still in place: closing the main
// window ends the program through it.
struct TestProgram {
    explicit TestProgram(const Branding &branding)
        : program(std::make_unique<Application>(branding)) {}
    ~TestProgram() {
        program.reset();
        test::destroyAllWindows();
    }
    Application *operator->() { return program.get(); }
    std::unique_ptr<Application> program;
};

Branding branding(bool skinOn = true, bool bannerOn = true) {
    Branding branding = Branding::fromVersion(VersionRecord::builtIn());
    branding.skinOn = skinOn;
    branding.bannerOn = bannerOn;
    return branding;
}

} // namespace

// Queues a call after the first paint of the widget it watches.
class FirstPaintFollower : public QObject {
public:
    explicit FirstPaintFollower(std::function<void()> then)
        : m_then(std::move(then)) {}

    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && m_then)
            QMetaObject::invokeMethod(this, std::exchange(m_then, {}), Qt::QueuedConnection);
        return false;
    }

private:
    std::function<void()> m_then;
};

class tst_skin_windows : public QObject {
    Q_OBJECT

private slots:
    void splashHoldsAndWearsTheSkin();
    void windowsAreSkinnedWhileSkinOnIsOn_data();
    void windowsAreSkinnedWhileSkinOnIsOn();
    void mainWindowGrowsByTheBanner_data();
    void mainWindowGrowsByTheBanner();
    void listIsUsableBeforeTheBannerArrives();
    void bannerPageNotReachedShowsOwnBanner();
};

void tst_skin_windows::splashHoldsAndWearsTheSkin() {
    test::FakePlatform fake;
    TestProgram program(branding());
    program->start();
    SplashScreen *splash = program->splashScreen();
    QVERIFY(splash);
    splash->timer()->stop();
    QVERIFY(program->skin());
    QCOMPARE(program->skin()->skinName(), QStringLiteral("Standard Skin"));
    QCOMPARE(SkinEngine::appliedSkin(splash), QStringLiteral("Standard Skin"));
}

void tst_skin_windows::windowsAreSkinnedWhileSkinOnIsOn_data() {
    QTest::addColumn<bool>("skinOn");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void tst_skin_windows::windowsAreSkinnedWhileSkinOnIsOn() {
    QFETCH(bool, skinOn);
    test::FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(branding(skinOn));
    QCOMPARE(program->skin() != nullptr, skinOn); // no skin is made while it is off
    const QString expected = skinOn ? QStringLiteral("Standard Skin") : QString();

    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    QCOMPARE(SkinEngine::appliedSkin(main), expected);
    const QColor face = SkinEngine().skin().colour(QStringLiteral("face"));
    auto *add = controlElement(main, QStringLiteral("cmdAdd"), 0);
    QCOMPARE(add->palette().color(QPalette::Button) == face && skinOn, skinOn);

    main->openAbout();
    AboutWindow *about = main->aboutWindow();
    QVERIFY(about);
    QCOMPARE(SkinEngine::appliedSkin(about), expected);
    QCOMPARE(about->findChildren<QWidget *>(QStringLiteral("SkinLabel1")).size(), skinOn ? 5 : 1);
}

void tst_skin_windows::mainWindowGrowsByTheBanner_data() {
    QTest::addColumn<bool>("bannerOn");
    QTest::addColumn<int>("clientTwips");
    QTest::addColumn<int>("listTopTwips");
    QTest::newRow("banner on") << true << 7550 << 2975;
    QTest::newRow("banner off") << false << 6555 << 1980;
}

void tst_skin_windows::mainWindowGrowsByTheBanner() {
    QFETCH(bool, bannerOn);
    QFETCH(int, clientTwips);
    QFETCH(int, listTopTwips);
    test::FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(branding(true, bannerOn));

    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    QCOMPARE(main->client()->height(), twipsToPixels(clientTwips));
    QCOMPARE(main->entryList()->y(), twipsToPixels(listTopTwips));
    // The strip follows the window's first paint.
    QVERIFY(!main->bannerStarted());
    QVERIFY(QTest::qWaitForWindowExposed(main));
    if (bannerOn)
        QTRY_VERIFY(main->bannerStarted());
    else
        QTest::qWait(50);
    QCOMPARE(main->bannerStarted(), bannerOn);
    QCOMPARE(main->entryList()->height(), twipsToPixels(4215));
    // The status bar stays docked at the bottom.
    QCOMPARE(main->statusLine()->geometry().bottom(), main->client()->height() - 1);

    auto *box = main->findChild<PictureBox *>(QStringLiteral("picBox"));
    auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
    auto *picture = main->findChild<PictureBox *>(QStringLiteral("wbPicture"));
    QCOMPARE(box != nullptr, bannerOn);
    if (bannerOn) {
        QCOMPARE(box->geometry(), QRect(twipsToPixels(60), twipsToPixels(1980),
                                        twipsToPixels(7335) - twipsToPixels(280), twipsToPixels(945)));
        QCOMPARE(banner->parentWidget(), box);
        QVERIFY(banner->isVisibleTo(main));
        QVERIFY(!picture->isVisibleTo(main));
        // Between the copy buttons and the list.
        QVERIFY(box->geometry().bottom() < main->entryList()->y());
        QVERIFY(box->y() > controlElement(main, QStringLiteral("cmdCopy"), 0)->geometry().bottom());
        QVERIFY(!showBanner(banner, picture, program->branding().adServerPage)); // once per window
    } else {
        QCOMPARE(banner->parentWidget(), main->client());
        QVERIFY(!banner->isVisibleTo(main));
    }
}

// The web engine starts after the window's first paint: until then the list already takes clicks
// and keys, and the banner's arrival changes neither the window's size nor its place.
void tst_skin_windows::listIsUsableBeforeTheBannerArrives() {
    test::FakePlatform fake;
    prepareMainWindow(fake);
    TestProgram program(branding());
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    EntryTableModel *entries = main->entryList()->entries();
    for (const char *name : {"alice", "bob", "carol"})
        entries->add({QString::fromLatin1(name), QStringLiteral("pw"), QString()});
    auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
    QVERIFY(banner);
    QVERIFY(main->isVisible());
    const QRect shown = main->geometry();
    const QSize clientShown = main->client()->size();

    // Before any event has run: no web engine yet, and the list answers.
    QVERIFY(!banner->view());
    EntryListView *list = main->entryList();
    // What the list's first paint queues (here: a look at the banner) runs before the engine starts,
    // so the painted window reaches the screen first.
    std::optional<bool> bannerStartedAfterPaint;
    FirstPaintFollower follower([&] { bannerStartedAfterPaint = main->bannerStarted(); });
    list->viewport()->installEventFilter(&follower);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    QCOMPARE(list->firstSelectedPosition(), 1);
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->firstSelectedPosition(), 2);
    QVERIFY(!banner->view());

    QSignalSpy arrived(banner, &WebBrowser::downloadComplete);
    QTRY_VERIFY(main->bannerStarted());
    QCOMPARE(bannerStartedAfterPaint, std::optional<bool>(false));
    QVERIFY(banner->view());
    QVERIFY(test::pageSignalArrived(arrived));
    QCOMPARE(banner->locationUrl(), program->branding().adServerPage);
    QCOMPARE(main->geometry(), shown);
    QCOMPARE(main->client()->size(), clientShown);
    QCOMPARE(list->firstSelectedPosition(), 2);
}

// A banner page that cannot be loaded (a real host down, no network) leaves the strip showing the
// program's own banner, never an error.
void tst_skin_windows::bannerPageNotReachedShowsOwnBanner() {
    test::FakePlatform fake;
    prepareMainWindow(fake);
    Branding unreachable = branding();
    unreachable.adServerPage = QStringLiteral("http://ads.no-such-host.example/adserver.asp");
    TestProgram program(unreachable);
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
    QSignalSpy arrived(banner, &WebBrowser::downloadComplete);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not load")));
    QVERIFY(test::pageSignalArrived(arrived));
    QCOMPARE(banner->locationUrl(), unreachable.adServerPage);
    QCOMPARE(banner->locationName(), QStringLiteral("Varnook"));
    QString text;
    banner->view()->page()->toPlainText([&](const QString &shown) { text = shown; });
    QTRY_VERIFY(!text.isEmpty());
    QVERIFY2(text.contains(QStringLiteral("Varnook by Quillmere")), qPrintable(text));
}

QTEST_MAIN(tst_skin_windows)
#include "tst_skin_windows.moc"
