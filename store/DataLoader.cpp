#include "DataLoader.h"

#include "DataFileFormat.h"

#include <QFileInfo>

namespace varnook {

namespace {

LoadResult failure(LoadResult::State state, const QString &reason) {
    LoadResult result;
    result.state = state;
    result.reason = reason;
    return result;
}

} // namespace

LoadResult DataLoader::read(const DataFile &file) {
    if (const FileResult made = file.ensure(); !made) {
        // Something that is no file in its place cannot be read; otherwise making the file failed.
        const QFileInfo info(file.path());
        const bool blocked = info.exists() && !info.isFile();
        return failure(blocked ? LoadResult::State::CouldNotRead : LoadResult::State::CouldNotCreate, made.reason());
    }
    return readExisting(file);
}

LoadResult DataLoader::readExisting(const DataFile &file, const DataFileFormat::HeldLine &held) {
    QByteArray bytes;
    DataFile::ReadVersion version;
    if (const FileResult read = file.read(bytes, &version); !read)
        return failure(LoadResult::State::CouldNotRead, read.reason());
    LoadResult result = fromBytes(bytes, held);
    result.disk = DiskState::ofBytesRead(version.identity, bytes);
    result.changedWhileRead = version.changedWhileRead;
    return result;
}

LoadResult DataLoader::fromBytes(const QByteArray &bytes, const DataFileFormat::HeldLine &held) {
    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    const QByteArrayView entryLines = QByteArrayView(bytes).sliced(master.entriesStart);
    LoadResult result;
    DataFileFormat::StoredEntries stored = DataFileFormat::readStoredEntries(bytes, master.entriesStart, held);
    result.entries = std::move(stored.entries);
    result.storedLines = std::move(stored.lines);
    if (master.masterPassword.isEmpty()) {
        result.state = LoadResult::State::NeedsMasterPassword;
        // Entry lines under an empty first line are kept byte for byte behind the new password line.
        if (!result.entries.empty())
            result.entryLinesToKeep = entryLines.toByteArray();
    } else {
        result.state = LoadResult::State::HasMasterPassword;
        result.masterPassword = master.masterPassword;
    }
    return result;
}

} // namespace varnook
