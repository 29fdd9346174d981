#include "DiskState.h"

#include <QFile>

#include <sodium.h>

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

// libsodium picks its fastest code for this processor when it starts.
void startSodium() {
    if (sodium_init() < 0)
        qFatal("libsodium could not start");
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

QByteArray ContentHash::of(QByteArrayView bytes) {
    startSodium();
    QByteArray digest(qsizetype(Size), Qt::Uninitialized);
    crypto_generichash(reinterpret_cast<unsigned char *>(digest.data()), Size,
                       reinterpret_cast<const unsigned char *>(bytes.data()), std::size_t(bytes.size()), nullptr, 0);
    return digest;
}

DiskState::DiskState(FileIdentity identity)
    : m_identity(identity)
    , m_known(true) {}

DiskState DiskState::ofBytesRead(FileIdentity identity, const QByteArray &bytes) {
    DiskState state;
    state.m_identity = identity;
    state.m_known = true;
    state.m_digest = std::make_shared<Digest>(Digest{bytes, QByteArray(), false});
    return state;
}

bool DiskState::sameBytesAs(const DiskState &other) const {
    return m_digest && other.m_digest && m_identity.size == other.m_identity.size && hash() == other.hash();
}

QByteArray DiskState::hash() const {
    if (!m_digest)
        return QByteArray();
    if (!m_digest->done) {
        m_digest->hash = ContentHash::of(m_digest->bytes);
        m_digest->bytes = QByteArray();
        m_digest->done = true;
    }
    return m_digest->hash;
}

} // namespace varnook
