#include "FoldedTexts.h"

#include "CaseFold.h"
#include "CodePage1252.h"

#include <algorithm>
#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnook {

namespace {

// ASCII folded by a look-up rather than a test, which mixed letter case would keep mispredicting.
struct AsciiFolds {
    char code[128];
    constexpr AsciiFolds()
        : code() {
        for (int unit = 0; unit < 128; ++unit)
            code[unit] = char(unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit);
    }
};
constexpr AsciiFolds Ascii;

// The code of a folded unit, or -1 where the block cannot hold it.
int codeOfFolded(char16_t folded) {
    if (folded == 0)
        return -1; // the fields' separator
    if (folded < 0x80)
        return folded;
    return QChar::isSurrogate(folded) ? -1 : CodePage1252::codeOf(folded);
}

bool holdsBytes(const char *row, quint32 size, const QByteArray &bytes) {
    const auto length = quint32(bytes.size());
    if (length == 0)
        return true;
    if (length > size)
        return false;
    const quint32 starts = size - length + 1;
    const char *wanted = bytes.constData();
#if defined(__SSE2__)
    // Sixteen starts at a time where the first two bytes match; rows lie back to back and the
    // block is padded, so reading past a row's end is safe, and what lies there is masked off.
    const __m128i first = _mm_set1_epi8(wanted[0]);
    const __m128i second = _mm_set1_epi8(length > 1 ? wanted[1] : 0);
    for (quint32 i = 0; i < starts; i += 16) {
        __m128i hits = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(row + i)), first);
        if (length > 1)
            hits = _mm_and_si128(
                hits, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(row + i + 1)), second));
        unsigned mask = unsigned(_mm_movemask_epi8(hits));
        if (starts - i < 16)
            mask &= (1u << (starts - i)) - 1;
        while (mask != 0) {
            const int at = __builtin_ctz(mask);
            if (length <= 2 || std::memcmp(row + i + at + 2, wanted + 2, length - 2) == 0)
                return true;
            mask &= mask - 1;
        }
    }
    return false;
#else
    for (quint32 i = 0; i < starts; ++i) {
        if (row[i] == wanted[0] && std::memcmp(row + i, wanted, length) == 0)
            return true;
    }
    return false;
#endif
}

} // namespace

std::optional<QByteArray> FoldedTexts::bytesOf(QStringView folded) {
    QByteArray bytes;
    bytes.reserve(folded.size());
    for (const QChar unit : folded) {
        const int code = codeOfFolded(unit.unicode());
        if (code < 0)
            return std::nullopt;
        bytes.append(char(code));
    }
    return bytes;
}

FoldedTexts::Span FoldedTexts::append(std::initializer_list<QStringView> fields) {
    size_t units = 0;
    for (const QStringView field : fields)
        units += size_t(field.size()) + 1;
    const size_t start = m_end;
    if (start + units >= InStringsMark) // a block that large is left to the strings
        return Span{quint32(start), InStringsMark};
    if (start + units + Padding > m_bytes.size())
        m_bytes.resize(std::max(m_bytes.size() * 2, start + units + Padding));
    char *out = m_bytes.data() + start;
    bool inStrings = false;
    for (const QStringView field : fields) {
        const auto *in = reinterpret_cast<const char16_t *>(field.utf16());
        for (qsizetype i = 0; i < field.size(); ++i) {
            const char16_t unit = in[i];
            if (unit < 0x80) {
                *out++ = Ascii.code[unit];
                inStrings |= unit == 0;
            } else {
                const int code = codeOfFolded(caseFold::unit(unit));
                inStrings |= code < 0;
                *out++ = char(code);
            }
        }
        *out++ = 0;
    }
    if (inStrings)
        return Span{quint32(start), InStringsMark}; // nothing of the row is read: its bytes are room again
    m_end = start + units;
    return Span{quint32(start), quint32(units)};
}

void FoldedTexts::reserve(size_t rows, size_t units) {
    m_rows.reserve(m_rows.size() + rows);
    if (m_end + units + rows + Padding > m_bytes.size())
        m_bytes.resize(m_end + units + rows + Padding); // a separator after each field, at most one a unit
}

void FoldedTexts::appendRow(std::initializer_list<QStringView> fields) {
    m_rows.push_back(append(fields));
}

void FoldedTexts::setRow(quint32 row, std::initializer_list<QStringView> fields) {
    m_unused += m_rows[row].length & ~InStringsMark;
    m_rows[row] = append(fields);
    compactIfWasteful();
}

void FoldedTexts::removeRow(quint32 row) {
    m_unused += m_rows[row].length & ~InStringsMark;
    m_rows[row] = m_rows.back();
    m_rows.pop_back();
    compactIfWasteful();
}

void FoldedTexts::compactIfWasteful() {
    if (m_unused < 4096 || m_unused < m_end / 2)
        return;
    std::vector<char> bytes(m_end - m_unused + Padding);
    size_t end = 0;
    for (Span &span : m_rows) {
        const quint32 length = span.length & ~InStringsMark;
        std::memcpy(bytes.data() + end, m_bytes.data() + span.start, length);
        span.start = quint32(end);
        end += length;
    }
    m_bytes = std::move(bytes);
    m_end = end;
    m_unused = 0;
}

void FoldedTexts::flagHolding(const std::optional<QByteArray> &bytes, Flags &flags, const Flags *candidates,
                              const InStrings &inStrings) const {
    const auto flagRows = [&](quint32 first, quint32 last) {
        const char *block = m_bytes.data();
        for (quint32 row = first; row < last; ++row) {
            if (flags[row] || (candidates && !(*candidates)[row]))
                continue;
            const Span span = m_rows[row];
            if (span.length & InStringsMark)
                flags[row] = inStrings(row) ? 1 : 0;
            else if (bytes)
                flags[row] = holdsBytes(block + span.start, span.length, *bytes) ? 1 : 0;
        }
    };
    // Many rows are read by two threads, each its own half; nothing else runs meanwhile.
    const auto rows = quint32(m_rows.size());
    if (rows < ThreadedRows) {
        flagRows(0, rows);
        return;
    }
    std::thread second(flagRows, rows / 2, rows);
    flagRows(0, rows / 2);
    second.join();
}

} // namespace varnook
