#include "SyncthingInstance.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QJsonDocument>
#include <QNetworkProxy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QUuid>

#include <csignal>
#include <sys/prctl.h>

namespace varnook::test {

namespace {

// Bounds against a hang only: a local call takes milliseconds, a start a second or two.
constexpr int RunMs = 20000;
constexpr int RestMs = 5000;
constexpr int ShutdownMs = 10000;

// Syncthing looks at a change a second after it (ten by default), and rescans every ten seconds in
// case its watcher missed one. A folder written by hand gets none of the defaults a folder added in
// Syncthing's own interface gets; the one that matters here is maxConflicts (10 there, 0 here
// without it): at 0, a change made on both sides at once loses one side without a trace, where a
// user's Syncthing keeps it as a conflict copy.
constexpr const char *ConfigTemplate = R"(<configuration version="36">
    <folder id="%1" label="%1" path="%2" type="sendreceive" rescanIntervalS="10" fsWatcherEnabled="true" fsWatcherDelayS="1">
        <device id="%3"></device>
        <device id="%4"></device>
        <maxConflicts>10</maxConflicts>
    </folder>
    <device id="%3" name="%5"><address>dynamic</address></device>
    <device id="%4" name="%6"><address>%7</address></device>
    <gui enabled="true" tls="false">
        <address>127.0.0.1:%8</address>
        <apikey>%9</apikey>
    </gui>
    <options>
        <listenAddress>%10</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <startBrowser>false</startBrowser>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>5</reconnectionIntervalS>
    </options>
</configuration>
)";

// The environment of a test's Syncthing: its home folder as HOME, so that nothing lands in the
// user's, and no proxy, so that 127.0.0.1 is reached directly.
QProcessEnvironment syncthingEnvironment(const QString &home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *proxy : {"all_proxy", "ALL_PROXY", "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY"})
        environment.remove(QLatin1String(proxy));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
    return environment;
}

} // namespace

QString SyncthingInstance::program() {
    return QStandardPaths::findExecutable(QStringLiteral("syncthing"));
}

SyncthingInstance::SyncthingInstance(QString name, Ports ports)
    : m_name(std::move(name))
    , m_ports(ports)
    , m_apiKey(QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    m_process.setProcessEnvironment(syncthingEnvironment(homePath()));
    // An instance must not outlive a test that crashed or was killed by its time-out: the monitor
    // is then terminated, and ends its child.
    m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

SyncthingInstance::~SyncthingInstance() {
    stop();
}

bool SyncthingInstance::fail(const QString &reason) {
    m_error = m_name + QStringLiteral(": ") + reason;
    return false;
}

bool SyncthingInstance::generate() {
    if (!m_home.isValid())
        return fail(QStringLiteral("no home folder: ") + m_home.errorString());
    QProcess run;
    run.setProcessEnvironment(m_process.processEnvironment());
    run.start(program(), {QStringLiteral("generate"), QStringLiteral("--home"), homePath(),
                          QStringLiteral("--no-default-folder")});
    if (!run.waitForFinished(RunMs) || run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return fail(QStringLiteral("syncthing generate failed: ") + QString::fromLocal8Bit(run.readAllStandardError()));
    run.start(program(),
              {QStringLiteral("serve"), QStringLiteral("--home"), homePath(), QStringLiteral("--device-id")});
    if (!run.waitForFinished(RunMs) || run.exitCode() != 0)
        return fail(QStringLiteral("no device ID: ") + QString::fromLocal8Bit(run.readAllStandardError()));
    m_deviceId = QString::fromLatin1(run.readAllStandardOutput().trimmed());
    return !m_deviceId.isEmpty() || fail(QStringLiteral("an empty device ID"));
}

QString SyncthingInstance::listenAddress() const {
    return QStringLiteral("tcp://127.0.0.1:%1").arg(m_ports.listen);
}

bool SyncthingInstance::configure(const QString &folderId, const QString &folder, const SyncthingInstance &peer) {
    const QString config =
        QString::fromLatin1(ConfigTemplate)
            .arg(folderId.toHtmlEscaped(), folder.toHtmlEscaped(), m_deviceId, peer.m_deviceId, m_name.toHtmlEscaped(),
                 peer.m_name.toHtmlEscaped(), peer.listenAddress(), QString::number(m_ports.gui), m_apiKey)
            .arg(listenAddress());
    QFile file(homePath() + QStringLiteral("/config.xml"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(config.toUtf8()) < 0)
        return fail(QStringLiteral("config.xml not written: ") + file.errorString());
    return true;
}

bool SyncthingInstance::start() {
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(homePath() + QStringLiteral("/syncthing.log"), QIODevice::Append);
    // The process started is Syncthing's monitor, which runs Syncthing itself as its child;
    // --no-restart keeps it from starting that child again once it has shut down. As the super-user
    // Syncthing only logs a warning.
    m_process.start(program(), {QStringLiteral("serve"), QStringLiteral("--home"), homePath(),
                                QStringLiteral("--no-browser"), QStringLiteral("--no-restart"),
                                QStringLiteral("--no-upgrade"), QStringLiteral("--no-default-folder")});
    if (!m_process.waitForStarted(RunMs))
        return fail(QStringLiteral("not started: ") + m_process.errorString());
    return true;
}

void SyncthingInstance::stop() {
    if (!isRunning())
        return;
    post(QStringLiteral("/rest/system/shutdown"));
    if (m_process.waitForFinished(ShutdownMs))
        return;
    // The monitor passes a termination on to its child; killed, it would leave the child running.
    m_process.terminate();
    if (m_process.waitForFinished(ShutdownMs))
        return;
    m_process.kill();
    m_process.waitForFinished(ShutdownMs);
}

QString SyncthingInstance::logTail(int lines) const {
    QFile file(homePath() + QStringLiteral("/syncthing.log"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("(no log)");
    const QList<QByteArray> all = file.readAll().split('\n');
    return QString::fromUtf8(all.mid(qMax(0, all.size() - lines - 1)).join('\n'));
}

QJsonObject SyncthingInstance::get(const QString &path) const {
    const std::optional<QByteArray> body = request("GET", path);
    return body ? QJsonDocument::fromJson(*body).object() : QJsonObject();
}

bool SyncthingInstance::post(const QString &path) const {
    return request("POST", path).has_value();
}

std::optional<QByteArray> SyncthingInstance::request(const QByteArray &method, const QString &path) const {
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.connectToHost(QHostAddress::LocalHost, m_ports.gui);
    if (!socket.waitForConnected(RestMs))
        return std::nullopt;
    const QByteArray host = "127.0.0.1:" + QByteArray::number(m_ports.gui);
    socket.write(method + ' ' + path.toUtf8() + " HTTP/1.0\r\nHost: " + host + "\r\nX-API-Key: " + m_apiKey.toLatin1() +
                 "\r\nContent-Length: 0\r\n\r\n");
    QByteArray answer;
    const QDeadlineTimer deadline(RestMs);
    while (socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(int(deadline.remainingTime()));
        answer += socket.readAll();
    }
    answer += socket.readAll();
    const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
    if (headerEnd < 0 || !answer.startsWith("HTTP/1.") || answer.mid(9, 3) != "200")
        return std::nullopt;
    return answer.mid(headerEnd + 4);
}

} // namespace varnook::test
