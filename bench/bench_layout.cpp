// One window layout with 30 web tabs open: ResizeFormaM placing the strip,
// the viewport, the scroll bar, 31 tabs and 31 browsers.
//
//   QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=offscreen build/bench/bench_layout [runs]
//
// The browsers are the engine's, each tab shown once so that its web view
// exists (hidden now, but the active tab's); their pages go to a closed
// loopback port. Each run
// resizes the client area by one pixel, alternately wider and narrower, so
// every control really moves; the figure is the time of that resize, which is
// the layout procedure run from the window's resize event. The bare call of
// ResizeFormaM on an unchanged size is printed beside it.

#include "app/Declare.h"
#include "app/MainM.h"
#include "app/WebBrowser.h"
#include "mainwindow/ResizeFormaM.h"
#include "mainwindow/frmForma.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Tabs = 30;

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 2001;

    // The engine module lies beside the program.
    QCoreApplication::addLibraryPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"));
    if (!loadBrowserEngine())
        return 1;
    StartWith(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/Data/"));
    auto &f = frmForma::instance();
    for (int i = 1; i <= Tabs; ++i) {
        NewPanelM(QStringLiteral("Мультфильм %1").arg(i), QStringLiteral("http://127.0.0.1:9/mults/?id=%1").arg(i));
        QElapsedTimer wait;
        wait.start();
        while (!f.WebRazdel.value(decl().PanelCount)->findChild<QWebEngineView *>() && wait.elapsed() < 30000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    QCoreApplication::processEvents();
    if (f.findChildren<QWebEngineView *>().size() < Tabs) {
        std::fprintf(stderr, "only %lld web views\n", qlonglong(f.findChildren<QWebEngineView *>().size()));
        return 1;
    }

    const QSize base = f.client->size();
    int placed = 0;
    for (int i = 0; i <= decl().PanelCount; ++i)
        placed += isLivePanel(i) && f.usrPanel1.value(i) && f.WebRazdel.value(i);
    if (decl().OpenPanels != Tabs || placed != Tabs + 1) {
        std::fprintf(stderr, "expected %d web tabs, have %d (%d placed)\n", Tabs, decl().OpenPanels, placed);
        return 1;
    }

    QList<double> resized, bare;
    for (int i = 0; i < runs; ++i) {
        const QSize size = base + (i % 2 ? QSize(0, 0) : QSize(1, 1));
        QElapsedTimer t;
        t.start();
        f.client->resize(size); // the window's resize event runs ResizeFormaM
        resized.append(t.nsecsElapsed() / 1e3);
        if (f.client->size() != size || decl().FormWidth != size.width()) {
            std::fprintf(stderr, "the layout did not follow the resize\n");
            return 1;
        }
        t.restart();
        ResizeFormaM();
        bare.append(t.nsecsElapsed() / 1e3);
    }
    const double layoutUs = median(resized);
    const double bareUs = median(bare);
    std::printf("%d web tabs, median of %d runs\n", Tabs, runs);
    std::printf("%-52s %10.1f us\n", "resize by one pixel, laid out by ResizeFormaM", layoutUs);
    std::printf("%-52s %10.1f us\n", "ResizeFormaM on an unchanged size", bareUs);
    std::printf("RESULT layout_ms %.4f\n", layoutUs / 1000.0);
    return 0;
}
