#include "Console.h"

#include <cstdio>

namespace varnook {

namespace {

bool writeTo(FILE *stream, QByteArrayView bytes) {
    const bool written = std::fwrite(bytes.data(), 1, size_t(bytes.size()), stream) == size_t(bytes.size());
    return std::fflush(stream) == 0 && written;
}

} // namespace

void Console::out(const QString &line) {
    writeTo(stdout, (line + QLatin1Char('\n')).toUtf8());
}

void Console::err(const QString &line) {
    writeTo(stderr, (line + QLatin1Char('\n')).toUtf8());
}

void Console::prompt(const QString &text) {
    writeTo(stderr, text.toUtf8());
}

bool Console::writeOut(QByteArrayView bytes) {
    return writeTo(stdout, bytes);
}

QString Console::entries(qsizetype count) {
    return count == 1 ? QStringLiteral("1 entry") : QStringLiteral("%1 entries").arg(count);
}

} // namespace varnook
