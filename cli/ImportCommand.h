#pragma once

#include "CsvReader.h"
#include "DataFolder.h"
#include "Entry.h"
#include "ExitCode.h"

#include <QString>

#include <optional>
#include <vector>

namespace varnook {

// varnook-cli import: appends the rows of a CSV file to data.enc after the master password, in one
// safe save. A folder without a data file gets one with a new master password. It refuses to run
// while Varnook holds the folder, and leaves a data file with unreadable lines alone.
class ImportCommand {
public:
    // Largest CSV file read, in bytes.
    static constexpr qint64 MaximumCsvSize = 64 * 1024 * 1024;

    ImportCommand(DataFolder folder, QString csvFile)
        : m_folder(std::move(folder))
        , m_csvFile(std::move(csvFile)) {}

    ExitCode run();

private:
    std::optional<ExitCode> readCsv(std::vector<CsvRecord> &records);
    // The master password and the entries already stored; a new master password where there is none.
    std::optional<ExitCode> unlockDataFile(QString &masterPassword, std::vector<Entry> &entries);

    DataFolder m_folder;
    QString m_csvFile;
};

} // namespace varnook
