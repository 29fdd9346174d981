#include "RtfTokenizer.h"

#include <limits>

namespace varnook {

namespace {

RtfToken tokenOf(RtfToken::Kind kind) {
    RtfToken token;
    token.kind = kind;
    return token;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a run of plain text: the syntax characters, and the raw line ends and controls that
// the text never shows (a raw tab is a tab).
bool endsText(char c) {
    return c == '\\' || c == '{' || c == '}' || uchar(c) < 0x20;
}

} // namespace

RtfToken RtfTokenizer::next() {
    const qsizetype size = m_data.size();
    while (m_pos < size) {
        const char c = m_data[m_pos];
        switch (c) {
        case '{':
            ++m_pos;
            return tokenOf(RtfToken::GroupStart);
        case '}':
            ++m_pos;
            return tokenOf(RtfToken::GroupEnd);
        case '\\':
            if (RtfToken token = readControl(); token.kind != RtfToken::End)
                return token;
            continue;
        case '\t': {
            ++m_pos;
            RtfToken token = tokenOf(RtfToken::ControlWord);
            token.text = "tab";
            return token;
        }
        default:
            break;
        }
        if (uchar(c) < 0x20) { // raw CR and LF, and the NUL a file may end with
            ++m_pos;
            continue;
        }
        // A long run comes in pieces, so that a reader can stop between them.
        const qsizetype start = m_pos;
        const qsizetype end = qMin(size, start + MaxTextLength);
        while (m_pos < end && !endsText(m_data[m_pos]))
            ++m_pos;
        RtfToken token = tokenOf(RtfToken::Text);
        token.text = m_data.sliced(start, m_pos - start);
        return token;
    }
    return tokenOf(RtfToken::End);
}

// After a backslash; End means "nothing to report here, go on".
RtfToken RtfTokenizer::readControl() {
    const qsizetype size = m_data.size();
    ++m_pos; // the backslash
    if (m_pos >= size)
        return tokenOf(RtfToken::End);
    const char c = m_data[m_pos];
    if (isLetter(c))
        return readControlWord();
    ++m_pos;
    if (c == '\'') {
        int value = -1;
        if (m_pos < size && rtfHexDigitValue(m_data[m_pos]) >= 0) {
            value = rtfHexDigitValue(m_data[m_pos++]);
            if (m_pos < size && rtfHexDigitValue(m_data[m_pos]) >= 0)
                value = value * 16 + rtfHexDigitValue(m_data[m_pos++]);
        }
        if (value < 0)
            return tokenOf(RtfToken::End);
        RtfToken token = tokenOf(RtfToken::HexByte);
        token.byte = uchar(value);
        return token;
    }
    if (c == '\r' || c == '\n') {
        RtfToken token = tokenOf(RtfToken::ControlWord);
        token.text = "par";
        return token;
    }
    RtfToken token = tokenOf(RtfToken::ControlSymbol);
    token.symbol = c;
    return token;
}

RtfToken RtfTokenizer::readControlWord() {
    const qsizetype size = m_data.size();
    const qsizetype start = m_pos;
    while (m_pos < size && isLetter(m_data[m_pos]))
        ++m_pos;
    RtfToken token = tokenOf(RtfToken::ControlWord);
    token.text = m_data.sliced(start, m_pos - start);

    bool negative = false;
    if (m_pos + 1 < size && m_data[m_pos] == '-' && isDigit(m_data[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    if (m_pos < size && isDigit(m_data[m_pos])) {
        constexpr long long limit = std::numeric_limits<int>::max();
        long long value = 0;
        while (m_pos < size && isDigit(m_data[m_pos])) {
            if (value <= limit)
                value = value * 10 + (m_data[m_pos] - '0');
            ++m_pos;
        }
        if (value > limit)
            value = limit;
        token.parameter = int(negative ? -value : value);
        token.hasParameter = true;
    }
    if (m_pos < size && m_data[m_pos] == ' ')
        ++m_pos; // the delimiting space belongs to the control word

    if (token.text == "bin") {
        // \binN is followed by exactly N raw bytes, which may hold anything, braces included.
        const qsizetype count = token.hasParameter && token.parameter > 0 ? token.parameter : 0;
        const qsizetype taken = qMin(count, size - m_pos);
        RtfToken binary = tokenOf(RtfToken::Binary);
        binary.text = m_data.sliced(m_pos, taken);
        m_pos += taken;
        return binary;
    }
    return token;
}

int rtfHexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace varnook
