#include "engine/EngineModule.h"

#include "engine/BrowserProfile.h"
#include "engine/EngineBrowser.h"

#include <QAccessible>
#include <QByteArray>
#include <QQuickWindow>

WebBrowser *EngineModule::createBrowser(QWidget *parent, BrowserPurpose purpose)
{
    auto *browser = new EngineBrowser(parent);
    if (purpose == BrowserPurpose::AdStrip)
        browser->useStripProfile();
    return browser;
}

EngineModule::EngineModule()
{
    // Web views composed by Qt Quick's own painter, not through OpenGL: a
    // window showing an OpenGL-composed view must have an OpenGL surface,
    // and Qt builds the window anew for the first one (the window blinks and
    // loses the keyboard and the pointer), while making the window with such
    // a surface from the start loads the OpenGL driver before the first page.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Every tab of one web site shares one renderer process: a further
    // cartoon tab then costs its page, not a process. The engine reads its
    // switches when it starts, always after the module is loaded.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--process-per-site")) {
        flags += " --process-per-site";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
    // Web pages show their content to assistive technology only when the
    // renderers build their accessibility tree, which costs memory: only
    // when a screen reader or the like is listening.
    if (QAccessible::isActive() && !flags.contains("--force-renderer-accessibility")) {
        flags += " --force-renderer-accessibility";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags.trimmed());
    }
}

void EngineModule::warmUp()
{
    BrowserProfile::shared();
}
