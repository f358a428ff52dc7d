// Memory of the program with its web engine, in a real X server:
//
//   idle     the real build/bin/mirelka after start, its advertising strip
//            loaded, against a bare Qt program with one QWebEngineView
//            showing one page;
//   tabs     each further web tab, the average over ten cartoon tabs,
//            each opened by a click on the catalogue's tab and one on an
//            entry of section 1.
//
//   QTWEBENGINE_DISABLE_SANDBOX=1 xvfb-run -a build/bench/bench_memory
//
// Memory is the proportional set size (PSS, /proc/<pid>/smaps_rollup) of the
// process and every process below it (the engine's zygotes, renderers and
// helpers), read once it has settled: two readings a second apart within
// 1 % of each other.
//
// The idle figure runs the real executable as a child, as a user starts it.
// The tab figure runs the program's own start-up (StartWith) in a child of
// this launcher and clicks the entries on its page, waiting for each page's
// title.
//
// Every web address goes to a loopback server in the launcher: the engine's
// proxy switch routes the program's made-up hosts to it, so nothing leaves
// the machine.

#include "LoopbackServer.h"
#include "TestSupport.h"

#include "app/Declare.h"
#include "app/MainM.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "pageview/PictureBox.h"
#include "catalogue/OpenMultM.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"
#include "web/AdKey.h"
#include "web/Sites.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include "EngineProcesses.h"

#include <cstdio>
#include <functional>

namespace {

constexpr int TabCount = 10;

// PSS of a process and all its descendants, and how many processes that is.
QPair<qint64, int> treePssKiB(qint64 root)
{
    QMultiHash<qint64, qint64> children;
    const QHash<QString, QString> parentOf = EngineProcesses::parents();
    for (auto it = parentOf.cbegin(); it != parentOf.cend(); ++it)
        children.insert(it.value().toLongLong(), it.key().toLongLong());
    qint64 total = 0;
    int count = 0;
    QList<qint64> queue{root};
    while (!queue.isEmpty()) {
        const qint64 pid = queue.takeFirst();
        total += EngineProcesses::pssKiB(QString::number(pid));
        ++count;
        queue.append(children.values(pid));
    }
    return {total, count};
}

// Serves events while waiting, so a server in this process keeps answering.
void serveFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool serveUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        serveFor(50);
    }
    return true;
}

// Reads the tree's PSS until two readings a second apart agree within 1 %.
QPair<qint64, int> settledPss(qint64 root)
{
    QPair<qint64, int> last = treePssKiB(root);
    for (int i = 0; i < 20; ++i) {
        serveFor(1000);
        const QPair<qint64, int> now = treePssKiB(root);
        const bool settled = now.second == last.second && qAbs(now.first - last.first) * 100 <= last.first;
        last = now;
        if (settled)
            break;
    }
    return last;
}

QByteArray page(const QString &title, const QString &body)
{
    return QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title></head>"
                          "<body><h1>%1</h1><p>%2</p><p><a href=\"/other.html\">Ссылка</a></p></body></html>")
        .arg(title, body)
        .toUtf8();
}

void servePages(LoopbackServer &server)
{
    const QString maker = QString::fromLatin1(DefaultMakerSite);
    for (int n = 0; n < 10; ++n)
        server.setPage(maker + QStringLiteral("/reklama/%1.html").arg(n),
                       page(TitleKeyFor(n), QStringLiteral("Реклама %1").arg(n)));
    // The first entries of section 1, the ones the tabs are opened for.
    LoadSection(1);
    for (int k = 1; k <= TabCount; ++k)
        server.setPage(QString::fromLatin1(DefaultCartoonSite) + QStringLiteral("/mults/?id=") + decl().MultTable[1][k].Id,
                       page(QStringLiteral("Мультфильм %1").arg(k), QStringLiteral("Страница мультфильма.")));
    server.setPage(QStringLiteral("/bare.html"), page(QStringLiteral("Bare"), QStringLiteral("One page.")));
}

QProcessEnvironment childEnvironment(const LoopbackServer &server)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
               QStringLiteral("--disable-gpu --disable-background-networking --disable-component-update "
                              "--proxy-server=http://127.0.0.1:%1")
                   .arg(server.serverPort()));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
}

// The bare program: one view, one page; says "ready" once the page is in.
int bareChild(int argc, char *argv[], const QString &url)
{
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(800, 600);
    QObject::connect(&view, &QWebEngineView::loadFinished, &app, [](bool ok) {
        std::printf("ready %d\n", ok ? 1 : 0);
        std::fflush(stdout);
    });
    view.load(QUrl(url));
    view.show();
    return QApplication::exec();
}

