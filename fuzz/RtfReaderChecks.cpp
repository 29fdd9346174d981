#include "RtfReaderChecks.h"

#include "RtfReader.h"

#include <QTextDocument>

namespace varnook {

namespace {

constexpr qreal HelpTextWidth = 685; // the Help window's text box, in pixels

} // namespace

QString rtfReaderFault(QByteArrayView bytes) {
    // Laid out as the Help window lays it out, at the width of its text box.
    QTextDocument document;
    document.setTextWidth(HelpTextWidth);
    RtfReader::read(bytes, &document);
    // Each character shown comes from at least one byte read; a document always holds one
    // paragraph end of its own.
    if (document.characterCount() > bytes.size() + 1)
        return QStringLiteral("more characters than bytes");
    if (document.size().width() < 0)
        return QStringLiteral("the document does not lay out");
    if (document.toPlainText().size() >= document.characterCount())
        return QStringLiteral("the plain text is longer than the document");
    // Read in steps, as the Help window reads long files, it shows the same.
    QTextDocument stepped;
    stepped.setTextWidth(HelpTextWidth);
    RtfReader reader(bytes, &stepped);
    while (!reader.readStep(61)) {
    }
    if (stepped.toPlainText() != document.toPlainText())
        return QStringLiteral("reading in steps shows another text");
    return {};
}

} // namespace varnook
