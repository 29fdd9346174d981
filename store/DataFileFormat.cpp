#include "DataFileFormat.h"

#include "BufferedWriter.h"
#include "CodePage1252.h"
#include "DataFileLines.h"
#include "ScrambleText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

} // namespace

qsizetype DataFileFormat::findSeparator(QByteArrayView line, qsizetype from) {
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

namespace {

void appendScrambled(QByteArray &out, QStringView plain) {
    const qsizetype start = out.size();
    CodePage1252::appendFromUnicode(out, plain);
    scrambleBytes(out.data() + start, out.size() - start);
}

} // namespace

QString DataFileFormat::plainText(QByteArrayView scrambled) {
    const auto &plain = plainCharacters();
    const qsizetype size = scrambled.size();
    QString text(size, Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(scrambled.data());
    for (qsizetype i = 0; i < size; ++i) {
#if defined(__SSE2__)
        // Plain ASCII is stored as bytes with the top bit set: sixteen such bytes are widened at once.
        while (i + 16 <= size) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
            if (_mm_movemask_epi8(bytes) != 0xFFFF)
                break;
            const __m128i ascii = _mm_xor_si128(bytes, _mm_set1_epi8(char(0x80)));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_unpacklo_epi8(ascii, _mm_setzero_si128()));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i + 8), _mm_unpackhi_epi8(ascii, _mm_setzero_si128()));
            i += 16;
        }
        if (i == size)
            break;
#endif
        out[i] = plain[in[i]];
    }
    return text;
}

DataFileFormat::MasterLine DataFileFormat::readMasterLine(QByteArrayView bytes) {
    DataFileLines lines(bytes);
    QByteArrayView first;
    if (!lines.next(first))
        return {};
    return {plainText(first), lines.position()};
}

DataFileFormat::LineFields DataFileFormat::fieldsOf(QByteArrayView scrambledLine) {
    LineFields fields;
    const qsizetype first = findSeparator(scrambledLine, 0);
    if (first < 0) {
        fields.username = scrambledLine;
        return fields;
    }
    fields.username = scrambledLine.first(first);
    const qsizetype second = findSeparator(scrambledLine, first + 3);
    if (second < 0) {
        fields.password = scrambledLine.sliced(first + 3);
        return fields;
    }
    fields.password = scrambledLine.sliced(first + 3, second - first - 3);
    fields.location = scrambledLine.sliced(second + 3);
    fields.complete = true;
    return fields;
}

Entry DataFileFormat::readEntry(QByteArrayView scrambledLine) {
    const LineFields fields = fieldsOf(scrambledLine);
    return {plainText(fields.username), plainText(fields.password), plainText(fields.location)};
}

std::vector<Entry> DataFileFormat::readEntries(QByteArrayView entryLines) {
    std::vector<Entry> entries;
    DataFileLines lines(entryLines);
    QByteArrayView line;
    while (lines.next(line)) {
        if (!isSkippedLine(line))
            entries.push_back(readEntry(line));
    }
    return entries;
}

namespace {

// A line read with its CR LF is byte for byte what a save writes for it.
bool endsWithLineEnd(QByteArrayView file, QByteArrayView line) {
    const qsizetype end = (line.data() - file.data()) + line.size();
    return file.sliced(end).startsWith(DataFileFormat::LineEnd);
}

} // namespace

