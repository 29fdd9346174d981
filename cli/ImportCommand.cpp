#include "ImportCommand.h"

#include "Console.h"
#include "DataFile.h"
#include "DataFileCheck.h"
#include "DataFileFormat.h"
#include "DataFileStream.h"
#include "DataFileUnlock.h"
#include "DataFolderLock.h"
#include "DataLoader.h"
#include "DiskState.h"
#include "FileSave.h"
#include "ImportRows.h"
#include "MasterPasswordInput.h"
#include "ProtectedForm.h"
#include "SecretBytes.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace varnook {

namespace {

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

std::optional<ExitCode> passwordOutcome(MasterPasswordInput::Outcome outcome) {
    if (outcome == MasterPasswordInput::Outcome::Accepted)
        return std::nullopt;
    return ExitCode::PasswordRefused;
}

void tellLinesThatDoNotReadBack() {
    Console::err(QStringLiteral("The data file has lines that do not read back as written, so nothing was "
                                "imported. Run \"varnook-cli check\" to see them."));
}

// The save of an import in the form the data file has: the plain form goes into the file as it is
// written; the protected form is laid out in memory and sealed, so that no plain copy reaches the disk.
class ImportSave {
public:
    // readHash: the digest of the protected file as it was opened.
    ImportSave(QString path, std::shared_ptr<const FileKey> key, QByteArray readHash)
        : m_path(std::move(path))
        , m_key(std::move(key))
        , m_readHash(std::move(readHash)) {}
    ~ImportSave() { wipe(m_plain.data(), std::size_t(m_plain.size())); }
    ImportSave(const ImportSave &) = delete;
    ImportSave &operator=(const ImportSave &) = delete;

    FileResult open() {
        if (!m_key) {
            m_file.emplace(m_path, DataFile::Access::KeepTightened);
            return m_file->open();
        }
        m_memory.emplace([this](QByteArrayView block) {
            m_plain.append(block);
            return true;
        });
        return FileResult::success();
    }
    BufferedWriter &out() { return m_file ? m_file->out() : *m_memory; }
    FileResult commit() {
        if (m_file)
            return m_file->commit();
        m_memory->flush();
        // The new file is made from the one opened before the password was typed; a sync engine's
        // save that came in meanwhile must not be written over.
        QByteArray now;
        if (const FileResult read = DataFile(m_path).read(now); !read)
            return read;
        if (ContentHash::of(now) != m_readHash)
            return FileResult::failure(QStringLiteral("Another program changed it while the password was typed."));
        return DataFile(m_path).writePlain(m_plain, m_key.get());
    }

private:
    QString m_path;
    std::shared_ptr<const FileKey> m_key;
    QByteArray m_readHash;
    std::optional<FileSave> m_file;
    QByteArray m_plain;
    std::optional<BufferedWriter> m_memory;
};

} // namespace

