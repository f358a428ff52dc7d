// The engine-backed browser against the real Qt WebEngine, with pages served
// on 127.0.0.1.

#include "engine/BrowserProfile.h"
#include "engine/EngineBrowser.h"

#include "EngineProgram.h"
#include "LoopbackServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <QtTest>

#include "EngineProcesses.h"

namespace {

using EngineProcesses::rendererCount;
using EngineProgram::EngineTimeout;

// Whether the browser has reported the pointer over a link: the status
// texts also hold the empty text sent when a load starts.
bool overLink(const QSignalSpy &status)
{
    for (const QVariantList &args : status) {
        if (!args.value(0).toString().isEmpty())
            return true;
    }
    return false;
}

QByteArray page(const QByteArray &title, const QByteArray &body = {})
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// A link that covers the whole page, so a pointer anywhere is over it.
QByteArray bigLink(const QByteArray &href, const QByteArray &extra = {})
{
    return "<a href=\"" + href + "\" " + extra
           + " style=\"position:fixed;left:0;top:0;width:100%;height:100%;display:block\">link</a>";
}

} // namespace

class tst_EngineBrowser : public QObject
{
    Q_OBJECT

private slots:
    void neverShownBrowserStartsNoEngine();
    void pendingNavigationRunsWhenShown();
    void navigateShowsTitle_data();
    void navigateShowsTitle();
    void cancelledNavigationLeavesPage();
    void linkHoverAndClick();
    void pageStartedNavigations_data();
    void pageStartedNavigations();
    void newWindowRefused_data();
    void newWindowRefused();
    void silentDialogs_data();
    void silentDialogs();
    void leavingPageWithUnloadHandler();
    void noReadFromCache();
    void destroyedBrowserReleasesRenderer();

    void init();
    void cleanup();

private:
    // A shown top-level browser, its engine up.
    EngineBrowser *shownBrowser(bool silent = true);
    QPoint pagePoint() const { return {100, 100}; }
    bool hover(EngineBrowser *browser, QPoint at);
    void click(EngineBrowser *browser, QPoint at);

    LoopbackServer *m_server = nullptr;
    QList<QPointer<QWidget>> m_owned;
};

void tst_EngineBrowser::init()
{
    m_server = new LoopbackServer(this);
    QVERIFY(m_server->isListening());
}

void tst_EngineBrowser::cleanup()
{
    for (const auto &w : std::as_const(m_owned))
        delete w.data();
    m_owned.clear();
    delete m_server;
    m_server = nullptr;
}

EngineBrowser *tst_EngineBrowser::shownBrowser(bool silent)
{
    auto *browser = new EngineBrowser;
    m_owned.append(browser);
    browser->setSilent(silent);
    browser->resize(400, 300);
    browser->show();
    return browser;
}

bool tst_EngineBrowser::hover(EngineBrowser *browser, QPoint at)
{
    if (!browser->view())
        return false;
    // The view's input widget is replaced with the renderer: look it up now.
    QWidget *input = browser->view()->focusProxy();
    if (!input)
        return false;
    QMouseEvent move(QEvent::MouseMove, at, input->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(input, &move);
    return true;
}

void tst_EngineBrowser::click(EngineBrowser *browser, QPoint at)
{
    QWidget *input = browser->view()->focusProxy();
    QVERIFY(input);
    QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, at);
}

// The catalogue tab's browser is made, set silent and given an empty page,
// but never shown: it must not start the engine. Runs first, before any
// other test has started it.
void tst_EngineBrowser::neverShownBrowserStartsNoEngine()
{
    QWidget host;
    auto *hidden = new EngineBrowser(&host);
    hidden->setVisible(false);
    hidden->setSilent(true);
    hidden->navigate(QStringLiteral("about:<html><body></body></html>"));
    host.resize(400, 300);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    QVERIFY(!hidden->view());
    QVERIFY(!hidden->findChild<QWebEngineView *>());
    QVERIFY(!BrowserProfile::exists());
    QCOMPARE(rendererCount(), 0);

    // A visible sibling does start the engine, with one renderer: its own.
    m_server->setPage(QStringLiteral("/a.html"), page("Shown"));
    auto *shown = new EngineBrowser(&host);
    QSignalSpy titles(shown, &WebBrowser::titleChange);
    shown->navigate(m_server->url(QStringLiteral("/a.html")));
    shown->show();
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Shown")}), EngineTimeout);
    QVERIFY(!hidden->view());
    QCOMPARE(rendererCount(), 1);
}

