#include "CommandLine.h"
#include "CoreDumps.h"

#include <QCoreApplication>

// varnook-cli: export, import, check, merge and protect Varnook's data file from the command line.
int main(int argc, char *argv[]) {
    // Before any password is read: a crash must not leave one on the disk.
    varnook::CoreDumps::switchOff();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnook-cli"));
    return varnook::CommandLine::run(QCoreApplication::arguments());
}
