#include "AboutWindow.h"
#include "Application.h"
#include "BrowserWindow.h"
#include "ControlArray.h"
#include "Design.h"
#include "Entry.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "MainWindow.h"
#include "PageLoads.h"
#include "PictureBox.h"
#include "SkinEngine.h"
#include "SplashScreen.h"
#include "WebBrowser.h"
#include "WindowCleanup.h"

#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace varnook;

namespace {

// Where the pictures for the README go; nothing is written unless the folder is named.
QString screenshotFolder() {
    return qEnvironmentVariable("VARNOOK_SCREENSHOT_DIR");
}

void keep(const QImage &image, const QString &fileName) {
    const QString folder = screenshotFolder();
    if (folder.isEmpty())
        return;
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(QDir(folder).filePath(fileName)));
}

// Whether the part of the window shows the colour anywhere: a page has been drawn.
bool shows(QWidget *window, const QRect &part, const QColor &colour) {
    const QImage shown = window->grab(part).toImage();
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixelColor(x, y) == colour)
                return true;
        }
    }
    return false;
}

// The program of one test, ended while the test's platform is still in place.
struct TestProgram {
    TestProgram()
        : program(std::make_unique<Application>()) {}
    ~TestProgram() {
        program.reset();
        test::destroyAllWindows();
    }
    Application *operator->() { return program.get(); }
    std::unique_ptr<Application> program;
};

} // namespace

// Renders the skinned windows as the user sees them at start-up, without the desktop's frames.
class tst_skin_screenshots : public QObject {
    Q_OBJECT

private slots:
    void mainWindowWithBanner();
    void browserWindowOnProductPage();
    void aboutWindow();
    void editorWindow();
};

void tst_skin_screenshots::mainWindowWithBanner() {
    test::FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("a master password"));
    QSettings(fake.settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    TestProgram program;

    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    EntryTableModel *entries = main->entryList()->entries();
    entries->clear();
    entries->add({QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example.org")});
    entries->add({QStringLiteral("alice.w"), QStringLiteral("battery staple"), QStringLiteral("\\\\nas\\photos")});
    entries->add({QStringLiteral("awhite"), QStringLiteral("Tr0ub4dor&3"), QStringLiteral("https://bank.example")});
    entries->add({QStringLiteral("admin"), QStringLiteral("s3cret-router"), QStringLiteral("192.168.1.1")});
    main->showStatus(QStringLiteral("Loaded 4 entries"));
    main->show();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    controlElement(main, QStringLiteral("cmdAdd"), 0)->setFocus(Qt::TabFocusReason);
    // The banner strip follows the first paint; the picture shows it with its page.
    auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
    QSignalSpy bannerLoaded(banner, &WebBrowser::downloadComplete);
    QTRY_VERIFY(main->bannerStarted());
    QVERIFY(test::pageSignalArrived(bannerLoaded));
    // The program's own banner shows in the strip, in the skin's accent colour.
    const QColor accent = program->skin()->skin().colour(QStringLiteral("accent"));
    const QRect strip(banner->mapTo(main, QPoint(0, 0)),
                      main->findChild<PictureBox *>(QStringLiteral("picBox"))->size());
    QTRY_VERIFY_WITH_TIMEOUT(shows(main, strip, accent), 30000);

    const QImage image = main->grab().toImage();
    QCOMPARE(image.size(), main->size());
    QCOMPARE(SkinEngine::appliedSkin(main), QStringLiteral("Standard Skin"));
    const auto *box = main->findChild<PictureBox *>(QStringLiteral("picBox"));
    QVERIFY(box && box->isVisible());
    // The client area shows the skin's window colour below the status bar's top edge.
    const QColor window = program->skin()->skin().colour(QStringLiteral("window"));
    const QPoint clientCorner = main->client()->mapTo(main, QPoint(main->client()->width() - 2, 2));
    QCOMPARE(image.pixelColor(clientCorner), window);
    keep(image, QStringLiteral("main-window.png"));
}

void tst_skin_screenshots::browserWindowOnProductPage() {
    test::FakePlatform fake;
    TestProgram program;
    BrowserWindow *browser = program->openBrowser();
    QVERIFY(browser);
    auto *page = browser->findChild<WebBrowser *>(QStringLiteral("WebBrowser1"));
    QSignalSpy loaded(page, &WebBrowser::downloadComplete);
    QVERIFY(test::pageSignalArrived(loaded));
    QVERIFY(QTest::qWaitForWindowExposed(browser));
    QCOMPARE(browser->windowTitle(), QStringLiteral("Varnook - Quillmere"));
    const QColor accent = program->skin()->skin().colour(QStringLiteral("accent"));
    QTRY_VERIFY_WITH_TIMEOUT(shows(browser, QRect(page->mapTo(browser, QPoint(0, 0)), page->size()), accent), 30000);
    keep(browser->grab().toImage(), QStringLiteral("browser-window.png"));
}

void tst_skin_screenshots::aboutWindow() {
    test::FakePlatform fake;
    TestProgram program;
    const VersionRecord record = VersionRecord::builtIn();
    auto *about = new AboutWindow(program->branding(), record, program->skin());
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));

    const QImage image = about->grab().toImage();
    QCOMPARE(image.size(), twipsSize(7455, 2925));
    const QImage header(QStringLiteral(":/varnook/about-header.jpg"));
    QCOMPARE(header.size(), QSize(497, 68));
    QCOMPARE(image.pixelColor(40, 10), header.pixelColor(40, 10));
    keep(image, QStringLiteral("about.png"));
}

void tst_skin_screenshots::editorWindow() {
    test::FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("a master password"));
    QSettings(fake.settingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    TestProgram program;
    MainWindow *main = program->openMainWindow();
    QVERIFY(main);
    main->entryList()->entries()->add(
        {QStringLiteral("alice"), QStringLiteral("correct horse"), QStringLiteral("mail.example.org")});
    main->entryList()->selectPosition(1);
    QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdEdit")), Qt::LeftButton);

    auto *editor = main->entryEditor();
    QVERIFY(editor);
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    const QImage image = editor->grab().toImage();
    QCOMPARE(image.size(), twipsSize(4680, 2610));
    QCOMPARE(SkinEngine::appliedSkin(editor), QStringLiteral("Standard Skin"));
    keep(image, QStringLiteral("editor.png"));
}

QTEST_MAIN(tst_skin_screenshots)
#include "tst_skin_screenshots.moc"
