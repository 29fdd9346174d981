#pragma once

#include "Platform.h"

#include <QTemporaryDir>

namespace varnook::bench {

// The boxes a measured save may meet, answered without a person: every input box gets the password,
// every message box its default answer. Each one is counted, so that a run whose load or save showed
// a box it should not have is reported as skipped rather than measured.
class CountingDialogs : public Dialogs {
public:
    explicit CountingDialogs(QString password)
        : m_password(std::move(password)) {}

    MessageAnswer messageBox(const MessageBoxRequest &request) override;
    QString inputBox(const QString &prompt, const QString &title, bool masked) override;
    // Runs work off this thread, as the desktop does.
    void waitFor(const QString &text, const QString &title, const std::function<void()> &work) override;

    int shown() const { return m_shown; }

private:
    QString m_password;
    int m_shown = 0;
};

// A program folder and settings file of one run's own, with the counting boxes installed as the
// platform's; the seams are taken back when it goes.
class SaveBenchFolder {
public:
    explicit SaveBenchFolder(const QString &password);
    ~SaveBenchFolder();
    SaveBenchFolder(const SaveBenchFolder &) = delete;
    SaveBenchFolder &operator=(const SaveBenchFolder &) = delete;

    QString programFolder() const { return m_folder.path(); }
    QString dataFile() const;
    int boxesShown() const { return m_dialogs.shown(); }

private:
    QTemporaryDir m_folder;
    QTemporaryDir m_settingsFolder;
    CountingDialogs m_dialogs;
};

} // namespace varnook::bench
