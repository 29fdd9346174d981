#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <memory>

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

// What the program last read from or wrote to its data file: the file's identity then and, for bytes
// read, a digest of them. The digest is worked out only when a check first needs it (a file of the
// same size under another identity, which is rare): most reads are followed by a save or by another
// read of another size, and a large file then costs no hashing at all. Until then the state shares
// the bytes, which the list's lines share anyway. Copies share the digest.
//
// A save knows its file by identity alone: hashing every byte it writes would cost a save of a long
// list a third more. Whoever saved can tell its own bytes written again by their lines instead.
class DiskState {
public:
    DiskState() = default;
    // A file as a save wrote it.
    explicit DiskState(FileIdentity identity);
    // The bytes are shared, not copied.
    static DiskState ofBytesRead(FileIdentity identity, const QByteArray &bytes);

    // Both are files read, of the same bytes.
    bool sameBytesAs(const DiskState &other) const;

    const FileIdentity &identity() const { return m_identity; }
    // The digest of the bytes read; empty for a file a save wrote.
    QByteArray hash() const;
    // Known at all: a state made by a read or a write.
    bool isKnown() const { return m_known; }

private:
    struct Digest {
        QByteArray bytes; // until the hash is worked out
        QByteArray hash;
        bool done = false;
    };

    FileIdentity m_identity;
    std::shared_ptr<Digest> m_digest;
    bool m_known = false;
};

} // namespace varnook
