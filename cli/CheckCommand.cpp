#include "CheckCommand.h"

#include "Console.h"
#include "DataFileCheck.h"
#include "DataFileStream.h"
#include "ProtectedForm.h"

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
    if (ProtectedForm::isProtected(file.peek(ProtectedForm::Signature.size())))
        return checkProtected(file);
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
    return verdict(check.findings().size());
}

ExitCode CheckCommand::checkProtected(QFile &file) {
    // The header alone, read without any key; the body is only measured.
    const QByteArray start = file.read(ProtectedForm::Signature.size() + ProtectedForm::HeaderSize);
    if (file.error() != QFileDevice::NoError) {
        m_folder.tellReadFailure(file.errorString());
        return ExitCode::FileFailure;
    }
    Console::out(QStringLiteral("Data file: ") + QDir::toNativeSeparators(m_folder.dataFilePath()));
    Console::out(QStringLiteral("Form: protected"));
    const auto header = ProtectedForm::readHeader(start);
    if (const QString *problem = std::get_if<QString>(&header)) {
        Console::out(QStringLiteral("File: the file is damaged: ") + *problem);
        return verdict(1);
    }
    const ProtectedForm::Header &read = std::get<ProtectedForm::Header>(header);
    Console::out(QStringLiteral("Format version: %1").arg(read.version));
    const QString inMiB =
        read.cost.memoryKiB % 1024 == 0 ? QStringLiteral(" (%1 MiB)").arg(read.cost.memoryKiB / 1024) : QString();
    const QString passes =
        read.cost.passes == 1 ? QStringLiteral("1 pass") : QStringLiteral("%1 passes").arg(read.cost.passes);
    Console::out(
        QStringLiteral("Key derivation: Argon2id, %1 over %2 KiB%3").arg(passes).arg(read.cost.memoryKiB).arg(inMiB));
    Console::out(read.version == ProtectedForm::OnePieceVersion
                     ? QStringLiteral("Cipher: XChaCha20-Poly1305")
                     : QStringLiteral("Cipher: XChaCha20-Poly1305 (secretstream), in pieces of %1 KiB")
                           .arg(ProtectedForm::PieceSize / 1024));
    Console::out(QStringLiteral("Encrypted plain form: %1 bytes").arg(read.bodySize));
    Console::out(QStringLiteral("Entry lines: encrypted, not checked without the master password"));
    size_t count = 0;
    // Whether the body is whole is told by its tags, with the key; its size is told here.
    const quint64 expected = ProtectedForm::fileSize(read);
    const quint64 size = quint64(file.size());
    if (size < expected) {
        Console::out(
            QStringLiteral("File: the file is damaged: it is cut short: %1 bytes are missing").arg(expected - size));
        ++count;
    } else if (size > expected) {
        Console::out(QStringLiteral("File: the file is damaged: it has %1 bytes more than its header says")
                         .arg(size - expected));
        ++count;
    }
    return verdict(count);
}

ExitCode CheckCommand::verdict(size_t count) const {
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
