#include "SwaySession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnook::test {

namespace {

bool giveTo(const QString &path, uid_t uid, gid_t gid, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    return ::chown(name.constData(), uid, gid) == 0 && ::chmod(name.constData(), mode) == 0;
}

void collectWindows(const QJsonObject &node, QList<SwaySession::Window> &windows) {
    if (node.contains(QLatin1String("app_id")) || node.contains(QLatin1String("window_properties")))
        windows.append({node.value(QLatin1String("name")).toString(), node.value(QLatin1String("focused")).toBool()});
    for (const char *children : {"nodes", "floating_nodes"})
        for (const QJsonValue &child : node.value(QLatin1String(children)).toArray())
            collectWindows(child.toObject(), windows);
}

} // namespace

SwaySession::SwaySession() {
    m_switchUser = ::geteuid() == 0;
    if (m_switchUser) {
        if (const passwd *user = ::getpwnam("nobody")) {
            m_uid = user->pw_uid;
            m_gid = user->pw_gid;
        }
    } else {
        m_uid = ::geteuid();
        m_gid = ::getegid();
    }
}

SwaySession::~SwaySession() {
    if (m_sway.state() != QProcess::NotRunning) {
        m_sway.terminate();
        if (!m_sway.waitForFinished(5000)) {
            m_sway.kill();
            m_sway.waitForFinished();
        }
    }
}

QString SwaySession::missingTool() {
    QStringList tools = {QStringLiteral("sway"), QStringLiteral("swaymsg"), QStringLiteral("wtype")};
    if (::geteuid() == 0)
        tools.append(QStringLiteral("setpriv"));
    for (const QString &tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return tool + QStringLiteral(" is not installed");
    if (::geteuid() == 0 && !::getpwnam("nobody"))
        return QStringLiteral("there is no user nobody to run the desktop as");
    return {};
}

QStringList SwaySession::asUser(const QString &program, const QStringList &arguments) const {
    if (!m_switchUser)
        return QStringList{program} + arguments;
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=%1").arg(m_uid),
                       QStringLiteral("--regid=%1").arg(m_gid), QStringLiteral("--clear-groups"), program} +
           arguments;
}

QProcessEnvironment SwaySession::desktopEnvironment() const {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH", QStringLiteral("/usr/bin:/bin")));
    environment.insert(QStringLiteral("HOME"), userFolder(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeFolder);
    if (!m_waylandDisplay.isEmpty())
        environment.insert(QStringLiteral("WAYLAND_DISPLAY"), m_waylandDisplay);
    return environment;
}

QString SwaySession::userFolder(const QString &name) const {
    return QDir(m_root.path()).filePath(name);
}

bool SwaySession::start(QString &why) {
    if (!m_root.isValid()) {
        why = QStringLiteral("no temporary folder");
        return false;
    }
    m_runtimeFolder = userFolder(QStringLiteral("runtime"));
    const QString home = userFolder(QStringLiteral("home"));
    const QString config = QDir(home).filePath(QStringLiteral("sway.conf"));
    QFile configFile(config);
    // Activation requests are honoured, as on a desktop where a window may bring itself forward
    // (sway's own default only marks it urgent).
    if (!QDir().mkpath(m_runtimeFolder) || !QDir().mkpath(home) || !configFile.open(QIODevice::WriteOnly) ||
        configFile.write("output HEADLESS-1 resolution 1280x1024\n"
                         "xwayland disable\n"
                         "focus_on_window_activation focus\n") < 0) {
        why = QStringLiteral("the session's folders could not be made");
        return false;
    }
    configFile.close();
    if (!giveTo(m_root.path(), m_uid, m_gid, 0755) || !giveTo(home, m_uid, m_gid, 0700) ||
        !giveTo(config, m_uid, m_gid, 0600) || !giveTo(m_runtimeFolder, m_uid, m_gid, 0700)) {
        why = QStringLiteral("the session's folders could not be given to its user");
        return false;
    }

    QProcessEnvironment environment = desktopEnvironment();
    environment.insert(QStringLiteral("WLR_BACKENDS"), QStringLiteral("headless"));
    environment.insert(QStringLiteral("WLR_LIBINPUT_NO_DEVICES"), QStringLiteral("1"));
    environment.insert(QStringLiteral("WLR_RENDERER"), QStringLiteral("pixman"));
    m_sway.setProcessEnvironment(environment);
    m_sway.setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command = asUser(QStringLiteral("sway"), {QStringLiteral("-c"), config});
    m_sway.start(command.first(), command.mid(1));
    if (!m_sway.waitForStarted()) {
        why = QStringLiteral("sway did not start");
        return false;
    }
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && m_sway.state() == QProcess::Running) {
        const QDir runtime(m_runtimeFolder);
        const QStringList displays = runtime.entryList({QStringLiteral("wayland-*")}, QDir::System);
        const QStringList sockets = runtime.entryList({QStringLiteral("sway-ipc.*.sock")}, QDir::System);
        for (const QString &display : displays)
            if (!display.endsWith(QLatin1String(".lock")))
                m_waylandDisplay = display;
        if (!m_waylandDisplay.isEmpty() && !sockets.isEmpty()) {
            m_ipcSocket = runtime.filePath(sockets.first());
            return true;
        }
        m_sway.waitForReadyRead(100);
    }
    why = QStringLiteral("sway made no sockets: ") + log();
    return false;
}

void SwaySession::startClient(QProcess &process, const QString &program, const QStringList &arguments,
                              const QProcessEnvironment &extra) const {
    QProcessEnvironment environment = desktopEnvironment();
    for (const QString &name : extra.keys())
        environment.insert(name, extra.value(name));
    process.setProcessEnvironment(environment);
    const QStringList command = asUser(program, arguments);
    process.start(command.first(), command.mid(1));
}

QList<SwaySession::Window> SwaySession::windows() const {
    QProcess query;
    query.start(QStringLiteral("swaymsg"), {QStringLiteral("-s"), m_ipcSocket, QStringLiteral("-r"),
                                            QStringLiteral("-t"), QStringLiteral("get_tree")});
    QList<Window> found;
    if (!query.waitForFinished(10000) || query.exitCode() != 0)
        return found;
    collectWindows(QJsonDocument::fromJson(query.readAllStandardOutput()).object(), found);
    return found;
}

bool SwaySession::waitForFocus(const QString &title, int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    do {
        for (const Window &window : windows())
            if (window.focused && window.title == title)
                return true;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

bool SwaySession::type(const QStringList &wtypeArguments) const {
    // A virtual keyboard's first key may reach the window before its key map has: a Shift press that
    // changes nothing goes first, and a moment for the map.
    QProcess wtype;
    startClient(wtype, QStringLiteral("wtype"),
                QStringList{QStringLiteral("-k"), QStringLiteral("Shift_L"), QStringLiteral("-s"),
                            QStringLiteral("200"), QStringLiteral("-d"), QStringLiteral("5")} +
                    wtypeArguments,
                {});
    const bool typed =
        wtype.waitForFinished(10000) && wtype.exitStatus() == QProcess::NormalExit && wtype.exitCode() == 0;
    // Gives the program the moment a person's next key would.
    QThread::msleep(150);
    return typed;
}

QString SwaySession::log() {
    return QString::fromLocal8Bit(m_sway.readAll());
}

} // namespace varnook::test