// Navigations and silence asked of a browser that is not shown yet are
// carried out when it is; only the last navigation is.
void tst_EngineBrowser::pendingNavigationRunsWhenShown()
{
    m_server->setPage(QStringLiteral("/first.html"), page("First"));
    m_server->setPage(QStringLiteral("/last.html"),
                      page("Last", "<script>alert('hello'); document.title = 'After alert';</script>"));
    auto *watch = new WindowWatch(this, WindowWatch::dialog);
    auto *browser = new EngineBrowser;
    m_owned.append(browser);
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QSignalSpy asked(browser, &WebBrowser::beforeNavigate2);
    browser->navigate(m_server->url(QStringLiteral("/first.html")));
    browser->setSilent(true);
    browser->navigate(m_server->url(QStringLiteral("/last.html")));
    QVERIFY(browser->isSilent());
    QCOMPARE(asked.count(), 0);

    browser->show();
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("After alert")}), EngineTimeout);
    QCOMPARE(m_server->countOf(QStringLiteral("/first.html")), 0);
    QCOMPARE(m_server->countOf(QStringLiteral("/last.html")), 1);
    QCOMPARE(watch->seen, QStringList());
    delete watch;
    // The view fills the browser.
    QCOMPARE(browser->view()->geometry(), browser->rect());
    browser->resize(333, 222);
    QCOMPARE(browser->view()->geometry(), QRect(0, 0, 333, 222));
}

void tst_EngineBrowser::navigateShowsTitle_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("inline html") << "about" << "Inline page";
    QTest::newRow("inline html, flags 4") << "about4" << "Inline page";
    QTest::newRow("http") << "http" << "Served page";
    QTest::newRow("local file") << "file" << "Local page";
    QTest::newRow("local file, Cyrillic name") << "cyrillic" << "Справка";
}

// Every kind of address the program gives ends in its page's title, and the
// browser first asks about it as the program's own navigation.
void tst_EngineBrowser::navigateShowsTitle()
{
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString address;
    int flags = 0;
    if (kind.startsWith(QLatin1String("about"))) {
        address = QStringLiteral("about:<html><head><title>%1</title></head><body>x</body></html>").arg(title);
        flags = kind.endsWith(QLatin1Char('4')) ? WebBrowser::NoReadFromCache : 0;
    } else if (kind == QLatin1String("http")) {
        m_server->setPage(QStringLiteral("/served.html"), page(title.toUtf8()));
        address = m_server->url(QStringLiteral("/served.html"));
    } else {
        address = dir.filePath(kind == QLatin1String("file") ? QStringLiteral("page.htm")
                                                             : QStringLiteral("Справка.htm"));
        QFile file(address);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><head><meta charset=\"utf-8\"><title>" + title.toUtf8() + "</title></head></html>");
    }

    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QList<WebBrowser::NavigateRequest> asked;
    connect(browser, &WebBrowser::beforeNavigate2, this,
            [&asked](WebBrowser::NavigateRequest *request) { asked.append(*request); });
    browser->navigate(address, flags);
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{title}), EngineTimeout);

    QVERIFY(!asked.isEmpty());
    QCOMPARE(int(asked.first().kind), int(WebBrowser::NavigationKind::Program));
    QVERIFY(asked.first().mainFrame);
    if (kind.startsWith(QLatin1String("about")))
        QCOMPARE(asked.first().url, QUrl(address));
    else if (kind == QLatin1String("http"))
        QCOMPARE(asked.first().url, QUrl(address));
    else
        QCOMPARE(asked.first().url, QUrl::fromLocalFile(address));
}

