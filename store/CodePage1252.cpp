#include "CodePage1252.h"

#include <QChar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace varnook {

namespace {

// Codes 128 to 159 differ from Latin-1; the open ones (81, 8D, 8F, 90, 9D) keep their control characters.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr quint16 NoCode = 0x100;

// Both directions as tables, so that encoding and decoding take one look-up a character.
struct CodeTable {
    char16_t toUnicode[256];
    quint16 fromUnicode[0x10000]; // the code of each UTF-16 unit, or NoCode

    constexpr CodeTable()
        : toUnicode()
        , fromUnicode() {
        for (int code = 0; code < 256; ++code)
            toUnicode[code] = char16_t(code);
        for (int i = 0; i < 32; ++i)
            toUnicode[0x80 + i] = HighControls[i];
        for (int unit = 0; unit < 0x10000; ++unit)
            fromUnicode[unit] = NoCode;
        for (int code = 0; code < 256; ++code)
            fromUnicode[toUnicode[code]] = quint16(code);
    }
};

constexpr CodeTable Codes;

constexpr int QuestionMark = 63;

} // namespace

const CodePage1252::Table &CodePage1252::table() {
    return Codes.toUnicode;
}

QString CodePage1252::toUnicode(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = Codes.toUnicode[in[i]];
    return text;
}

int CodePage1252::codeOf(char32_t character) {
    if (character > 0xFFFF)
        return -1;
    const quint16 code = Codes.fromUnicode[character];
    return code == NoCode ? -1 : int(code);
}

uchar CodePage1252::bestFitCode(char32_t character) {
    // A decomposition starts with the base letter (ā is a and a macron; ﬁ is f and i; Ａ is A):
    // follow first characters until one has a code.
    char32_t current = character;
    for (int depth = 0; depth < 4; ++depth) {
        const int code = codeOf(current);
        if (code >= 0)
            return uchar(code);
        const QString decomposition = QChar::decomposition(current);
        if (decomposition.isEmpty())
            break;
        const QChar first = decomposition.at(0);
        if (first.isHighSurrogate() && decomposition.size() > 1)
            current = QChar::surrogateToUcs4(first, decomposition.at(1));
        else
            current = first.unicode();
    }
    return QuestionMark;
}

char *CodePage1252::encodeInto(char *dest, QStringView text) {
    const auto &codes = Codes.fromUnicode;
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
#if defined(__SSE2__)
        // Most text is plain ASCII: eight such characters are narrowed at once.
        while (i + 8 <= size) {
            const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + i));
            const __m128i high = _mm_and_si128(units, _mm_set1_epi16(short(0xFF80)));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, _mm_setzero_si128())) != 0xFFFF)
                break;
            _mm_storel_epi64(reinterpret_cast<__m128i *>(dest), _mm_packus_epi16(units, units));
            dest += 8;
            i += 8;
        }
        if (i == size)
            break;
#endif
        const char16_t unit = in[i];
        const quint16 code = codes[unit];
        if (code <= 0xFF) [[likely]] {
            *dest++ = char(code);
            continue;
        }
        char32_t character = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            character = QChar::surrogateToUcs4(unit, in[++i]);
        *dest++ = char(bestFitCode(character));
    }
    return dest;
}

void CodePage1252::appendFromUnicode(QByteArray &out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *end = encodeInto(out.data() + start, text);
    out.resize(end - out.constData());
}

QByteArray CodePage1252::fromUnicode(QStringView text) {
    QByteArray out;
    appendFromUnicode(out, text);
    return out;
}

bool CodePage1252::holds(QStringView text) {
    for (const QChar character : text) {
        const char16_t unit = character.unicode();
        const bool openCode = unit == 0x81 || unit == 0x8D || unit == 0x8F || unit == 0x90 || unit == 0x9D;
        if (openCode || codeOf(unit) < 0)
            return false;
    }
    return true;
}

} // namespace varnook
