#include "ExportCommand.h"

#include "Console.h"
#include "DataFile.h"
#include "DataFileCheck.h"
#include "DataLoader.h"
#include "EntryCsv.h"
#include "MasterPasswordInput.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

bool ExportCommand::outputIsDataFile() const {
    const QFileInfo output(m_outputFile);
    const QFileInfo data(m_folder.dataFilePath());
    if (output.exists())
        return output.canonicalFilePath() == data.canonicalFilePath();
    return QDir::cleanPath(output.absoluteFilePath()) == QDir::cleanPath(data.absoluteFilePath());
}

ExitCode ExportCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    if (!m_outputFile.isEmpty() && outputIsDataFile()) {
        Console::err(QStringLiteral("The CSV file would replace the data file itself. Choose another file name."));
        return ExitCode::Usage;
    }
    QByteArray bytes;
    if (!m_folder.readExistingDataFileOrTell(bytes))
        return ExitCode::FileFailure;

    const LoadResult read = DataLoader::fromBytes(bytes);
    if (read.state == LoadResult::State::NeedsMasterPassword) {
        Console::err(QStringLiteral("The data file has no master password yet, so there is nothing to export. "
                                    "Varnook asks for a new one at its next start."));
        return ExitCode::FileHasProblems;
    }
    if (MasterPasswordInput::login(read.masterPassword) != MasterPasswordInput::Outcome::Accepted)
        return ExitCode::PasswordRefused;

    const std::vector<Entry> &entries = read.entries;
    const QByteArray csv = EntryCsv::write(entries);
    if (m_outputFile.isEmpty()) {
        if (!Console::writeOut(csv)) {
            Console::err(QStringLiteral("The CSV text could not be written to standard output."));
            return ExitCode::FileFailure;
        }
    } else if (const FileResult written = DataFile(m_outputFile).write(csv, DataFile::Access::OwnerOnly); !written) {
        Console::err(QStringLiteral("The CSV file could not be written: ") + QDir::toNativeSeparators(m_outputFile) +
                     QStringLiteral("\n") + written.reason());
        return ExitCode::FileFailure;
    }
    Console::err(QStringLiteral("Exported %1.").arg(Console::entries(qsizetype(entries.size()))));
    if (!DataFileCheck(bytes).isClean())
        Console::err(QStringLiteral("Some lines of the data file do not read back as written; the entries above are "
                                    "as Varnook shows them. Run \"varnook-cli check\" to see those lines."));
    return ExitCode::Success;
}

} // namespace varnook
