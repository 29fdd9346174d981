#pragma once

#include "DataFolder.h"
#include "ExitCode.h"

#include <QString>

namespace varnook {

// varnook-cli export: the entries of data.enc as CSV, after the master password, to a file or to
// standard output. Nothing is written when the password is refused.
class ExportCommand {
public:
    ExportCommand(DataFolder folder, QString outputFile)
        : m_folder(std::move(folder))
        , m_outputFile(std::move(outputFile)) {}

    ExitCode run();

private:
    bool outputIsDataFile() const;

    DataFolder m_folder;
    QString m_outputFile; // empty: standard output
};

} // namespace varnook
