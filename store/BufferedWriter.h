#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace varnook {

// Gathers many small pieces (the lines of a file) and hands them on in large blocks, so that a file
// of a million lines costs a few hundred writes and never a second copy of the whole file.
class BufferedWriter {
public:
    // Takes one block; false when it could not take all of it, which ends the writing.
    using BlockSink = std::function<bool(QByteArrayView block)>;
    static constexpr qsizetype DefaultBlockSize = 256 * 1024;

    explicit BufferedWriter(BlockSink sink, qsizetype blockSize = DefaultBlockSize);
    // The block is wiped: it held lines of the data file, passwords among them.
    ~BufferedWriter();
    BufferedWriter(const BufferedWriter &) = delete;
    BufferedWriter &operator=(const BufferedWriter &) = delete;

    void write(QByteArrayView bytes);
    void write(char byte) {
        if (m_used == m_block.size())
            passBlock();
        m_block.data()[m_used++] = byte;
    }
    // Room for n more bytes at the end of the block; commit(end) then takes those written up to end.
    char *reserve(qsizetype n);
    void commit(const char *end) { m_used = end - m_block.constData(); }

    // Hands on what is left; false when any block could not be taken.
    bool flush();
    bool failed() const { return m_failed; }

private:
    void passBlock();
    void pass(QByteArrayView bytes);

    BlockSink m_sink;
    QByteArray m_block;
    qsizetype m_used = 0;
    bool m_failed = false;
};

} // namespace varnook
