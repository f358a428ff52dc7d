// Hostile pages in the real program with the real engine: an advertisement
// and a cartoon page that loop through alert, confirm and prompt, open
// windows on load, reload themselves, carry a title of a megabyte, ask before
// they are left, ask for files and start downloads. The program shows and
// opens nothing, hands nothing to the desktop without a click, keeps its
// event loop turning and goes on working afterwards.

#include "EngineProcesses.h"
#include "EngineProgram.h"
#include "LoopbackServer.h"
#include "TabInvariants.h"
#include "TestSupport.h"

#include "engine/BrowserProfile.h"
#include "pageview/VyborLinksM.h"
#include "web/usrReklamaX.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

using namespace EngineProgram;

namespace {

// The event loop must never stand still this long while a page misbehaves.
// Not a speed bar: a handful of engine callbacks may take a few hundred
// milliseconds on a busy machine, a program caught in a page's loop never
// comes back.
constexpr qint64 HangLimitMs = 1000;

// How often the page loads itself again, each time with a fresh burst.
constexpr int Rounds = 3;

// The page a hostile site serves: on every load it opens windows, asks for a
// file, starts a download, points the status at a link of its own and clicks
// it, asks question after question for a while and sets a title of over a
// megabyte; then it reloads itself, and after the last round it "clicks" its
// way to /hostile/away.html, which keeps asking for ever.
QByteArray hostilePage()
{
    return QByteArray(R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>hostile</title></head>
<body>
<a id="pop" href="/popup/blank" target="_blank">pop</a>
<a id="dl" href="/hostile/download.bin" download>download</a>
<a id="away" href="/hostile/away.html">away</a>
<input type="file" id="file">
<iframe src="/hostile/attachment.bin" style="width:1px;height:1px"></iframe>
<script>
onbeforeunload = function (e) { e.preventDefault(); e.returnValue = 'stay'; return 'stay'; };
var round = +(sessionStorage.round || 0);
sessionStorage.round = round + 1;
window.open('/popup/onload');
window.open('/popup/named', 'named', 'width=300,height=200');
document.getElementById('pop').click();
document.getElementById('file').click();
document.getElementById('dl').click();
document.getElementById('away').focus();
var asked = 0, start = Date.now();
while (Date.now() - start < 600) {
  alert('alert ' + asked); confirm('confirm ' + asked); prompt('prompt ' + asked, 'x'); ++asked;
}
document.title = String.fromCharCode(0x42f).repeat(1 << 20) + round;
setTimeout(function () {
  if (round + 1 < )" + QByteArray::number(Rounds) + R"()
    location.reload();
  else {
    sessionStorage.clear();
    document.getElementById('away').click();
  }
}, 0);
</script></body></html>)");
}

// Where the hostile page ends: it keeps asking, asks again when left, and
// covers itself with a file input; a click on the input leads on to
// /hostile/after.html.
QByteArray awayPage()
{
    return QByteArray(R"(<!DOCTYPE html><html><head><meta charset="utf-8"><title>away</title></head>
<body style="margin:0">
<input type="file" id="file" style="position:fixed;left:0;top:0;width:100%;height:100%;display:block">
<script>
onbeforeunload = function (e) { e.preventDefault(); e.returnValue = 'stay'; return 'stay'; };
var input = document.getElementById('file');
input.onclick = function () {
  document.title = 'file asked';
  setTimeout(function () { location.href = '/hostile/after.html'; }, 200);
};
setInterval(function () { alert('again'); confirm('again'); prompt('again'); }, 20);
setTimeout(function () { document.title = 'done'; }, 300);
</script></body></html>)");
}

// An advertisement that carries its strip's title, so it is shown, with a
// link on the left, a form button on the right and nothing between; the
// script makes the page misbehave as the user touches it.
QByteArray shownAdvertisement(const QString &titleKey, const QByteArray &script)
{
    return "<!DOCTYPE html><html><head><meta charset='utf-8'><title>" + titleKey.toLatin1()
           + "</title></head><body style='margin:0;overflow:hidden'>"
             "<a id='link' href='/ad/link' style='position:fixed;left:0;top:0;width:150px;height:73px'>ad</a>"
             "<form action='/ad/form'><button style='position:fixed;left:400px;top:0;width:143px;height:73px'>"
             "go</button></form><script>"
             "function flood(path, times, every) {"
             "  var i = 0; var t = setInterval(function () { location.href = path + '?' + i;"
             "    if (++i == times) { clearInterval(t); setTimeout(function () { document.title = 'done'; }, 300); }"
             "  }, every); }"
           + script + "</script></body></html>";
}

QByteArray plainPage(const QByteArray &title)
{
    return "<html><head><meta charset='utf-8'><title>" + title + "</title></head><body>" + title
           + "</body></html>";
}

// A download's state when the program's handler has had its say.
struct DownloadSeen
{
    QString url;
    int state = -1;
};

} // namespace

