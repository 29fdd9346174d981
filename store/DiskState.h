#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <future>
#include <mutex>
#include <thread>

namespace varnook {

// Which file a path names and which version of it: device, inode, size and modification time to
// the nanosecond. Another program's save (in place, or a new file renamed over ours, as sync engines
// do) changes at least one of them, so a check that finds the same identity need read nothing.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    // The file at path now (following symbolic links); one that is missing or unreadable does not exist.
    static FileIdentity of(const QString &path);
    // The file open on descriptor.
    static FileIdentity ofDescriptor(int descriptor);

    bool operator==(const FileIdentity &) const = default;
};

// A digest of a file's bytes, to tell a file that changed from one that was only written again.
class ContentHash {
public:
    // BLAKE2b-256 of bytes (the digest QCryptographicHash::Blake2b_256 gives, worked out by libsodium,
    // which is about twice as fast). Nothing here needs to resist an attacker; a large file's save
    // waits for its digest.
    static QByteArray of(QByteArrayView bytes);
    static constexpr std::size_t Size = 32;
};

// The digest of bytes that come a block at a time, worked out on a thread of its own, so that a
// save's digest costs next to nothing beside the disk's write and sync: each block is copied and
// handed over.
class BackgroundHash {
public:
    BackgroundHash();
    ~BackgroundHash();
    BackgroundHash(const BackgroundHash &) = delete;
    BackgroundHash &operator=(const BackgroundHash &) = delete;

    void add(QByteArrayView block);
    // The same without the copy, for bytes that no one changes until result().
    void addShared(QByteArray bytes);
    // Waits for the blocks handed over so far; no block may be added after.
    QByteArray result();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_blocks;
    bool m_finished = false;
    QByteArray m_result;
    std::thread m_worker;
};

// What the program last read from or wrote to its data file: the file's identity then and a digest
// of its bytes. A digest of bytes read is worked out on a thread of its own, so that a large file
// opens as fast as before; it is waited for only when a later check needs it.
class DiskState {
public:
    DiskState() = default;
    DiskState(FileIdentity identity, QByteArray hash);
    // The bytes are shared, not copied, with the thread that works out their digest.
    static DiskState ofBytesRead(FileIdentity identity, const QByteArray &bytes);

    const FileIdentity &identity() const { return m_identity; }
    QByteArray hash() const;
    // Known at all: a state made by a read or a write.
    bool isKnown() const { return m_known; }

private:
    FileIdentity m_identity;
    std::shared_future<QByteArray> m_hash;
    bool m_known = false;
};

} // namespace varnook
