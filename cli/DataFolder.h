#pragma once

#include <QString>

class QFile;

namespace varnook {

// The folder whose data.enc a command works on: the one given with --folder, else the folder the
// program is installed in, where Varnook keeps its data file beside itself.
class DataFolder {
public:
    explicit DataFolder(const QString &given);

    const QString &path() const { return m_path; }
    QString dataFilePath() const;
    // False, after telling the user, when the folder is not there.
    bool existsOrTell() const;

    void tellMissing() const;
    // Opens the data file that must exist already for reading in blocks; false after telling the
    // user why it could not.
    bool openExistingDataFileOrTell(QFile &file) const;
    // Tells the user that reading the data file failed, and why.
    void tellReadFailure(const QString &reason) const;

private:
    QString m_path;
};

} // namespace varnook
