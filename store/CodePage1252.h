#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace varnook {

// Windows-1252, the single-byte code page the data file is written in, through a table of our own
// so that files read and write the same on every desktop. Every one of the 256 codes stands for
// exactly one character (the five codes the code page leaves open stand for the control characters
// of the same number), so any byte sequence decodes and encodes back unchanged.
class CodePage1252 {
public:
    // The character of one code.
    static char16_t toUnicode(uchar code) { return table()[code]; }
    static QString toUnicode(QByteArrayView bytes);

    // The code of a character, or -1 when the code page has no code for it.
    static int codeOf(char32_t character);
    // The code of a character, or of a similar one the code page holds (ā becomes a), else of "?".
    static uchar bestFitCode(char32_t character);

    static QByteArray fromUnicode(QStringView text);
    // Appends the codes of text to out, one per character (a surrogate pair is one character).
    static void appendFromUnicode(QByteArray &out, QStringView text);
    // Writes the codes of text at dest, which has room for text.size() bytes; returns the end.
    static char *encodeInto(char *dest, QStringView text);

    // True when every character of text is a character of Windows-1252, so it is stored unchanged.
    // The control characters that stand in for the five open codes do not count: one of them
    // scrambles to a line end.
    static bool holds(QStringView text);
    // The text as it reads back after going through the code page.
    static QString roundTrip(QStringView text) { return toUnicode(fromUnicode(text)); }

    using Table = char16_t[256];
    static const Table &table();
};

} // namespace varnook
