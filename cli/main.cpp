#include "CommandLine.h"

#include <QCoreApplication>

// varnook-cli: export, import and check Varnook's data file from the command line.
int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("varnook-cli"));
    return varnook::CommandLine::run(QCoreApplication::arguments());
}
