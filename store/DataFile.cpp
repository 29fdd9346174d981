#include "DataFile.h"

#include "DataFileFormat.h"
#include "FileExists.h"
#include "FileKey.h"
#include "FileSave.h"
#include "ProtectedForm.h"
#include "SaveTemporaries.h"
#include "SealedOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnook {

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

DataFile::SaveFileFactory &saveFileFactory() {
    static DataFile::SaveFileFactory factory;
    return factory;
}

std::unique_ptr<QSaveFile> openTarget(const QString &path) {
    if (const auto &factory = saveFileFactory())
        return factory(path);
    return std::make_unique<QSaveFile>(path);
}

DataFile::SyncCall &syncCall() {
    static DataFile::SyncCall call;
    return call;
}

int sync(int descriptor, DataFile::SyncTarget target) {
    if (const auto &call = syncCall())
        return call(descriptor, target);
    const int done = target == DataFile::SyncTarget::Folder ? ::fsync(descriptor) : ::fdatasync(descriptor);
    return done == 0 ? 0 : errno;
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Syncs the folder that holds path, so that the rename into it survives a power cut.
int syncFolder(const QString &path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno;
    const int synced = sync(descriptor, DataFile::SyncTarget::Folder);
    const int closed = ::close(descriptor) == 0 ? 0 : errno;
    return synced != 0 ? synced : closed;
}

// Gives the temporary file the owner, group and mode the saved file should have.
QString applyAccess(int descriptor, const QString &path, DataFile::Access access) {
    struct stat old {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &old) == 0;
    mode_t mode = S_IRUSR | S_IWUSR;
    // Passwords are for the owner alone: group and other rights go, the owner's stay.
    if (exists && access == DataFile::Access::KeepTightened)
        mode = old.st_mode & S_IRWXU;
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        if (::fchown(descriptor, old.st_uid, old.st_gid) != 0) {
            const int error = errno;
            // Only the owner matters once group and others have no rights.
            const bool groupOnly = old.st_uid == ::geteuid() && (mode & S_IRWXG) == 0;
            if (!groupOnly)
                return QStringLiteral("The file belongs to another user, and a save by this user would take it "
                                      "away from them: ") +
                       systemReason(error);
        }
    }
    if (::fchmod(descriptor, mode) != 0)
        return systemReason(errno);
    return {};
}

// The device's own reason, or fallback when it gave none.
QString reasonOf(const QIODevice &device, const QString &fallback) {
    static const QString noReason = QFile().errorString();
    const QString reason = device.errorString();
    return reason.isEmpty() || reason == noReason ? fallback : reason;
}

QString notAFileReason(const QFileInfo &info) {
    if (info.isDir())
        return QStringLiteral("It is a folder, not a file.");
    return QStringLiteral("It is not a normal file.");
}

} // namespace

FileSave::FileSave(QString path, DataFile::Access access)
    : m_path(SaveTemporaries::resolvedTarget(path))
    , m_stagingPath(SaveTemporaries::stagingPath(m_path))
    , m_access(access) {}

FileSave::~FileSave() {
    if (m_open)
        m_file->cancelWriting();
}

FileResult FileSave::open() {
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return FileResult::failure(notAFileReason(info));

    // The device writes beside the staging name, whose leftovers no one can mistake for a backup,
    // and puts the bytes there; the rename in commit() then puts them in the target's place. What has
    // that name now is an earlier save's of this very process, or a link someone put in its way.
    if (const QFileInfo staging(m_stagingPath); staging.exists() || staging.isSymLink())
        QFile::remove(m_stagingPath);
    m_file = openTarget(m_stagingPath);
    // Never fall back to writing the file in place: that could leave it half written.
    m_file->setDirectWriteFallback(false);
    if (!m_file->open(QIODevice::WriteOnly))
        return FileResult::failure(m_file->errorString());
    m_open = true;
    if (const QString problem = applyAccess(m_file->handle(), m_path, m_access); !problem.isEmpty())
        return FileResult::failure(problem);
    // Blocks go to the device as they fill; one it does not take in full ends the save.
    m_out.emplace([this](QByteArrayView block) {
        if (m_file->write(block.data(), block.size()) != block.size())
            return false;
        m_notStarted += block.size();
        return m_notStarted < WritebackStep || startWriteback();
    });
    return FileResult::success();
}

