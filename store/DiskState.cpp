#include "DiskState.h"

#include <QFile>

#include <sys/stat.h>

namespace varnook {

namespace {

FileIdentity fromStat(const struct stat &info) {
    FileIdentity identity;
    identity.exists = true;
    identity.device = quint64(info.st_dev);
    identity.inode = quint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + qint64(info.st_mtim.tv_nsec);
    return identity;
}

} // namespace

FileIdentity FileIdentity::of(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return fromStat(info);
}

FileIdentity FileIdentity::ofDescriptor(int descriptor) {
    struct stat info {};
    if (descriptor < 0 || ::fstat(descriptor, &info) != 0)
        return {};
    return fromStat(info);
}

DiskState::DiskState(FileIdentity identity, QByteArray hash)
    : m_identity(identity)
    , m_known(true) {
    std::promise<QByteArray> ready;
    ready.set_value(std::move(hash));
    m_hash = ready.get_future().share();
}

DiskState DiskState::ofBytesRead(FileIdentity identity, const QByteArray &bytes) {
    DiskState state;
    state.m_identity = identity;
    state.m_known = true;
    state.m_hash = std::async(std::launch::async, [bytes] { return ContentHash::of(bytes); }).share();
    return state;
}

QByteArray DiskState::hash() const {
    return m_hash.valid() ? m_hash.get() : QByteArray();
}

} // namespace varnook
