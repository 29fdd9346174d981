#pragma once

#include <QString>
#include <QStringList>

namespace varnook {

// The command line of varnook-cli: the command, its file and its options, checked before anything
// is read or asked; then the command runs.
class CommandLine {
public:
    // The exit code of the whole program.
    static int run(const QStringList &arguments);

    static QString helpText(const QString &optionsText);
    static QString versionText();
};

} // namespace varnook
