// Memory and renderer processes of the real program while tabs come and go:
// the main window with engine browsers, cartoon pages served on 127.0.0.1.
// 100 tabs are opened and closed in five batches of 20 (each batch opened
// one by one, every page waited for, then all closed), and the proportional
// set size (PSS) of the program with all its engine processes is printed
// with the renderer count: at the start, with the first 20 tabs open, with
// the last 20 open, and after closing them all (also once more after the
// allocator has given the program's freed heap back to the system).
//
//   export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
//   QT_QPA_PLATFORM=offscreen build/bench/bench_tabs
//
// (xvfb-run -a build/bench/bench_tabs works too.) Nothing leaves the
// machine: the engine's proxy is a closed local port, the sites are the
// loopback server.

#include "EngineProcesses.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "app/Declare.h"
#include "engine/EngineBrowser.h"
#include "app/MainM.h"
#include "catalogue/CatalogueWriter.h"
#include "mainwindow/frmForma.h"
#include "pageview/VyborLinksM.h"
#include "tabs/TabManager.h"
#include "web/Sites.h"
#include "web/usrReklamaX.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QWebEngineView>

#include <malloc.h>

#include <cstdio>
#include <functional>

using TestSupport::entryLink;

namespace {

constexpr int Tabs = 100;
constexpr int Batch = 20;

// Serves events until the condition holds; false after the time is up.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // What the program hands to deleteLater() goes when its handler
        // returns to the event loop; this loop of our own stands in for it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
    return true;
}

QString titleOf(WebBrowser *browser)
{
    auto *engine = qobject_cast<EngineBrowser *>(browser);
    return engine && engine->view() ? engine->view()->title() : QString();
}

struct Sample
{
    const char *when;
    qint64 pssKiB;
    int renderers;
    int tabs;
};

// Memory settles a moment after pages load or go: wait for the renderer
// count to be what it should, then take the figure.
Sample sample(const char *when, int renderers)
{
    waitFor([renderers] { return EngineProcesses::rendererCount() == renderers; });
    QElapsedTimer settle;
    settle.start();
    waitFor([&settle] { return settle.elapsed() > 1500; });
    return {when, EngineProcesses::treePssKiB(), EngineProcesses::rendererCount(), decl().OpenPanels};
}

} // namespace

int main(int argc, char *argv[])
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --proxy-server=http://127.0.0.1:9");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    QTemporaryDir root;
    const QString dataPath = root.path() + QStringLiteral("/Data/");
    QDir().mkpath(dataPath);
    QList<MultEntry> entries;
    for (int k = 1; k <= Tabs; ++k)
        entries.append({QStringLiteral("1-%1").arg(k), QStringLiteral("Мультфильм 1.%1").arg(k),
                        QStringLiteral("Студия %1").arg(1960 + k % 40)});
    QString error;
    QFile section(dataPath + QStringLiteral("1.dat"));
    if (!section.open(QIODevice::WriteOnly) || section.write(CatalogueWriter::Pack(1017, entries, &error)) <= 0) {
        std::fprintf(stderr, "cannot write the catalogue: %s\n", qPrintable(error));
        return 1;
    }
    section.close();

    LoopbackServer server;
    for (int k = 1; k <= Tabs; ++k)
        server.setPage(QStringLiteral("/mults/?id=1-%1").arg(k),
                       "<html><head><meta charset='utf-8'><title>Мультфильм 1." + QByteArray::number(k)
                           + "</title></head><body><h1>Мультфильм " + QByteArray::number(k)
                           + "</h1><p>Описание, кадры и отзывы.</p></body></html>");
    for (int n = 0; n < 10; ++n)
        server.setPage(QStringLiteral("/reklama/%1.html").arg(n),
                       "<html><head><title>ad</title></head><body>ad</body></html>");
    setCartoonSite(server.base());
    setMakerSite(server.base());

    QElapsedTimer clock;
    clock.start();
    StartWith(dataPath);
    auto &forma = frmForma::instance();
    if (!waitFor([&forma] { return titleOf(forma.usrReklamaX1->WebBrowser1) == QLatin1String("ad"); })) {
        std::fprintf(stderr, "the advertisement did not load\n");
        return 1;
    }
    const int base = EngineProcesses::rendererCount();
    QList<Sample> samples{sample("before (catalogue + strip)", base)};

    qint64 openMs = 0;
    for (int first = 1; first <= Tabs; first += Batch) {
        QElapsedTimer batch;
        batch.start();
        for (int k = first; k < first + Batch; ++k) {
            VyborLinksM(entryLink(k));
            WebBrowser *web = forma.WebRazdel.value(decl().PanelCount);
            const QString title = QStringLiteral("Мультфильм 1.%1").arg(k);
            if (!waitFor([web, &title] { return titleOf(web) == title; })) {
                std::fprintf(stderr, "tab %d did not load\n", k);
                return 1;
            }
        }
        openMs += batch.elapsed();
        if (first == 1)
            samples.append(sample("20 open (first batch)", base + Batch));
        if (first + Batch > Tabs)
            samples.append(sample("20 open (last batch)", base + Batch));
        for (int i = 1; i <= decl().PanelCount; ++i) {
            if (isLivePanel(i))
                UnloadPanelM(i);
        }
        waitFor([base] { return EngineProcesses::rendererCount() == base; });
    }
    samples.append(sample("after closing all 100", base));
    // How much of that is heap the program has freed and the allocator
    // keeps for reuse: given back, the rest is what is still alive.
    malloc_trim(0);
    samples.append(sample("  same, freed heap returned", base));

    std::printf("%d tabs opened and closed in batches of %d; %.0f ms per tab opened and shown\n", Tabs, Batch,
                double(openMs) / Tabs);
    std::printf("%-28s %12s %10s %6s\n", "", "PSS total MB", "renderers", "tabs");
    for (const Sample &s : samples)
        std::printf("%-28s %12.1f %10d %6d\n", s.when, s.pssKiB / 1024.0, s.renderers, s.tabs);
    std::printf("(renderers include the advertising strip's; total run %lld s)\n", clock.elapsed() / 1000);

    frmForma::destroyInstance();
    return 0;
}
