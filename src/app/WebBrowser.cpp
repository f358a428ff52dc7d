#include "app/WebBrowser.h"

#include "app/BrowserEngine.h"

#include <QApplication>
#include <QFileInfo>
#include <QOpenGLContext>
#include <QPluginLoader>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <cstdio>

// Qt's setter of the context every OpenGL context of the application shares
// with (the engine declares it the same way).
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace {

BrowserFactory &installedFactory()
{
    static BrowserFactory factory;
    return factory;
}

const QString ModuleFileName = QStringLiteral("mirelka-engine.so");

// A browser made before the engine module was loaded. It keeps the last
// page asked of it and its silent mode, and once the module is there holds
// the engine's browser as its only child, the same size, passing the
// engine's events on as its own.
class LateBrowser final : public WebBrowser
{
public:
    LateBrowser(QWidget *parent, BrowserPurpose purpose) : WebBrowser(parent), m_purpose(purpose)
    {
        waiting().append(this);
        // Made after the module failed to load: no page will ever come. Said
        // once the maker has had a turn to listen.
        if (engineMissing())
            QTimer::singleShot(0, this, [this] { emit pageLost(PageLoss::NoEngine); });
    }

    BrowserPurpose purpose() const { return m_purpose; }

    void setSilent(bool silent) override
    {
        m_silent = silent;
        if (m_inner)
            m_inner->setSilent(silent);
    }
    bool isSilent() const override { return m_silent; }

    void navigate(const QString &address, int flags) override
    {
        if (m_inner)
            m_inner->navigate(address, flags);
        else
            m_pending.keep(address, flags);
    }

    void pageCommand(PageCommand command) override
    {
        if (m_inner)
            m_inner->pageCommand(command);
    }

    void reloadPage() override
    {
        if (m_inner)
            m_inner->reloadPage();
    }

    void adopt(WebBrowser *inner)
    {
        m_inner = inner;
        inner->setSilent(m_silent);
        inner->setGeometry(rect());
        const bool hadFocus = QApplication::focusWidget() == this;
        setFocusProxy(inner);
        if (hadFocus)
            inner->setFocus();
        connect(inner, &WebBrowser::statusTextChange, this, &WebBrowser::statusTextChange);
        connect(inner, &WebBrowser::userPressed, this, &WebBrowser::userPressed);
        connect(inner, &WebBrowser::titleChange, this, &WebBrowser::titleChange);
        connect(inner, &WebBrowser::beforeNavigate2, this, &WebBrowser::beforeNavigate2);
        connect(inner, &WebBrowser::newWindow2, this, &WebBrowser::newWindow2);
        connect(inner, &WebBrowser::rendererEnded, this, &WebBrowser::rendererEnded);
        connect(inner, &WebBrowser::fullScreenRequested, this, &WebBrowser::fullScreenRequested);
        connect(inner, &WebBrowser::pageLost, this, &WebBrowser::pageLost);
        m_pending.runIn(inner);
        inner->show();
    }

    static bool engineMissing();

    static QList<QPointer<LateBrowser>> &waiting()
    {
        static QList<QPointer<LateBrowser>> browsers;
        return browsers;
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        WebBrowser::resizeEvent(event);
        if (m_inner)
            m_inner->setGeometry(rect());
    }

private:
    const BrowserPurpose m_purpose;
    QPointer<WebBrowser> m_inner;
    bool m_silent = false;
    PendingNavigation m_pending;
};

BrowserEngine *g_engine = nullptr;
bool g_loadTried = false;

bool LateBrowser::engineMissing()
{
    return g_loadTried && !g_engine;
}

// The engine hands its pictures to the window through OpenGL contexts shared
// with one the application holds, and checks for that context as its library
// loads. The application is not asked to make it at start (that loads the
// OpenGL driver, a long wait before the first page): it is made here, just
// before the module, the way the application itself would have made it.
void prepareSharedOpenGL()
{
    if (QOpenGLContext::globalShareContext())
        return;
    auto *context = new QOpenGLContext(qApp);
    context->create();
    qt_gl_set_global_share_context(context);
}

} // namespace

WebBrowser *createBrowser(QWidget *parent, BrowserPurpose purpose)
{
    if (const auto &factory = installedFactory())
        return factory(parent);
    if (g_engine)
        return g_engine->createBrowser(parent, purpose);
    return new LateBrowser(parent, purpose);
}

void setBrowserFactory(BrowserFactory factory)
{
    installedFactory() = std::move(factory);
}

bool loadBrowserEngine()
{
    if (!g_loadTried) {
        g_loadTried = true;
        QString path;
        QString error = QStringLiteral("no %1 in %2").arg(ModuleFileName, QCoreApplication::libraryPaths().join(u", "));
        const QStringList folders = QCoreApplication::libraryPaths();
        for (const QString &folder : folders) {
            const QString candidate = folder + QLatin1Char('/') + ModuleFileName;
            if (QFileInfo::exists(candidate)) {
                path = candidate;
                break;
            }
        }
        if (!path.isEmpty()) {
            prepareSharedOpenGL();
            // The loader belongs to the application: the module stays loaded
            // until the program ends, as its browsers and profile do.
            auto *loader = new QPluginLoader(path, qApp);
            g_engine = qobject_cast<BrowserEngine *>(loader->instance());
            if (!g_engine)
                error = loader->errorString();
        }
        if (!g_engine) {
            std::fprintf(stderr, "mirelka: web pages are not shown: the web engine module could not be loaded (%s)\n",
                         qPrintable(error));
            for (const QPointer<LateBrowser> &browser : std::as_const(LateBrowser::waiting())) {
                if (browser)
                    emit browser->pageLost(WebBrowser::PageLoss::NoEngine);
            }
        }
    }
    if (!g_engine)
        return false;
    const auto late = std::exchange(LateBrowser::waiting(), {});
    for (const QPointer<LateBrowser> &browser : late) {
        if (browser)
            browser->adopt(g_engine->createBrowser(browser, browser->purpose()));
    }
    return true;
}

void loadBrowserEngineAfterFirstFrame(QWidget *window)
{
    // Nothing to load for tests with a browser double in the engine's place.
    if (installedFactory() || g_engine)
        return;
    QPointer<QWidget> target = window;
    auto *poll = new QTimer(qApp);
    poll->setInterval(2);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, target, waited = 0]() mutable {
        // The window may never be exposed (started minimised, or on another
        // desktop): after a while the engine comes anyway.
        QWindow *handle = target ? target->windowHandle() : nullptr;
        if (target && (!handle || !handle->isExposed()) && ++waited < 1000)
            return;
        poll->stop();
        poll->deleteLater();
        // Painting now, not on the next update request, puts the page on
        // the screen before loading the module blocks the thread.
        if (target && handle && handle->isExposed())
            target->repaint();
        // The driver, the module and the engine each in a turn of its own.
        QTimer::singleShot(0, qApp, [] {
            prepareSharedOpenGL();
            QTimer::singleShot(0, qApp, [] {
                if (loadBrowserEngine())
                    QTimer::singleShot(0, qApp, [] { g_engine->warmUp(); });
            });
        });
    });
    poll->start();
}
