#pragma once

#include <QString>
#include <QStringView>

namespace varnook {

// The one rule set for a new master password, shared by the program's creation prompt and
// varnook-cli: at least four characters, every one of them stored in the data file unchanged.
// The stored password is what the user must type again, so nothing may be lost on the way.
class MasterPasswordRules {
public:
    static constexpr int MinimumLength = 4;

    enum class Problem { None, Empty, OutsideCodePage, NotStorable, TooShort };

    static Problem problemOf(QStringView typed);
    // The sentence that names the problem, as the creation prompt's box shows it.
    static QString describe(Problem problem);

    // The login compares text with text: a typed character the data file cannot hold never
    // equals the character the file holds in its place.
    static bool matches(QStringView typed, QStringView stored) { return typed == stored; }
};

} // namespace varnook
