#include "Application.h"

#include "BrowserWindow.h"
#include "LockKeeper.h"
#include "MainWindow.h"
#include "Platform.h"
#include "SplashScreen.h"

namespace varnook {

Application::Application(QObject *parent)
    : Application(Branding::fromVersion(platform().version), parent) {}

Application::Application(const Branding &branding, QObject *parent)
    : QObject(parent)
    , m_branding(branding)
    , m_session(Session::inDataFolder()) {
    if (m_branding.skinOn)
        m_skin = std::make_unique<SkinEngine>();
}

Application::~Application() {
    // Windows go before the skin and the session they were given.
    delete m_browser.data();
    delete m_mainWindow.data();
    delete m_splash.data();
}

void Application::keepFolderLock(DataFolderLock &lock, int refreshPeriodMs) {
    m_lockKeeper = std::make_unique<LockKeeper>(lock, refreshPeriodMs);
    connect(m_lockKeeper.get(), &LockKeeper::status, this, &Application::showLockStatus);
    m_lockKeeper->start();
}

void Application::keepFolderLock(DataFolderLock &lock) {
    keepFolderLock(lock, LockKeeper::DefaultPeriodMs);
}

void Application::showLockStatus(const QString &text) {
    // Under the login box there is no status line yet: the line waits for the main window.
    if (m_mainWindow)
        m_mainWindow->showStatus(text);
    else
        m_heldLockStatus = text;
}

void Application::start() {
    // The data file is read while the splash screen shows.
    m_session.startReading();
    m_splash = new SplashScreen(m_skin.get());
    connect(m_splash, &SplashScreen::finished, this, &Application::openMainWindow);
    m_splash->start();
    m_splash->show();
}

MainWindow *Application::openMainWindow() {
    if (m_mainWindow)
        return m_mainWindow;
    auto *main = new MainWindow(m_session, m_branding, m_skin.get());
    if (!main->load()) {
        delete main; // the load ended the program
        return nullptr;
    }
    m_mainWindow = main;
    if (!m_heldLockStatus.isEmpty())
        main->showStatus(std::exchange(m_heldLockStatus, QString()));
    connect(main, &MainWindow::closed, this, &Application::onMainWindowClosed);
    connect(main, &MainWindow::browserRequested, this, &Application::openBrowser);
    main->show();
    if (m_splash)
        m_splash->hide();
    return main;
}

BrowserWindow *Application::openBrowser() {
    if (!m_browser) {
        m_browser = new BrowserWindow(m_branding, m_skin.get());
        connect(m_browser, &BrowserWindow::closed, this, &Application::onBrowserClosed);
        m_browser->open(m_browserOpenedBefore ? m_branding.companyWebsite : m_branding.productPage);
        m_browserOpenedBefore = true;
    }
    // A browser window that is open already comes forward: a click must never seem to do nothing.
    m_browser->show();
    m_browser->raise();
    m_browser->activateWindow();
    return m_browser;
}

void Application::onMainWindowClosed() {
    m_mainWindow->deleteLater();
    m_mainWindow = nullptr;
    delete m_splash.data();
    if (m_browser && m_browser->isVisible()) {
        // The program runs on until the browser window is closed.
        m_endsWithBrowser = true;
        return;
    }
    if (m_browser) {
        BrowserWindow *browser = m_browser;
        m_browser = nullptr; // closing it now must not end the program a second time
        browser->close();
    }
    platform().process->endProgram(0);
}

void Application::onBrowserClosed() {
    m_browser = nullptr;
    // Closed last, after the main window: the program ends with this window.
    if (m_endsWithBrowser)
        platform().process->endProgram(0);
}

} // namespace varnook
