#pragma once

#include <QByteArrayView>
#include <QString>

namespace varnook {

// Standard output and standard error of varnook-cli, in UTF-8. Reports go to standard output, so
// that they can be piped; messages, prompts and refusals go to standard error.
class Console {
public:
    // line and a line end, to standard output
    static void out(const QString &line);
    // line and a line end, to standard error
    static void err(const QString &line);
    // text as it stands, to standard error at once (a prompt waits on the same line)
    static void prompt(const QString &text);
    // Bytes to standard output; false when they could not all be written.
    static bool writeOut(QByteArrayView bytes);

    // "1 entry", "2 entries"
    static QString entries(qsizetype count);
};

} // namespace varnook
