#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QTcpServer;
class QTcpSocket;

namespace varnook::test {

// A small web server for tests, on 127.0.0.1 only. It also answers as an HTTP proxy, so that a
// test can route named hosts to it and nothing ever leaves the machine.
// Pages are keyed by the request target exactly as it arrives: a path ("/one") for a direct
// request, the full address ("http://host/page") for one that came through the proxy.
class TestHttpServer : public QObject {
    Q_OBJECT

public:
    explicit TestHttpServer(QObject *parent = nullptr);
    ~TestHttpServer() override;

    bool isListening() const;
    quint16 port() const;
    // "127.0.0.1:port"
    QString hostAndPort() const;
    // "http://127.0.0.1:port" + path
    QString url(const QString &path) const;

    // A complete HTML page with the given title and body.
    void addPage(const QString &target, const QString &title, const QString &body = QString());
    // An error answer with this HTTP status and no page at all.
    void addEmptyAnswer(const QString &target, int status);
    // A page whose answer starts and never ends, until the client gives up or the server goes.
    void addStalledPage(const QString &target);
    // Routes every request of this process's web pages to this server, as their proxy.
    void becomeApplicationProxy() const;

    // Requests received, in order, without the browser's own icon requests.
    QStringList requests() const { return m_requests; }
    int requestCount(const QString &target) const { return int(m_requests.count(target)); }
    void clearRequests() { m_requests.clear(); }

signals:
    void requestReceived(const QString &target);

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &target);

    QTcpServer *m_server;
    QHash<QString, QByteArray> m_pages;
    QStringList m_stalled;
    QHash<QString, int> m_emptyAnswers;
    QStringList m_requests;
    QList<QPointer<QTcpSocket>> m_sockets;
};

} // namespace varnook::test
