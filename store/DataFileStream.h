#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

namespace varnook {

// Reads the lines of the data file block by block, so that memory stays flat however many lines
// the file holds. Lines end as DataFileLines ends them: at CR LF or a lone CR; text after the last
// line end is a last line.
class DataFileStream {
public:
    struct Line {
        QByteArrayView text;   // without its line end; valid until the next call of next()
        qsizetype lineEnd = 0; // the bytes that ended it: 2 for CR LF, 1 for a lone CR, 0 at the end of the file
        bool last = false;     // no byte follows it
    };

    static constexpr qsizetype DefaultBlockSize = 256 * 1024;

    explicit DataFileStream(QIODevice &device, qsizetype blockSize = DefaultBlockSize);

    // The next line; false when no line is left or the device failed (failed() tells which).
    bool next(Line &line);
    bool failed() const { return m_failed; }
    QString errorString() const;

private:
    // Reads one more block behind what is held; false at the end of the file or on a failure.
    bool readBlock();

    QIODevice &m_device;
    qsizetype m_blockSize;
    QByteArray m_buffer;
    qsizetype m_begin = 0;   // where the next line starts
    qsizetype m_end = 0;     // end of the bytes held
    qsizetype m_scanned = 0; // bytes from m_begin known to hold no CR
    bool m_atEnd = false;
    bool m_failed = false;
};

} // namespace varnook
