#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace varnook::test {

// One Syncthing for a test, as a second computer's sync engine would run: its own home folder
// (keys, configuration, database, log), fixed ports on 127.0.0.1, and nothing that reaches past
// that address (no discovery, relays, NAT traversal, upgrades or reports).
class SyncthingInstance {
public:
    struct Ports {
        quint16 gui = 0;    // the web interface and the REST API
        quint16 listen = 0; // the connections from the other instance
    };

    // The syncthing program on the PATH; empty where it is not installed.
    static QString program();

    SyncthingInstance(QString name, Ports ports);
    ~SyncthingInstance();
    SyncthingInstance(const SyncthingInstance &) = delete;
    SyncthingInstance &operator=(const SyncthingInstance &) = delete;

    // Makes the keys and reads the device ID; false, with the reason in error(), when that failed.
    bool generate();
    // Writes the configuration: folder, as folderId, shared with peer at its listen address.
    bool configure(const QString &folderId, const QString &folder, const SyncthingInstance &peer);
    bool start();
    // Asks it to shut down, and kills it when it does not.
    void stop();

    const QString &name() const { return m_name; }
    const QString &deviceId() const { return m_deviceId; }
    QString listenAddress() const;
    const QString &error() const { return m_error; }
    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    // The last lines it logged, for a failure message.
    QString logTail(int lines) const;

    // The REST API's answer to a GET, or an empty object when there was none.
    QJsonObject get(const QString &path) const;
    bool post(const QString &path) const;

private:
    QString homePath() const { return m_home.path(); }
    // One request, HTTP/1.0 so that the answer comes whole and the connection closes after it;
    // the body of a 200 answer, else nothing.
    std::optional<QByteArray> request(const QByteArray &method, const QString &path) const;
    bool fail(const QString &reason);

    QString m_name;
    Ports m_ports;
    QTemporaryDir m_home;
    QString m_apiKey;
    QString m_deviceId;
    QString m_error;
    QProcess m_process;
};

} // namespace varnook::test