// The program's start-up, then ten web tabs; prints the tree's PSS before
// and after.
int tabsChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Mirelka online"));
    // The engine module lies beside the program.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
    StartWith(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/"));
    const qint64 self = QCoreApplication::applicationPid();

    QTimer::singleShot(0, &app, [self] {
        // Idle after start: the strip's page has had time to come in.
        serveFor(3000);
        const QPair<qint64, int> before = settledPss(self);
        std::printf("start: %lld KiB in %d processes\n", before.first, before.second);
        QElapsedTimer clock;
        clock.start();
        auto &f = frmForma::instance();
        for (int k = 1; k <= TabCount; ++k) {
            // Back on the catalogue with a click on its tab, then a click on
            // entry k, the pointer moved there first as a hand would.
            QTest::mouseClick(f.usrPanel1.value(0), Qt::LeftButton, {}, f.usrPanel1.value(0)->rect().center());
            const int link = TestSupport::entryLink(k);
            const QPoint at = TestSupport::linkCentre(decl().LinkBoxes.value(link));
            // The page is under the pointer again once the last tab's view
            // has gone from over it.
            serveUntil([&f, at] { return f.childAt(f.picText->mapTo(&f, at)) == f.picText; }, 10000);
            QTest::mouseMove(f.picText, at);
            serveUntil([link] { return decl().HoverLink == link; }, 10000);
            QTest::mouseClick(f.picText, Qt::LeftButton, {}, at);
            const QString title = QStringLiteral("Мультфильм %1").arg(k);
            WebBrowser *web = f.WebRazdel.value(decl().PanelCount);
            bool titled = false;
            if (web)
                QObject::connect(web, &WebBrowser::titleChange, web, [&titled, title](const QString &t) {
                    titled = titled || t == title;
                });
            if (!web || !serveUntil([&titled] { return titled; }, 30000)) {
                std::printf("tab %d: page not shown\n", k);
                QCoreApplication::exit(1);
                return;
            }
        }
        std::printf("%d tabs loaded after %lld ms\n", TabCount, clock.elapsed());
        const QPair<qint64, int> after = settledPss(self);
        std::printf("after %d tabs: %lld KiB in %d processes\n", TabCount, after.first, after.second);
        std::printf("RESULT tab_mb %.2f\n", (after.first - before.first) * 1.024e-3 / TabCount);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    return QApplication::exec();
}

// Starts a child, waits until it is ready, reads its settled memory, ends it.
qint64 idleMemory(LoopbackServer &server, const QString &label, const QString &program, const QStringList &args,
                  const std::function<bool(QProcess &)> &ready)
{
    QProcess child;
    child.setProcessEnvironment(childEnvironment(server));
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(program, args);
    if (!child.waitForStarted(10000)) {
        std::printf("%s: could not start %s\n", qPrintable(label), qPrintable(program));
        return 0;
    }
    QPair<qint64, int> pss{0, 0};
    if (serveUntil([&] { return child.state() != QProcess::Running || ready(child); }, 60000)
        && child.state() == QProcess::Running) {
        pss = settledPss(child.processId());
        std::printf("%-40s %8lld KiB in %d processes\n", qPrintable(label), pss.first, pss.second);
    } else {
        std::printf("%s: never became ready\n", qPrintable(label));
    }
    child.terminate();
    if (!child.waitForFinished(5000))
        child.kill();
    child.waitForFinished(2000);
    return pss.first;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3 && QByteArray(argv[1]) == "--child") {
        if (QByteArray(argv[2]) == "bare" && argc >= 4)
            return bareChild(argc, argv, QString::fromLocal8Bit(argv[3]));
        if (QByteArray(argv[2]) == "tabs")
            return tabsChild(argc, argv);
        return 2;
    }

    QCoreApplication app(argc, argv);
    decl().DataPath = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/");
    LoopbackServer server;
    servePages(server);
    const QString self = QCoreApplication::applicationFilePath();
    const QString mirelka = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/mirelka");

    const qint64 bare = idleMemory(server, QStringLiteral("bare QWebEngineView, one page"), self,
                                   {QStringLiteral("--child"), QStringLiteral("bare"), server.url(QStringLiteral("/bare.html"))},
                                   [](QProcess &p) { return p.readAllStandardOutput().contains("ready"); });

    // The program is idle once its strip has asked for its page and the
    // window is on screen.
    const qsizetype asked = server.requests.size();
    const qint64 program = idleMemory(server, QStringLiteral("Mirelka online, idle after start"), mirelka, {},
                                      [&](QProcess &) {
                                          for (qsizetype i = asked; i < server.requests.size(); ++i) {
                                              if (server.requests[i].contains(QLatin1String("/reklama/")))
                                                  return true;
                                          }
                                          return false;
                                      });
    // In MB of 1,000,000 bytes, the unit of the target.
    std::printf("RESULT idle_bare_mb %.1f\nRESULT idle_program_mb %.1f\n", bare * 1.024e-3, program * 1.024e-3);

    QProcess tabs;
    tabs.setProcessEnvironment(childEnvironment(server));
    tabs.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tabs.start(self, {QStringLiteral("--child"), QStringLiteral("tabs")});
    QByteArray out;
    serveUntil([&] {
        out += tabs.readAllStandardOutput();
        return tabs.state() == QProcess::NotRunning;
    }, 180000);
    out += tabs.readAllStandardOutput();
    if (tabs.state() != QProcess::NotRunning)
        tabs.kill();
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
