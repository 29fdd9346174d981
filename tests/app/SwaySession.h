#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

namespace varnook::test {

// A Wayland desktop of the test's own: sway on its headless back end, with a seat but no input
// devices, run as a user other than root (nobody, when the test runs as root) in a runtime folder of
// its own. Keys come through the compositor from wtype's virtual keyboard, as a user's keys do; what
// is on the screen comes from sway's own view of its windows.
class SwaySession {
public:
    struct Window {
        QString title;
        bool focused = false;
    };

    SwaySession();
    ~SwaySession();
    SwaySession(const SwaySession &) = delete;
    SwaySession &operator=(const SwaySession &) = delete;

    // Why the session cannot run here (sway, wtype or setpriv missing), or empty.
    static QString missingTool();
    // Starts sway and waits for its sockets; false with a reason on failure.
    bool start(QString &why);

    // A folder in the session's own space that its user owns.
    QString userFolder(const QString &name) const;
    // Starts program as the session's user, on this desktop, with extra on top of a bare environment.
    void startClient(QProcess &process, const QString &program, const QStringList &arguments,
                     const QProcessEnvironment &extra) const;

    QList<Window> windows() const;
    // Waits until the window with this title has the keyboard focus.
    bool waitForFocus(const QString &title, int timeoutMs = 20000) const;
    // Presses keys as wtype's arguments give them: texts, "-k Tab", "-M ctrl -k n -m ctrl".
    bool type(const QStringList &wtypeArguments) const;

    // What sway said so far.
    QString log();

private:
    QStringList asUser(const QString &program, const QStringList &arguments) const;
    QProcessEnvironment desktopEnvironment() const;

    QTemporaryDir m_root;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_switchUser = false;
    QString m_runtimeFolder;
    QString m_waylandDisplay;
    QString m_ipcSocket;
    QProcess m_sway;
};

} // namespace varnook::test
