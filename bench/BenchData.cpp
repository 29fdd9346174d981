#include "BenchData.h"

#include "CodePage1252.h"
#include "DataFileFormat.h"

#include <QRandomGenerator>

namespace varnook::bench {

namespace {

QString randomText(QRandomGenerator &random, const QString &alphabet) {
    const int length = int(random.bounded(10, 41));
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += alphabet[int(random.bounded(alphabet.size()))];
    // The data file cannot hold the separator; a generated one would not read back.
    return text.replace(QStringLiteral("|||"), QStringLiteral("|x|"));
}

std::vector<Entry> entries(int count, const QString &alphabet) {
    QRandomGenerator random(20261208);
    std::vector<Entry> result;
    result.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        Entry entry{randomText(random, alphabet), randomText(random, alphabet), randomText(random, alphabet)};
        // A bar next to a separator would shift the fields; the editor refuses such entries.
        if (!DataFileFormat::readsBackAsWritten(entry)) {
            for (QString *field : {&entry.username, &entry.password, &entry.location})
                field->replace(QLatin1Char('|'), QLatin1Char('x'));
        }
        result.push_back(std::move(entry));
    }
    return result;
}

} // namespace

std::vector<Entry> typicalEntries(int count) {
    return entries(count, QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_@/:"));
}

std::vector<Entry> codePageEntries(int count) {
    QString alphabet;
    for (int code = 1; code < 256; ++code) {
        const QString text = CodePage1252::toUnicode(QByteArray(1, char(code)));
        // Line ends cannot be stored inside a field.
        if (code != '\r' && code != '\n' && CodePage1252::holds(text))
            alphabet += text;
    }
    return entries(count, alphabet);
}

QByteArray withEntryAdded(const QByteArray &dataFile, const Entry &entry) {
    // The file ends with one more line end than its last line has.
    return dataFile.chopped(DataFileFormat::LineEnd.size()) + DataFileFormat::storedLine(entry) +
           DataFileFormat::LineEnd.toByteArray();
}

} // namespace varnook::bench
