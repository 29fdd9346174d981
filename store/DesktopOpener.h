#pragma once

#include <QString>

namespace varnook {

// The desktop's program that opens a web address, folder or file given as its one argument.
QString desktopOpener();

// The location as Go To opens it: a web address without its scheme gets "http://" in front.
QString locationToOpen(const QString &location);

} // namespace varnook
