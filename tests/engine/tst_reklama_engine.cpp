// The advertising strip with the real engine: pages served from the
// program's own advertising pages by a loopback server.

#include "LoopbackServer.h"
#include "EngineProgram.h"
#include "TestSupport.h"

#include "web/usrReklamaX.h"

#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>
#include <QSignalSpy>
#include <QWebEngineSettings>
#include <QWebEnginePage>
#include <QWebEngineView>
#include "FileOpener.h"

#include <QtTest>

namespace {
constexpr int EngineTimeout = 30000;
}


class TestReklamaEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    FileOpener m_opener;
    LoopbackServer *m_server = nullptr;
    QWidget *m_window = nullptr;
    usrReklamaX *m_strip = nullptr;

    QString adPath() const { return QStringLiteral("/reklama/") + m_strip->AdNumber + QStringLiteral(".html"); }

    QWebEngineView *view() const { return m_strip->WebBrowser1->findChild<QWebEngineView *>(); }

    // The program's advertising page for a number, its links pointed at the
    // loopback server, so that nothing followed by mistake leaves the machine.
    QByteArray adPage(int n) const
    {
        QFile file(qEnvironmentVariable("MIRELKA_SOURCE_DIR") + QStringLiteral("/data/reklama/%1.html").arg(n));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll().replace("http://mirelka.example", m_server->base().toLatin1());
    }

    // A test page carrying the strip's title, with a link over the whole strip.
    QByteArray testPage(const QByteArray &link, const QByteArray &script = {}) const
    {
        return "<html><head><meta charset='utf-8'><title>" + m_strip->TitleKey.toLatin1()
               + "</title></head><body style='margin:0;overflow:hidden'>" + link
               + "<script>" + script + "</script></body></html>";
    }

    // The address handed to the default browser, read back from the page it opened.
    QString handedOff(int i) const
    {
        QFile file(m_opener.opened.value(i));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray page = file.readAll();
        const qsizetype start = page.indexOf("url=") + 4;
        return QString::fromLatin1(page.mid(start, page.indexOf("'>", start) - start));
    }

    QList<QWidget *> shownWindows() const
    {
        QList<QWidget *> shown;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible())
                shown.append(w);
        return shown;
    }

    void startAndWaitForTheAd()
    {
        m_strip->Start();
        QTRY_VERIFY_WITH_TIMEOUT(m_strip->Picture1->isHidden(), EngineTimeout);
    }

    // Points at (x, y) of the page until the browser reports the link there.
    void pointAt(QPoint at, const QString &link)
    {
        QWebEngineView *v = view();
        QVERIFY(v);
        QTRY_VERIFY_WITH_TIMEOUT(v->focusProxy(), EngineTimeout);
        // The renderer's widget may be replaced; look it up for every move.
        QTRY_VERIFY_WITH_TIMEOUT((QTest::mouseMove(v->focusProxy(), at - QPoint(1, 1)),
                                  QTest::mouseMove(v->focusProxy(), at), m_strip->StatusUrl == link),
                                 EngineTimeout);
    }

    void clickAt(QPoint at) { QTest::mouseClick(view()->focusProxy(), Qt::LeftButton, {}, at); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QVERIFY(QDir().mkpath(m_root.path() + QStringLiteral("/Data")));
        QVERIFY(!qEnvironmentVariableIsEmpty("MIRELKA_SOURCE_DIR"));
    }

    void init()
    {
        TestSupport::resetState(m_root.path() + QStringLiteral("/Data/"));
        QVERIFY(EngineProgram::loadEngine());
        m_opener.opened.clear();
        m_server = new LoopbackServer(this);
        QVERIFY(m_server->isListening());
        m_window = new QWidget;
        m_window->resize(usrReklamaX::DesignSize);
        m_strip = new usrReklamaX(m_window, m_server->base());
        for (int n = 0; n < 10; ++n)
            m_server->setPage(QStringLiteral("/reklama/%1.html").arg(n), adPage(n));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        // The engine starts once the browser has been shown.
        QTRY_VERIFY_WITH_TIMEOUT(view(), EngineTimeout);
    }

    void cleanup()
    {
        delete m_window;
        m_window = nullptr;
        m_strip = nullptr;
        delete m_server;
        m_server = nullptr;
    }

    void theAdsTitleHidesThePlaceholder()
    {
        QVERIFY(!m_strip->Picture1->isHidden());
        startAndWaitForTheAd();
        QCOMPARE(m_server->countOf(adPath()), 1);
        QCOMPARE(view()->title(), m_strip->TitleKey);
    }

    void aPageWithAnotherTitleKeepsThePlaceholder()
    {
        m_server->setPage(adPath(), QByteArray("<html><head><title>Портал</title></head><body></body></html>"));
        m_strip->Start();
        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("Портал"), EngineTimeout);
        QVERIFY(!m_strip->Picture1->isHidden());
    }

    void aClickedLinkOpensInTheDefaultBrowser()
    {
        startAndWaitForTheAd();
        const int n = m_strip->AdNumber.toInt();
        const QByteArray page = adPage(n);
        const qsizetype href = page.indexOf("href=\"") + 6;
        const QString link = QString::fromUtf8(page.mid(href, page.indexOf('"', href) - href));
        QVERIFY(link.startsWith(m_server->base()));

        pointAt({270, 36}, link);
        clickAt({270, 36});
        QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, EngineTimeout);
        QCOMPARE(handedOff(0), link);
        // The advertisement stays: nothing was asked of the link's page.
        QCOMPARE(m_server->countOf(QUrl(link).path()), 0);
        QCOMPARE(view()->url(), QUrl(m_server->url(adPath())));
        QVERIFY(m_strip->Picture1->isHidden());
    }

    // The address handed off is the one the link names on the wire: a
    // browser that follows the redirect page asks the site for the very
    // bytes that following the link itself asks for.
    void theHandedOffAddressIsTheLinksOwn()
    {
        const QByteArray block = "style='display:block;width:543px;height:73px'";
        m_server->setPage(adPath(), testPage("<a href='/search?q=кот&amp;p=a%20b' " + block + ">ad</a>"));
        startAndWaitForTheAd();
        // к о т in UTF-8, as the engine sends an address typed in a UTF-8 page.
        const QString onTheWire = QStringLiteral("/search?q=%D0%BA%D0%BE%D1%82&p=a%20b");
        pointAt({270, 36}, m_server->url(onTheWire));
        clickAt({270, 36});
        QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, EngineTimeout);
        QCOMPARE(m_server->countOf(onTheWire), 0);

        // A browser of its own: follows the link, then the redirect page.
        QWebEngineView other;
        // As a desktop browser does, a local page may lead on to the web.
        other.settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
        other.resize(543, 73);
        other.show();
        QSignalSpy loaded(other.page(), &QWebEnginePage::loadFinished);
        other.load(QUrl(m_server->url(adPath())));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, EngineTimeout);
        other.page()->runJavaScript(QStringLiteral("document.querySelector('a').click()"));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(onTheWire), 1, EngineTimeout);
        const QString fromTheLink = m_server->requests.last();
        other.load(QUrl::fromLocalFile(m_opener.opened.first()));
        QTRY_COMPARE_WITH_TIMEOUT(m_server->requests.size(), m_server->requests.indexOf(fromTheLink) + 2,
                                  EngineTimeout);
        QCOMPARE(m_server->requests.last().toLatin1(), fromTheLink.toLatin1());
    }

    void noWindowOpens_data()
    {
        QTest::addColumn<QByteArray>("link");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("handsOff");
        const QByteArray block = "style='display:block;width:543px;height:73px'";
        QTest::newRow("target=_blank") << "<a href='/popup/blank' target='_blank' " + block + ">ad</a>"
                                       << QByteArray() << true << true;
        // The click chose /popup/link, not the page's window.
        QTest::newRow("window.open on click")
            << "<a href='/popup/link' onclick=\"window.open('/popup/script');document.title='opened';return false\" "
                   + block + ">ad</a>"
            << QByteArray() << true << false;
        QTest::newRow("window.open by the page itself")
            << "<a href='/popup/link' " + block + ">ad</a>"
            << QByteArray("document.querySelector('a').onmouseover = function () {"
                          " window.open('/popup/script'); document.title = 'opened'; };")
            << false << false;
    }

    void noWindowOpens()
    {
        QFETCH(QByteArray, link);
        QFETCH(QByteArray, script);
        QFETCH(bool, click);
        QFETCH(bool, handsOff);
        m_server->setPage(adPath(), testPage(link, script));
        startAndWaitForTheAd();
        const QList<QWidget *> before = shownWindows();

        const QString pointed =
            m_server->url(link.contains("_blank") ? QStringLiteral("/popup/blank") : QStringLiteral("/popup/link"));
        pointAt({270, 36}, pointed);
        if (click)
            clickAt({270, 36});
        if (handsOff) {
            QTRY_COMPARE_WITH_TIMEOUT(m_opener.opened.size(), 1, EngineTimeout);
            QCOMPARE(handedOff(0), pointed);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("opened"), EngineTimeout);
            QVERIFY(m_opener.opened.isEmpty());
        }
        QCOMPARE(shownWindows(), before);
        for (const QString &request : std::as_const(m_server->requests))
            QVERIFY2(!request.startsWith(QLatin1String("/popup/")), qPrintable(request));
        QCOMPARE(view()->url(), QUrl(m_server->url(adPath())));
    }

    void retryAfterPointingAtALinkLoadsThePageAgain()
    {
        startAndWaitForTheAd();
        const QByteArray page = adPage(m_strip->AdNumber.toInt());
        const qsizetype href = page.indexOf("href=\"") + 6;
        pointAt({270, 36}, QString::fromUtf8(page.mid(href, page.indexOf('"', href) - href)));

        m_strip->kObnovit->click();
        QVERIFY(!m_strip->Picture1->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(m_server->countOf(adPath()), 2, EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(m_strip->Picture1->isHidden(), EngineTimeout);
        QVERIFY(m_opener.opened.isEmpty());
    }

    void dialogsAndReloadsShowAndOpenNothing()
    {
        // The page asks twice, then tries to reload itself once it was
        // pointed at; the shown advertisement stays as it is.
        const QByteArray block = "style='display:block;width:543px;height:73px'";
        m_server->setPage(adPath(),
                          testPage("<a href='/programs/x/' " + block + ">ad</a>",
                                   "alert('Внимание'); confirm('Уйти?');"
                                   "document.querySelector('a').onmouseover = function () {"
                                   " location.reload(); setTimeout(function () { document.title = 'stayed'; }, 500);"
                                   " };"));
        const QList<QWidget *> before = shownWindows();
        startAndWaitForTheAd();
        pointAt({270, 36}, m_server->url(QStringLiteral("/programs/x/")));

        QTRY_COMPARE_WITH_TIMEOUT(view()->title(), QStringLiteral("stayed"), EngineTimeout);
        QCOMPARE(m_server->countOf(adPath()), 1);
        QCOMPARE(shownWindows(), before);
        QVERIFY(m_opener.opened.isEmpty());
        QCOMPARE(m_server->countOf(QStringLiteral("/programs/x/")), 0);
    }
};

int main(int argc, char **argv)
{
    // Whatever the engine would fetch from any host but the loopback server
    // goes to a closed local port instead of the network.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    flags += " --proxy-server=http://127.0.0.1:9";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestReklamaEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reklama_engine.moc"
