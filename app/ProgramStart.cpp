#include "ProgramStart.h"

#include "Application.h"
#include "CoreDumps.h"
#include "DataFolderLock.h"
#include "FolderLockBox.h"
#include "OwnPagesScheme.h"
#include "Platform.h"
#include "ProgramArguments.h"
#include "ProgramFolders.h"
#include "QtPlatform.h"
#include "SoftwareWebViews.h"

#include <QApplication>

namespace varnook {

int runProgram(int argc, char *argv[], const std::function<void()> &adjustPlatform) {
    // --help, --version and a wrong command line are answered before anything needs a display.
    if (const std::optional<int> answered = answerCommandLine(argc, argv))
        return *answered;
    // Before any password is read: a crash must not leave one on the disk. The limit is inherited
    // by the web engine's helper processes as well.
    CoreDumps::switchOff();
    // The web engine learns the program's own address scheme only before the application exists.
    OwnPagesScheme::registerScheme();
    const SoftwareWebViews softwareWebViews;
    QApplication app(argc, argv);
    softwareWebViews.restoreEnvironment();
    // The program decides itself when it ends: the main window may close while the browser stays.
    QApplication::setQuitOnLastWindowClosed(false);
    installDesktopPlatform();
    if (adjustPlatform)
        adjustPlatform();

    // The user's data folder may be missing at the first start; a folder that cannot be made is
    // told by the lock, which cannot be made there either.
    ProgramFolders::makeDataFolder(platform().dataFolder);
    // One copy per data folder, held for the whole run.
    DataFolderLock lock(platform().dataFolder);
    if (!lockFolderOrTell(lock))
        return 1;

    Application program;
    program.keepFolderLock(lock);
    program.start();
    return app.exec();
}

} // namespace varnook
