#pragma once

#include <QByteArrayView>

namespace varnook {

// The value of a hexadecimal digit, or -1 for any other byte.
int rtfHexDigitValue(char c);

struct RtfToken {
    enum Kind {
        End,
        GroupStart,
        GroupEnd,
        ControlWord,   // text: the word's letters; parameter when hasParameter
        ControlSymbol, // symbol: the character after the backslash
        Text,          // text: a run of plain bytes
        HexByte,       // byte: the value of \'hh
        Binary,        // text: the raw bytes of \binN
    };
    Kind kind = End;
    QByteArrayView text;
    int parameter = 0;
    bool hasParameter = false;
    char symbol = 0;
    unsigned char byte = 0;
};

// Splits rich text into its tokens, one at a time and without recursion, so any nesting depth and
// any malformed input is read in one pass. Parameters beyond the range of int are clamped to it.
class RtfTokenizer {
public:
    static constexpr qsizetype MaxTextLength = 16384; // bytes of one Text token
    explicit RtfTokenizer(QByteArrayView data)
        : m_data(data) {}

    RtfToken next();
    qsizetype position() const { return m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }

private:
    RtfToken readControl();
    RtfToken readControlWord();

    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

} // namespace varnook
