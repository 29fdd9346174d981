#include "CodePage1252.h"

#include <QChar>

namespace varnook {

namespace {

// Codes 128 to 159 differ from Latin-1; the open ones (81, 8D, 8F, 90, 9D) keep their control characters.
constexpr char16_t HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct CodeTable {
    char16_t toUnicode[256];

    constexpr CodeTable()
        : toUnicode() {
        for (int code = 0; code < 256; ++code)
            toUnicode[code] = char16_t(code);
        for (int i = 0; i < 32; ++i)
            toUnicode[0x80 + i] = HighControls[i];
    }
};

constexpr CodeTable Codes;

constexpr int QuestionMark = 63;

int codeOfHighControl(char32_t character) {
    for (int i = 0; i < 32; ++i) {
        if (HighControls[i] == character)
            return 0x80 + i;
    }
    return -1;
}

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
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return int(character);
    return codeOfHighControl(character);
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

void CodePage1252::appendFromUnicode(QByteArray &out, QStringView text) {
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dest = out.data() + start;
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = in[i];
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            dest[written++] = char(unit);
            continue;
        }
        char32_t character = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            character = QChar::surrogateToUcs4(unit, in[++i]);
        dest[written++] = char(bestFitCode(character));
    }
    out.resize(start + written);
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