bool FileSave::startWriteback() {
    if (!m_file->flush())
        return false;
#if defined(__linux__)
    // The disk starts on what is written so far while the rest is made: the sync in commit() then
    // finds little left to wait for. Only a hint; that sync is what makes the bytes safe.
    ::sync_file_range(m_file->handle(), m_started, m_notStarted, SYNC_FILE_RANGE_WRITE);
#endif
    m_started += m_notStarted;
    m_notStarted = 0;
    return true;
}

FileResult FileSave::commit() {
    if (!m_open)
        return FileResult::failure(QStringLiteral("The new file could not be put in place."));
    // The bytes sit in the device's buffer until flush(); a short write there (a full disk, a size limit)
    // is reported only by flush(), and commit() would put the cut-short file in place regardless.
    if (!m_out->flush() || !m_file->flush())
        return FileResult::failure(reasonOf(*m_file, QStringLiteral("Not all of the data could be written.")));
    // commit() syncs and closes without looking at the outcome: the bytes must be on the disk before
    // they take the old ones' place, and a disk that fails now says so here.
    if (const int error = sync(m_file->handle(), DataFile::SyncTarget::TemporaryFile); error != 0)
        return FileResult::failure(systemReason(error));
    // The renames keep the inode and the modification time: this is the file's identity once in place.
    const FileIdentity identity = FileIdentity::ofDescriptor(m_file->handle());
    m_open = false;
    if (!m_file->commit())
        return FileResult::failure(reasonOf(*m_file, QStringLiteral("The new file could not be put in place.")));
    if (::rename(QFile::encodeName(m_stagingPath).constData(), QFile::encodeName(m_path).constData()) != 0) {
        const int error = errno;
        QFile::remove(m_stagingPath);
        return FileResult::failure(systemReason(error));
    }
    m_written = DiskState(identity);
    if (const int error = syncFolder(m_path); error != 0)
        return FileResult::failureAfterReplacing(
            QStringLiteral("The new contents were put in place, but the folder could not be synced to disk, so they "
                           "may be lost if the computer stops now: ") +
            systemReason(error));
    return FileResult::success();
}

void DataFile::setSaveFileFactory(SaveFileFactory factory) {
    saveFileFactory() = std::move(factory);
}

void DataFile::setSyncCall(SyncCall call) {
    syncCall() = std::move(call);
}

FileResult DataFile::ensure() const {
    if (fileExists(m_path))
        return FileResult::success();
    const QFileInfo info(m_path);
    // A folder, pipe or device in the file's place would block or break the append below.
    if (info.exists() && !info.isFile())
        return FileResult::failure(notAFileReason(info));
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, OwnerOnly))
        return FileResult::failure(file.errorString());
    const QByteArray line = DataFileFormat::newFile();
    if (file.write(line) != line.size() || !file.flush())
        return FileResult::failure(file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return FileResult::failure(file.errorString());
    return FileResult::success();
}

