#pragma once

#include "CsvReader.h"
#include "DataFolder.h"
#include "ExitCode.h"
#include "ImportColumns.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QFile;

namespace varnook {

class BufferedWriter;
class FileKey;

// varnook-cli import: appends the rows of a CSV file to data.enc after the master password, in one
// safe save. A folder without a data file gets one with a new master password. It refuses to run
// while Varnook holds the folder, here or on another computer whose copy refreshed its lock or its
// mark lately, and leaves a data file with unreadable lines alone.
//
// The CSV file is read once into memory and gone through twice, a record at a time: first to refuse
// a malformed file before anything is asked, then to write each row's entry line as it comes. The
// data file is read twice a block at a time, to check it and to copy its lines into the save. A
// protected data file is opened in memory instead, and saved protected under the same key: its
// plain form never reaches the disk.
class ImportCommand {
public:
    // Largest CSV file read, in bytes.
    static constexpr qint64 MaximumCsvSize = 64 * 1024 * 1024;

    ImportCommand(DataFolder folder, QString csvFile)
        : m_folder(std::move(folder))
        , m_csvFile(std::move(csvFile)) {}

    ExitCode run();

private:
    // The data file as it is, read once to check it and once more to copy its entry lines.
    struct StoredFile {
        QString masterPassword; // the one to write: the stored one, or a new one
        bool exists = false;
        // A protected file: its key, and its plain form as opened.
        std::shared_ptr<const FileKey> key;
        QByteArray plain;
        QByteArray readHash; // of the protected file's bytes as read
    };

    // Reads and checks the CSV file: csv holds its text, columns the header's columns.
    std::optional<ExitCode> readCsv(QByteArray &bytes, QByteArrayView &csv, std::optional<ImportColumns> &columns);
    // The master password and the lines already stored; a new master password where there is none.
    std::optional<ExitCode> unlockDataFile(StoredFile &stored);
    // The same for a data file in the protected form.
    std::optional<ExitCode> unlockProtected(StoredFile &stored, QFile &file);
    // Writes the stored lines and the CSV file's rows in one save, telling each refused row.
    ExitCode importRows(const StoredFile &stored, QByteArrayView csv, const ImportColumns &columns);
    // Copies the data file's entry lines into out as a save writes them and counts them; false, with
    // the reason, when the file could not be read.
    bool copyStoredLines(const StoredFile &stored, BufferedWriter &out, qsizetype &count, QString &readFailure) const;

    DataFolder m_folder;
    QString m_csvFile;
};

} // namespace varnook
