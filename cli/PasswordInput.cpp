#include "PasswordInput.h"

#include "Console.h"

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace varnook {

namespace {

// The terminal's settings while typing is hidden, so that a signal that ends the program leaves the
// terminal showing what is typed again.
struct termios savedSettings;
volatile sig_atomic_t echoIsOff = 0;
constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void restoreEchoAndEnd(int signal) {
    if (echoIsOff)
        tcsetattr(STDIN_FILENO, TCSANOW, &savedSettings);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Hides the typing on the terminal for its lifetime.
class HiddenTyping {
public:
    HiddenTyping() {
        if (tcgetattr(STDIN_FILENO, &savedSettings) != 0)
            return;
        struct sigaction action {};
        action.sa_handler = restoreEchoAndEnd;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            sigaction(EndingSignals[i], &action, &m_previous[i]);
        struct termios hidden = savedSettings;
        hidden.c_lflag &= ~tcflag_t(ECHO | ECHONL);
        echoIsOff = tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden) == 0;
        m_active = true;
    }
    ~HiddenTyping() {
        if (!m_active)
            return;
        if (echoIsOff)
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedSettings);
        echoIsOff = 0;
        for (size_t i = 0; i < std::size(EndingSignals); ++i)
            sigaction(EndingSignals[i], &m_previous[i], nullptr);
    }
    HiddenTyping(const HiddenTyping &) = delete;
    HiddenTyping &operator=(const HiddenTyping &) = delete;

private:
    bool m_active = false;
    struct sigaction m_previous[std::size(EndingSignals)]{};
};

// Reads up to the next LF, one byte at a time, so that nothing after the line is taken from the input.
std::optional<QByteArray> readRawLine() {
    QByteArray line;
    bool any = false;
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(STDIN_FILENO, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        any = true;
        if (byte == '\n')
            break;
        if (line.size() < PasswordInput::MaximumLength)
            line.append(byte);
    }
    if (!any)
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

bool PasswordInput::isTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<QString> PasswordInput::readLine(const QString &prompt) {
    std::optional<QByteArray> line;
    if (isTerminal()) {
        HiddenTyping hidden;
        Console::prompt(prompt);
        line = readRawLine();
        // The Enter key was not shown either.
        Console::prompt(QStringLiteral("\n"));
    } else {
        line = readRawLine();
    }
    if (!line)
        return std::nullopt;
    QString text = QString::fromLocal8Bit(*line);
    line->fill('\0');
    return text;
}

} // namespace varnook
