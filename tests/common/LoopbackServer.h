#pragma once

// A small HTTP server on 127.0.0.1 for tests: serves the pages it is given,
// answers 404 to the rest, and records every request. It also answers
// requests in absolute form ("GET http://host/path HTTP/1.1"), so the engine
// can use it as its proxy and reach made-up hosts through it.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class LoopbackServer : public QTcpServer
{
public:
    struct Page
    {
        QByteArray body;
        QByteArray contentType = "text/html; charset=utf-8";
        QList<QPair<QByteArray, QByteArray>> headers;
        // How long the answer is held back: a slow page.
        int delayMs = 0;
    };

    explicit LoopbackServer(QObject *parent = nullptr) : QTcpServer(parent)
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                serve(socket);
        });
    }

    // http://127.0.0.1:PORT
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    QString url(const QString &path) const { return base() + path; }

    // Serves a page at a path ("/a.html"), or at a whole address for proxy
    // requests ("http://mults.example/mults/?id=7").
    void setPage(const QString &pathOrUrl, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8")
    {
        m_pages.insert(pathOrUrl, Page{body, contentType, {}});
    }
    void setPage(const QString &pathOrUrl, const Page &page) { m_pages.insert(pathOrUrl, page); }

    // Request targets as received: "/a.html", or "http://host/path" by proxy.
    QStringList requests;
    // Raw request heads, in the same order.
    QList<QByteArray> requestHeads;

    int countOf(const QString &target) const { return int(requests.count(target)); }

private:
    void serve(QTcpSocket *socket)
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

    void respond(QTcpSocket *socket, const QString &target)
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
                       + QByteArray::number(it->body.size()) + "\r\nCache-Control: no-store\r\n";
            for (const auto &h : it->headers)
                response += h.first + ": " + h.second + "\r\n";
            response += "Connection: close\r\n\r\n" + it->body;
        }
        QTimer::singleShot(it == m_pages.constEnd() ? 0 : it->delayMs, socket, [socket, response] {
            socket->write(response);
            socket->disconnectFromHost();
        });
    }

    QHash<QString, Page> m_pages;
};
