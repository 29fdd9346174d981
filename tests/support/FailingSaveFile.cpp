#include "FailingSaveFile.h"

#include <algorithm>

namespace varnook::test {

qint64 FailingSaveFile::writeData(const char *data, qint64 len) {
    m_attempted += len;
    const qint64 taken = std::min(len, m_room);
    if (taken > 0 && QSaveFile::writeData(data, taken) != taken)
        return -1;
    m_room -= taken;
    if (taken == len)
        return len;
    if (m_mode == Mode::ShortWrite)
        return taken;
    setErrorString(QStringLiteral("No space left on device"));
    return -1;
}

} // namespace varnook::test
