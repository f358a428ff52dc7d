#pragma once

// The real main window with the real engine, made in this process: the
// browser factory back to the engine, start-up run on a catalogue folder,
// both web sites pointed at a loopback server. Also the watchers an engine
// test needs: windows that come up, and a clock that tells whether the event
// loop keeps turning.

#include "app/Declare.h"
#include "app/MainM.h"
#include "app/WebBrowser.h"
#include "engine/EngineModule.h"
#include "mainwindow/frmForma.h"
#include "web/Sites.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <functional>

namespace EngineProgram {

// How long a test waits for the engine to do one thing (a page, a renderer).
constexpr int EngineTimeout = 30000;

// The engine's flags for a test run, set before the application object is
// made: whatever the engine would fetch from any host but the loopback
// server goes to a closed local port instead of the network.
void closeTheNetwork();

// Engine browsers from now on, without a start-up to load the module: the
// module is looked for beside the program, as the program does.
bool loadEngine();

// A fresh start of the program with engine browsers, the sites at `site`.
void start(const QString &dataPath, const QString &site);

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
QList<QWidget *> strayWindows();

} // namespace EngineProgram

// Closes and lists ("class title") every window of a kind that comes up: by
// default any window other than the main one. A program that does show one
// then fails the test instead of waiting in it.
class WindowWatch : public QObject
{
public:
    using Kind = std::function<bool(QWidget *)>;
    explicit WindowWatch(QObject *parent = nullptr, Kind kind = stray);

    // Any shown top-level window but the main window.
    static bool stray(QWidget *window);
    // Dialog boxes: what a browser that is not silent would show.
    static bool dialog(QWidget *window);

    QStringList seen;
};

// A 50 ms timer and the longest time between two of its ticks: a program
// that stops turning its event loop shows a long gap.
class TickGap : public QObject
{
public:
    explicit TickGap(QObject *parent = nullptr);
    void start();
    // Also counts the time since the last tick.
    qint64 stop();
    qint64 longest = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
};

// The main() of an engine test: the network closed, the engine set up as
// the program's module sets it up when it loads (its switches and its
// graphics), the OpenGL contexts shared as the engine wants, then the test.
#define ENGINE_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        EngineProgram::closeTheNetwork();                                                          \
        EngineModule engineSetUp;                                                                  \
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);                                \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
