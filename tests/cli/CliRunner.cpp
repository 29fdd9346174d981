#include "CliRunner.h"

#include <csignal>
#include <sys/resource.h>

namespace varnook::test {

QString cliProgram() {
    return QStringLiteral(VARNOOK_CLI_PATH);
}

namespace {

CliResult runProcess(QProcess &process, const QStringList &arguments, const QByteArray &input, const QString &program);

} // namespace

CliResult runCli(const QStringList &arguments, const QByteArray &input, const QString &program) {
    QProcess process;
    return runProcess(process, arguments, input, program);
}

CliResult runCliWithFileSizeLimit(qint64 limit, const QStringList &arguments, const QByteArray &input) {
    QProcess process;
    process.setChildProcessModifier([limit] {
        const struct rlimit size = {rlim_t(limit), rlim_t(limit)};
        setrlimit(RLIMIT_FSIZE, &size);
        // A write past the limit then fails with an error instead of ending the program.
        std::signal(SIGXFSZ, SIG_IGN);
    });
    return runProcess(process, arguments, input, cliProgram());
}

namespace {

CliResult runProcess(QProcess &process, const QStringList &arguments, const QByteArray &input, const QString &program) {
    process.start(program, arguments);
    CliResult result;
    if (!process.waitForStarted())
        return result;
    process.write(input);
    process.closeWriteChannel();
    // A generous bound only against a hang; the runs take milliseconds.
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

} // namespace

} // namespace varnook::test