namespace {

// Below this, a second thread costs more than it saves.
constexpr qsizetype TwoThreadsFrom = 1024 * 1024;

// How many lines at most start in bytes: every line but the last ends with a CR.
size_t mostLinesIn(QByteArrayView bytes) {
    size_t most = 1;
    const char *const end = bytes.data() + bytes.size();
    for (const char *at = bytes.data();
         at < end && (at = static_cast<const char *>(std::memchr(at, '\r', size_t(end - at)))) != nullptr; ++at)
        ++most;
    return most;
}

// Where a line starts near the middle of bytes: after the first line end there. A CR always ends a
// line (with the LF after it, if any), so the lines on either side are those of the whole.
qsizetype lineStartNearMiddle(QByteArrayView bytes) {
    const qsizetype middle = bytes.size() / 2;
    const auto *cr = static_cast<const char *>(std::memchr(bytes.data() + middle, '\r', size_t(bytes.size() - middle)));
    if (!cr)
        return bytes.size();
    qsizetype at = (cr - bytes.data()) + 1;
    if (at < bytes.size() && bytes[at] == '\n')
        ++at;
    return at;
}

// Appends a line read from file as a save writes it again.
void keepLine(const QByteArray &file, StoredLine::Cutter &cutter, QByteArrayView line, std::vector<StoredLine> &lines) {
    // The line is kept as read, never encoded again from its fields: a short line, or one with
    // separators where a save would put none, must read back as it reads now. Only a lone CR or
    // a missing line end becomes CR LF, which reads the same.
    const qsizetype at = line.data() - file.constData();
    if (endsWithLineEnd(file, line)) {
        lines.push_back(cutter.cut(at, line.size() + DataFileFormat::LineEnd.size()));
    } else {
        QByteArray own;
        own.reserve(line.size() + DataFileFormat::LineEnd.size());
        own.append(line).append(DataFileFormat::LineEnd);
        lines.emplace_back(std::move(own));
    }
}

// Appends the entries of the lines in file[from, to), which starts a line.
void readLines(const QByteArray &file, qsizetype from, qsizetype to, const DataFileFormat::HeldLine &held,
               DataFileFormat::StoredEntries &stored) {
    DataFileLines lines(QByteArrayView(file).sliced(from, to - from));
    StoredLine::Cutter cutter(file);
    QByteArrayView line;
    while (lines.next(line)) {
        if (DataFileFormat::isSkippedLine(line))
            continue;
        keepLine(file, cutter, line, stored.lines);
        // Equal bytes read as equal entries: one held already need not be decoded again, nor kept.
        if (held && held(stored.lines.back().bytes()))
            stored.lines.pop_back();
        else
            stored.entries.push_back(DataFileFormat::readEntry(line));
    }
}

// The lines of a file read again that the caller did not hold, when they are few: copied out of
// the file, so that its buffer goes once it has been read instead of living on for their sake.
void detachFewLines(DataFileFormat::StoredEntries &stored) {
    if (stored.lines.size() * 8 > stored.linesRead)
        return;
    for (StoredLine &line : stored.lines)
        line = StoredLine(line.bytes().toByteArray());
    stored.lines.shrink_to_fit();
    stored.entries.shrink_to_fit();
}

} // namespace

DataFileFormat::StoredEntries DataFileFormat::readStoredEntries(const QByteArray &file, qsizetype start,
                                                                const HeldLine &held) {
    if (!held && file.size() - start >= TwoThreadsFrom && std::thread::hardware_concurrency() > 1)
        return readStoredEntries(file, start, 2);
    StoredEntries stored;
    // Room for them all at once, rather than growing the lists (and touching fresh memory) line by line.
    const size_t most = mostLinesIn(QByteArrayView(file).sliced(start));
    stored.entries.reserve(most);
    stored.lines.reserve(most);
    if (!held) {
        readLines(file, start, file.size(), held, stored);
        stored.linesRead = stored.entries.size();
        return stored;
    }
    readLines(
        file, start, file.size(),
        [&held, &stored](QByteArrayView line) {
            ++stored.linesRead;
            return held(line);
        },
        stored);
    detachFewLines(stored);
    return stored;
}

std::vector<StoredLine> DataFileFormat::readStoredLines(const QByteArray &file, qsizetype start) {
    std::vector<StoredLine> stored;
    // Room for them all at once, rather than growing the list (and touching fresh memory) line by line.
    stored.reserve(mostLinesIn(QByteArrayView(file).sliced(start)));
    DataFileLines lines(QByteArrayView(file).sliced(start));
    StoredLine::Cutter cutter(file);
    QByteArrayView line;
    while (lines.next(line)) {
        if (!isSkippedLine(line))
            keepLine(file, cutter, line, stored);
    }
    return stored;
}

DataFileFormat::StoredEntries DataFileFormat::readStoredEntries(const QByteArray &file, qsizetype start, int threads) {
    if (threads < 2)
        return readStoredEntries(file, start, HeldLine());
    const qsizetype split = start + lineStartNearMiddle(QByteArrayView(file).sliced(start));
    StoredEntries stored;
    StoredEntries second;
    const size_t mostFirst = mostLinesIn(QByteArrayView(file).sliced(start, split - start));
    const size_t mostSecond = mostLinesIn(QByteArrayView(file).sliced(split));
    // The first half's lists have room for both, so the second's join them without growing.
    stored.entries.reserve(mostFirst + mostSecond);
    stored.lines.reserve(mostFirst + mostSecond);
    std::thread other([&file, split, &second, mostSecond] {
        second.entries.reserve(mostSecond);
        second.lines.reserve(mostSecond);
        readLines(file, split, file.size(), HeldLine(), second);
    });
    readLines(file, start, split, HeldLine(), stored);
    other.join();
    std::move(second.entries.begin(), second.entries.end(), std::back_inserter(stored.entries));
    std::move(second.lines.begin(), second.lines.end(), std::back_inserter(stored.lines));
    stored.linesRead = stored.entries.size();
    return stored;
}