// A navigation cancelled in beforeNavigate2 never reaches the server and
// leaves the page as it was.
void tst_EngineBrowser::cancelledNavigationLeavesPage()
{
    m_server->setPage(QStringLiteral("/a.html"), page("Page A"));
    m_server->setPage(QStringLiteral("/b.html"), page("Page B"));
    m_server->setPage(QStringLiteral("/c.html"), page("Page C"));
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    const QUrl blocked(m_server->url(QStringLiteral("/b.html")));
    int cancelled = 0;
    connect(browser, &WebBrowser::beforeNavigate2, this, [&](WebBrowser::NavigateRequest *request) {
        if (request->url == blocked) {
            request->cancel = true;
            ++cancelled;
        }
    });
    browser->navigate(m_server->url(QStringLiteral("/a.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Page A")}), EngineTimeout);

    browser->navigate(blocked.toString());
    QTRY_COMPARE_WITH_TIMEOUT(cancelled, 1, EngineTimeout);
    QCOMPARE(browser->view()->url(), QUrl(m_server->url(QStringLiteral("/a.html"))));
    // A link to the blocked page, clicked, is stopped the same way.
    m_server->setPage(QStringLiteral("/a.html"), page("Page A2", bigLink("/b.html")));
    browser->navigate(m_server->url(QStringLiteral("/a.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Page A2")}), EngineTimeout);
    QSignalSpy status(browser, &WebBrowser::statusTextChange);
    QTRY_VERIFY_WITH_TIMEOUT((hover(browser, pagePoint()), overLink(status)), EngineTimeout);
    click(browser, pagePoint());
    QTRY_COMPARE_WITH_TIMEOUT(cancelled, 2, EngineTimeout);

    // Anything after it still works, and the blocked page was never asked for.
    browser->navigate(m_server->url(QStringLiteral("/c.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Page C")}), EngineTimeout);
    QCOMPARE(m_server->countOf(QStringLiteral("/b.html")), 0);
    QVERIFY(!titles.contains(QVariantList{QStringLiteral("Page B")}));
}

// The pointer over a link reports its address; clicking it is a link
// navigation, while navigate() is the program's.
void tst_EngineBrowser::linkHoverAndClick()
{
    m_server->setPage(QStringLiteral("/links.html"), page("Links", bigLink("/next.html")));
    m_server->setPage(QStringLiteral("/next.html"), page("Next"));
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QSignalSpy status(browser, &WebBrowser::statusTextChange);
    QList<WebBrowser::NavigateRequest> asked;
    connect(browser, &WebBrowser::beforeNavigate2, this,
            [&asked](WebBrowser::NavigateRequest *request) { asked.append(*request); });
    browser->navigate(m_server->url(QStringLiteral("/links.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Links")}), EngineTimeout);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(int(asked.first().kind), int(WebBrowser::NavigationKind::Program));

    const QString next = m_server->url(QStringLiteral("/next.html"));
    QTRY_VERIFY_WITH_TIMEOUT((hover(browser, pagePoint()), status.contains(QVariantList{next})), EngineTimeout);

    click(browser, pagePoint());
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Next")}), EngineTimeout);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(asked.last().url, QUrl(next));
    QCOMPARE(int(asked.last().kind), int(WebBrowser::NavigationKind::LinkClicked));
    QVERIFY(asked.last().mainFrame);
}

void tst_EngineBrowser::pageStartedNavigations_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("mainFrame");
    QTest::newRow("refresh") << QByteArray("<meta http-equiv=\"refresh\" content=\"0; url=/next.html\">")
                             << "/next.html" << true;
    QTest::newRow("script while loading")
        << QByteArray("<script>location.replace('/next.html');</script>") << "/next.html" << true;
    QTest::newRow("frame") << QByteArray("<iframe src=\"/frame.html\"></iframe>") << "/frame.html" << false;
    // The engine reports this one as a clicked link; nobody clicked.
    QTest::newRow("script after load")
        << QByteArray("<script>onload = () => setTimeout(() => { location.href = '/next.html'; }, 300);</script>")
        << "/next.html" << true;
}

// What a page starts by itself is neither the program's nor a click, and
// a frame's navigation says it is not the main one.
void tst_EngineBrowser::pageStartedNavigations()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, target);
    QFETCH(bool, mainFrame);
    m_server->setPage(QStringLiteral("/start.html"), page("Start", body));
    m_server->setPage(QStringLiteral("/next.html"), page("Next"));
    m_server->setPage(QStringLiteral("/frame.html"), page("Frame"));
    EngineBrowser *browser = shownBrowser();
    QList<WebBrowser::NavigateRequest> asked;
    connect(browser, &WebBrowser::beforeNavigate2, this,
            [&asked](WebBrowser::NavigateRequest *request) { asked.append(*request); });
    browser->navigate(m_server->url(QStringLiteral("/start.html")));
    QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(target), 1, EngineTimeout);
    QCOMPARE(asked.size(), 2);
    QCOMPARE(int(asked.first().kind), int(WebBrowser::NavigationKind::Program));
    QCOMPARE(asked.last().url, QUrl(m_server->url(target)));
    QCOMPARE(int(asked.last().kind), int(WebBrowser::NavigationKind::Other));
    QCOMPARE(asked.last().mainFrame, mainFrame);
}

