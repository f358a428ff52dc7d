#pragma once

// A small HTTP server on 127.0.0.1 for tests: serves the pages it is given,
// answers 404 to the rest, and records every request. It also answers
// requests in absolute form ("GET http://host/path HTTP/1.1"), so the engine
// can use it as its proxy and reach made-up hosts through it.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
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

    explicit LoopbackServer(QObject *parent = nullptr);

    // http://127.0.0.1:PORT
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }
    QString url(const QString &path) const { return base() + path; }

    // Serves a page at a path ("/a.html"), or at a whole address for proxy
    // requests ("http://mults.example/mults/?id=7").
    void setPage(const QString &pathOrUrl, const QByteArray &body,
                 const QByteArray &contentType = "text/html; charset=utf-8");
    // A page with headers of its own; a Cache-Control header among them
    // replaces the "no-store" every other page is served with.
    void setPage(const QString &pathOrUrl, const Page &page);

    // Request targets as received: "/a.html", or "http://host/path" by proxy.
    QStringList requests;
    // Raw request heads, in the same order.
    QList<QByteArray> requestHeads;

    int countOf(const QString &target) const { return int(requests.count(target)); }

private:
    void serve(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QString &target);

    QHash<QString, Page> m_pages;
};
