// Start-up as the user sees it: from the moment a program is started to the
// moment its first catalogue page is complete on the X screen, for the
// program and for a bare Qt Widgets program drawing the same page at the same
// place (bare_widgets), in alternating pairs.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" bench/bench_startup [pairs]
//
// The page counts as on the screen when the link-blue pixels of its section
// row and of its last visible entry lines are all there, read from the
// screen with Xlib every 2 ms from the moment the process is started. Which
// pixels those are is learnt once per program from a settled screen before
// the timed runs. The program is the built executable (bin/mirelka) as a
// user starts it; the engine's network goes to a closed loopback port.

#include "FakeBrowser.h"

#include "app/Declare.h"
#include "app/MainM.h"
#include "mainwindow/frmForma.h"
#include "pageview/PictureBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>

namespace {

bool isLinkBlue(unsigned long pixel)
{
    const int r = int((pixel >> 16) & 0xff), g = int((pixel >> 8) & 0xff), b = int(pixel & 0xff);
    return b > 200 && r < 80 && g < 80;
}

// Blue pixels expected in one band of screen rows.
struct Band
{
    QRect box;
    QList<QPoint> blue; // in screen coordinates
};

class ScreenReader
{
public:
    ScreenReader() : m_display(XOpenDisplay(nullptr)) { }
    ~ScreenReader()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool ok() const { return m_display != nullptr; }

    // Share of the band's blue pixels that are blue on the screen now.
    double present(const Band &band) const
    {
        XImage *image = grab(band.box);
        if (!image)
            return 0;
        int found = 0;
        for (const QPoint &p : band.blue)
            found += isLinkBlue(XGetPixel(image, p.x() - band.box.x(), p.y() - band.box.y()));
        XDestroyImage(image);
        return band.blue.isEmpty() ? 0 : double(found) / band.blue.size();
    }

