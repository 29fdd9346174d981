#include "RtfReaderChecks.h"

#include "RtfReader.h"

#include <QTextDocument>

namespace varnook {

QString rtfReaderFault(QByteArrayView bytes) {
    QTextDocument document;
    RtfReader::read(bytes, &document);
    // Each character shown comes from at least one byte read; a document always holds one
    // paragraph end of its own.
    if (document.characterCount() > bytes.size() + 1)
        return QStringLiteral("more characters than bytes");
    if (document.size().width() < 0)
        return QStringLiteral("the document does not lay out");
    if (document.toPlainText().size() >= document.characterCount())
        return QStringLiteral("the plain text is longer than the document");
    return {};
}

} // namespace varnook
