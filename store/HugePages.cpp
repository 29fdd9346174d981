#include "HugePages.h"

#include <QIODevice>

#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace varnook {

namespace {

constexpr uintptr_t HugePageSize = 2 * 1024 * 1024;
// Below this no block of a huge page fits inside, or it saves too little to ask.
constexpr qint64 HugePagesFrom = 2 * qint64(HugePageSize);

} // namespace

void adviseHugePages(void *data, size_t size) {
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + HugePageSize - 1) & ~(HugePageSize - 1);
    const uintptr_t last = (start + size) & ~(HugePageSize - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE); // advice only: a refusal costs nothing
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

QByteArray readWhole(QIODevice &device, qint64 size) {
    if (size < HugePagesFrom)
        return device.readAll();
    QByteArray bytes(size, Qt::Uninitialized);
    adviseHugePages(bytes.data(), size_t(bytes.size()));
    qint64 got = 0;
    while (got < size) {
        const qint64 read = device.read(bytes.data() + got, size - got);
        if (read <= 0)
            break;
        got += read;
    }
    bytes.truncate(got);
    if (got == size)
        bytes.append(device.readAll());
    return bytes;
}

} // namespace varnook
