#include "AboutWindow.h"
#include "Application.h"
#include "BrowserWindow.h"
#include "ControlArray.h"
#include "DataFolderLock.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "FakePlatform.h"
#include "FolderLockBox.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "OwnPagesScheme.h"
#include "QtPlatform.h"
#include "SplashScreen.h"
#include "StatusBar.h"
#include "TestHttpServer.h"
#include "WebBrowser.h"
#include "WindowCleanup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QNetworkProxy>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineView>

#include <unistd.h>

#include <functional>
#include <map>
#include <memory>

using namespace varnook;
using varnook::test::FakePlatform;
using varnook::test::TestHttpServer;

namespace {

// Makes the window the active one. Under a window manager (the xcb platform) the window is picked
// through the X server, as from a task bar: only the window manager decides which window is active.
void activateLikeAUser(QWidget *window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        window->activateWindow();
        return;
    }
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(window->winId())});
    QVERIFY(xdotool.waitForFinished());
    QVERIFY2(xdotool.exitCode() == 0, xdotool.readAllStandardError().constData());
}
// Page loads come from this process's own server; the limit only guards against a hang.
constexpr int LoadTimeout = 30000;
// How long the program run in a child process may take before the test gives up on it.
constexpr int ChildTimeout = 90000;
const char ChildSwitch[] = "--run-program-until-it-ends";
const char PageOpenSwitch[] = "--end-program-with-page-open";
const char FocusSwitch[] = "--end-program-after-focus-in-page";

// What the proxy answers for every page the browser window opens: the vendor's pages.
void servePages(TestHttpServer &server) {
    server.addPage(QStringLiteral("http://") + VersionRecord::builtIn().comments + QStringLiteral("/"),
                   QStringLiteral("Company Website"));
    server.addPage(VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17"),
                   QStringLiteral("Product Page"));
    server.addPage(VersionRecord::vendorServer() + QStringLiteral("/adserver.asp"), QStringLiteral("Banner"));
    server.becomeApplicationProxy();
}

// The pages the web-site button opens: the program's own in a build that serves them, otherwise
// the proxy's.
const bool OwnPages = !OwnPagesScheme::hosts().isEmpty();
const QString ProductPageTitle = OwnPages ? QStringLiteral("Varnook - Quillmere") : QStringLiteral("Product Page");
const QString CompanyPageTitle = OwnPages ? QStringLiteral("Quillmere") : QStringLiteral("Company Website");
const QStringList ProductPageRequests =
    OwnPages ? QStringList()
             : QStringList{VersionRecord::vendorServer() + QStringLiteral("/showsoftware2.asp?soft_id=17")};
const QStringList CompanyPageRequests =
    OwnPages ? QStringList()
             : QStringList{QStringLiteral("http://") + VersionRecord::builtIn().comments + QStringLiteral("/")};

// The program's branding without the banner strip: its page would be one more request.
Branding withoutBanner() {
    Branding branding = Branding::fromVersion(VersionRecord::builtIn());
    branding.bannerOn = false;
    return branding;
}

// A data file with the master password "secret" and a help file in the folder, so that the
// start-up opens the Help window.
void writeProgramFiles(const QString &folder) {
    QFile data(QDir(folder).filePath(QStringLiteral("data.enc")));
    if (data.open(QIODevice::WriteOnly)) // "secret", then the entry "al|||pw|||x"
        data.write(QByteArray("\xF3\xE5\xE3\xF2\xE5\xF4\r\n\xE1\xEC\xFC\xFC\xFC\xF0\xF7\xFC\xFC\xFC\xF8\r\n\r\n"));
    QFile help(QDir(folder).filePath(QStringLiteral("Help.rtf")));
    if (help.open(QIODevice::WriteOnly))
        help.write("{\\rtf1\\ansi Help\\par}");
}

QPushButton *websiteButton(MainWindow *main) {
    return qobject_cast<QPushButton *>(controlElement(main, QStringLiteral("cmdWebsite"), 0));
}

