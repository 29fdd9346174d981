#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace varnook::test {

// What one run of varnook-cli gave.
struct CliResult {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// The varnook-cli executable of this build.
QString cliProgram();

// Runs program with arguments and feeds input to its standard input (a pipe, so not a terminal),
// then closes it.
CliResult runCli(const QStringList &arguments, const QByteArray &input = {}, const QString &program = cliProgram());

// As runCli, but no file the program writes may grow beyond limit bytes, so that writing fails as on
// a full disk, even for the super-user.
CliResult runCliWithFileSizeLimit(qint64 limit, const QStringList &arguments, const QByteArray &input = {});

} // namespace varnook::test
