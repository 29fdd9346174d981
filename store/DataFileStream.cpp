#include "DataFileStream.h"

#include <QIODevice>

#include <cstring>

namespace varnook {

DataFileStream::DataFileStream(QIODevice &device, qsizetype blockSize)
    : m_device(device)
    , m_blockSize(blockSize) {}

QString DataFileStream::errorString() const {
    return m_device.errorString();
}

bool DataFileStream::readBlock() {
    if (m_atEnd || m_failed)
        return false;
    // The line begun so far moves to the front; the buffer grows only for a line longer than a block.
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(m_end - m_begin));
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_buffer.size() < m_end + m_blockSize)
        m_buffer.resize(m_end + m_blockSize);
    const qint64 got = m_device.read(m_buffer.data() + m_end, m_blockSize);
    if (got < 0) {
        m_failed = true;
        return false;
    }
    if (got == 0) {
        m_atEnd = true;
        return false;
    }
    m_end += got;
    return true;
}

bool DataFileStream::next(Line &line) {
    for (;;) {
        const char *data = m_buffer.constData();
        const qsizetype from = m_begin + m_scanned;
        const auto *cr = static_cast<const char *>(std::memchr(data + from, '\r', size_t(m_end - from)));
        if (!cr) {
            m_scanned = m_end - m_begin;
            if (readBlock())
                continue;
            if (m_failed || m_begin == m_end)
                return false;
            // The attempt to read more may have moved the bytes held.
            line = {QByteArrayView(m_buffer.constData() + m_begin, m_end - m_begin), 0, true};
            m_begin = m_end;
            m_scanned = 0;
            return true;
        }
        const qsizetype at = cr - data;
        // Whether an LF follows, and whether anything follows the line end, may lie in the next block.
        if (at + 2 >= m_end && !m_atEnd) {
            m_scanned = at - m_begin;
            if (readBlock() || !m_failed)
                continue;
            return false;
        }
        const qsizetype lineEnd = at + 1 < m_end && data[at + 1] == '\n' ? 2 : 1;
        line = {QByteArrayView(data + m_begin, at - m_begin), lineEnd, at + lineEnd == m_end};
        m_begin = at + lineEnd;
        m_scanned = 0;
        return true;
    }
}

} // namespace varnook
