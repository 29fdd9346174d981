#include "DataFileFormat.h"

#include "CodePage1252.h"
#include "DataFileLines.h"
#include "ScrambleText.h"

#include <array>
#include <cstring>

namespace varnook {

namespace {

// The plain character of each scrambled code, so that reading a field is one table look-up a byte.
const std::array<char16_t, 256> &plainCharacters() {
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> plain{};
        for (int code = 0; code < 256; ++code)
            plain[size_t(code)] = CodePage1252::toUnicode(scrambleCode(uchar(code)));
        return plain;
    }();
    return table;
}

constexpr char ScrambledBar = char(scrambleCode('|'));

// Where the next scrambled "|||" starts at or after from, or -1.
qsizetype findSeparator(QByteArrayView line, qsizetype from) {
    const char *data = line.data();
    const qsizetype size = line.size();
    while (from + 3 <= size) {
        const auto *bar = static_cast<const char *>(std::memchr(data + from, ScrambledBar, size_t(size - from - 2)));
        if (!bar)
            return -1;
        const qsizetype at = bar - data;
        if (data[at + 1] == ScrambledBar && data[at + 2] == ScrambledBar)
            return at;
        from = at + 1;
    }
    return -1;
}

void appendScrambled(QByteArray &out, QStringView plain) {
    const qsizetype start = out.size();
    CodePage1252::appendFromUnicode(out, plain);
    scrambleBytes(out.data() + start, out.size() - start);
}

} // namespace

QString DataFileFormat::plainText(QByteArrayView scrambled) {
    const auto &plain = plainCharacters();
    QString text(scrambled.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(scrambled.data());
    for (qsizetype i = 0; i < scrambled.size(); ++i)
        out[i] = plain[in[i]];
    return text;
}

DataFileFormat::MasterLine DataFileFormat::readMasterLine(QByteArrayView bytes) {
    DataFileLines lines(bytes);
    QByteArrayView first;
    if (!lines.next(first))
        return {};
    return {plainText(first), lines.position()};
}

Entry DataFileFormat::readEntry(QByteArrayView scrambledLine) {
    Entry entry;
    const qsizetype first = findSeparator(scrambledLine, 0);
    if (first < 0) {
        entry.username = plainText(scrambledLine);
        return entry;
    }
    entry.username = plainText(scrambledLine.first(first));
    const qsizetype second = findSeparator(scrambledLine, first + 3);
    if (second < 0) {
        entry.password = plainText(scrambledLine.sliced(first + 3));
        return entry;
    }
    entry.password = plainText(scrambledLine.sliced(first + 3, second - first - 3));
    entry.location = plainText(scrambledLine.sliced(second + 3));
    return entry;
}

std::vector<Entry> DataFileFormat::readEntries(QByteArrayView entryLines) {
    std::vector<Entry> entries;
    // A saved entry line takes at least eight bytes with its line end.
    entries.reserve(size_t(entryLines.size() / 32));
    DataFileLines lines(entryLines);
    QByteArrayView line;
    while (lines.next(line)) {
        if (!isSkippedLine(line))
            entries.push_back(readEntry(line));
    }
    return entries;
}

QByteArray DataFileFormat::masterLine(QStringView masterPassword) {
    QByteArray out;
    out.reserve(masterPassword.size() + 2);
    appendScrambled(out, masterPassword);
    out.append(LineEnd);
    return out;
}

void DataFileFormat::appendEntryLine(QByteArray &out, const Entry &entry) {
    const qsizetype start = out.size();
    CodePage1252::appendFromUnicode(out, entry.username);
    out.append(Separator);
    CodePage1252::appendFromUnicode(out, entry.password);
    out.append(Separator);
    CodePage1252::appendFromUnicode(out, entry.location);
    scrambleBytes(out.data() + start, out.size() - start);
    out.append(LineEnd);
}

QByteArray DataFileFormat::serialize(QStringView masterPassword, const std::vector<Entry> &entries) {
    qsizetype size = masterPassword.size() + 4;
    for (const Entry &entry : entries)
        size += entry.username.size() + entry.password.size() + entry.location.size() + 8;
    QByteArray out;
    out.reserve(size);
    appendScrambled(out, masterPassword);
    out.append(LineEnd);
    for (const Entry &entry : entries)
        appendEntryLine(out, entry);
    out.append(LineEnd);
    return out;
}

bool DataFileFormat::readsBackAsWritten(const Entry &entry) {
    QByteArray bytes;
    appendEntryLine(bytes, entry);
    DataFileLines lines(bytes);
    QByteArrayView line;
    if (!lines.next(line) || lines.position() != bytes.size() || isSkippedLine(line))
        return false;
    return readEntry(line) == entry;
}

} // namespace varnook