// Every process started below this one: the web engine's helpers.
QList<qint64> descendantProcesses(qint64 root) {
    QMultiHash<qint64, qint64> children;
    const auto entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...: the name may hold blanks, so read after its closing parenthesis.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children.insert(fields[1].toLongLong(), pid);
    }
    QList<qint64> found;
    QList<qint64> pending{root};
    while (!pending.isEmpty()) {
        const auto direct = children.values(pending.takeFirst());
        found += direct;
        pending += direct;
    }
    return found;
}

// A process counts as gone once it has ended, even while nobody has collected its exit status yet.
bool processGone(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1) == "Z";
}

// The program as its executable runs it, from the opened browser window to the end: desktop
// platform, the main window closed first, the browser window last. It reports on standard output.
int runProgramUntilItEnds(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installDesktopPlatform();
    QTemporaryDir settingsFolder;
    platform().settingsFile = settingsFolder.filePath(QStringLiteral("settings.ini"));
    QTemporaryDir programFolder;
    platform().programFolder = programFolder.path();
    platform().dataFolder = programFolder.path();
    writeProgramFiles(programFolder.path());
    test::ScriptedDialogs dialogs; // the login only
    dialogs.answerInput(QStringLiteral("secret"));
    platform().dialogs = &dialogs;
    TestHttpServer server;
    servePages(server);

    // Gives up on a run that hangs, e.g. on a box nobody answers.
    QTimer::singleShot(ChildTimeout - 10000, &app, [] { QCoreApplication::exit(3); });

    Application program(withoutBanner());
    MainWindow *main = program.openMainWindow();
    QTimer::singleShot(0, main, [main, &program] {
        QTest::mouseClick(websiteButton(main), Qt::LeftButton);
        QPointer<BrowserWindow> browser = program.browserWindow();
        if (!browser)
            return;
        // Once the page is there: the main window closes, later the browser window.
        auto *page = browser->findChild<WebBrowser *>(QStringLiteral("WebBrowser1"));
        QObject::connect(page, &WebBrowser::downloadComplete, browser, [browser, &program] {
            for (qint64 pid : descendantProcesses(getpid()))
                printf("helper %lld\n", pid);
            program.mainWindow()->close();
            printf("after main window: ends with browser %d, browser visible %d, main window open %d\n",
                   int(program.endsWithBrowser()), int(browser->isVisible()), int(program.mainWindow() != nullptr));
            fflush(stdout);
            QTimer::singleShot(0, browser, [browser] { browser->close(); });
        });
    });

    const int exitCode = app.exec();
    platform().dialogs = nullptr;
    printf("left the event loop with %d\n", exitCode);
    fflush(stdout);
    return exitCode;
}

// A page that is still open when the program ends: nothing destroys it, yet it must not outlive
// the web engine, which shuts down with the application object.
int endProgramWithPageOpen(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    installDesktopPlatform();
    TestHttpServer server;
    server.addPage(QStringLiteral("/open"), QStringLiteral("Open"));
    QTimer::singleShot(ChildTimeout - 10000, &app, [] { QCoreApplication::exit(3); });

    auto *page = new WebBrowser; // deliberately never deleted
    page->show();
    QObject::connect(page, &WebBrowser::downloadComplete, &app, [] { platform().process->endProgram(0); });
    page->navigate(server.url(QStringLiteral("/open")));

    const int exitCode = app.exec();
    printf("left the event loop with %d\n", exitCode);
    fflush(stdout);
    return exitCode;
}

// Gives a page's view the keyboard focus as a user does: a click into the page.
bool clickIntoPage(WebBrowser *page) {
    QWidget *inner = page->view() ? page->view()->focusProxy() : nullptr;
    if (!inner)
        return false;
    QTest::mouseClick(inner, Qt::LeftButton, {}, inner->rect().center());
    return QApplication::focusWidget() == inner;
}

// Runs a page until it has loaded, then clicks into it.
void whenLoadedClickInto(WebBrowser *page, const std::function<void()> &then) {
    auto *once = new QObject(page);
    QObject::connect(page, &WebBrowser::downloadComplete, once, [page, once, then] {
        delete once;
        printf("focus in page %d\n", int(clickIntoPage(page)));
        fflush(stdout);
        then();
    });
}