FileResult DataFile::openForReading(QFile &file) const {
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return FileResult::failure(notAFileReason(info));
    file.setFileName(m_path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileResult::failure(file.errorString());
    return FileResult::success();
}

FileResult DataFile::read(QByteArray &bytes, ReadVersion *version) const {
    QFile file;
    if (const FileResult opened = openForReading(file); !opened)
        return opened;
    const FileIdentity before = FileIdentity::ofDescriptor(file.handle());
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileResult::failure(file.errorString());
    if (version) {
        version->identity = FileIdentity::ofDescriptor(file.handle());
        version->changedWhileRead = !(version->identity == before) || version->identity.size != bytes.size();
    }
    return FileResult::success();
}

FileResult DataFile::write(const QByteArray &bytes, Access access) const {
    return write([&bytes](BufferedWriter &out) { out.write(bytes); }, access);
}

FileResult DataFile::write(const Content &content, Access access, DiskState *written) const {
    FileSave save(m_path, access);
    if (const FileResult opened = save.open(); !opened)
        return opened;
    content(save.out());
    const FileResult committed = save.commit();
    if (written && save.written().isKnown())
        *written = save.written();
    return committed;
}

FileResult DataFile::save(QStringView masterPassword, const std::vector<Entry> &entries) const {
    return saveLines(masterPassword, entries);
}

FileResult DataFile::saveLines(QStringView masterPassword, const EntryLines &lines, DiskState *written,
                               const FileKey *key) const {
    if (!key)
        return write([&](BufferedWriter &out) { DataFileFormat::write(out, masterPassword, lines); },
                     Access::KeepTightened, written);
    // The sealed form gives the plain form's size before its bytes: it is counted first.
    qsizetype plainSize = 0;
    {
        BufferedWriter count([&plainSize](QByteArrayView block) {
            plainSize += block.size();
            return true;
        });
        DataFileFormat::write(count, masterPassword, lines);
        count.flush();
    }
    if (key->formatVersion() == ProtectedForm::PiecesVersion)
        return writeInPieces(
            std::uint64_t(plainSize),
            [&](SealedOutput &sealed) {
                BufferedWriter out([&sealed](QByteArrayView block) { return sealed.write(block); },
                                   qsizetype(ProtectedForm::PieceSize));
                DataFileFormat::write(out, masterPassword, lines);
                out.flush();
            },
            *key, written);
    // The plain form is laid out in memory only, after room for the header, and sealed where it is:
    // what reaches the disk is sealed, and no second copy of the plain form is made. Its size is
    // known, so the buffer never grows, which would copy it (or leave pieces of it in memory given back).
    QByteArray file;
    file.reserve(ProtectedForm::BodyStart + plainSize + ProtectedForm::TagSize);
    file.resize(ProtectedForm::BodyStart);
    {
        BufferedWriter out([&file](QByteArrayView block) {
            file.append(block);
            return true;
        });
        DataFileFormat::write(out, masterPassword, lines);
        out.flush();
    }
    ProtectedForm::sealInPlace(file, *key, ProtectedForm::newNonce());
    return writeSealed(file, written);
}

FileResult DataFile::writePlain(QByteArrayView plain, const FileKey *key, DiskState *written) const {
    if (!key)
        return write([plain](BufferedWriter &out) { out.write(plain); }, Access::KeepTightened, written);
    if (key->formatVersion() == ProtectedForm::PiecesVersion)
        return writeInPieces(
            std::uint64_t(plain.size()), [plain](SealedOutput &sealed) { sealed.write(plain); }, *key, written);
    return writeSealed(ProtectedForm::seal(plain, *key, ProtectedForm::newNonce()), written);
}

FileResult DataFile::writeInPieces(std::uint64_t plainSize, const std::function<void(SealedOutput &)> &content,
                                   const FileKey &key, DiskState *written) const {
    FileSave save(m_path, Access::KeepTightened);
    if (const FileResult opened = save.open(); !opened)
        return opened;
    bool whole = false;
    {
        SealedOutput sealed(save.out(), key, plainSize);
        content(sealed);
        whole = sealed.finish();
    }
    if (!whole) {
        // The save is dropped, and its temporary file with it: the data file stays as it was.
        if (save.out().failed())
            return save.commit(); // fails, with the device's reason
        return FileResult::failure(
            QStringLiteral("The new contents were not of the size counted for them, so they were not saved."));
    }
    const FileResult committed = save.commit();
    if (written && save.written().isKnown())
        *written = save.written();
    return committed;
}

FileResult DataFile::writeSealed(const QByteArray &sealed, DiskState *written) const {
    // The sealed bytes are all in memory already: their digest is worked out from them on its own
    // thread while the disk takes them, rather than from a copy of each block.
    FileSave save(m_path, Access::KeepTightened);
    if (const FileResult opened = save.open(); !opened)
        return opened;
    save.out().write(sealed);
    const FileResult committed = save.commit();
    if (written && save.written().isKnown())
        *written = save.written();
    return committed;
}

FileResult DataFile::writeNewMasterPassword(QStringView masterPassword, QByteArrayView entryLines,
                                            DiskState *written) const {
    QByteArray bytes = DataFileFormat::masterLine(masterPassword);
    bytes.append(entryLines);
    return write([&bytes](BufferedWriter &out) { out.write(bytes); }, Access::KeepTightened, written);
}

} // namespace varnook
