#pragma once

#include <QUrl>
#include <QWidget>

#include <functional>
#include <utility>

// The embedded web browser as the program uses it: silent mode, navigation
// with flags, and four events. Visibility and placement are the widget's own
// (setVisible, setGeometry). Browsers are made only through createBrowser(),
// so tests can put a recording double in the engine's place.
class WebBrowser : public QWidget
{
    Q_OBJECT

public:
    // Navigate() flag: do not read the page from the cache.
    static constexpr int NoReadFromCache = 4;

    // Who started a navigation that is about to happen.
    enum class NavigationKind {
        Program,     // navigate() called by the program
        LinkClicked, // the user followed a link in the page
        Other        // the page itself: redirects, scripts, reloads, forms
    };

    // Why a browser was left without its page.
    enum class PageLoss {
        EndedAgain,   // its process ended again right after the page was loaded again
        NotAnswering, // its page stopped answering and its process was ended
        NoEngine      // there is no web engine at all
    };

    struct NavigateRequest
    {
        QUrl url;
        NavigationKind kind = NavigationKind::Other;
        bool mainFrame = true;
        bool cancel = false;
    };

    struct NewWindowRequest
    {
        QUrl url;
        bool userInitiated = false;
        bool cancel = false;
    };

    // What the user asks of the page shown, from the window's keys.
    enum class PageCommand { Back, Forward, Reload, ZoomIn, ZoomOut, ZoomReset, LeaveFullScreen };

    explicit WebBrowser(QWidget *parent = nullptr) : QWidget(parent) { }

    // When silent, the browser shows no dialog boxes of its own.
    virtual void setSilent(bool silent) = 0;
    virtual bool isSilent() const = 0;

    // Starts loading and returns at once. The address is "about:" followed by
    // inline HTML, a local file path, or an http(s) address.
    virtual void navigate(const QString &address, int flags = 0) = 0;

    // Carries out a command on the page shown; nothing when there is no page.
    virtual void pageCommand(PageCommand command) { Q_UNUSED(command); }
    // Loads the page shown again, after the browser reported it lost.
    virtual void reloadPage() { }

signals:
    // Among its texts: the address of the link under the pointer.
    void statusTextChange(const QString &text);
    // The user pressed the left button, or Enter, in the page: what was
    // under the pointer then is what the user chose.
    void userPressed();
    void titleChange(const QString &title);
    // Before every navigation; setting request->cancel stops it.
    void beforeNavigate2(WebBrowser::NavigateRequest *request);
    // When the page asks for a new window; setting request->cancel prevents it.
    void newWindow2(WebBrowser::NewWindowRequest *request);
    // The process that showed the page ended abnormally and took the page
    // with it. The browser loads the page again (at most now and then) unless
    // a handler clears *reload.
    void rendererEnded(bool *reload);
    // The page asks to fill the whole screen (on), or gives the screen back
    // (off, also when its renderer ended). Unless a handler sets *accept,
    // the page is refused and stays in its place.
    void fullScreenRequested(bool on, bool *accept);
    // The browser is left without its page and will not bring it back by
    // itself. Unless there is no engine, reloadPage() may help.
    void pageLost(WebBrowser::PageLoss why);
};

// The last navigation asked of a browser that cannot carry it out yet (its
// engine is not there or not started). Only the last one matters: it is the
// page the browser would be showing by the time anyone can see it.
class PendingNavigation
{
public:
    void keep(const QString &address, int flags)
    {
        m_address = address;
        m_flags = flags;
        m_kept = true;
    }
    void drop()
    {
        m_kept = false;
        m_address.clear();
    }
    // Carries out the kept navigation, if any, with `browser`, once.
    void runIn(WebBrowser *browser)
    {
        if (m_kept) {
            m_kept = false;
            browser->navigate(std::exchange(m_address, QString()), m_flags);
        }
    }

private:
    QString m_address;
    int m_flags = 0;
    bool m_kept = false;
};

using BrowserFactory = std::function<WebBrowser *(QWidget *parent)>;

// What a browser is made for. The advertising strip's pages live in a web
// profile of their own, apart from the tabs' and the catalogue's.
enum class BrowserPurpose { Page, AdStrip };

// Makes a browser with the installed factory (the engine-backed one unless a
// test has installed another). Until the engine module is loaded, an
// engine-backed browser is a stand-in that keeps what it is asked and hands
// it to the engine's browser once the module is there.
WebBrowser *createBrowser(QWidget *parent, BrowserPurpose purpose = BrowserPurpose::Page);
// Installs a factory; an empty one restores the engine-backed browser.
void setBrowserFactory(BrowserFactory factory);

// Loads the engine module (mirelka-engine.so, looked for in the library
// paths, the program's own folder first) and gives every stand-in its
// engine browser. Returns whether the module is loaded; a module that cannot
// be loaded is reported once on stderr and leaves the stand-ins empty.
bool loadBrowserEngine();
// Loads the engine module once `window` has put its first frame on the
// screen, then starts the engine, each step in a turn of the event loop of
// its own so the window keeps answering.
void loadBrowserEngineAfterFirstFrame(QWidget *window);