// The program from its start, with the folder lock main() takes, until a page had the focus and the
// program was closed: in the banner strip then File, Exit ("banner"), or in the browser window, which
// is closed while the main window stays, then File, Exit ("browser"). Reports on standard output.
int endProgramAfterFocusInPage(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const bool inBanner = qstrcmp(argv[2], "banner") == 0;
    auto fake = std::make_unique<FakePlatform>();
    QtProcessControl realEnd;
    platform().process = &realEnd;
    platform().programFolder = QString::fromLocal8Bit(argv[3]); // the test looks into it afterwards
    platform().dataFolder = platform().programFolder;
    TestHttpServer server;
    servePages(server);
    QTimer::singleShot(ChildTimeout - 10000, &app, [] { QCoreApplication::exit(3); });
    QFile data(platform().dataFile(QStringLiteral("data.enc")));
    if (!data.open(QIODevice::WriteOnly) || data.write("\xF3\xE5\xE3\xF2\xE5\xF4\r\n\r\n") < 0)
        return 4;
    data.close();
    fake->dialogs.answerInput(QStringLiteral("secret"));
    platform().openSettings()->setValue(QStringLiteral("Settings/showHelp"), QStringLiteral("0"));
    DataFolderLock lock(platform().dataFolder);
    if (!lockFolderOrTell(lock))
        return 5;

    Application program;
    auto fileExit = [&program] {
        MainWindow *main = program.mainWindow();
        printf("main window loaded %d\n", int(main != nullptr));
        fflush(stdout);
        if (main)
            main->findChild<QMenuBar *>()->actions().first()->menu()->actions().first()->trigger(); // File, Exit
    };
    QTimer::singleShot(0, &app, [&] { program.start(); });
    // The splash window opens the main window, which starts the banner.
    auto watch = new QTimer(&app);
    QObject::connect(watch, &QTimer::timeout, &app, [&, watch] {
        MainWindow *main = program.mainWindow();
        if (!main || !main->isVisible())
            return;
        watch->stop();
        if (inBanner) {
            whenLoadedClickInto(main->findChild<WebBrowser *>(QStringLiteral("wbBanner")), fileExit);
            return;
        }
        QTest::mouseClick(websiteButton(main), Qt::LeftButton);
        QPointer<BrowserWindow> browser = program.browserWindow();
        whenLoadedClickInto(browser->findChild<WebBrowser *>(QStringLiteral("WebBrowser1")), [browser, fileExit] {
            browser->close();
            QTimer::singleShot(100, qApp, fileExit);
        });
    });
    watch->start(20);

    const int exitCode = app.exec();
    printf("left the event loop with %d\n", exitCode);
    fflush(stdout);
    return exitCode;
}

struct ChildRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs this executable as the program in one of the ways above.
ChildRun runChild(const char *mode, const QStringList &more = {}) {
    ChildRun run;
    QProcess program;
    program.setProgram(QCoreApplication::applicationFilePath());
    program.setArguments(QStringList{QString::fromLatin1(mode)} + more);
    program.start();
    if (!program.waitForStarted())
        return run;
    if (!program.waitForFinished(ChildTimeout)) {
        program.kill();
        program.waitForFinished();
        run.errors = QStringLiteral("the program did not end\n");
    }
    run.status = program.exitStatus();
    run.exitCode = program.exitCode();
    run.output = QString::fromLocal8Bit(program.readAllStandardOutput());
    run.errors += QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

// What the web engine says when a page outlives it, or what a crash leaves behind.
const char *const EngineTroubles[] = {"Release of profile requested", "still not deleted", "leaked", "Received signal",
                                      "ASSERT"};
} // namespace

class tst_BrowserShutdown : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void closingMainWindowKeepsVisibleBrowserRunning_data();
    void closingMainWindowKeepsVisibleBrowserRunning();
    void closingMainWindowAfterBrowserClosedEndsAtOnce();
    void closingMainWindowWithoutBrowserEndsAtOnce();
    void hiddenBrowserWindowDoesNotKeepProgramRunning();
    void websiteButtonOpensProductPageThenCompanyWebsite();
    void programEndsCleanlyWithBrowserClosedLast();
    void pageOpenAtEndDoesNotOutliveWebEngine();
    void commandBringsOpenWindowForward_data();
    void commandBringsOpenWindowForward();
    void programEndsCleanlyAfterFocusInPage_data();
    void programEndsCleanlyAfterFocusInPage();

