#pragma once

#include <QByteArray>

namespace varnook {

// The record cipher of the data file: a keyless, self-inverse scrambling of code page codes that
// keeps the file from being readable at a glance. It protects nothing against anyone who knows it.
//
// Codes 0 to 127 gain 128 and codes 129 to 255 lose it. Code 128 (the euro sign) goes to 0 and 0
// to 128, the only choice that keeps the routine its own inverse; so every code has its top bit
// flipped, and a scrambled line may hold NUL bytes.
constexpr uchar scrambleCode(uchar code) {
    return uchar(code ^ 0x80u);
}

// Scrambles (or unscrambles) bytes in place.
void scrambleBytes(char *data, qsizetype size);
QByteArray &scrambleBytes(QByteArray &bytes);

} // namespace varnook
