#pragma once

#include "VersionRecord.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QSettings;

namespace varnook {

// Everything the program asks of the desktop goes through these small seams, so that tests
// can answer boxes, record launches and keep the process alive. main() installs the real ones.

// KeepBothMineTheirs: "Keep Both", "Keep Mine" and "Keep the File's", for two versions of one entry.
enum class MessageButtons { Ok, OkCancel, RetryCancel, RetryCloseWithoutSaving, KeepBothMineTheirs };
enum class MessageIcon { None, Information, Warning, Critical };
enum class MessageAnswer { Ok, Cancel, Retry, CloseWithoutSaving, KeepBoth, KeepMine, KeepTheirs };

struct MessageBoxRequest {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    MessageAnswer defaultButton = MessageAnswer::Ok;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A modal box; closing it counts as Cancel where there is a Cancel button, else as OK. A box
    // offering Close without saving cannot be closed otherwise: only that button loses changes.
    // Closing a box with Keep Both counts as Keep Both, which loses nothing.
    virtual MessageAnswer messageBox(const MessageBoxRequest &request) = 0;
    // A modal one-line input box; yields the typed text, or an empty text for Cancel.
    virtual QString inputBox(const QString &prompt, const QString &title, bool masked) = 0;
    // A modal box that says text while work runs on a thread of its own, gone once work is done; the
    // program's windows go on painting meanwhile. work touches no widget. It cannot be cancelled.
    virtual void waitFor(const QString &text, const QString &title, const std::function<void()> &work) = 0;
};

// Runs work on a thread of its own and returns once it is done, running this thread's events
// meanwhile; shown() is called once the thread runs, for the box that says so.
void runOffThread(const std::function<void()> &work, const std::function<void()> &shown = {});

class ProcessControl {
public:
    virtual ~ProcessControl() = default;
    // Ends the program at once: no further window event runs. The caller returns right after.
    virtual void endProgram(int exitCode) = 0;
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts a program with its arguments, never through a shell. False when it cannot start.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};

struct Platform {
    Dialogs *dialogs = nullptr;
    ProcessControl *process = nullptr;
    Launcher *launcher = nullptr;
    QString programFolder; // holds Help.rtf
    QString dataFolder;    // holds data.enc and its lock (ProgramFolders says which folder that is)
    QString settingsFile;  // empty: the desktop's per-user store; otherwise an INI file (tests)
    VersionRecord version = VersionRecord::builtIn();

    // The per-user settings store, kept under the program's product name.
    std::unique_ptr<QSettings> openSettings() const;
    // programFolder + "/" + name
    QString programFile(const QString &name) const;
    // dataFolder + "/" + name
    QString dataFile(const QString &name) const;
};

// The one platform of this process.
Platform &platform();

} // namespace varnook
