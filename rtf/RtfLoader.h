#pragma once

#include "RtfReader.h"

#include <QByteArray>
#include <QTimer>

#include <memory>

class QTextDocument;

namespace varnook {

// Reads rich text into a document a slice at a time, between the event loop's other work: a long
// file shows its first page at once, and the program answers the user while the rest comes in.
// The first FirstStepBytes are read before the constructor returns: a short file is then read whole.
class RtfLoader {
public:
    // Each slice reads for about this long; the views lay out what it added in the same time.
    static constexpr int SliceMilliseconds = 8;
    // Bytes read between two looks at the clock.
    static constexpr qsizetype StepBytes = 4096;
    static constexpr qsizetype FirstStepBytes = 16384;

    // The document must outlive the loader.
    RtfLoader(QByteArray bytes, QTextDocument *document);
    ~RtfLoader();

    bool isFinished() const { return m_reader->isFinished(); }

private:
    void readSlice();

    QByteArray m_bytes;
    std::unique_ptr<RtfReader> m_reader;
    QTimer m_timer;
};

} // namespace varnook