std::optional<ExitCode> ImportCommand::readCsv(QByteArray &bytes, QByteArrayView &csv,
                                               std::optional<ImportColumns> &columns) {
    const QString cannotRead = QStringLiteral("The CSV file could not be read: ") + shown(m_csvFile);
    QFile file(m_csvFile);
    if (!file.open(QIODevice::ReadOnly)) {
        Console::err(cannotRead + QStringLiteral("\n") + file.errorString());
        return ExitCode::FileFailure;
    }
    // One byte more than the limit tells a file that is too large; an endless input ends here too.
    bytes = file.read(MaximumCsvSize + 1);
    if (bytes.size() > MaximumCsvSize) {
        Console::err(cannotRead + QStringLiteral("\nIt is larger than 64 MB; import it in parts."));
        return ExitCode::FileFailure;
    }
    if (file.error() != QFileDevice::NoError) {
        Console::err(cannotRead + QStringLiteral("\n") + file.errorString());
        return ExitCode::FileFailure;
    }
    if (const QString problem = CsvReader::utf8Problem(bytes); !problem.isEmpty()) {
        Console::err(cannotRead + QStringLiteral("\n") + problem);
        return ExitCode::FileFailure;
    }
    csv = CsvReader::withoutByteOrderMark(bytes);
    // Every record is read once here, and dropped: a malformed file is refused before anything is asked.
    CsvRecords records(csv);
    CsvRecord header;
    const bool hasHeader = records.next(header);
    CsvRecord record;
    while (records.next(record)) {
    }
    if (!records.error().isEmpty()) {
        Console::err(cannotRead + QStringLiteral("\n") + records.error());
        return ExitCode::FileFailure;
    }
    if (!hasHeader) {
        Console::err(cannotRead + QStringLiteral("\nIt is empty; it needs a header row that names its columns."));
        return ExitCode::FileFailure;
    }
    QString columnsProblem;
    columns = ImportColumns::find(header.fields, columnsProblem);
    if (!columns) {
        Console::err(cannotRead + QStringLiteral("\n") + columnsProblem);
        return ExitCode::FileFailure;
    }
    return std::nullopt;
}

std::optional<ExitCode> ImportCommand::unlockDataFile(StoredFile &stored) {
    stored.exists = QFileInfo::exists(m_folder.dataFilePath());
    if (!stored.exists)
        return passwordOutcome(MasterPasswordInput::askNew(stored.masterPassword));
    QFile file;
    if (!m_folder.openExistingDataFileOrTell(file))
        return ExitCode::FileFailure;
    if (ProtectedForm::isProtected(file.peek(ProtectedForm::Signature.size())))
        return unlockProtected(stored, file);
    DataFileStream lines(file);
    DataFileCheck check;
    DataFileStream::Line line;
    QString masterPassword;
    bool first = true;
    while (lines.next(line)) {
        if (std::exchange(first, false))
            masterPassword = DataFileFormat::plainText(line.text);
        check.addLine(line.text, line.lineEnd, line.last);
    }
    if (lines.failed()) {
        m_folder.tellReadFailure(lines.errorString());
        return ExitCode::FileFailure;
    }
    check.finish();

    // A save rewrites every line; lines that would not come back as they were are left for the user.
    if (!check.isClean() && !check.onlyLacksMasterPassword()) {
        tellLinesThatDoNotReadBack();
        return ExitCode::FileHasProblems;
    }
    if (masterPassword.isEmpty())
        return passwordOutcome(MasterPasswordInput::askNew(stored.masterPassword));
    stored.masterPassword = masterPassword;
    return passwordOutcome(MasterPasswordInput::login(masterPassword));
}

std::optional<ExitCode> ImportCommand::unlockProtected(StoredFile &stored, QFile &file) {
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_folder.tellReadFailure(file.errorString());
        return ExitCode::FileFailure;
    }
    LoadResult read = DataLoader::fromBytes(bytes);
    if (const std::optional<ExitCode> refused =
            DataFileUnlock::unlock(read, m_folder.dataFilePath(), DataFileUnlock::dataFile()))
        return refused;
    // Its lines can be checked only once it is open; a protected file always has its master password.
    if (!DataFileCheck(read.plain).isClean()) {
        tellLinesThatDoNotReadBack();
        return ExitCode::FileHasProblems;
    }
    stored.masterPassword = read.masterPassword;
    stored.key = read.key;
    stored.readHash = ContentHash::of(bytes);
    stored.plain = std::move(read.plain);
    return std::nullopt;
}

