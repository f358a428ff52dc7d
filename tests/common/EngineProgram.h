#pragma once

// The real main window with the real engine, made in this process: the
// browser factory back to the engine, start-up run on a catalogue folder,
// both web sites pointed at a loopback server. Also the watchers an engine
// test needs: windows that come up, and a clock that tells whether the event
// loop keeps turning.

#include "app/Declare.h"
#include "app/MainM.h"
#include "app/WebBrowser.h"
#include "mainwindow/frmForma.h"
#include "web/Sites.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

namespace EngineProgram {

constexpr int EngineTimeout = 30000;

// The engine's flags for a test run, set before the application object is
// made: whatever the engine would fetch from any host but the loopback
// server goes to a closed local port instead of the network.
inline void closeTheNetwork()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --proxy-server=http://127.0.0.1:9";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

// Where the program looks for the engine module, this test's build folder's
// program folder among them (the module lies beside the program).
inline void findEngineBesideProgram()
{
    QCoreApplication::addLibraryPath(qEnvironmentVariable("MIRELKA_BIN_DIR"));
}

// Engine browsers from now on, without a start-up to load the module.
inline bool loadEngine()
{
    findEngineBesideProgram();
    setBrowserFactory({});
    return loadBrowserEngine();
}

// A fresh start of the program with engine browsers, the sites at `site`.
inline void start(const QString &dataPath, const QString &site)
{
    findEngineBesideProgram();
    frmForma::destroyInstance();
    setBrowserFactory({});
    setCartoonSite(site);
    setMakerSite(site);
    decl().reset();
    StartWith(dataPath);
}

// The web view of a browser, once its engine is up.
inline QWebEngineView *viewOf(WebBrowser *browser)
{
    // Browsers made before the engine module was loaded hold the engine's
    // browser as a child.
    return browser ? browser->findChild<QWebEngineView *>() : nullptr;
}

inline QString titleOf(WebBrowser *browser)
{
    QWebEngineView *view = viewOf(browser);
    return view ? view->title() : QString();
}

// Top-level widgets on screen other than the main window.
inline QList<QWidget *> strayWindows()
{
    QList<QWidget *> shown;
    const auto widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets) {
        if (w->isVisible() && !(frmForma::exists() && w == &frmForma::instance()))
            shown.append(w);
    }
    return shown;
}

} // namespace EngineProgram

// Closes and counts any window other than the main one that comes up, so a
// program that does show one fails the test instead of waiting in it.
class WindowWatch : public QObject
{
public:
    explicit WindowWatch(QObject *parent = nullptr) : QObject(parent)
    {
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            const auto shown = EngineProgram::strayWindows();
            for (QWidget *w : shown) {
                seen.append(QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ')
                            + w->windowTitle());
                w->close();
            }
        });
        timer->start(50);
    }
    QStringList seen;
};

// A 50 ms timer and the longest time between two of its ticks: a program
// that stops turning its event loop shows a long gap.
class TickGap : public QObject
{
public:
    explicit TickGap(QObject *parent = nullptr) : QObject(parent)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(50);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            longest = std::max(longest, m_clock.restart());
        });
    }
    void start()
    {
        longest = 0;
        m_clock.start();
        m_timer.start();
    }
    // Also counts the time since the last tick.
    qint64 stop()
    {
        m_timer.stop();
        longest = std::max(longest, m_clock.elapsed());
        return longest;
    }
    qint64 longest = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};
