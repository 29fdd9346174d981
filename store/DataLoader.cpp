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

LoadResult DataLoader::read(const DataFile &file, const std::function<void(const QByteArray &bytes)> &bytesRead,
                            Decoding decoding) {
    if (const FileResult made = file.ensure(); !made) {
        // Something that is no file in its place cannot be read; otherwise making the file failed.
        const QFileInfo info(file.path());
        const bool blocked = info.exists() && !info.isFile();
        return failure(blocked ? LoadResult::State::CouldNotRead : LoadResult::State::CouldNotCreate, made.reason());
    }
    return readFile(file, {}, {}, bytesRead, decoding);
}

LoadResult DataLoader::readExisting(const DataFile &file, const std::shared_ptr<const FileKey> &key,
                                    const DataFileFormat::HeldLine &held) {
    return readFile(file, key, held, {}, Decoding::Entries);
}

LoadResult DataLoader::readFile(const DataFile &file, const std::shared_ptr<const FileKey> &key,
                                const DataFileFormat::HeldLine &held,
                                const std::function<void(const QByteArray &bytes)> &bytesRead, Decoding decoding) {
    QByteArray bytes;
    DataFile::ReadVersion version;
    if (const FileResult read = file.read(bytes, &version); !read)
        return failure(LoadResult::State::CouldNotRead, read.reason());
    if (bytesRead)
        bytesRead(bytes);
    LoadResult result =
        ProtectedForm::isProtected(bytes) ? fromBytes(bytes, held) : fromPlainBytes(bytes, held, decoding);
    result.disk = DiskState::ofBytesRead(version.identity, bytes);
    result.changedWhileRead = version.changedWhileRead;
    if (result.state == LoadResult::State::Protected && key && key->belongsTo(result.header.cost, result.header.salt))
        unseal(result, key, held, decoding);
    return result;
}

LoadResult DataLoader::fromBytes(const QByteArray &bytes, const DataFileFormat::HeldLine &held) {
    if (ProtectedForm::isProtected(bytes)) {
        auto header = ProtectedForm::readHeader(bytes);
        if (const QString *problem = std::get_if<QString>(&header))
            return failure(LoadResult::State::Damaged, *problem);
        LoadResult result;
        result.state = LoadResult::State::Protected;
        result.sealed = bytes;
        result.header = std::get<ProtectedForm::Header>(header);
        return result;
    }
    return fromPlainBytes(bytes, held);
}

bool DataLoader::unseal(LoadResult &result, const std::shared_ptr<const FileKey> &key,
                        const DataFileFormat::HeldLine &held, Decoding decoding) {
    ProtectedForm::Opened opened = ProtectedForm::open(result.sealed, *key);
    switch (opened.outcome) {
    case ProtectedForm::Opened::Outcome::WrongPassword:
        return false;
    case ProtectedForm::Opened::Outcome::Damaged:
        result.state = LoadResult::State::Damaged;
        result.reason = opened.problem;
        return true;
    case ProtectedForm::Opened::Outcome::Plain:
        break;
    }
    LoadResult plain = fromPlainBytes(opened.plain, held, decoding);
    // Protection is given to a file with a master password, and its key is made from it.
    if (plain.state != LoadResult::State::HasMasterPassword) {
        result.state = LoadResult::State::Damaged;
        result.reason = QStringLiteral("it holds no master password");
        return true;
    }
    plain.disk = result.disk;
    plain.changedWhileRead = result.changedWhileRead;
    plain.header = result.header;
    plain.key = key;
    result = std::move(plain);
    return true;
}

LoadResult DataLoader::fromPlainBytes(const QByteArray &bytes, const DataFileFormat::HeldLine &held,
                                      Decoding decoding) {
    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    const QByteArrayView entryLines = QByteArrayView(bytes).sliced(master.entriesStart);
    LoadResult result;
    DataFileFormat::StoredEntries stored;
    if (decoding == Decoding::LinesOnly && !held) {
        stored.lines = DataFileFormat::readStoredLines(bytes, master.entriesStart);
        stored.linesRead = stored.lines.size();
    } else {
        stored = DataFileFormat::readStoredEntries(bytes, master.entriesStart, held);
    }
    result.entries = std::move(stored.entries);
    result.storedLines = std::move(stored.lines);
    if (master.masterPassword.isEmpty()) {
        result.state = LoadResult::State::NeedsMasterPassword;
        // Entry lines under an empty first line are kept byte for byte behind the new password line.
        if (stored.linesRead > 0)
            result.entryLinesToKeep = entryLines.toByteArray();
    } else {
        result.state = LoadResult::State::HasMasterPassword;
        result.masterPassword = master.masterPassword;
    }
    result.plain = bytes;
    return result;
}

} // namespace varnook
