// Memory of the embedded browsers: shows N engine browsers side by side,
// each with a small page, and prints the proportional set size (PSS) of the
// program and of every helper process it started (renderers, zygotes).
//
//   export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
//   xvfb-run -a build/bench/bench_browsers 10
//
// (QT_QPA_PLATFORM=offscreen works too.) Run it once per count: the engine
// keeps its state for the life of the process. A count of 0 makes one
// browser that is never shown, as the catalogue tab's, for the baseline.

#include "engine/EngineBrowser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QTimer>
#include <QWebEngineView>

#include "EngineProcesses.h"

#include <cstdio>

namespace {

using EngineProcesses::pssKiB;

QString commandOf(const QString &pid)
{
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(file.readAll().split('\0').value(0)).section(QLatin1Char('/'), -1);
}

void report(int count)
{
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QHash<QString, QString> parentOf = EngineProcesses::parents();
    const QStringList pids = parentOf.keys();
    qint64 total = pssKiB(self);
    std::printf("browsers %d\n  program             %8lld KiB\n", count, pssKiB(self));
    int helpers = 0;
    for (const QString &pid : pids) {
        // Children and grandchildren: the engine forks renderers from its zygote.
        const QString parent = parentOf.value(pid);
        const int depth = parent == self ? 1 : parentOf.value(parent) == self ? 2 : 0;
        if (depth == 0)
            continue;
        const qint64 pss = pssKiB(pid);
        total += pss;
        ++helpers;
        std::printf("  %s %-16s %8lld KiB\n", depth == 1 ? "zygote  " : "renderer", qPrintable(commandOf(pid)), pss);
    }
    std::printf("  total (%d helpers)   %8lld KiB = %.1f MiB\n", helpers, total, total / 1024.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? qMax(0, QString::fromLocal8Bit(argv[1]).toInt()) : 1;

    QWidget window;
    auto *grid = new QGridLayout(&window);
    int titled = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i) {
        auto *browser = new EngineBrowser(&window);
        browser->setMinimumSize(200, 120);
        browser->setSilent(true);
        QObject::connect(browser, &WebBrowser::titleChange, &app, [&, i](const QString &title) {
            if (title != QStringLiteral("Page %1").arg(i))
                return;
            if (++titled == count) {
                std::printf("all %d pages shown after %lld ms\n", count, clock.elapsed());
                // Let the renderers settle before reading their memory.
                QTimer::singleShot(2000, &app, [count] {
                    report(count);
                    QCoreApplication::quit();
                });
            }
        });
        browser->navigate(QStringLiteral("about:<html><head><title>Page %1</title></head>"
                                         "<body><p>Мультфильм %1</p><a href=\"#\">link</a></body></html>")
                              .arg(i));
        grid->addWidget(browser, i / 5, i % 5);
    }
    if (count == 0) {
        auto *hidden = new EngineBrowser(&window);
        hidden->setVisible(false);
        hidden->setSilent(true);
        hidden->navigate(QStringLiteral("about:<html><body></body></html>"));
        QTimer::singleShot(2000, &app, [] {
            report(0);
            QCoreApplication::quit();
        });
    }
    window.show();
    QTimer::singleShot(60000, &app, [] {
        std::printf("timed out\n");
        QCoreApplication::exit(1);
    });
    return QApplication::exec();
}