private:
    // The main window with the windows it closes when it closes; none runs its load step.
    MainWindow *openMainWindow();
    // Clicks the web-site button and waits for the page.
    BrowserWindow *openBrowserWindow(MainWindow *main);

    TestHttpServer *m_server = nullptr;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Application> m_program;
};

void tst_BrowserShutdown::initTestCase() {
    m_server = new TestHttpServer(this);
    QVERIFY(m_server->isListening());
    servePages(*m_server);
}

void tst_BrowserShutdown::cleanupTestCase() {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
}

void tst_BrowserShutdown::init() {
    m_platform = std::make_unique<FakePlatform>();
    m_server->clearRequests();
}

void tst_BrowserShutdown::cleanup() {
    m_program.reset();
    test::destroyAllWindows();
    QCOMPARE(m_platform->dialogs.shown.size(), 0);
    m_platform.reset();
}

MainWindow *tst_BrowserShutdown::openMainWindow() {
    writeProgramFiles(m_platform->programFolder());
    m_platform->dialogs.answerInput(QStringLiteral("secret"));
    m_program = std::make_unique<Application>(withoutBanner());
    m_program->start(); // the splash window stays, hidden, until the main window closes
    m_program->splashScreen()->timer()->stop();
    MainWindow *main = m_program->openMainWindow();
    if (!main || !main->helpWindow())
        return nullptr;
    main->openAbout();
    m_platform->dialogs.shown.clear(); // the login
    return main;
}

BrowserWindow *tst_BrowserShutdown::openBrowserWindow(MainWindow *main) {
    QTest::mouseClick(websiteButton(main), Qt::LeftButton);
    BrowserWindow *browser = m_program->browserWindow();
    if (!browser)
        return nullptr;
    QSignalSpy complete(browser->findChild<WebBrowser *>(QStringLiteral("WebBrowser1")), &WebBrowser::downloadComplete);
    if (complete.isEmpty() && !complete.wait(LoadTimeout))
        return nullptr;
    return browser;
}

void tst_BrowserShutdown::closingMainWindowKeepsVisibleBrowserRunning_data() {
    QTest::addColumn<bool>("byMenu");
    QTest::newRow("close box") << false;
    QTest::newRow("File, Exit") << true;
}

void tst_BrowserShutdown::closingMainWindowKeepsVisibleBrowserRunning() {
    QFETCH(bool, byMenu);
    QPointer<MainWindow> main = openMainWindow();
    QVERIFY(main);
    QPointer<HelpWindow> help = main->helpWindow();
    QPointer<AboutWindow> about = main->aboutWindow();
    QPointer<SplashScreen> splash = m_program->splashScreen();
    QPointer<BrowserWindow> browser = openBrowserWindow(main);
    QVERIFY(browser);
    QVERIFY(browser->isVisible());

    if (byMenu)
        main->findChild<QMenuBar *>()->actions().first()->menu()->actions().first()->trigger(); // File, Exit
    else
        main->close();

    QCOMPARE(m_platform->process.endCount, 0);
    QVERIFY(m_program->endsWithBrowser());
    QVERIFY(!m_program->mainWindow());
    QVERIFY(!m_program->splashScreen());
    QCOMPARE(m_program->browserWindow(), browser.data());
    QTRY_VERIFY(main.isNull());
    QVERIFY(help.isNull() && about.isNull() && splash.isNull());
    QVERIFY(browser);
    QVERIFY(browser->isVisible());

    browser->close();
    QCOMPARE(m_platform->process.endCount, 1);
    QCOMPARE(m_platform->process.lastExitCode, 0);
    QVERIFY(!m_program->browserWindow());
}