    // The section row (the first rows with blue, two lines of numbers) and
    // the last visible entry lines (the last rows with blue) of a page on
    // the screen now.
    QList<Band> learn(const QRect &area) const
    {
        XImage *image = grab(area);
        QList<int> rows;
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                if (isLinkBlue(XGetPixel(image, x, y))) {
                    rows.append(y);
                    break;
                }
        QList<Band> bands;
        if (rows.isEmpty()) {
            XDestroyImage(image);
            return bands;
        }
        const int top = rows.first(), bottom = rows.last();
        for (const auto &[from, to] : {std::pair{top, top + 45}, std::pair{bottom - 40, bottom}}) {
            Band band;
            band.box = QRect(area.x(), area.y() + from, area.width(), to - from + 1);
            for (int y = from; y <= to; ++y)
                for (int x = 0; x < area.width(); ++x)
                    if (isLinkBlue(XGetPixel(image, x, y)))
                        band.blue.append(QPoint(area.x() + x, area.y() + y));
            bands.append(band);
        }
        XDestroyImage(image);
        return bands;
    }

private:
    XImage *grab(const QRect &r) const
    {
        return XGetImage(m_display, DefaultRootWindow(m_display), r.x(), r.y(), unsigned(r.width()),
                         unsigned(r.height()), AllPlanes, ZPixmap);
    }
    Display *m_display;
};

struct Program
{
    QString name;
    QString path;
    QStringList arguments;
    QList<Band> bands;
    QList<double> ms;
};

// Starts the program and returns the milliseconds until every band is on
// the screen (-1 if not within 20 s); the program is then ended.
double timeOnce(const ScreenReader &screen, const Program &program)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    p.start(program.path, program.arguments);
    double result = -1;
    while (clock.elapsed() < 20000) {
        const bool full = std::all_of(program.bands.cbegin(), program.bands.cend(),
                                      [&](const Band &b) { return screen.present(b) >= 0.95; });
        if (full) {
            result = clock.nsecsElapsed() / 1e6;
            break;
        }
        QThread::usleep(2000);
    }
    p.kill();
    p.waitForFinished(10000);
    // The next run starts on a screen without the page.
    QElapsedTimer gone;
    gone.start();
    while (gone.elapsed() < 5000
           && std::any_of(program.bands.cbegin(), program.bands.cend(),
                          [&](const Band &b) { return screen.present(b) > 0.05; }))
        QThread::usleep(2000);
    return result;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

// What the bare program draws: the window's sizes and page 1's texts, taken
// from the program's own start-up made here offscreen with browser doubles.
bool describe(const QString &dataPath, const QString &path)
{
    FakeBrowser::install();
    StartWith(dataPath);
    auto &f = frmForma::instance();
    auto &d = decl();
    QFile out(path);
    if (d.MultCount[1] == 0 || !out.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    const QRect frame = f.picBox->geometry();
    const QRect page(f.picBoxInner->pos() + f.picText->pos(), QSize(d.PageWidth, f.picBoxInner->height()));
    QString text = QStringLiteral("client %1 %2\nframe %3 %4 %5 %6\npage %7 %8 %9 %10\nsection 1\nheading Mirelka online\n")
                       .arg(f.client->width())
                       .arg(f.client->height())
                       .arg(frame.x())
                       .arg(frame.y())
                       .arg(frame.width())
                       .arg(frame.height())
                       .arg(page.x())
                       .arg(page.y())
                       .arg(page.width())
                       .arg(page.height());
    for (int k = 1; k <= d.MultCount[1]; ++k) {
        const MultEntry &e = d.MultTable[1][k];
        text += QStringLiteral("entry %1) %2 %3\n").arg(k).arg(e.Title, e.StudioYear);
    }
    out.write(text.toUtf8());
    frmForma::destroyInstance();
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // This process lays the page out offscreen; the programs it times use
    // the X server.
    const QByteArray display = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (display.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    else
        qputenv("QT_QPA_PLATFORM", display);
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    const int pairs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const QString here = QCoreApplication::applicationDirPath();
    const QString bin = here + QStringLiteral("/../bin");
    QTemporaryDir temp;
    const QString description = temp.filePath(QStringLiteral("page.txt"));
    if (!describe(bin + QStringLiteral("/Data/"), description)) {
        std::fprintf(stderr, "bench_startup: no catalogue in %s\n", qPrintable(bin));
        return 1;
    }

    ScreenReader screen;
    if (!screen.ok()) {
        std::fprintf(stderr, "bench_startup: no X display\n");
        return 1;
    }
    Program bare{QStringLiteral("bare"), here + QStringLiteral("/bare_widgets"), {description}, {}, {}};
    Program ours{QStringLiteral("program"), bin + QStringLiteral("/mirelka"), {}, {}, {}};

    // Learn each page's blue pixels from a settled screen.
    for (Program *program : {&bare, &ours}) {
        QProcess p;
        p.start(program->path, program->arguments);
        QThread::sleep(4);
        program->bands = screen.learn(QRect(0, 0, 1000, 800));
        p.kill();
        p.waitForFinished(10000);
        QThread::msleep(500);
        if (program->bands.size() != 2) {
            std::fprintf(stderr, "bench_startup: %s showed no page\n", qPrintable(program->name));
            return 1;
        }
    }

    QList<double> ratios;
    for (int i = 0; i < pairs; ++i) {
        // Alternate which program goes first, so neither always finds the
        // caches warmed by the other.
        const bool bareFirst = i % 2 == 0;
        const double a = timeOnce(screen, bareFirst ? bare : ours);
        const double b = timeOnce(screen, bareFirst ? ours : bare);
        const double bareMs = bareFirst ? a : b, oursMs = bareFirst ? b : a;
        if (bareMs > 0 && oursMs > 0) {
            bare.ms.append(bareMs);
            ours.ms.append(oursMs);
            ratios.append(oursMs / bareMs);
        }
        std::printf("pair %d: bare %.1f ms, program %.1f ms\n", i + 1, bareMs, oursMs);
    }
    if (ratios.isEmpty())
        return 1;
    const auto [rmin, rmax] = std::minmax_element(ratios.cbegin(), ratios.cend());
    const auto [bmin, bmax] = std::minmax_element(bare.ms.cbegin(), bare.ms.cend());
    const auto [pmin, pmax] = std::minmax_element(ours.ms.cbegin(), ours.ms.cend());
    std::printf("%-52s %8s %16s\n", "first full page on the screen", "median", "range");
    std::printf("%-52s %8.1f %7.1f–%-7.1f ms\n", "bare Qt Widgets program, the same page", median(bare.ms), *bmin,
                *bmax);
    std::printf("%-52s %8.1f %7.1f–%-7.1f ms\n", "Mirelka online", median(ours.ms), *pmin, *pmax);
    std::printf("%-52s %8.2f %7.2f–%-7.2f ×\n", "ratio within a pair (target <= 1.5)", median(ratios), *rmin, *rmax);
    std::printf("RESULT startup_bare_ms %.1f\nRESULT startup_program_ms %.1f\nRESULT startup_ratio %.2f\n"
                "RESULT startup_ratio_min %.2f\nRESULT startup_ratio_max %.2f\n",
                median(bare.ms), median(ours.ms), median(ratios), *rmin, *rmax);
    return 0;
}
