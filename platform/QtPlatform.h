#pragma once

#include "Platform.h"

namespace varnook {

// The desktop's own boxes, process end and program launcher.
class QtDialogs : public Dialogs {
public:
    MessageAnswer messageBox(const MessageBoxRequest &request) override;
    QString inputBox(const QString &prompt, const QString &title, bool masked) override;
    void waitFor(const QString &text, const QString &title, const std::function<void()> &work) override;
};

class QtProcessControl : public ProcessControl {
public:
    void endProgram(int exitCode) override;
};

class QtLauncher : public Launcher {
public:
    bool startDetached(const QString &program, const QStringList &arguments) override;
};

// Installs the desktop's seams into platform(), with the folders ProgramFolders finds for the executable.
void installDesktopPlatform();

} // namespace varnook
