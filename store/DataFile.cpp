#include "DataFile.h"

#include "DataFileFormat.h"
#include "FileExists.h"
#include "Platform.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

DataFile DataFile::inProgramFolder() {
    return DataFile(platform().programFile(QString::fromLatin1(FileName)));
}

void DataFile::setSaveFileFactory(SaveFileFactory factory) {
    saveFileFactory() = std::move(factory);
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

FileResult DataFile::read(QByteArray &bytes) const {
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return FileResult::failure(notAFileReason(info));
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return FileResult::failure(file.errorString());
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileResult::failure(file.errorString());
    return FileResult::success();
}

FileResult DataFile::write(const QByteArray &bytes) const {
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        return FileResult::failure(notAFileReason(info));
    const bool isNew = !info.exists();

    std::unique_ptr<QSaveFile> file = openTarget(m_path);
    // Never fall back to writing the file in place: that could leave it half written.
    file->setDirectWriteFallback(false);
    if (!file->open(QIODevice::WriteOnly))
        return FileResult::failure(file->errorString());
    if (isNew && !file->setPermissions(OwnerOnly)) {
        const QString reason = file->errorString();
        file->cancelWriting();
        return FileResult::failure(reason);
    }
    // The bytes sit in the device's buffer until flush(); a short write there (a full disk, a size limit)
    // is reported only by flush(), and commit() would put the cut-short file in place regardless.
    if (file->write(bytes) != bytes.size() || !file->flush()) {
        const QString reason = reasonOf(*file, QStringLiteral("Not all of the data could be written."));
        file->cancelWriting();
        return FileResult::failure(reason);
    }
    if (!file->commit())
        return FileResult::failure(reasonOf(*file, QStringLiteral("The new file could not be put in place.")));
    return FileResult::success();
}

FileResult DataFile::save(QStringView masterPassword, const std::vector<Entry> &entries) const {
    return write(DataFileFormat::serialize(masterPassword, entries));
}

FileResult EnsureDataFile(const QString &path) {
    return DataFile(path).ensure();
}

} // namespace varnook
