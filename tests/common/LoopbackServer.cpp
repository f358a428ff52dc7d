#include "LoopbackServer.h"

#include <QHostAddress>
#include <QTimer>

#include <memory>

LoopbackServer::LoopbackServer(QObject *parent) : QTcpServer(parent)
{
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection())
            serve(socket);
    });
}

void LoopbackServer::setPage(const QString &pathOrUrl, const QByteArray &body, const QByteArray &contentType)
{
    m_pages.insert(pathOrUrl, Page{body, contentType, {}});
}

void LoopbackServer::setPage(const QString &pathOrUrl, const Page &page)
{
    m_pages.insert(pathOrUrl, page);
}

void LoopbackServer::serve(QTcpSocket *socket)
{
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
        buffer->append(socket->readAll());
        const qsizetype end = buffer->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QByteArray head = buffer->left(end);
        buffer->remove(0, end + 4);
        const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
        const QString target = requestLine.size() > 1 ? QString::fromLatin1(requestLine[1]) : QString();
        requests.append(target);
        requestHeads.append(head);
        respond(socket, target);
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
}

void LoopbackServer::respond(QTcpSocket *socket, const QString &target)
{
    auto it = m_pages.constFind(target);
    if (it == m_pages.constEnd() && target.startsWith(QLatin1String("http"))) {
        // A proxy request for a host we serve by path only.
        const QUrl url(target);
        it = m_pages.constFind(url.path() + (url.hasQuery() ? QLatin1Char('?') + url.query() : QString()));
        if (it == m_pages.constEnd())
            it = m_pages.constFind(target);
    }
    QByteArray response;
    if (it == m_pages.constEnd()) {
        const QByteArray body = "<html><head><title>404</title></head><body>Not found</body></html>";
        response = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: "
                   + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    } else {
        response = "HTTP/1.1 200 OK\r\nContent-Type: " + it->contentType + "\r\nContent-Length: "
                   + QByteArray::number(it->body.size()) + "\r\n";
        bool cacheControl = false;
        for (const auto &h : it->headers) {
            response += h.first + ": " + h.second + "\r\n";
            cacheControl = cacheControl || h.first.compare("Cache-Control", Qt::CaseInsensitive) == 0;
        }
        if (!cacheControl)
            response += "Cache-Control: no-store\r\n";
        response += "Connection: close\r\n\r\n" + it->body;
    }
    QTimer::singleShot(it == m_pages.constEnd() ? 0 : it->delayMs, socket, [socket, response] {
        socket->write(response);
        socket->disconnectFromHost();
    });
}