// Stands in for the desktop: records every address it is asked to open.
class DesktopWatch : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

class TestHostile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    DesktopWatch m_desktop;
    LoopbackServer *m_server = nullptr;
    WindowWatch *m_windows = nullptr;
    QList<DownloadSeen> m_downloads;

    QString dataPath() const { return m_root.path() + QStringLiteral("/Data/"); }
    usrReklamaX *strip() const { return frmForma::instance().usrReklamaX1; }

    void serveAds(const QByteArray &page)
    {
        for (int n = 0; n < 10; ++n)
            m_server->setPage(QStringLiteral("/reklama/%1.html").arg(n), page);
    }

    // The link index of entry k of the shown section.
    static int entryLink(int k)
    {
        const auto &boxes = decl().LinkBoxes;
        for (int i = 0; i < boxes.size(); ++i) {
            if (boxes[i].Target == QStringLiteral("mult%1").arg(k))
                return i;
        }
        return -1;
    }

    int popupRequests() const
    {
        int n = 0;
        for (const QString &r : std::as_const(m_server->requests))
            n += r.contains(QLatin1String("/popup/")) ? 1 : 0;
        return n;
    }

    // Nothing came up, nothing opened, nothing handed to the desktop, and
    // every download the pages started was cancelled on the spot.
    void checkNothingEscaped()
    {
        QVERIFY2(m_windows->seen.isEmpty(), qPrintable(m_windows->seen.join(QLatin1String(", "))));
        QVERIFY(strayWindows().isEmpty());
        QCOMPARE(m_desktop.opened, QList<QUrl>());
        QCOMPARE(popupRequests(), 0);
        for (const DownloadSeen &download : std::as_const(m_downloads))
            QVERIFY2(download.state == QWebEngineDownloadRequest::DownloadCancelled, qPrintable(download.url));
        QVERIFY(!QFile::exists(BrowserProfile::shared()->downloadPath() + QStringLiteral("/download.bin")));
        QVERIFY(!QFile::exists(BrowserProfile::shared()->downloadPath() + QStringLiteral("/attachment.bin")));
    }

    // The program still works: a plain cartoon page opens in a tab, shows,
    // and its tab closes again.
    void checkStillWorks(int entry)
    {
        const int before = decl().PanelCount;
        VyborLinksM(entryLink(entry));
        QCOMPARE(decl().PanelCount, before + 1);
        const int n = decl().PanelCount;
        WebBrowser *web = frmForma::instance().WebRazdel.value(n);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(web), QStringLiteral("Мультфильм 1.%1").arg(entry), EngineTimeout);
        CHECK_INVARIANTS();
        MenuClose_Click();
        QVERIFY(!isLivePanel(n));
        QCOMPARE(decl().ActivePanel, 0);
        CHECK_INVARIANTS();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        TestSupport::writeSection(dataPath(), 1, TestSupport::makeEntries(1, 20));
        for (const char *scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_desktop, "open");

        m_server = new LoopbackServer(this);
        QVERIFY(m_server->isListening());
        for (int k = 1; k <= 20; ++k)
            m_server->setPage(QStringLiteral("/mults/?id=1-%1").arg(k),
                              plainPage("Мультфильм 1." + QByteArray::number(k)));
        m_server->setPage(QStringLiteral("/hostile/away.html"), awayPage());
        m_server->setPage(QStringLiteral("/hostile/after.html"), plainPage("after"));
        m_server->setPage(QStringLiteral("/hostile/download.bin"),
                          QByteArray(64 * 1024, 'x'), "application/octet-stream");
        LoopbackServer::Page attachment{QByteArray(64 * 1024, 'y'), "application/octet-stream", {}};
        attachment.headers.append(qMakePair(QByteArray("Content-Disposition"),
                                            QByteArray("attachment; filename=\"attachment.bin\"")));
        m_server->setPage(QStringLiteral("/hostile/attachment.bin"), attachment);

        // Made here as the program would make it, so the test hears of every
        // download, after the program's own handler.
        // The strip has a profile of its own.
        for (QWebEngineProfile *profile : {BrowserProfile::shared(), BrowserProfile::strip()}) {
            QVERIFY(profile);
            connect(profile, &QWebEngineProfile::downloadRequested, this,
                    [this](QWebEngineDownloadRequest *download) {
                        m_downloads.append({download->url().toString(), int(download->state())});
                    });
        }
        m_windows = new WindowWatch(this);
    }

    // Moves the pointer onto a point of the strip's page until the engine
    // reports what lies there, through the view's input widget of the moment.
    void pointAt(QPoint at, const QString &link)
    {
        QTRY_VERIFY_WITH_TIMEOUT(viewOf(strip()->WebBrowser1) && viewOf(strip()->WebBrowser1)->focusProxy(),
                                 EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT((QTest::mouseMove(stripInput(), at - QPoint(1, 1)), QTest::mouseMove(stripInput(), at),
                                  strip()->StatusUrl == link),
                                 EngineTimeout);
    }
    QWidget *stripInput() const { return viewOf(strip()->WebBrowser1)->focusProxy(); }

    void cleanupTestCase()
    {
        for (const char *scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        frmForma::destroyInstance();
    }

    void init()
    {
        m_desktop.opened.clear();
        m_windows->seen.clear();
        m_downloads.clear();
        m_server->requests.clear();
        serveAds(plainPage("quiet advertisement"));
    }

    void cleanup()
    {
        frmForma::destroyInstance();
        QTRY_COMPARE_WITH_TIMEOUT(EngineProcesses::rendererCount(), 0, EngineTimeout);
    }

    // Every one of the ten advertisements is hostile: the strip loads one at
    // start-up and again when the placeholder's button is pressed.
    void hostileAdvertisement()
    {
        serveAds(hostilePage());
        start(dataPath(), m_server->base());
        const QString adPath = QStringLiteral("/reklama/") + strip()->AdNumber + QStringLiteral(".html");
        const QString away = QStringLiteral("/hostile/away.html");

        // The first round runs while the engine starts cold.
        QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(away), 1, EngineTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(strip()->WebBrowser1), QStringLiteral("done"), EngineTimeout);
        QCOMPARE(m_server->countOf(adPath), Rounds);
        // The page pointed the status at its own link and clicked it: the
        // strip went along inside itself and handed nothing off.
        QCOMPARE(strip()->StatusUrl, m_server->url(away));
        QVERIFY(!strip()->Picture1->isHidden());
        // The page did try its downloads; they were refused.
        QVERIFY(!m_downloads.isEmpty());
        checkNothingEscaped();

        // The second round, with the engine warm, on the clock.
        TickGap gap;
        gap.start();
        strip()->kObnovit->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(away), 2, EngineTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(strip()->WebBrowser1), QStringLiteral("done"), EngineTimeout);
        const qint64 longest = gap.stop();
        qInfo("longest pause of the event loop while the advertisement ran: %lld ms", longest);
        QVERIFY2(longest < HangLimitMs, qPrintable(QString::number(longest)));
        QCOMPARE(m_server->countOf(adPath), 2 * Rounds);
        QVERIFY(!strip()->Picture1->isHidden());
        checkNothingEscaped();

        // The advertisement keeps asking in the strip while the user goes on.
        checkStillWorks(2);
        checkNothingEscaped();
    }

    void hostileShownAdvertisement_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("handOffs");

        // The page points the status at its link, then navigates every
        // 100 ms once it is clicked anywhere.
        QTest::newRow("timer after a click on no link")
            << QByteArray("document.getElementById('link').focus();"
                          "document.onclick = function () { flood('/ad/timer', 15, 100); };")
            << "click between" << 0;
        // Page Down meant for the catalogue while the focus stayed in the strip.
        QTest::newRow("timer after a key")
            << QByteArray("document.onkeydown = function () { flood('/ad/timer', 15, 100); };") << "page down" << 0;
        // One click on the link, a burst of navigations as it goes down.
        QTest::newRow("burst on the button going down")
            << QByteArray("document.onmousedown = function () {"
                          "  for (var i = 0; i < 33; ++i) location.href = '/ad/burst?' + i;"
                          "  setTimeout(function () { document.title = 'done'; }, 1500); };")
            << "click the link" << 1;
        // A form's button, the link having been pointed at before.
        QTest::newRow("form button")
            << QByteArray("document.forms[0].onsubmit = function () {"
                          "  setTimeout(function () { document.title = 'done'; }, 1000); };")
            << "click the button" << 0;
        // Enter held with the pointer on the link, which the page follows on every keydown.
        QTest::newRow("Enter held, the link followed on every keydown")
            << QByteArray("var keys = 0; document.onkeydown = function () {"
                          "  document.title = 'key ' + (++keys); document.getElementById('link').click(); };"
                          "document.onkeyup = function () {"
                          "  setTimeout(function () { document.title = 'done'; }, 300); };")
            << "hold enter" << 1;
        // The page leaves by itself once the link has been pointed at.
        QTest::newRow("script without input")
            << QByteArray("document.getElementById('link').onmouseover = function () {"
                          "  flood('/ad/script', 3, 100); };")
            << "none" << 0;
    }

    // Once the advertisement is shown, the strip stays on it: one action of
    // the user's hands one link off at most, and nothing the page starts by
    // itself loads in the strip or reaches the desktop.
    void hostileShownAdvertisement()
    {
        QFETCH(QByteArray, script);
        QFETCH(QString, input);
        QFETCH(int, handOffs);
        start(dataPath(), m_server->base());
        const QString adPath = QStringLiteral("/reklama/") + strip()->AdNumber + QStringLiteral(".html");
        // The engine starts only after start-up has returned to the loop.
        m_server->setPage(adPath, shownAdvertisement(strip()->TitleKey, script));
        QTRY_VERIFY_WITH_TIMEOUT(strip()->Picture1->isHidden(), EngineTimeout);

        const QString link = m_server->url(QStringLiteral("/ad/link"));
        pointAt({75, 36}, link);
        if (input == QLatin1String("click between")) {
            pointAt({270, 36}, link); // the focused link stays the status
            QTest::mouseClick(stripInput(), Qt::LeftButton, {}, {270, 36});
        } else if (input == QLatin1String("page down")) {
            QTest::keyClick(stripInput(), Qt::Key_PageDown);
        } else if (input == QLatin1String("click the link")) {
            QTest::mouseClick(stripInput(), Qt::LeftButton, {}, {75, 36});
        } else if (input == QLatin1String("hold enter")) {
            // Two seconds, each repeat once the page has counted the press before.
            QElapsedTimer held;
            held.start();
            QTest::keyPress(stripInput(), Qt::Key_Return);
            for (int keys = 1; held.elapsed() < 2000; ++keys) {
                QTRY_COMPARE_WITH_TIMEOUT(titleOf(strip()->WebBrowser1), QStringLiteral("key %1").arg(keys), EngineTimeout);
                QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
                QCoreApplication::sendEvent(stripInput(), &repeat);
            }
            QTest::keyRelease(stripInput(), Qt::Key_Return);
        } else if (input == QLatin1String("click the button")) {
            QTest::mouseMove(stripInput(), {470, 36});
            QTest::mouseClick(stripInput(), Qt::LeftButton, {}, {470, 36});
        }
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(strip()->WebBrowser1), QStringLiteral("done"), EngineTimeout);
        // Hand-offs run from the event loop: let those already asked for finish.
        bool flushed = false;
        QTimer::singleShot(0, this, [&flushed] { flushed = true; });
        QTRY_VERIFY(flushed);

        QCOMPARE(m_desktop.opened.size(), handOffs);
        for (const QUrl &opened : std::as_const(m_desktop.opened)) {
            QFile file(opened.toLocalFile());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.readAll().contains("url=" + link.toLatin1() + "'"));
        }
        // Nothing the page asked for was fetched; the advertisement stays.
        for (const QString &request : std::as_const(m_server->requests))
            QVERIFY2(!request.startsWith(QLatin1String("/ad/")), qPrintable(request));
        QCOMPARE(m_server->countOf(adPath), 1);
        QCOMPARE(viewOf(strip()->WebBrowser1)->url(), QUrl(m_server->url(adPath)));
        QVERIFY(strip()->Picture1->isHidden());
        m_desktop.opened.clear();
        checkNothingEscaped();
    }

    // A hostile cartoon page in a tab; then a click on its file input, which
    // asks nothing, and a page that asks before it is left, which is left.
    void hostileCartoonPage()
    {
        m_server->setPage(QStringLiteral("/mults/?id=1-1"), hostilePage());
        start(dataPath(), m_server->base());
        // The strip's quiet page first, so the engine is up.
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(strip()->WebBrowser1), QStringLiteral("quiet advertisement"),
                                  EngineTimeout);
        const int renderersBefore = EngineProcesses::rendererCount();

        TickGap gap;
        gap.start();
        VyborLinksM(entryLink(1));
        QCOMPARE(decl().ActivePanel, 1);
        WebBrowser *web = frmForma::instance().WebRazdel.value(1);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(QStringLiteral("/hostile/away.html")), 1, EngineTimeout);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(web), QStringLiteral("done"), EngineTimeout);
        const qint64 longest = gap.stop();
        qInfo("longest pause of the event loop while the cartoon page ran: %lld ms", longest);
        QVERIFY2(longest < HangLimitMs, qPrintable(QString::number(longest)));
        QCOMPARE(m_server->countOf(QStringLiteral("/mults/?id=1-1")), Rounds);
        QVERIFY(!m_downloads.isEmpty());
        CHECK_INVARIANTS();
        checkNothingEscaped();

        // The user clicks the file input: no file dialog. The page then
        // leaves itself while its unload handler asks to stay; it is left.
        QWebEngineView *view = viewOf(web);
        QVERIFY(view);
        QTRY_VERIFY_WITH_TIMEOUT(view->focusProxy(), EngineTimeout);
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(50, 50));
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(web), QStringLiteral("after"), EngineTimeout);
        checkNothingEscaped();

        // Closing the tab takes the page and its renderer away; the program
        // goes on.
        MenuClose_Click();
        QCOMPARE(decl().ActivePanel, 0);
        CHECK_INVARIANTS();
        QTRY_COMPARE_WITH_TIMEOUT(EngineProcesses::rendererCount(), renderersBefore, EngineTimeout);
        checkStillWorks(3);
        checkNothingEscaped();
    }
};

int main(int argc, char **argv)
{
    EngineProgram::closeTheNetwork();
    QApplication app(argc, argv);
    TestHostile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostile.moc"