QByteArray DataFileFormat::masterLine(QStringView masterPassword) {
    QByteArray out;
    appendScrambled(out, masterPassword);
    out.append(LineEnd);
    return out;
}

namespace {

// Bytes an entry line may take with its line end: a code per UTF-16 unit at most.
qsizetype lineRoom(const Entry &entry) {
    return entry.username.size() + entry.password.size() + entry.location.size() + 2 * 3 + 2;
}

// Writes one scrambled entry line and its line end at dest, which has lineRoom() bytes; returns the end.
char *encodeEntryLine(char *dest, const Entry &entry) {
    char *const start = dest;
    dest = CodePage1252::encodeInto(dest, entry.username);
    dest = std::copy(DataFileFormat::Separator.begin(), DataFileFormat::Separator.end(), dest);
    dest = CodePage1252::encodeInto(dest, entry.password);
    dest = std::copy(DataFileFormat::Separator.begin(), DataFileFormat::Separator.end(), dest);
    dest = CodePage1252::encodeInto(dest, entry.location);
    scrambleBytes(start, dest - start);
    return std::copy(DataFileFormat::LineEnd.begin(), DataFileFormat::LineEnd.end(), dest);
}

} // namespace

void DataFileFormat::appendEntryLine(QByteArray &out, const Entry &entry) {
    const qsizetype start = out.size();
    out.resize(start + lineRoom(entry));
    char *end = encodeEntryLine(out.data() + start, entry);
    out.resize(end - out.constData());
}

QByteArray DataFileFormat::storedLine(const Entry &entry) {
    QByteArray line;
    appendEntryLine(line, entry);
    return line;
}

void EntryLines::writeTo(BufferedWriter &out) const {
    if (m_entries) {
        for (const Entry &entry : *m_entries) {
            char *dest = out.reserve(lineRoom(entry));
            out.commit(encodeEntryLine(dest, entry));
        }
        return;
    }
    QByteArrayView run;
    for (qsizetype i = 0; i < m_count; ++i) {
        const QByteArrayView line = m_storedLineAt(i);
        if (!run.isEmpty() && line.data() == run.data() + run.size()) {
            run = QByteArrayView(run.data(), run.size() + line.size());
            continue;
        }
        if (!run.isEmpty())
            out.write(run);
        run = line;
    }
    if (!run.isEmpty())
        out.write(run);
}

void DataFileFormat::writeEntryLineAsRead(BufferedWriter &out, QByteArrayView scrambledLine) {
    out.write(scrambledLine);
    out.write(LineEnd);
}

void DataFileFormat::writeEntryLine(BufferedWriter &out, const Entry &entry) {
    char *dest = out.reserve(lineRoom(entry));
    out.commit(encodeEntryLine(dest, entry));
}

void DataFileFormat::writeMasterLine(BufferedWriter &out, QStringView masterPassword) {
    char *const begin = out.reserve(masterPassword.size() + LineEnd.size());
    char *dest = CodePage1252::encodeInto(begin, masterPassword);
    scrambleBytes(begin, dest - begin);
    out.commit(std::copy(LineEnd.begin(), LineEnd.end(), dest));
}

void DataFileFormat::write(BufferedWriter &out, QStringView masterPassword, const EntryLines &lines) {
    writeMasterLine(out, masterPassword);
    lines.writeTo(out);
    out.write(LineEnd);
}

QByteArray DataFileFormat::serialize(QStringView masterPassword, const EntryLines &lines) {
    QByteArray bytes;
    BufferedWriter out([&bytes](QByteArrayView block) {
        bytes.append(block);
        return true;
    });
    write(out, masterPassword, lines);
    out.flush();
    return bytes;
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

QByteArray DataFileFormat::withMasterLine(QByteArrayView file, QStringView masterPassword) {
    QByteArray bytes = masterLine(masterPassword);
    bytes.append(file.sliced(readMasterLine(file).entriesStart));
    return bytes;
}

} // namespace varnook
