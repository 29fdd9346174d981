#pragma once

#include "DataFileFormat.h"
#include "DiskState.h"
#include "Entry.h"
#include "FileResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QFile;
class QSaveFile;

namespace varnook {

class BufferedWriter;
class FileKey;
class SealedOutput;

// The data file on disk: making sure it exists, reading its bytes, and replacing them safely.
class DataFile {
public:
    static constexpr const char *FileName = "data.enc";

    explicit DataFile(QString path)
        : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }

    // Creates the file holding one empty line when fileExists does not see it. A file that exists
    // but is not seen (a hidden one) gets one empty line added at its end. A folder or other
    // non-file in its place is a failure, never written to.
    FileResult ensure() const;
    // Which version of the file a read got: its identity once read, and whether it changed while
    // it was read (another program still writing it), so that the bytes may be a half file.
    struct ReadVersion {
        FileIdentity identity;
        bool changedWhileRead = false;
    };
    FileResult read(QByteArray &bytes, ReadVersion *version = nullptr) const;
    // Opens file (not yet open) on the data file for reading in blocks (DataFileStream).
    FileResult openForReading(QFile &file) const;
    // Who may use the file once it is written.
    enum class Access {
        // A new file is its owner's only; a replaced one keeps its owner, group and mode, tightened
        // to owner-only when group or others had any rights.
        KeepTightened,
        // Owner-only (0600), new or not.
        OwnerOnly,
    };

    // Replaces the whole file with bytes. They go to a temporary file in the same folder first,
    // which is synced to disk and only then put in the file's place, and the folder is synced after;
    // so a failed write leaves the old bytes untouched, and every failure is reported.
    FileResult write(const QByteArray &bytes, Access access = Access::KeepTightened) const;
    // The same safe replacement, with the new bytes written by content as it goes (FileSave).
    // A save that succeeded puts the file's identity and digest as written in *written.
    using Content = std::function<void(BufferedWriter &out)>;
    FileResult write(const Content &content, Access access = Access::KeepTightened, DiskState *written = nullptr) const;
    // Writes the master password and the entries as a save does, straight into the new file.
    FileResult save(QStringView masterPassword, const std::vector<Entry> &entries) const;
    // The same with entry lines kept in their stored form (EntryLines), in the protected form under key
    // (a fresh nonce each time) or in the plain form when key is null.
    FileResult saveLines(QStringView masterPassword, const EntryLines &lines, DiskState *written = nullptr,
                         const FileKey *key = nullptr) const;
    // Replaces the file with plain, a whole file in the plain form, as it is (key null) or protected
    // under key: the change of form and of the master password, byte for byte.
    FileResult writePlain(QByteArrayView plain, const FileKey *key, DiskState *written = nullptr) const;
    // Writes a new master password as line 1 with entryLines (LoadResult::entryLinesToKeep) under
    // it, byte for byte: the file right after the master password was created.
    FileResult writeNewMasterPassword(QStringView masterPassword, QByteArrayView entryLines,
                                      DiskState *written = nullptr) const;

    // How write() opens its target; tests put in a device that fails. An empty one restores the default.
    using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;
    static void setSaveFileFactory(SaveFileFactory factory);

    // How write() syncs the temporary file and then the folder to disk: 0, or the errno value of
    // the failure. Tests put in one that fails. An empty one restores fdatasync and fsync.
    enum class SyncTarget { TemporaryFile, Folder };
    using SyncCall = std::function<int(int descriptor, SyncTarget target)>;
    static void setSyncCall(SyncCall call);

private:
    // Replaces the file with a whole file in the protected form.
    FileResult writeSealed(const QByteArray &sealed, DiskState *written) const;
    // Replaces the file with a plain form of plainSize bytes, which content hands over, sealed in
    // pieces while it is written (version 2 of the protected form).
    FileResult writeInPieces(std::uint64_t plainSize, const std::function<void(SealedOutput &)> &content,
                             const FileKey &key, DiskState *written) const;

    QString m_path;
};

} // namespace varnook
