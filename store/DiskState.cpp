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

BackgroundHash::BackgroundHash()
    : m_worker([this] { run(); }) {}

BackgroundHash::~BackgroundHash() {
    result();
}

void BackgroundHash::add(QByteArrayView block) {
    addShared(block.toByteArray());
}

void BackgroundHash::addShared(QByteArray bytes) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_blocks.push_back(std::move(bytes));
    }
    m_wake.notify_one();
}

QByteArray BackgroundHash::result() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_wake.notify_one();
    if (m_worker.joinable())
        m_worker.join();
    return m_result;
}

void BackgroundHash::run() {
    startSodium();
    crypto_generichash_state hash;
    crypto_generichash_init(&hash, nullptr, 0, ContentHash::Size);
    for (;;) {
        QByteArray block;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_finished || !m_blocks.empty(); });
            if (m_blocks.empty())
                break;
            block = std::move(m_blocks.front());
            m_blocks.pop_front();
        }
        crypto_generichash_update(&hash, reinterpret_cast<const unsigned char *>(block.constData()),
                                  std::size_t(block.size()));
    }
    m_result = QByteArray(qsizetype(ContentHash::Size), Qt::Uninitialized);
    crypto_generichash_final(&hash, reinterpret_cast<unsigned char *>(m_result.data()), ContentHash::Size);
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