void tst_EngineBrowser::newWindowRefused_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("target _blank, cancelled") << bigLink("/popup.html", "target=\"_blank\"") << true;
    QTest::newRow("target _blank, not cancelled") << bigLink("/popup.html", "target=\"_blank\"") << false;
    QTest::newRow("window.open on click")
        << bigLink("#", "onclick=\"window.open('/popup.html'); return false;\"") << false;
}

// A page that asks for a new window reports it and gets none, whatever the
// handler decides; the page itself stays.
void tst_EngineBrowser::newWindowRefused()
{
    QFETCH(QByteArray, body);
    QFETCH(bool, cancel);
    m_server->setPage(QStringLiteral("/opener.html"), page("Opener", body));
    m_server->setPage(QStringLiteral("/popup.html"), page("Popup"));
    m_server->setPage(QStringLiteral("/after.html"), page("After"));
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QSignalSpy status(browser, &WebBrowser::statusTextChange);
    QList<WebBrowser::NewWindowRequest> windows;
    connect(browser, &WebBrowser::newWindow2, this, [&](WebBrowser::NewWindowRequest *request) {
        windows.append(*request);
        request->cancel = cancel;
    });
    const auto topLevelsBefore = QApplication::topLevelWidgets().size();
    browser->navigate(m_server->url(QStringLiteral("/opener.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Opener")}), EngineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT((hover(browser, pagePoint()), overLink(status)), EngineTimeout);
    click(browser, pagePoint());
    QTRY_COMPARE_WITH_TIMEOUT(windows.size(), 1, EngineTimeout);
    QCOMPARE(windows.first().url, QUrl(m_server->url(QStringLiteral("/popup.html"))));
    QVERIFY(windows.first().userInitiated);

    // Another round trip through the engine: by then a window would be up.
    browser->navigate(m_server->url(QStringLiteral("/after.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("After")}), EngineTimeout);
    QCOMPARE(m_server->countOf(QStringLiteral("/popup.html")), 0);
    QCOMPARE(QApplication::topLevelWidgets().size(), topLevelsBefore);
    QVERIFY(!titles.contains(QVariantList{QStringLiteral("Popup")}));
}

void tst_EngineBrowser::silentDialogs_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("title");
    QTest::newRow("alert") << QByteArray("alert('a'); document.title = 'alert done';") << "alert done";
    QTest::newRow("confirm") << QByteArray("document.title = 'confirm ' + confirm('c');") << "confirm false";
    QTest::newRow("prompt") << QByteArray("document.title = 'prompt ' + prompt('p', 'x');") << "prompt null";
    QTest::newRow("script opens a window")
        << QByteArray("var w = window.open('/popup.html'); document.title = 'open ' + (w === null);")
        << "open true";
    QTest::newRow("script error") << QByteArray("undefinedFunction(); document.title = 'never';") << "Dialogs";
}

// A silent browser shows nothing for a page's dialogs, answers them as a
// dismissed dialog would, and the page goes on.
void tst_EngineBrowser::silentDialogs()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, title);
    m_server->setPage(QStringLiteral("/dialogs.html"), page("Dialogs", "<script>" + script + "</script>"));
    m_server->setPage(QStringLiteral("/popup.html"), page("Popup"));
    auto *watch = new WindowWatch(this, WindowWatch::dialog);
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QSignalSpy windows(browser, &WebBrowser::newWindow2);
    const auto topLevelsBefore = QApplication::topLevelWidgets().size();
    browser->navigate(m_server->url(QStringLiteral("/dialogs.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{title}), EngineTimeout);
    QCOMPARE(watch->seen, QStringList());
    QCOMPARE(QApplication::topLevelWidgets().size(), topLevelsBefore);
    QCOMPARE(m_server->countOf(QStringLiteral("/popup.html")), 0);
    QCOMPARE(windows.count(), 0);
    delete watch;
}

// A page that asks before it is left does not keep a silent browser on it.
void tst_EngineBrowser::leavingPageWithUnloadHandler()
{
    m_server->setPage(QStringLiteral("/stay.html"),
                      page("Stay", bigLink("#", "onclick=\"document.title = 'armed'; return false;\"")
                                       + "<script>window.onbeforeunload = function (e) {"
                                         " e.preventDefault(); e.returnValue = 'stay'; return 'stay'; };</script>"));
    m_server->setPage(QStringLiteral("/away.html"), page("Away"));
    auto *watch = new WindowWatch(this, WindowWatch::dialog);
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    QSignalSpy status(browser, &WebBrowser::statusTextChange);
    browser->navigate(m_server->url(QStringLiteral("/stay.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Stay")}), EngineTimeout);
    // The engine only asks once the user has touched the page.
    QTRY_VERIFY_WITH_TIMEOUT((hover(browser, pagePoint()), overLink(status)), EngineTimeout);
    click(browser, pagePoint());
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("armed")}), EngineTimeout);

    browser->navigate(m_server->url(QStringLiteral("/away.html")));
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("Away")}), EngineTimeout);
    QCOMPARE(watch->seen, QStringList());
    delete watch;
}