void tst_BrowserShutdown::closingMainWindowAfterBrowserClosedEndsAtOnce() {
    MainWindow *main = openMainWindow();
    QVERIFY(main);
    QPointer<HelpWindow> help = main->helpWindow();
    QPointer<AboutWindow> about = main->aboutWindow();
    QPointer<BrowserWindow> browser = openBrowserWindow(main);
    QVERIFY(browser);
    browser->close();
    QTRY_VERIFY(browser.isNull());
    QCOMPARE(m_platform->process.endCount, 0);

    main->close();
    QCOMPARE(m_platform->process.endCount, 1);
    QCOMPARE(m_platform->process.lastExitCode, 0);
    QVERIFY(!m_program->endsWithBrowser());
    QVERIFY(!m_program->splashScreen());
    QTRY_VERIFY(help.isNull() && about.isNull());
}

void tst_BrowserShutdown::closingMainWindowWithoutBrowserEndsAtOnce() {
    MainWindow *main = openMainWindow();
    QVERIFY(main);
    main->close();
    QCOMPARE(m_platform->process.endCount, 1);
    QVERIFY(!m_program->endsWithBrowser());
    QVERIFY(!m_program->browserWindow());
    QVERIFY(m_server->requests().isEmpty());
}

void tst_BrowserShutdown::hiddenBrowserWindowDoesNotKeepProgramRunning() {
    MainWindow *main = openMainWindow();
    QVERIFY(main);
    QPointer<BrowserWindow> browser = openBrowserWindow(main);
    QVERIFY(browser);
    browser->hide(); // open, not visible

    main->close();
    QCOMPARE(m_platform->process.endCount, 1);
    QVERIFY(!m_program->endsWithBrowser());
    // Closed with the rest: its own closing did not end the program a second time.
    QVERIFY(!m_program->browserWindow());
    QTRY_VERIFY(browser.isNull());
}

void tst_BrowserShutdown::websiteButtonOpensProductPageThenCompanyWebsite() {
    MainWindow *main = openMainWindow();
    QVERIFY(main);
    QPointer<BrowserWindow> first = openBrowserWindow(main);
    QVERIFY(first);
    QCOMPARE(first->windowTitle(), ProductPageTitle);
    // A second click while it is open shows the same window.
    first->hide();
    QTest::mouseClick(websiteButton(main), Qt::LeftButton);
    QCOMPARE(m_program->browserWindow(), first.data());
    QVERIFY(first->isVisible());
    // Not opened again: it keeps its title, its page and its two panels, and asks for nothing.
    QCOMPARE(first->windowTitle(), ProductPageTitle);
    QCOMPARE(first->findChild<StatusBar *>(QStringLiteral("StatusBar1"))->panelCount(), 2);
    QCOMPARE(first->findChild<WebBrowser *>(QStringLiteral("WebBrowser1"))->view()->history()->count(), 1);
    QCOMPARE(m_server->requests(), ProductPageRequests);
    first->close();
    QTRY_VERIFY(first.isNull());

    BrowserWindow *second = openBrowserWindow(main);
    QVERIFY(second);
    QCOMPARE(second->windowTitle(), CompanyPageTitle);
    QCOMPARE(m_server->requests(), ProductPageRequests + CompanyPageRequests);
    QCOMPARE(m_platform->process.endCount, 0);
}

void tst_BrowserShutdown::programEndsCleanlyWithBrowserClosedLast() {
    const ChildRun run = runChild(ChildSwitch);
    QCOMPARE(run.status, QProcess::NormalExit);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QVERIFY2(run.output.contains(
                 QStringLiteral("after main window: ends with browser 1, browser visible 1, main window open 0\n")),
             qPrintable(run.output));
    QVERIFY2(run.output.endsWith(QStringLiteral("left the event loop with 0\n")), qPrintable(run.output));
    for (const char *trouble : EngineTroubles)
        QVERIFY2(!run.errors.contains(QString::fromLatin1(trouble)), qPrintable(run.errors));

    // The web engine had helper processes; none of them outlives the program.
    QList<qint64> helpers;
    for (const QString &line : run.output.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("helper ")))
            helpers.append(line.mid(7).toLongLong());
    }
    QVERIFY2(!helpers.isEmpty(), qPrintable(run.output));
    for (qint64 pid : std::as_const(helpers))
        QTRY_VERIFY2_WITH_TIMEOUT(processGone(pid), qPrintable(QString::number(pid)), LoadTimeout);
}

