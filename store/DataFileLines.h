#pragma once

#include <QByteArrayView>

namespace varnook {

// Splits the bytes of the data file into lines. CR LF or a lone CR ends a line, and the line end
// is not part of the line; a lone LF is text (it is how a scrambled Š is stored). Text after the
// last line end is a last line; a file that ends with a line end has no empty line after it.
class DataFileLines {
public:
    explicit DataFileLines(QByteArrayView bytes)
        : m_bytes(bytes) {}

    // The next line, without its line end; false when no line is left.
    bool next(QByteArrayView &line);
    // Where the next line starts.
    qsizetype position() const { return m_position; }

private:
    QByteArrayView m_bytes;
    qsizetype m_position = 0;
};

} // namespace varnook
