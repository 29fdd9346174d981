#include "SmallDisk.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace varnook::test {

SmallDisk::SmallDisk(const QString &folder, int kilobytes)
    : m_folder(folder) {
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k,mode=0700";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) ==
        0) {
        m_mounted = true;
        return;
    }
    m_reason = QStringLiteral("This machine does not let the tests mount a small file system (%1), so a disk that "
                              "fills up cannot be made here; a failing device tests the same failure instead.")
                   .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

SmallDisk::~SmallDisk() {
    if (!m_mounted)
        return;
    // Lazily, so that a file a failed test left open cannot keep the folder mounted.
    ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

bool SmallDisk::fill(const QString &fileName) {
    const QByteArray path = QFile::encodeName(QDir(m_folder).filePath(fileName));
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0)
        return false;
    // Byte by byte at the end, so that not even part of a page is left.
    const QByteArray block(4096, 'x');
    bool full = false;
    for (qsizetype size = block.size(); size > 0 && !full;) {
        const ssize_t written = ::write(descriptor, block.constData(), size_t(size));
        if (written < 0) {
            if (errno != ENOSPC)
                break;
            size /= 2;
            full = size == 0;
        }
    }
    ::close(descriptor);
    return full;
}

} // namespace varnook::test