// Flags 4 makes the engine fetch a page it holds in its cache again, and
// says so to the server; without it the cached copy serves.
void tst_EngineBrowser::noReadFromCache()
{
    // A page the engine may keep in its cache for an hour.
    m_server->setPage(QStringLiteral("/cached.html"),
                      LoopbackServer::Page{page("Cached"), "text/html", {{"Cache-Control", "max-age=3600"}}});
    const QString cached = m_server->url(QStringLiteral("/cached.html"));
    auto fetches = [this] { return m_server->countOf(QStringLiteral("/cached.html")); };
    m_server->setPage(QStringLiteral("/other.html"), page("Other"));
    EngineBrowser *browser = shownBrowser();
    QSignalSpy titles(browser, &WebBrowser::titleChange);
    auto visit = [&](const QString &address, const QString &title, int flags) {
        titles.clear();
        browser->navigate(address, flags);
        QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{title}), EngineTimeout);
    };
    const QString other = m_server->url(QStringLiteral("/other.html"));

    visit(cached, QStringLiteral("Cached"), 0);
    QCOMPARE(fetches(), 1);
    visit(other, QStringLiteral("Other"), 0);
    visit(cached, QStringLiteral("Cached"), 0);
    QCOMPARE(fetches(), 1);

    visit(other, QStringLiteral("Other"), 0);
    visit(cached, QStringLiteral("Cached"), WebBrowser::NoReadFromCache);
    QCOMPARE(fetches(), 2);
    const QByteArray head =
        m_server->requestHeads.at(m_server->requests.lastIndexOf(QStringLiteral("/cached.html"))).toLower();
    QVERIFY2(head.contains("\r\ncache-control: no-cache"), head.constData());
    QVERIFY2(head.contains("\r\npragma: no-cache"), head.constData());
    visit(other, QStringLiteral("Other"), 0);
    visit(cached, QStringLiteral("Cached"), WebBrowser::NoReadFromCache);
    QCOMPARE(fetches(), 3);
}

// Closing a tab destroys its browser with deleteLater: its page goes with
// it, and the renderer process with the last page it shows. The engine runs
// with the program's switches: the pages of one site share one renderer.
void tst_EngineBrowser::destroyedBrowserReleasesRenderer()
{
    QTRY_COMPARE_WITH_TIMEOUT(rendererCount(), 0, EngineTimeout);
    m_server->setPage(QStringLiteral("/a.html"), page("One"));
    QWidget host;
    host.resize(400, 300);
    auto *first = new EngineBrowser(&host);
    auto *second = new EngineBrowser(&host);
    for (EngineBrowser *browser : {first, second}) {
        browser->resize(400, 300);
        browser->navigate(m_server->url(QStringLiteral("/a.html")));
    }
    host.show();
    QSignalSpy titles(second, &WebBrowser::titleChange);
    QTRY_VERIFY_WITH_TIMEOUT(titles.contains(QVariantList{QStringLiteral("One")}), EngineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(first->view()->title() == QStringLiteral("One"), EngineTimeout);
    QCOMPARE(rendererCount(), 1);

    QPointer<QWebEnginePage> page = first->view()->page();
    QVERIFY(page);
    first->deleteLater();
    QTRY_VERIFY(!page);
    QCOMPARE(rendererCount(), 1);
    second->deleteLater();
    QTRY_COMPARE_WITH_TIMEOUT(rendererCount(), 0, EngineTimeout);
}

ENGINE_TEST_MAIN(tst_EngineBrowser)
#include "tst_enginebrowser.moc"
