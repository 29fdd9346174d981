#pragma once

#include <QString>

#include <optional>

namespace varnook {

// Reads passwords from standard input. On a terminal the typing is not shown and a prompt is
// written to standard error; otherwise one line is read as it comes, without a prompt, so that a
// password can be piped in.
class PasswordInput {
public:
    static bool isTerminal();
    // One line without its line end (LF or CR LF); nothing when the input ended before any byte.
    static std::optional<QString> readLine(const QString &prompt);

    // Longest line read; the rest of a longer line is dropped, so that no input can exhaust memory.
    static constexpr qsizetype MaximumLength = 4096;
};

} // namespace varnook
