#pragma once

#include <QString>

namespace varnook {

// The desktop's program that opens a web address, folder or file given as its one argument.
QString desktopOpener();

// The location as Go To opens it: a web address without a scheme gets "http://" in front; a location
// that starts with a scheme, and a path, stay as they are; a leading "~/" stands for the home folder.
QString locationToOpen(const QString &location);

// True when the opener would read the argument as one of its options rather than as a location.
// The opener knows no "--" to end its options, so such an argument must not reach it at all.
bool opensAsOption(const QString &argument);

} // namespace varnook
