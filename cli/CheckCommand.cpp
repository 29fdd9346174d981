#include "CheckCommand.h"

#include "Console.h"
#include "DataFileCheck.h"

#include <QDir>

namespace varnook {

ExitCode CheckCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    QByteArray bytes;
    if (!m_folder.readExistingDataFileOrTell(bytes))
        return ExitCode::FileFailure;

    const DataFileCheck check(bytes);
    Console::out(QStringLiteral("Data file: ") + QDir::toNativeSeparators(m_folder.dataFilePath()));
    Console::out(QStringLiteral("Master password line: ") +
                 (check.hasMasterPassword() ? QStringLiteral("present") : QStringLiteral("missing")));
    Console::out(QStringLiteral("Entry lines: %1").arg(check.entryCount()));
    for (const DataFileCheck::Finding &finding : check.findings()) {
        const QString where =
            finding.line > 0 ? QStringLiteral("Line %1: ").arg(finding.line) : QStringLiteral("File: ");
        Console::out(where + DataFileCheck::describe(finding.problem));
    }
    if (check.isClean()) {
        Console::out(QStringLiteral("The file is clean."));
        return ExitCode::Success;
    }
    const size_t count = check.findings().size();
    Console::out(count == 1 ? QStringLiteral("The file has 1 problem.")
                            : QStringLiteral("The file has %1 problems.").arg(count));
    return ExitCode::FileHasProblems;
}

} // namespace varnook
