#pragma once

#include "CsvReader.h"
#include "DataFolder.h"
#include "ExitCode.h"
#include "ImportColumns.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace varnook {

// varnook-cli import: appends the rows of a CSV file to data.enc after the master password, in one
// safe save. A folder without a data file gets one with a new master password. It refuses to run
// while Varnook holds the folder, and leaves a data file with unreadable lines alone.
//
// The CSV file is read once into memory and gone through twice, a record at a time: first to refuse
// a malformed file before anything is asked, then to write each row's entry line as it comes.
class ImportCommand {
public:
    // Largest CSV file read, in bytes.
    static constexpr qint64 MaximumCsvSize = 64 * 1024 * 1024;

    ImportCommand(DataFolder folder, QString csvFile)
        : m_folder(std::move(folder))
        , m_csvFile(std::move(csvFile)) {}

    ExitCode run();

private:
    // The data file as it is: its master password line and the entry lines under it.
    struct StoredFile {
        QString masterPassword;
        QByteArray bytes; // empty when there is no data file yet
        qsizetype entriesStart = 0;
    };

    // Reads and checks the CSV file: csv holds its text, columns the header's columns.
    std::optional<ExitCode> readCsv(QByteArray &bytes, QByteArrayView &csv, std::optional<ImportColumns> &columns);
    // The master password and the lines already stored; a new master password where there is none.
    std::optional<ExitCode> unlockDataFile(StoredFile &stored);
    // Writes the stored lines and the CSV file's rows in one save, telling each refused row.
    ExitCode importRows(const StoredFile &stored, QByteArrayView csv, const ImportColumns &columns);

    DataFolder m_folder;
    QString m_csvFile;
};

} // namespace varnook
