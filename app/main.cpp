#include "Application.h"
#include "CoreDumps.h"
#include "DataFolderLock.h"
#include "FolderLockBox.h"
#include "OwnPagesScheme.h"
#include "Platform.h"
#include "QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    // Before any password is read: a crash must not leave one on the disk. The limit is inherited
    // by the web engine's helper processes as well.
    varnook::CoreDumps::switchOff();
    // The web engine learns the program's own address scheme only before the application exists.
    varnook::OwnPagesScheme::registerScheme();
    QApplication app(argc, argv);
    // The program decides itself when it ends: the main window may close while the browser stays.
    QApplication::setQuitOnLastWindowClosed(false);
    varnook::installDesktopPlatform();

    // One copy per data folder, held for the whole run.
    varnook::DataFolderLock lock(varnook::platform().programFolder);
    if (!varnook::lockFolderOrTell(lock))
        return 1;

    varnook::Application program;
    program.start();
    return app.exec();
}
