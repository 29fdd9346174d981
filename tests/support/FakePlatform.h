#pragma once

#include "Platform.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>

namespace varnook::test {

// A box the program showed, as the user would have seen it.
struct ShownBox {
    enum Kind { Message, Input, Wait } kind = Message;
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultButton = MessageAnswer::Ok;
    bool masked = false;
};

// Answers boxes from a script instead of showing them. A box with no scripted answer fails the
// running test, then gets OK (message) or Cancel (input) so that the program goes on.
class ScriptedDialogs : public Dialogs {
public:
    MessageAnswer messageBox(const MessageBoxRequest &request) override;
    QString inputBox(const QString &prompt, const QString &title, bool masked) override;
    // Shows nothing: records the box and runs work on its own thread, as the desktop does.
    void waitFor(const QString &text, const QString &title, const std::function<void()> &work) override;

    void answerMessage(MessageAnswer answer) { m_messageAnswers.push_back(answer); }
    void answerInput(const QString &text) { m_inputAnswers.push_back(text); }

    QList<ShownBox> shown;
    // Runs while a box is "open", e.g. to check what the window looks like at that moment.
    std::function<void(const ShownBox &)> onShow;

private:
    std::deque<MessageAnswer> m_messageAnswers;
    std::deque<QString> m_inputAnswers;
};

class RecordingProcess : public ProcessControl {
public:
    void endProgram(int exitCode) override {
        ++endCount;
        lastExitCode = exitCode;
    }
    int endCount = 0;
    int lastExitCode = -1;
};

class RecordingLauncher : public Launcher {
public:
    bool startDetached(const QString &program, const QStringList &arguments) override {
        launches.append({program, arguments});
        return succeed;
    }
    struct Launch {
        QString program;
        QStringList arguments;
    };
    QList<Launch> launches;
    bool succeed = true;
};

// Installs test doubles for every seam, a fresh program folder (the data folder too) and settings file, and resets
// the program-wide values. Restores nothing: each test makes a new one.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();

    QString programFolder() const { return m_folder.path(); }
    QString dataFile() const;
    QString settingsFile() const;

    ScriptedDialogs dialogs;
    RecordingProcess process;
    RecordingLauncher launcher;

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_settingsFolder;
};

} // namespace varnook::test
