#pragma once

#include <QtPlugin>

class QWidget;
class WebBrowser;
enum class BrowserPurpose;

// What the engine module offers the program. The module is loaded at run
// time, once the first catalogue page is on the screen, so that starting the
// program never waits for the web engine's libraries.
class BrowserEngine
{
public:
    virtual ~BrowserEngine() = default;

    // A browser backed by the engine, parented to `parent`, made for `purpose`.
    virtual WebBrowser *createBrowser(QWidget *parent, BrowserPurpose purpose) = 0;
    // Starts the engine itself (its context and helper processes) ahead of
    // the first web view, so the view appears without that wait.
    virtual void warmUp() = 0;
};

#define BrowserEngine_iid "io.example.mirelka.BrowserEngine/2"
Q_DECLARE_INTERFACE(BrowserEngine, BrowserEngine_iid)
