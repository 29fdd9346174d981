#pragma once

#include "Branding.h"
#include "BrowserWindow.h"
#include "MainWindow.h"
#include "Session.h"
#include "SkinEngine.h"
#include "SplashScreen.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace varnook {

class DataFolderLock;
class LockKeeper;

// The owner of one run: the branding, the skin, the session, the keeper of the folder lock, and
// the windows that outlive each other: the splash screen, the main window and the browser window.
// The main window owns the windows it opens itself.
class Application : public QObject {
    Q_OBJECT

public:
    // Takes the branding from the platform's version record.
    explicit Application(QObject *parent = nullptr);
    explicit Application(const Branding &branding, QObject *parent = nullptr);
    ~Application() override;

    // Keeps the lock the program took refreshed for the whole run (it outlives the application), and
    // shows in the main window's status line what the refreshes find. Tests pass a shorter period.
    void keepFolderLock(DataFolderLock &lock, int refreshPeriodMs);
    void keepFolderLock(DataFolderLock &lock);
    // Shows the splash screen; the main window follows on its 75th tick.
    void start();

    // Loads the data and shows the main window, hiding the splash screen. Null when the program
    // was ended while loading.
    MainWindow *openMainWindow();
    // Shows the browser window, opening it first when it is not open: on the product page the
    // first time in a run, on the company's site every later time.
    BrowserWindow *openBrowser();

    const Branding &branding() const { return m_branding; }
    // The one skin; null when the branding turns the skin off.
    const SkinEngine *skin() const { return m_skin.get(); }
    Session &session() { return m_session; }

    SplashScreen *splashScreen() const { return m_splash; }
    MainWindow *mainWindow() const { return m_mainWindow; }
    BrowserWindow *browserWindow() const { return m_browser; }
    // The main window has closed while the browser window stayed open: the program ends with it.
    bool endsWithBrowser() const { return m_endsWithBrowser; }

private:
    void onMainWindowClosed();
    void onBrowserClosed();
    void showLockStatus(const QString &text);

    const Branding m_branding;
    std::unique_ptr<SkinEngine> m_skin;
    Session m_session;
    std::unique_ptr<LockKeeper> m_lockKeeper;
    QString m_heldLockStatus; // found before the main window showed
    QPointer<SplashScreen> m_splash;
    QPointer<MainWindow> m_mainWindow;
    QPointer<BrowserWindow> m_browser;
    bool m_browserOpenedBefore = false;
    bool m_endsWithBrowser = false;
};

} // namespace varnook
