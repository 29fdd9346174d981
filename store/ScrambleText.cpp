#include "ScrambleText.h"

#include <cstring>

namespace varnook {

void scrambleBytes(char *data, qsizetype size) {
    // Eight bytes at a time: the top bit of each flips.
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, data + i, 8);
        word ^= 0x8080808080808080u;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < size; ++i)
        data[i] = char(scrambleCode(uchar(data[i])));
}

QByteArray &scrambleBytes(QByteArray &bytes) {
    scrambleBytes(bytes.data(), bytes.size());
    return bytes;
}

} // namespace varnook