bool ImportCommand::copyStoredLines(const StoredFile &stored, BufferedWriter &out, qsizetype &count,
                                    QString &readFailure) const {
    // The folder is locked, so the file is the one checked above; a protected one was opened then.
    QFile file;
    QBuffer plain;
    QIODevice *device = &file;
    if (stored.key) {
        plain.setData(stored.plain);
        plain.open(QIODevice::ReadOnly);
        device = &plain;
    } else if (const FileResult opened = DataFile(m_folder.dataFilePath()).openForReading(file); !opened) {
        readFailure = opened.reason();
        return false;
    }
    DataFileStream lines(*device);
    DataFileStream::Line line;
    bool first = true;
    while (!out.failed() && lines.next(line)) {
        if (std::exchange(first, false) || DataFileFormat::isSkippedLine(line.text))
            continue;
        DataFileFormat::writeEntryLineAsRead(out, line.text);
        ++count;
    }
    if (lines.failed()) {
        readFailure = lines.errorString();
        return false;
    }
    return true;
}

ExitCode ImportCommand::importRows(const StoredFile &stored, QByteArrayView csv, const ImportColumns &columns) {
    const DataFile file(m_folder.dataFilePath());
    // Opened at the first row taken, so that a file without one is never touched. Once the save has
    // failed, the rows are still gone through, so that every refused one is told as before.
    std::optional<ImportSave> save;
    FileResult saving = FileResult::success();
    qsizetype storedCount = 0;
    qsizetype imported = 0;
    bool refusedAny = false;
    QString readFailure;

    CsvRecords records(csv);
    CsvRecord record;
    records.next(record); // the header
    Entry entry;
    ImportRows::Refused refused;
    while (records.next(record)) {
        switch (ImportRows::sort(record, columns, entry, refused)) {
        case ImportRows::Verdict::Blank:
            continue;
        case ImportRows::Verdict::Refused:
            Console::err(ImportRows::message(refused));
            refusedAny = true;
            continue;
        case ImportRows::Verdict::Taken:
            break;
        }
        if (imported++ == 0) {
            save.emplace(file.path(), stored.key, stored.readHash);
            saving = save->open();
            if (saving) {
                DataFileFormat::writeMasterLine(save->out(), stored.masterPassword);
                if (stored.exists && !copyStoredLines(stored, save->out(), storedCount, readFailure))
                    break;
            }
        }
        if (saving)
            DataFileFormat::writeEntryLine(save->out(), entry);
    }
    if (!readFailure.isEmpty()) {
        // The save is dropped: the data file keeps its bytes.
        m_folder.tellReadFailure(readFailure);
        return ExitCode::FileFailure;
    }

    const ExitCode done = refusedAny ? ExitCode::RowsRefused : ExitCode::Success;
    if (imported == 0) {
        Console::out(QStringLiteral("No rows imported; the data file was not changed."));
        return done;
    }
    if (saving) {
        save->out().write(DataFileFormat::LineEnd);
        saving = save->commit();
    }
    if (!saving) {
        const QString outcome =
            saving.replaced() ? QStringLiteral("\nIt holds the imported entries, but they may not be safe on disk.")
                              : QStringLiteral("\nIt keeps its previous contents; nothing was imported.");
        Console::err(QStringLiteral("The data file could not be saved: ") + shown(file.path()) + QStringLiteral("\n") +
                     saving.reason() + outcome);
        return ExitCode::FileFailure;
    }
    Console::out(QStringLiteral("Imported %1; the data file now holds %2.")
                     .arg(Console::entries(imported), Console::entries(storedCount + imported)));
    return done;
}

ExitCode ImportCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    QByteArray bytes;
    QByteArrayView csv;
    std::optional<ImportColumns> columns;
    if (const std::optional<ExitCode> failed = readCsv(bytes, csv, columns))
        return *failed;

    // Held until the save is done, so that Varnook cannot start on the folder in between.
    DataFolderLock lock(m_folder.path());
    if (const std::optional<ExitCode> refused = m_folder.lockOrTell(lock, QStringLiteral("imported")))
        return *refused;

    StoredFile stored;
    if (const std::optional<ExitCode> failed = unlockDataFile(stored))
        return *failed;
    return importRows(stored, csv, *columns);
}

} // namespace varnook
