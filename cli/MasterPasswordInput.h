#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace varnook {

// Asks for the master password on the command line, by the rules of the program's own boxes: three
// tries on a terminal, the one line given otherwise; a new one must pass MasterPasswordRules.
class MasterPasswordInput {
public:
    enum class Outcome {
        Accepted,
        Refused, // wrong, or not acceptable as a new master password; the user has been told
        NoInput, // the input ended before a password was given; the user has been told
    };

    // Asks until the typed password equals stored, exactly.
    static Outcome login(const QString &stored);
    // The same with another prompt, for another file's password.
    static Outcome login(const QString &stored, const QString &prompt);
    // Asks until opens takes the typed password: a protected file, whose master password is told
    // by its key alone.
    using Opens = std::function<bool(const QString &typed)>;
    static Outcome login(const Opens &opens, const QString &prompt);
    // Asks for a new master password, twice on a terminal; on Accepted, password holds it.
    static Outcome askNew(QString &password);
    // Asks for the master password that replaces the file's, twice on a terminal and from standard
    // input alike; on Accepted, password holds it.
    static Outcome askReplacement(QString &password);

    // Why typed cannot be a master password, or an empty text when it can.
    static QString newPasswordProblem(const QString &typed);

private:
    // intro: shown on a terminal before the first prompt; confirmAlways: the second typing is read
    // from standard input too.
    static Outcome chooseNew(QString &password, const QString &intro, bool confirmAlways);
};

} // namespace varnook
