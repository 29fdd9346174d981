#include "ScrambleText.h"

#include "CodePage1252.h"

namespace varnook {

void scrambleBytes(char *data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(scrambleCode(uchar(data[i])));
}

QByteArray &scrambleBytes(QByteArray &bytes) {
    scrambleBytes(bytes.data(), bytes.size());
    return bytes;
}

QString &ScrambleText(QString &text) {
    QByteArray codes = CodePage1252::fromUnicode(text);
    text = CodePage1252::toUnicode(scrambleBytes(codes));
    return text;
}

} // namespace varnook
