#pragma once

#include "ExitCode.h"

#include <QString>

#include <optional>

class QFile;

namespace varnook {

class DataFolderLock;

// The folder whose data.enc a command works on: the one given with --folder, else the one the
// program uses (ProgramFolders): its own folder, or the user's data folder where that cannot be.
class DataFolder {
public:
    explicit DataFolder(const QString &given);

    const QString &path() const { return m_path; }
    QString dataFilePath() const;
    // False, after telling the user, when the folder is not there. The standard folder is made first.
    bool existsOrTell() const;

    void tellMissing() const;
    // Opens the data file that must exist already for reading in blocks; false after telling the
    // user why it could not.
    bool openExistingDataFileOrTell(QFile &file) const;
    // Tells the user that reading the data file failed, and why.
    void tellReadFailure(const QString &reason) const;
    // Locks the folder for a command that writes the data file: nothing once locked (after telling
    // that a lock left behind was taken over), otherwise the exit code, after telling why not and
    // that nothing was done ("imported", "merged").
    std::optional<ExitCode> lockOrTell(DataFolderLock &lock, const QString &done) const;

private:
    QString m_path;
    bool m_standard; // no --folder given
};

} // namespace varnook
