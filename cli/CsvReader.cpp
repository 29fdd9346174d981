#include "CsvReader.h"

#include <QStringDecoder>

namespace varnook {

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// Reads records from text one at a time.
class CsvScanner {
public:
    explicit CsvScanner(QStringView text)
        : m_text(text) {}

    CsvReader::Result scan() {
        CsvReader::Result result;
        qsizetype row = 0;
        while (m_at < m_text.size()) {
            CsvRecord record;
            record.row = ++row;
            if (!scanRecord(record.fields, result.error)) {
                result.error = QStringLiteral("Row %1: %2").arg(row).arg(result.error);
                result.records.clear();
                return result;
            }
            result.records.push_back(std::move(record));
        }
        return result;
    }

private:
    bool scanRecord(QStringList &fields, QString &error) {
        for (;;) {
            QString field;
            if (m_at < m_text.size() && m_text[m_at] == u'"') {
                if (!scanQuoted(field, error))
                    return false;
            } else {
                scanPlain(field);
            }
            fields.append(field);
            if (m_at >= m_text.size())
                return true;
            const QChar next = m_text[m_at];
            if (next == u',') {
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

    bool scanQuoted(QString &field, QString &error) {
        ++m_at; // the opening quote
        for (;;) {
            if (m_at >= m_text.size()) {
                error = QStringLiteral("a quoted field is not closed before the end of the file");
                return false;
            }
            const qsizetype quote = m_text.indexOf(u'"', m_at);
            if (quote < 0) {
                m_at = m_text.size();
                continue;
            }
            field.append(m_text.sliced(m_at, quote - m_at));
            m_at = quote + 1;
            if (m_at < m_text.size() && m_text[m_at] == u'"') {
                field.append(u'"');
                ++m_at;
                continue;
            }
            return true;
        }
    }

    void scanPlain(QString &field) {
        const qsizetype start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != u',' && !isLineEnd(m_text[m_at]))
            ++m_at;
        field = m_text.sliced(start, m_at - start).toString();
    }

    void skipLineEnd() {
        if (m_text[m_at] == u'\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'\n')
            ++m_at;
        ++m_at;
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

} // namespace

CsvReader::Result CsvReader::read(QStringView text) {
    return CsvScanner(text).scan();
}

CsvReader::Result CsvReader::readUtf8(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        Result result;
        result.error = QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 and try again.");
        return result;
    }
    // Spreadsheets put a byte order mark in front of UTF-8 text.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return read(text);
}

} // namespace varnook
