#include "ExportCommand.h"

#include "BufferedWriter.h"
#include "Console.h"
#include "DataFile.h"
#include "DataFileCheck.h"
#include "DataFileFormat.h"
#include "DataFileStream.h"
#include "DataFileUnlock.h"
#include "DataLoader.h"
#include "FileSave.h"
#include "MasterPasswordInput.h"
#include "SaveTemporaries.h"
#include "ScrambledCsv.h"
#include "SecretBytes.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace varnook {

namespace {

// Writes the CSV records of the remaining entry lines of the data file and checks every line on
// the way; the file is read once, a block at a time.
struct EntryExport {
    DataFileStream &lines;
    DataFileCheck &check;
    qsizetype exported = 0;

    void writeTo(BufferedWriter &out) {
        ScrambledCsv::writeHeader(out);
        DataFileStream::Line line;
        while (!out.failed() && lines.next(line)) {
            check.addLine(line.text, line.lineEnd, line.last);
            if (DataFileFormat::isSkippedLine(line.text))
                continue;
            ScrambledCsv::writeRecord(out, line.text);
            ++exported;
        }
        check.finish();
    }
};

} // namespace

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
    QFile file;
    if (!m_folder.openExistingDataFileOrTell(file))
        return ExitCode::FileFailure;
    if (ProtectedForm::isProtected(file.peek(ProtectedForm::Signature.size())))
        return exportProtected(file);
    return exportLines(file, false);
}

ExitCode ExportCommand::exportProtected(QFile &file) {
    // The whole file is opened in memory: its plain form never reaches the disk.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_folder.tellReadFailure(file.errorString());
        return ExitCode::FileFailure;
    }
    LoadResult read = DataLoader::fromBytes(bytes);
    if (const std::optional<ExitCode> refused =
            DataFileUnlock::unlock(read, m_folder.dataFilePath(), DataFileUnlock::dataFile()))
        return *refused;
    QBuffer plain(&read.plain);
    plain.open(QIODevice::ReadOnly);
    const ExitCode done = exportLines(plain, true);
    wipe(read.plain.data(), std::size_t(read.plain.size()));
    return done;
}

ExitCode ExportCommand::exportLines(QIODevice &file, bool unlocked) {
    DataFileStream lines(file);
    DataFileCheck check;
    DataFileStream::Line first;
    const bool hasFirst = lines.next(first);
    if (lines.failed()) {
        m_folder.tellReadFailure(lines.errorString());
        return ExitCode::FileFailure;
    }
    const QString masterPassword = hasFirst ? DataFileFormat::plainText(first.text) : QString();
    if (masterPassword.isEmpty()) {
        Console::err(QStringLiteral("The data file has no master password yet, so there is nothing to export. "
                                    "Varnook asks for a new one at its next start."));
        return ExitCode::FileHasProblems;
    }
    check.addLine(first.text, first.lineEnd, first.last);
    if (!unlocked && MasterPasswordInput::login(masterPassword) != MasterPasswordInput::Outcome::Accepted)
        return ExitCode::PasswordRefused;

    EntryExport entries{lines, check};
    if (m_outputFile.isEmpty()) {
        BufferedWriter out([](QByteArrayView block) { return Console::writeOut(block); });
        entries.writeTo(out);
        if (!lines.failed() && !out.flush()) {
            Console::err(QStringLiteral("The CSV text could not be written to standard output."));
            return ExitCode::FileFailure;
        }
    } else {
        // What an export killed on its way left beside this file holds passwords in plain text.
        SaveTemporaries::removeLeftovers(SaveTemporaries::resolvedTarget(m_outputFile), QDateTime::currentDateTime());
        // The CSV file takes its place only once every line has been read and written.
        FileSave save(m_outputFile, DataFile::Access::OwnerOnly);
        FileResult written = save.open();
        if (written) {
            entries.writeTo(save.out());
            if (!lines.failed())
                written = save.commit();
        }
        if (!written) {
            Console::err(QStringLiteral("The CSV file could not be written: ") +
                         QDir::toNativeSeparators(m_outputFile) + QStringLiteral("\n") + written.reason());
            return ExitCode::FileFailure;
        }
    }
    if (lines.failed()) {
        m_folder.tellReadFailure(lines.errorString());
        return ExitCode::FileFailure;
    }
    Console::err(QStringLiteral("Exported %1.").arg(Console::entries(entries.exported)));
    if (!check.isClean())
        Console::err(QStringLiteral("Some lines of the data file do not read back as written; the entries above are "
                                    "as Varnook shows them. Run \"varnook-cli check\" to see those lines."));
    return ExitCode::Success;
}

} // namespace varnook
