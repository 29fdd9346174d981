#include "ProgramStart.h"

#include "Application.h"
#include "CoreDumps.h"
#include "DataFolderLock.h"
#include "FolderLockBox.h"
#include "Platform.h"
#include "QtPlatform.h"

#include <QApplication>
#include <QQuickWindow>

namespace varnook {

namespace {

// The web views (the banner, the browser window) draw in software, and no OpenGL is loaded: the
// pages look the same, and the program does not carry an OpenGL driver for one banner strip (with
// Mesa's software renderer and the compiler it loads, about 85 MB). Set before the application
// exists; the variable is taken back once the X connection is made, so that programs the user
// starts from Varnook (Go To) keep their OpenGL. A value the user set stays as it is.
class SoftwareWebViews {
public:
    SoftwareWebViews()
        : m_setHere(!qEnvironmentVariableIsSet(GlVariable)) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        if (m_setHere)
            qputenv(GlVariable, "none");
    }
    // Once the platform is up.
    void restoreEnvironment() const {
        if (m_setHere)
            qunsetenv(GlVariable);
    }

private:
    static constexpr const char *GlVariable = "QT_XCB_GL_INTEGRATION";
    const bool m_setHere;
};

} // namespace

int runProgram(int argc, char *argv[], const std::function<void()> &adjustPlatform) {
    // Before any password is read: a crash must not leave one on the disk. The limit is inherited
    // by the web engine's helper processes as well.
    CoreDumps::switchOff();
    const SoftwareWebViews softwareWebViews;
    QApplication app(argc, argv);
    softwareWebViews.restoreEnvironment();
    // The program decides itself when it ends: the main window may close while the browser stays.
    QApplication::setQuitOnLastWindowClosed(false);
    installDesktopPlatform();
    if (adjustPlatform)
        adjustPlatform();

    // One copy per data folder, held for the whole run.
    DataFolderLock lock(platform().programFolder);
    if (!lockFolderOrTell(lock))
        return 1;

    Application program;
    program.start();
    return app.exec();
}

} // namespace varnook
