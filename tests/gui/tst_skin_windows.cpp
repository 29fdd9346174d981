#include "AboutWindow.h"
#include "Design.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "PictureBox.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "SkinEngine.h"
#include "SplashScreen.h"
#include "StatusBar.h"

#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace varnook;

namespace {

// Answers the first-run password prompt should the main window's load step ask, and keeps the
// Help window closed, so that loading the main window shows no box.
void prepareMainWindow(test::FakePlatform &fake) {
    fake.dialogs.answerInput(QStringLiteral("a master password"));
    QSettings settings(fake.settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
}

// Unloads the windows while the test's platform is still in place: the main window's unload
// step ends the program through it.
struct WindowsUnloader {
    ~WindowsUnloader() {
        unloadForm<MainWindow>();
        unloadForm<AboutWindow>();
        unloadForm<SplashScreen>();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace

class tst_skin_windows : public QObject {
    Q_OBJECT

private slots:
    void splashHoldsAndWearsTheSkin();
    void windowsAreSkinnedWhileSkinOnIsOn_data();
    void windowsAreSkinnedWhileSkinOnIsOn();
    void mainWindowGrowsByTheBanner_data();
    void mainWindowGrowsByTheBanner();
    void fallbackLoadsTheSplashWithoutItsStartUp();
    void fallbackNeverWaitsForALoadedSplash();
};

void tst_skin_windows::splashHoldsAndWearsTheSkin() {
    test::FakePlatform fake;
    WindowsUnloader unloader;
    SplashScreen *splash = loadForm<SplashScreen>();
    QVERIFY(splash);
    splash->timer()->stop();
    QVERIFY(splash->skin());
    QCOMPARE(splash->skin()->objectName(), QStringLiteral("skn"));
    QCOMPARE(programValues().SkinRef.data(), splash->skin());
    QCOMPARE(splash->skin()->skinName(), QStringLiteral("Standard Skin"));
    QCOMPARE(SkinEngine::appliedSkin(splash), QStringLiteral("Standard Skin"));
    QVERIFY(programValues().LoadSkinHolder);
}

void tst_skin_windows::windowsAreSkinnedWhileSkinOnIsOn_data() {
    QTest::addColumn<bool>("skinOn");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void tst_skin_windows::windowsAreSkinnedWhileSkinOnIsOn() {
    QFETCH(bool, skinOn);
    test::FakePlatform fake;
    WindowsUnloader unloader;
    prepareMainWindow(fake);
    SplashScreen *splash = loadForm<SplashScreen>();
    QVERIFY(splash);
    splash->timer()->stop();
    QVERIFY(programValues().Branding.skinOn); // the splash window's branding turns it on
    programValues().Branding.skinOn = skinOn;
    const QString expected = skinOn ? QStringLiteral("Standard Skin") : QString();

    MainWindow *main = loadForm<MainWindow>();
    QVERIFY(main);
    QCOMPARE(SkinEngine::appliedSkin(main), expected);
    const QColor face = splash->skin()->skin().colour(QStringLiteral("face"));
    auto *add = controlElement(main, QStringLiteral("cmdAdd"), 0);
    QCOMPARE(add->palette().color(QPalette::Button) == face && skinOn, skinOn);

    AboutWindow *about = loadForm<AboutWindow>();
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
    WindowsUnloader unloader;
    prepareMainWindow(fake);
    SplashScreen *splash = loadForm<SplashScreen>();
    QVERIFY(splash);
    splash->timer()->stop();
    programValues().Branding.bannerOn = bannerOn;

    MainWindow *main = loadForm<MainWindow>();
    QVERIFY(main);
    QCOMPARE(main->client()->height(), twipsToPixels(clientTwips));
    QCOMPARE(main->entryList()->y(), twipsToPixels(listTopTwips));
    QCOMPARE(main->entryList()->height(), twipsToPixels(4215));
    // The status bar stays docked at the bottom.
    QCOMPARE(main->statusBar()->geometry().bottom(), main->client()->height() - 1);

    auto *box = main->findChild<PictureBox *>(QStringLiteral("picBox"));
    auto *banner = main->findChild<QWidget *>(QStringLiteral("wbBanner"));
    auto *picture = main->findChild<QWidget *>(QStringLiteral("wbPicture"));
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
        QVERIFY(!showBanner(main)); // once per load of the window
    } else {
        QCOMPARE(banner->parentWidget(), main->client());
        QVERIFY(!banner->isVisibleTo(main));
    }
}

void tst_skin_windows::fallbackLoadsTheSplashWithoutItsStartUp() {
    test::FakePlatform fake;
    WindowsUnloader unloader;
    programValues().LoadSkinHolder = &SplashScreen::loadAsSkinHolder;
    QVERIFY(!findForm<SplashScreen>());
    QWidget window;

    QVERIFY(applySkin(&window));

    SplashScreen *splash = findForm<SplashScreen>();
    QVERIFY(splash);
    QVERIFY(!splash->timer()->isActive()); // the start-up sequence does not run again
    QVERIFY(!splash->isVisible());
    QCOMPARE(programValues().SkinRef.data(), splash->skin());
    QCOMPARE(SkinEngine::appliedSkin(&window), QStringLiteral("Standard Skin"));
    QCoreApplication::processEvents();
    QCOMPARE(splash->counter(), 0);
    QVERIFY(!findForm<MainWindow>());
}

void tst_skin_windows::fallbackNeverWaitsForALoadedSplash() {
    test::FakePlatform fake;
    WindowsUnloader unloader;
    SplashScreen *splash = loadForm<SplashScreen>();
    QVERIFY(splash);
    splash->timer()->stop(); // as after the start-up sequence
    programValues().SkinRef.clear();
    QWidget window;

    // The loaded splash window enables nothing any more; the failure comes back at once.
    QVERIFY(!applySkin(&window));
    QVERIFY(SkinEngine::appliedSkin(&window).isEmpty());
    QCOMPARE(findForm<SplashScreen>(), splash);
    QVERIFY(!splash->timer()->isActive());
}

QTEST_MAIN(tst_skin_windows)
#include "tst_skin_windows.moc"
