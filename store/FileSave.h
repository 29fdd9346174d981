#pragma once

#include "BufferedWriter.h"
#include "DataFile.h"
#include "DiskState.h"
#include "FileResult.h"

#include <QString>

#include <memory>
#include <optional>

class QSaveFile;

namespace varnook {

// One save in progress: the bytes go through a buffer into a temporary file beside the target
// (SaveTemporaries names it), which is synced to disk and only then put in the target's place by
// commit(), and the folder is synced after. A target that is a symbolic link stays one: the file
// it leads to is replaced. A save that is dropped (destroyed without commit) or fails at any step leaves the
// target as it was, and every failure is reported. (Its code sits in DataFile.cpp, beside the
// system calls and test seams it shares with DataFile.)
class FileSave {
public:
    FileSave(QString path, DataFile::Access access);
    ~FileSave();
    FileSave(const FileSave &) = delete;
    FileSave &operator=(const FileSave &) = delete;

    // Makes the temporary file with the target's owner and rights.
    FileResult open();
    // Where the new bytes go, once open() succeeded.
    BufferedWriter &out() { return *m_out; }
    // Puts the new bytes in the target's place.
    FileResult commit();
    // The file as written, once commit() succeeded.
    const DiskState &written() const { return m_written; }

private:
    // How many bytes are written before the disk is asked to start on them.
    static constexpr qint64 WritebackStep = 512 * 1024;
    bool startWriteback();

    QString m_path;
    QString m_stagingPath;
    DataFile::Access m_access;
    std::unique_ptr<QSaveFile> m_file;
    std::optional<BufferedWriter> m_out;
    DiskState m_written;
    bool m_open = false;
    qint64 m_started = 0;    // bytes the disk was asked to start writing
    qint64 m_notStarted = 0; // bytes written after those
};

} // namespace varnook
