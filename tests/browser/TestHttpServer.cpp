#include "TestHttpServer.h"

#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>

namespace varnook::test {

namespace {
// A request head larger than this is not from our browser: the connection is dropped.
constexpr qsizetype MaxRequestHead = 64 * 1024;
constexpr int MaxConnections = 64;
} // namespace

TestHttpServer::TestHttpServer(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this)) {
    m_server->setMaxPendingConnections(MaxConnections);
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, &TestHttpServer::onNewConnection);
}

TestHttpServer::~TestHttpServer() {
    for (const QPointer<QTcpSocket> &socket : std::as_const(m_sockets)) {
        if (socket)
            socket->abort();
    }
}

bool TestHttpServer::isListening() const {
    return m_server->isListening();
}

quint16 TestHttpServer::port() const {
    return m_server->serverPort();
}

QString TestHttpServer::hostAndPort() const {
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QString TestHttpServer::url(const QString &path) const {
    return QStringLiteral("http://") + hostAndPort() + path;
}

void TestHttpServer::addPage(const QString &target, const QString &title, const QString &body) {
    m_pages.insert(target, QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                                          "<body style=\"margin:0\">%2</body></html>")
                               .arg(title, body)
                               .toUtf8());
}

void TestHttpServer::addEmptyAnswer(const QString &target, int status) {
    m_emptyAnswers.insert(target, status);
}

void TestHttpServer::addStalledPage(const QString &target) {
    m_stalled.append(target);
}

void TestHttpServer::becomeApplicationProxy() const {
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, QStringLiteral("127.0.0.1"), port()));
}

void TestHttpServer::onNewConnection() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_sockets.removeAll(nullptr);
        if (m_sockets.size() >= MaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_sockets.append(socket);
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TestHttpServer::onReadyRead(QTcpSocket *socket) {
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    if (head.size() > MaxRequestHead) {
        socket->abort();
        return;
    }
    socket->setProperty("head", head);
    if (!head.contains("\r\n\r\n") || socket->property("answered").toBool())
        return;
    socket->setProperty("answered", true);
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    answer(socket, requestLine.size() == 3 ? requestLine[1] : QByteArray());
}

void TestHttpServer::answer(QTcpSocket *socket, const QByteArray &rawTarget) {
    const QString target = QString::fromLatin1(rawTarget);
    if (!target.endsWith(QStringLiteral("/favicon.ico"))) {
        m_requests.append(target);
        emit requestReceived(target);
    }

    if (m_stalled.contains(target)) {
        // Promise a long page and send only its start.
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000000\r\n"
                      "Cache-Control: no-store\r\n\r\n<html><head><title>Stalled</title></head><body>");
        return;
    }

    if (m_emptyAnswers.contains(target)) {
        socket->write(QByteArray("HTTP/1.1 ") + QByteArray::number(m_emptyAnswers.value(target)) +
                      " Error\r\nContent-Length: 0\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }

    const auto page = m_pages.constFind(target);
    const bool found = page != m_pages.constEnd();
    const QByteArray body = found ? *page : QByteArrayLiteral("<html><head><title>Not Found</title></head></html>");
    QByteArray response = found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n";
    response += "Content-Type: text/html; charset=utf-8\r\nCache-Control: no-store\r\nConnection: close\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}

} // namespace varnook::test
