#include "ImportCommand.h"

#include "Console.h"
#include "DataFile.h"
#include "DataFileCheck.h"
#include "DataFolderLock.h"
#include "DataLoader.h"
#include "ImportColumns.h"
#include "ImportRows.h"
#include "MasterPasswordInput.h"

#include <QDir>
#include <QFile>

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

} // namespace

std::optional<ExitCode> ImportCommand::readCsv(std::vector<CsvRecord> &records) {
    const QString cannotRead = QStringLiteral("The CSV file could not be read: ") + shown(m_csvFile);
    QFile file(m_csvFile);
    if (!file.open(QIODevice::ReadOnly)) {
        Console::err(cannotRead + QStringLiteral("\n") + file.errorString());
        return ExitCode::FileFailure;
    }
    // One byte more than the limit tells a file that is too large; an endless input ends here too.
    const QByteArray bytes = file.read(MaximumCsvSize + 1);
    if (bytes.size() > MaximumCsvSize) {
        Console::err(cannotRead + QStringLiteral("\nIt is larger than 64 MB; import it in parts."));
        return ExitCode::FileFailure;
    }
    if (file.error() != QFileDevice::NoError) {
        Console::err(cannotRead + QStringLiteral("\n") + file.errorString());
        return ExitCode::FileFailure;
    }
    CsvReader::Result csv = CsvReader::readUtf8(bytes);
    if (!csv.ok()) {
        Console::err(cannotRead + QStringLiteral("\n") + csv.error);
        return ExitCode::FileFailure;
    }
    if (csv.records.empty()) {
        Console::err(cannotRead + QStringLiteral("\nIt is empty; it needs a header row that names its columns."));
        return ExitCode::FileFailure;
    }
    records = std::move(csv.records);
    return std::nullopt;
}

std::optional<ExitCode> ImportCommand::unlockDataFile(QString &masterPassword, std::vector<Entry> &entries) {
    QByteArray bytes;
    switch (m_folder.readDataFile(bytes)) {
    case DataFolder::Reading::Read:
        break;
    case DataFolder::Reading::Missing:
        return passwordOutcome(MasterPasswordInput::askNew(masterPassword));
    case DataFolder::Reading::Failed:
        return ExitCode::FileFailure;
    }

    // A save rewrites every line; lines that would not come back as they were are left for the user.
    const DataFileCheck check(bytes);
    if (!check.isClean() && !check.onlyLacksMasterPassword()) {
        Console::err(QStringLiteral("The data file has lines that do not read back as written, so nothing was "
                                    "imported. Run \"varnook-cli check\" to see them."));
        return ExitCode::FileHasProblems;
    }
    LoadResult read = DataLoader::fromBytes(bytes);
    entries = std::move(read.entries);
    if (read.state == LoadResult::State::NeedsMasterPassword)
        return passwordOutcome(MasterPasswordInput::askNew(masterPassword));
    masterPassword = read.masterPassword;
    return passwordOutcome(MasterPasswordInput::login(read.masterPassword));
}

ExitCode ImportCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    std::vector<CsvRecord> records;
    if (const std::optional<ExitCode> failed = readCsv(records))
        return *failed;
    QString columnsProblem;
    const std::optional<ImportColumns> columns = ImportColumns::find(records.front().fields, columnsProblem);
    if (!columns) {
        Console::err(QStringLiteral("The CSV file could not be read: ") + shown(m_csvFile) + QStringLiteral("\n") +
                     columnsProblem);
        return ExitCode::FileFailure;
    }

    // Held until the save is done, so that Varnook cannot start on the folder in between.
    DataFolderLock lock(m_folder.path());
    const DataFolderLock::Result locking = lock.tryLock();
    switch (locking.state) {
    case DataFolderLock::State::Locked:
        if (!locking.takenOverBecause.isEmpty())
            Console::err(QStringLiteral("The lock of this folder was left behind and has been taken over, since ") +
                         locking.takenOverBecause + QStringLiteral(": ") + shown(m_folder.path()));
        break;
    case DataFolderLock::State::HeldElsewhere:
        Console::err(QStringLiteral("Varnook is running with the data file in this folder: ") + shown(m_folder.path()) +
                     QStringLiteral("\nClose it and try again; nothing was imported."));
        return ExitCode::FolderInUse;
    case DataFolderLock::State::Unavailable:
        // Without the lock a running Varnook could overwrite the import, or the import its saves.
        Console::err(QStringLiteral("The folder could not be locked: ") + shown(m_folder.path()) +
                     QStringLiteral("\n") + locking.failureReason + QStringLiteral("\nNothing was imported."));
        return ExitCode::FileFailure;
    }

    QString masterPassword;
    std::vector<Entry> entries;
    if (const std::optional<ExitCode> failed = unlockDataFile(masterPassword, entries))
        return *failed;

    const ImportRows rows(records, *columns);
    for (const ImportRows::Refused &refused : rows.refused())
        Console::err(ImportRows::message(refused));
    const ExitCode done = rows.refused().empty() ? ExitCode::Success : ExitCode::RowsRefused;
    if (rows.entries().empty()) {
        Console::out(QStringLiteral("No rows imported; the data file was not changed."));
        return done;
    }

    entries.insert(entries.end(), rows.entries().begin(), rows.entries().end());
    const DataFile file(m_folder.dataFilePath());
    if (const FileResult saved = file.save(masterPassword, entries); !saved) {
        const QString outcome =
            saved.replaced() ? QStringLiteral("\nIt holds the imported entries, but they may not be safe on disk.")
                             : QStringLiteral("\nIt keeps its previous contents; nothing was imported.");
        Console::err(QStringLiteral("The data file could not be saved: ") + shown(file.path()) + QStringLiteral("\n") +
                     saved.reason() + outcome);
        return ExitCode::FileFailure;
    }
    Console::out(
        QStringLiteral("Imported %1; the data file now holds %2.")
            .arg(Console::entries(qsizetype(rows.entries().size())), Console::entries(qsizetype(entries.size()))));
    return done;
}

} // namespace varnook
