#pragma once

#include "VersionRecord.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace varnook {

// The program's own command line, read before the application exists: --help and --version answer
// without a window or a display, and an argument the program does not know is refused before any
// window opens. Qt's own options (-platform, -style, ...) and everything after --webEngineArgs are
// left to Qt, which reads them when the application is made.
class ProgramArguments {
public:
    enum class Request { Run, Help, Version, Refused };

    // arguments: the whole command line, the program's name first.
    static ProgramArguments read(const QStringList &arguments);

    Request request() const { return m_request; }
    // Why the command line is refused; empty otherwise.
    QString problem() const { return m_problem; }

    static QString helpText();
    static QString versionText(const VersionRecord &record);

private:
    Request m_request = Request::Run;
    QString m_problem;
};

// Answers --help, --version and a refused command line on the standard output or error; yields the
// exit status then, and nothing when the program is to run.
std::optional<int> answerCommandLine(int argc, char *argv[]);

} // namespace varnook
