#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A one-route HTTP server on 127.0.0.1 with byte control: every request gets `answer` as it stands (status
// line, headers and body written by the test), or nothing at all while `silent` is set. Each request's raw
// head (request line and headers) is kept in `requests`.
class LoopbackHttpServer : public QObject {
public:
    QByteArray answer = "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n";
    bool silent = false;
    QList<QByteArray> requests;

    LoopbackHttpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &LoopbackHttpServer::accept);
    }

    QUrl url(const QString& path = QStringLiteral("/")) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
    }

    static QByteArray reply(int status, const QByteArray& body, const QByteArray& extraHeaders = {}) {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" +
               extraHeaders + "\r\n" + body;
    }

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    }

    void serve(QTcpSocket* socket) {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        const qsizetype end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        requests.append(pending.left(end));
        pending.clear();
        if (silent)
            return;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_pending;
};
