#include "BufferedWriter.h"

#include "SecretBytes.h"

#include <cstring>

namespace varnook {

BufferedWriter::BufferedWriter(BlockSink sink, qsizetype blockSize)
    : m_sink(std::move(sink))
    , m_block(blockSize, Qt::Uninitialized) {}

BufferedWriter::~BufferedWriter() {
    wipe(m_block.data(), std::size_t(m_block.size()));
}

void BufferedWriter::pass(QByteArrayView bytes) {
    // After a failure nothing more goes out: a file with a hole in it is worse than a short one.
    if (!m_failed && !bytes.isEmpty() && !m_sink(bytes))
        m_failed = true;
}

void BufferedWriter::passBlock() {
    pass(QByteArrayView(m_block.constData(), m_used));
    m_used = 0;
}

void BufferedWriter::write(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return; // an empty view may have no bytes at all, and memcpy takes no null pointer
    if (m_used + bytes.size() <= m_block.size()) {
        std::memcpy(m_block.data() + m_used, bytes.data(), size_t(bytes.size()));
        m_used += bytes.size();
        return;
    }
    passBlock();
    // A piece as large as a block goes on as it is, without a copy.
    if (bytes.size() >= m_block.size()) {
        pass(bytes);
        return;
    }
    std::memcpy(m_block.data(), bytes.data(), size_t(bytes.size()));
    m_used = bytes.size();
}

char *BufferedWriter::reserve(qsizetype n) {
    if (m_used + n > m_block.size()) {
        passBlock();
        if (n > m_block.size())
            m_block.resize(n);
    }
    return m_block.data() + m_used;
}

bool BufferedWriter::flush() {
    passBlock();
    return !m_failed;
}

} // namespace varnook
