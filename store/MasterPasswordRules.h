#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace varnook {

// The one rule set for the master password, shared by the program's dialogs and varnook-cli: a new
// one has at least four characters, every one of them stored in the data file unchanged, since the
// stored password is what the user must type again; the login allows three tries.
class MasterPasswordRules {
public:
    static constexpr int MinimumLength = 4;
    static constexpr int Tries = 3;

    enum class Problem { Empty, OutsideCodePage, NotStorable, TooShort };

    // What keeps typed from being a new master password, or nothing when it can be one.
    static std::optional<Problem> problemWithNewPassword(QStringView typed);
    // The problem in the words the program and varnook-cli both use.
    static QString describe(Problem problem);

    // The login compares text with text: a typed character the data file cannot hold never
    // equals the character the file holds in its place.
    static bool matchesStored(QStringView typed, QStringView stored) { return typed == stored; }
};

} // namespace varnook
