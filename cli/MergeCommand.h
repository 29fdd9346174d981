#pragma once

#include "DataFolder.h"
#include "ExitCode.h"

#include <QString>

#include <optional>

namespace varnook {

struct LoadResult;

// varnook-cli merge: adds to data.enc the entries of another data file (a conflict copy a sync
// engine left, a backup, the file of a second computer) that it lacks, in one safe save. An entry
// equal in all three fields to one already there is the same entry; nothing in data.enc is dropped,
// and every line keeps its bytes. Either file may be protected; a protected data file stays so. Refused
// while Varnook holds the folder, here or on another computer.
class MergeCommand {
public:
    MergeCommand(DataFolder folder, QString otherFile)
        : m_folder(std::move(folder))
        , m_otherFile(std::move(otherFile)) {}

    ExitCode run();

private:
    // Opens the file to merge, asking its password only where the data file's (ours) does not open it.
    std::optional<ExitCode> unlockOther(LoadResult &other, const QString &ours) const;

    DataFolder m_folder;
    QString m_otherFile;
};

} // namespace varnook
