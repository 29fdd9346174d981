#include "CheckCommand.h"

#include "Console.h"
#include "DataFileCheck.h"
#include "DataFileStream.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace varnook {

namespace {

// The file holds every password: anyone but its owner who may read or replace it is a problem.
QString rightsProblem(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const mode_t others = info.st_mode & (S_IRWXG | S_IRWXO);
    if (others == 0)
        return {};
    const QString mode = QStringLiteral("%1").arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return QStringLiteral("others than its owner may read or write it (mode %1); to fix it, run: chmod 600 %2")
        .arg(mode, QDir::toNativeSeparators(path));
}

} // namespace

ExitCode CheckCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    QFile file;
    if (!m_folder.openExistingDataFileOrTell(file))
        return ExitCode::FileFailure;
    // One pass, a block at a time: only the findings are kept, never the lines.
    DataFileStream lines(file);
    DataFileCheck check;
    DataFileStream::Line line;
    while (lines.next(line))
        check.addLine(line.text, line.lineEnd, line.last);
    if (lines.failed()) {
        m_folder.tellReadFailure(lines.errorString());
        return ExitCode::FileFailure;
    }
    check.finish();
    Console::out(QStringLiteral("Data file: ") + QDir::toNativeSeparators(m_folder.dataFilePath()));
    Console::out(QStringLiteral("Master password line: ") +
                 (check.hasMasterPassword() ? QStringLiteral("present") : QStringLiteral("missing")));
    Console::out(QStringLiteral("Entry lines: %1").arg(check.entryCount()));
    for (const DataFileCheck::Finding &finding : check.findings()) {
        const QString where =
            finding.line > 0 ? QStringLiteral("Line %1: ").arg(finding.line) : QStringLiteral("File: ");
        Console::out(where + DataFileCheck::describe(finding.problem));
    }
    size_t count = check.findings().size();
    if (const QString rights = rightsProblem(m_folder.dataFilePath()); !rights.isEmpty()) {
        Console::out(QStringLiteral("File: ") + rights);
        ++count;
    }
    if (count == 0) {
        Console::out(QStringLiteral("The file is clean."));
        return ExitCode::Success;
    }
    Console::out(count == 1 ? QStringLiteral("The file has 1 problem.")
                            : QStringLiteral("The file has %1 problems.").arg(count));
    return ExitCode::FileHasProblems;
}

} // namespace varnook
