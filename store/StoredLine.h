#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace varnook {

// One entry's line as the data file stores it: scrambled, with its line end. A line read from the
// file is a piece of the bytes read (shared, not copied), since a loaded line is already its saved
// form; a changed entry's line is encoded once and held on its own.
class StoredLine {
public:
    StoredLine() = default;
    explicit StoredLine(QByteArray own)
        : m_size(own.size())
        , m_bytes(std::move(own)) {}
    // The size bytes at start of bytes.
    StoredLine(QByteArray bytes, qsizetype start, qsizetype size)
        : m_start(start)
        , m_size(size)
        , m_bytes(std::move(bytes)) {}

    // No line yet: a stored line holds at least its line end.
    bool isNull() const { return m_size == 0; }
    QByteArrayView bytes() const { return QByteArrayView(m_bytes.constData() + m_start, m_size); }

private:
    qsizetype m_start = 0;
    qsizetype m_size = 0;
    QByteArray m_bytes;
};

} // namespace varnook
