#pragma once

#include <QString>
#include <QTemporaryDir>

namespace varnook::test {

// A small file system of its own (tmpfs) mounted on a folder for one test, and unmounted when the
// test ends. Mounting needs the right to mount; where it is missing, mounted() is false and
// reason() says why, so the test can skip itself.
class SmallDisk {
public:
    // Mounts a file system of the given size on folder (which must exist and stay empty).
    SmallDisk(const QString &folder, int kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    const QString &reason() const { return m_reason; }
    // Writes a file that takes all the space left; false when the disk did not fill.
    bool fill(const QString &fileName);

private:
    QString m_folder;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace varnook::test
