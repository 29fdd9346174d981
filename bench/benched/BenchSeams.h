#pragma once

#include "Platform.h"

#include <chrono>
#include <optional>

namespace varnook::bench {

using Clock = std::chrono::steady_clock;

// The password box answered without a person: it shows a real box, notes when the X server has drawn
// it, types the password the benchmark handed over and notes when it was "OK"ed. Any other box is not
// part of a measured start: the run fails.
class AnsweringDialogs : public Dialogs {
public:
    explicit AnsweringDialogs(QString password)
        : m_password(std::move(password)) {}

    MessageAnswer messageBox(const MessageBoxRequest &request) override;
    QString inputBox(const QString &prompt, const QString &title, bool masked) override;
    // Runs work off the UI thread, as the desktop does, and notes how long it took.
    void waitFor(const QString &text, const QString &title, const std::function<void()> &work) override;

    // When the first password box was on the X server, taking keys.
    std::optional<Clock::time_point> promptTime() const { return m_promptTime; }
    // When the last password box was answered.
    std::optional<Clock::time_point> okTime() const { return m_okTime; }
    // How long the work behind wait boxes took since the last password box (deriving a key).
    Clock::duration waited() const { return m_waited; }

private:
    QString m_password;
    std::optional<Clock::time_point> m_promptTime;
    std::optional<Clock::time_point> m_okTime;
    Clock::duration m_waited{};
    int m_asked = 0;
};

// Puts the benchmark's folder, settings file and password box into the desktop platform, from
// VARNOOK_BENCH_FOLDER, VARNOOK_BENCH_SETTINGS and VARNOOK_BENCH_PASSWORD.
AnsweringDialogs &installBenchSeams();

} // namespace varnook::bench
