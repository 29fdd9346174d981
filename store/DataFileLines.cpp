#include "DataFileLines.h"

#include <cstring>

namespace varnook {

bool DataFileLines::next(QByteArrayView &line) {
    const qsizetype size = m_bytes.size();
    if (m_position >= size)
        return false;
    const char *start = m_bytes.data() + m_position;
    const auto *cr = static_cast<const char *>(std::memchr(start, '\r', size_t(size - m_position)));
    if (!cr) {
        line = QByteArrayView(start, size - m_position);
        m_position = size;
        return true;
    }
    line = QByteArrayView(start, cr - start);
    m_position = (cr - m_bytes.data()) + 1;
    if (m_position < size && m_bytes[m_position] == '\n')
        ++m_position;
    return true;
}

} // namespace varnook
