#pragma once

#include "DataFolder.h"
#include "DataFolderLock.h"
#include "DataLoader.h"
#include "ExitCode.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace varnook {

class FileKey;

// The frame of a command that replaces the whole data file with bytes made from those it read
// (protect, unprotect, passwd): the folder locked for the whole command, the file read once, and
// the new file written only when the file on disk is still the one read.
class DataFileRewrite {
public:
    explicit DataFileRewrite(DataFolder folder)
        : m_folder(std::move(folder))
        , m_lock(m_folder.path()) {}

    // Locks the folder and reads the data file. Nothing when read() holds a file with a master
    // password (HasMasterPassword or Protected, or Damaged for unlock to tell); otherwise the exit
    // code, after telling why not.
    std::optional<ExitCode> begin();
    LoadResult &read() { return m_read; }
    QString path() const { return m_folder.dataFilePath(); }

    // Writes plain, a whole file in the plain form, as it is (key null) or protected under key, and
    // tells done on success.
    ExitCode finish(QByteArrayView plain, const FileKey *key, const QString &done);

private:
    DataFolder m_folder;
    DataFolderLock m_lock;
    LoadResult m_read;
};

} // namespace varnook
