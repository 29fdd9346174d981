#include "CsvReader.h"

#include <QStringDecoder>

namespace varnook {

namespace {

constexpr QByteArrayView ByteOrderMark("\xEF\xBB\xBF");

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool isContinuationByte(char c) {
    return (uchar(c) & 0xC0) == 0x80;
}

// The text of a field's bytes, which are UTF-8. A byte order mark at a field's start is text there.
QString fieldText(QByteArrayView utf8) {
    QString text = QString::fromUtf8(utf8);
    if (utf8.startsWith(ByteOrderMark))
        text.prepend(QChar(0xFEFF));
    return text;
}

} // namespace

QString CsvReader::utf8Problem(QByteArrayView bytes) {
    // Piece by piece, each cut before a byte that starts a character, so that a piece holds whole
    // characters and decodes as it does within the whole text; only one piece is held as text at a time.
    constexpr qsizetype PieceSize = 64 * 1024;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = std::min(bytes.size(), at + PieceSize);
        while (end < bytes.size() && isContinuationByte(bytes[end]))
            ++end;
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString piece = decoder.decode(bytes.sliced(at, end - at));
        if (decoder.hasError())
            return QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 and try again.");
        at = end;
    }
    return {};
}

QByteArrayView CsvReader::withoutByteOrderMark(QByteArrayView bytes) {
    // The decoder passes over one byte order mark, and one more is taken off the text it gives.
    for (int i = 0; i < 2 && bytes.startsWith(ByteOrderMark); ++i)
        bytes = bytes.sliced(ByteOrderMark.size());
    return bytes;
}

bool CsvRecords::next(CsvRecord &record) {
    if (!m_error.isEmpty() || m_at >= m_text.size())
        return false;
    record.row = ++m_row;
    record.fields.clear();
    QString error;
    if (!scanRecord(record.fields, error)) {
        m_error = QStringLiteral("Row %1: %2").arg(m_row).arg(error);
        return false;
    }
    return true;
}

bool CsvRecords::scanRecord(QStringList &fields, QString &error) {
    for (;;) {
        QString field;
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            if (!scanQuoted(field, error))
                return false;
        } else {
            scanPlain(field);
        }
        fields.append(field);
        if (m_at >= m_text.size())
            return true;
        const char next = m_text[m_at];
        if (next == ',') {
            ++m_at;
            continue;
        }
        if (isLineEnd(next)) {
            skipLineEnd();
            return true;
        }
        error = QStringLiteral("a quoted field is followed by other text than a comma or a line end");
        return false;
    }
}

bool CsvRecords::scanQuoted(QString &field, QString &error) {
    ++m_at; // the opening quote
    QByteArray bytes;
    for (;;) {
        if (m_at >= m_text.size()) {
            error = QStringLiteral("a quoted field is not closed before the end of the file");
            return false;
        }
        const qsizetype quote = m_text.indexOf('"', m_at);
        if (quote < 0) {
            m_at = m_text.size();
            continue;
        }
        bytes.append(m_text.sliced(m_at, quote - m_at));
        m_at = quote + 1;
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            bytes.append('"');
            ++m_at;
            continue;
        }
        field = fieldText(bytes);
        return true;
    }
}

void CsvRecords::scanPlain(QString &field) {
    const qsizetype start = m_at;
    while (m_at < m_text.size() && m_text[m_at] != ',' && !isLineEnd(m_text[m_at]))
        ++m_at;
    field = fieldText(m_text.sliced(start, m_at - start));
}

void CsvRecords::skipLineEnd() {
    if (m_text[m_at] == '\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '\n')
        ++m_at;
    ++m_at;
}

namespace {

CsvReader::Result readAll(CsvRecords records) {
    CsvReader::Result result;
    CsvRecord record;
    while (records.next(record))
        result.records.push_back(record);
    if (!records.error().isEmpty()) {
        result.error = records.error();
        result.records.clear();
    }
    return result;
}

} // namespace

CsvReader::Result CsvReader::read(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    return readAll(CsvRecords(utf8));
}

CsvReader::Result CsvReader::readUtf8(QByteArrayView bytes) {
    if (QString problem = utf8Problem(bytes); !problem.isEmpty()) {
        Result result;
        result.error = std::move(problem);
        return result;
    }
    return readAll(CsvRecords(withoutByteOrderMark(bytes)));
}

} // namespace varnook
