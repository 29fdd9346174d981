#pragma once

#include "DataFolder.h"
#include "ExitCode.h"

#include <QString>

class QFile;
class QIODevice;

namespace varnook {

// varnook-cli export: the entries of data.enc, in either form, as CSV, after the master password, to
// a file or to standard output. Nothing is written when the password is refused or the file is damaged.
class ExportCommand {
public:
    ExportCommand(DataFolder folder, QString outputFile)
        : m_folder(std::move(folder))
        , m_outputFile(std::move(outputFile)) {}

    ExitCode run();

private:
    bool outputIsDataFile() const;
    // A protected file: the master password opens it, then its plain form is exported as a plain
    // file is.
    ExitCode exportProtected(QFile &file);
    // Exports the lines of a file in the plain form; unlocked: its master password was given already.
    ExitCode exportLines(QIODevice &file, bool unlocked);

    DataFolder m_folder;
    QString m_outputFile; // empty: standard output
};

} // namespace varnook
