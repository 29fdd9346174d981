#pragma once

#include <QtGlobal>

namespace varnook {

// How many pictures one document shows, how tall they are together and how much memory their
// images take. Past the first two bounds pictures are left out: Qt's text layout never finishes
// once a tall line reaches 8,388,607 pixels down a document (the page height it gives a document
// without pages), and 4,000 frames of 22 inches, a file of 340 KB, get there. Past the memory
// bound a picture keeps its place but draws nothing of its own.
class RtfPictureBudget {
public:
    static constexpr int MaxPictures = 1000;
    static constexpr qreal MaxTotalHeight = 500000; // document pixels: some 5,200 inches
    static constexpr qint64 MaxImageBytes = 256 * 1024 * 1024;

    // False once a picture did not fit: it and all after it are left out, so that what is shown
    // is the document's first pictures, without gaps.
    bool hasRoom() const { return !m_closed; }
    // Counts a picture of this height as shown when it fits, and as left out (closing the budget)
    // when it does not.
    bool take(qreal height);
    // Counts a picture left out without looking at it, once the budget is closed.
    void leaveOut();

    bool fitsInMemory(qint64 bytes) const { return m_imageBytes + bytes <= MaxImageBytes; }
    void useMemory(qint64 bytes) { m_imageBytes += bytes; }

    int shown() const { return m_shown; }
    int leftOut() const { return m_leftOut; }

private:
    int m_shown = 0;
    int m_leftOut = 0;
    qreal m_height = 0;
    qint64 m_imageBytes = 0;
    bool m_closed = false;
};

} // namespace varnook