void tst_BrowserShutdown::pageOpenAtEndDoesNotOutliveWebEngine() {
    const ChildRun run = runChild(PageOpenSwitch);
    QCOMPARE(run.status, QProcess::NormalExit);
    QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
    QCOMPARE(run.output, QStringLiteral("left the event loop with 0\n"));
    for (const char *trouble : EngineTroubles)
        QVERIFY2(!run.errors.contains(QString::fromLatin1(trouble)), qPrintable(run.errors));
}

void tst_BrowserShutdown::commandBringsOpenWindowForward_data() {
    QTest::addColumn<QString>("command");
    for (const char *command : {"Visit", "View Help", "About this software", "Add", "Edit"})
        QTest::newRow(command) << QString::fromLatin1(command);
}

// With every window open behind the main window, the command makes its window the active one.
void tst_BrowserShutdown::commandBringsOpenWindowForward() {
    QFETCH(QString, command);
    MainWindow *main = openMainWindow();
    QVERIFY(main);
    QVERIFY(openBrowserWindow(main));
    QTest::mouseClick(controlElement(main->client(), QStringLiteral("cmdAdd"), 0), Qt::LeftButton);
    QVERIFY(main->entryEditor());
    const std::map<QString, QWidget *> windows = {{"Visit", m_program->browserWindow()},
                                                  {"View Help", main->helpWindow()},
                                                  {"About this software", main->aboutWindow()},
                                                  {"Add", main->entryEditor()},
                                                  {"Edit", main->entryEditor()}};
    // Another program's window is the active one, as when the user has switched away.
    QWidget elsewhere;
    elsewhere.setWindowTitle(QStringLiteral("Another program"));
    elsewhere.setGeometry(20, 40, 200, 100);
    elsewhere.show();
    QVERIFY(QTest::qWaitForWindowExposed(&elsewhere));
    activateLikeAUser(&elsewhere);
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QWidget *target = windows.at(command);

    if (command == "Visit") {
        QTest::mouseClick(websiteButton(main), Qt::LeftButton);
    } else if (command == "Add" || command == "Edit") {
        EntryListView *list = main->entryList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QTest::mouseClick(command == "Add" ? controlElement(main->client(), QStringLiteral("cmdAdd"), 0)
                                           : main->findChild<QPushButton *>(QStringLiteral("cmdEdit")),
                          Qt::LeftButton);
    } else {
        for (QAction *item : main->findChildren<QAction *>())
            if (item->text() == command)
                item->trigger();
    }
    QVERIFY(QTest::qWaitForWindowActive(target));
    QCOMPARE(QApplication::activeWindow(), target);
}

void tst_BrowserShutdown::programEndsCleanlyAfterFocusInPage_data() {
    QTest::addColumn<QString>("page");
    QTest::newRow("banner strip, then File, Exit") << QStringLiteral("banner");
    QTest::newRow("browser window closed, then File, Exit") << QStringLiteral("browser");
}

void tst_BrowserShutdown::programEndsCleanlyAfterFocusInPage() {
    QFETCH(QString, page);
    QTemporaryDir folder;
    const ChildRun run = runChild(FocusSwitch, {page, folder.path()});
    QCOMPARE(run.status, QProcess::NormalExit);
    QVERIFY2(run.exitCode == 0, qPrintable(run.output + run.errors));
    QVERIFY2(run.output.contains(QStringLiteral("focus in page 1\nmain window loaded 1\n")), qPrintable(run.output));
    QVERIFY2(run.output.endsWith(QStringLiteral("left the event loop with 0\n")), qPrintable(run.output));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("data.enc")});
    for (const char *trouble : EngineTroubles)
        QVERIFY2(!run.errors.contains(QString::fromLatin1(trouble)), qPrintable(run.errors));
}

int main(int argc, char **argv) {
    if (argc > 3 && qstrcmp(argv[1], FocusSwitch) == 0)
        return endProgramAfterFocusInPage(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], ChildSwitch) == 0)
        return runProgramUntilItEnds(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], PageOpenSwitch) == 0)
        return endProgramWithPageOpen(argc, argv);
    QApplication app(argc, argv);
    tst_BrowserShutdown test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_browser_shutdown.moc"
