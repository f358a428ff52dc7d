// What the tabs show with the real engine: the help tab loads the help page
// beside the program, a cartoon tab loads its entry's page, opens the links
// that ask for a window of their own in the default browser, speaks Russian
// and comes back when its page's process dies; so does the strip.

#include "EngineProgram.h"
#include "FileOpener.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "engine/BrowserProfile.h"
#include "pageview/PictureBox.h"
#include "pageview/VyborLinksM.h"
#include "tabs/TabManager.h"
#include "tabs/TabNotice.h"
#include "web/usrReklamaX.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QtTest>

#include <csignal>

using namespace EngineProgram;

namespace {
// The page of entry 2 of section 1, and that entry's link on the first page.
const QString EntryPage = QStringLiteral("/mults/?id=1-2");
constexpr int EntryLink = 40;
// A page whose renderer ends again this soon after it was loaded again is
// left as it is.
constexpr qint64 RecoveryIntervalMs = 5000;
} // namespace

class TestTabPages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LoopbackServer m_server;
    QString m_help;
    FileOpener m_opener;

    QString dataPath() const { return m_dir.path() + QStringLiteral("/Data/"); }

    // Opens entry 2's tab and waits for its page.
    WebBrowser *openEntryTab(const QString &title)
    {
        VyborLinksM(EntryLink);
        WebBrowser *browser = frmForma::instance().WebRazdel.value(decl().PanelCount);
        [&] { QTRY_COMPARE_WITH_TIMEOUT(titleOf(browser), title, EngineTimeout); }();
        return browser;
    }

    static void killRenderer(WebBrowser *browser)
    {
        const qint64 pid = viewOf(browser)->page()->renderProcessPid();
        QVERIFY(pid > 0);
        QCOMPARE(::kill(pid_t(pid), SIGKILL), 0);
    }

private slots:
    void initTestCase()
    {
        // The help page is looked for beside the program: put the real one
        // beside this test for the time of the test.
        m_help = QCoreApplication::applicationDirPath() + QStringLiteral("/Справка.htm");
        QFile::remove(m_help);
        QVERIFY(QFile::copy(qEnvironmentVariable("MIRELKA_BIN_DIR") + QStringLiteral("/Справка.htm"), m_help));
        TestSupport::writeSection(dataPath(), 1, TestSupport::makeEntries(1, 3));
    }

    void cleanupTestCase()
    {
        frmForma::destroyInstance();
        QFile::remove(m_help);
    }

    void init()
    {
        m_server.requests.clear();
        m_server.requestHeads.clear();
        m_opener.opened.clear();
    }

    void helpTabShowsTheHelpPage()
    {
        EngineProgram::start(dataPath(), m_server.base());
        // The engine comes up after the first page without taking the
        // keyboard from the page.
        auto &f = frmForma::instance();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTRY_VERIFY_WITH_TIMEOUT(EngineProgram::viewOf(f.usrReklamaX1->WebBrowser1), EngineProgram::EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(EngineProgram::viewOf(f.usrReklamaX1->WebBrowser1)->focusProxy(),
                                 EngineProgram::EngineTimeout);
        QCOMPARE(QApplication::focusWidget(), f.picText);
        MenuHelp_Click();
        const int help = decl().HelpPanel;
        QVERIFY(help > 0);
        WebBrowser *browser = frmForma::instance().WebRazdel.value(help);
        QTRY_COMPARE_WITH_TIMEOUT(EngineProgram::titleOf(browser), QStringLiteral("Справка"),
                                  EngineProgram::EngineTimeout);
    }

    void cartoonTabLoadsItsEntrysPage()
    {
        m_server.setPage(EntryPage, "<html><head><title>Cartoon 1-2</title></head></html>");
        EngineProgram::start(dataPath(), m_server.base());
        openEntryTab(QStringLiteral("Cartoon 1-2"));
        QCOMPARE(decl().ActivePanel, decl().PanelCount);
        const int at = m_server.requests.indexOf(EntryPage);
        QCOMPARE(m_server.countOf(EntryPage), 1);
        // Sites are asked for Russian first.
        QVERIFY2(m_server.requestHeads.at(at).contains("\r\nAccept-Language: ru"), m_server.requestHeads.at(at));
    }

    void newWindowLinksOpenInTheDefaultBrowser_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("handedOff");
        const QByteArray cover = "style='position:fixed;left:0;top:0;width:100%;height:100%;display:block'";
        QTest::newRow("target=_blank") << "<a href='/elsewhere?q=%D0%BA' target='_blank' " + cover + ">x</a>"
                                       << "/elsewhere?q=%D0%BA";
        QTest::newRow("window.open on a click")
            << "<a href='#' onclick=\"window.open('https://127.0.0.1:1/opened'); return false\" " + cover + ">x</a>"
            << "https://127.0.0.1:1/opened";
        QTest::newRow("not a web address, on a click")
            << "<a href='#' onclick=\"window.open('data:text/html,x'); return false\" " + cover + ">x</a>" << QString();
        QTest::newRow("window.open by the page itself")
            << "<a href='#' " + cover + ">x</a><script>window.open('/opened');</script>" << QString();
    }

    // A link that asks for a window of its own, followed by the user, opens
    // in the default browser; the page gets no window, and what it asks for
    // by itself, or for an address that is not the web's, opens nothing.
    void newWindowLinksOpenInTheDefaultBrowser()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, handedOff);
        m_server.setPage(EntryPage, "<html><head><title>Links</title></head><body>" + body
                                        + "<script>document.onclick = function () {"
                                          " setTimeout(function () { document.title = 'clicked'; }, 500); };"
                                          "</script></body></html>");
        EngineProgram::start(dataPath(), m_server.base());
        WebBrowser *browser = openEntryTab(QStringLiteral("Links"));
        // The pointer goes onto the link until the page reports it, through
        // the view's input widget of the moment.
        QSignalSpy status(browser, &WebBrowser::statusTextChange);
        QTRY_VERIFY_WITH_TIMEOUT(viewOf(browser)->focusProxy(), EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT((QTest::mouseMove(viewOf(browser)->focusProxy(), {99, 99}),
                                  QTest::mouseMove(viewOf(browser)->focusProxy(), {100, 100}),
                                  !status.isEmpty() && !status.last().value(0).toString().isEmpty()),
                                 EngineTimeout);
        QTest::mouseClick(viewOf(browser)->focusProxy(), Qt::LeftButton, {}, {100, 100});
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(browser), QStringLiteral("clicked"), EngineTimeout);
        bool flushed = false;
        QTimer::singleShot(0, this, [&flushed] { flushed = true; });
        QTRY_VERIFY(flushed);

        if (handedOff.isEmpty()) {
            QCOMPARE(m_opener.opened, QStringList());
        } else {
            const QString address = handedOff.startsWith(QLatin1Char('/')) ? m_server.url(handedOff) : handedOff;
            QCOMPARE(m_opener.opened.size(), 1);
            QFile file(m_opener.opened.first());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY2(file.readAll().contains("url=" + address.toLatin1() + "'"), qPrintable(address));
        }
        QVERIFY(strayWindows().isEmpty());
        QCOMPARE(m_server.countOf(QStringLiteral("/opened")), 0);
        QCOMPARE(m_server.countOf(QStringLiteral("/elsewhere?q=%D0%BA")), 0);
    }

    // A tab whose page's process is killed loads its page again, once in a
    // while at most; the strip shows its placeholder, and its button brings
    // the advertisement back.
    void aKilledRendererIsRecovered()
    {
        m_server.setPage(EntryPage, "<html><head><title>Cartoon 1-2</title></head></html>");
        EngineProgram::start(dataPath(), m_server.base());
        usrReklamaX *strip = frmForma::instance().usrReklamaX1;
        const QString adPath = QStringLiteral("/reklama/") + strip->AdNumber + QStringLiteral(".html");
        m_server.setPage(adPath, "<html><head><title>" + strip->TitleKey.toLatin1() + "</title></head></html>");
        QTRY_VERIFY_WITH_TIMEOUT(strip->Picture1->isHidden(), EngineTimeout);
        WebBrowser *tab = openEntryTab(QStringLiteral("Cartoon 1-2"));

        QElapsedTimer sinceKill;
        sinceKill.start();
        killRenderer(tab);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.countOf(EntryPage), 2, EngineTimeout);
        QElapsedTimer sinceReload;
        sinceReload.start();
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(tab), QStringLiteral("Cartoon 1-2"), EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(viewOf(tab)->page()->renderProcessPid() > 0, EngineTimeout);

        // Killed again at once: within 5 s of its reload the page stays as it
        // is. The program's clock started after sinceKill and before
        // sinceReload, which bound it; a machine so slow that 5 s have surely
        // passed must see one reload more, and only one.
        const qint64 atLeast = sinceReload.elapsed();
        QSignalSpy ended(viewOf(tab)->page(), &QWebEnginePage::renderProcessTerminated);
        killRenderer(tab);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, EngineTimeout);
        const qint64 atMost = sinceKill.elapsed();
        bool flushed = false;
        QTimer::singleShot(0, this, [&flushed] { flushed = true; });
        QTRY_VERIFY(flushed);
        if (atMost < RecoveryIntervalMs) {
            QCOMPARE(m_server.countOf(EntryPage), 2);
            // The tab says so in its own area; its button loads the page again.
            auto *notice = tab->findChild<TabNotice *>();
            QVERIFY(notice && notice->isVisible() && notice->geometry() == tab->rect());
            auto *again = notice->findChild<QPushButton *>();
            QVERIFY(again);
            QTest::mouseClick(again, Qt::LeftButton);
            QTRY_COMPARE_WITH_TIMEOUT(m_server.countOf(EntryPage), 3, EngineTimeout);
            QTRY_VERIFY(!tab->findChild<TabNotice *>());
        } else if (atLeast >= RecoveryIntervalMs) {
            QTRY_COMPARE_WITH_TIMEOUT(m_server.countOf(EntryPage), 3, EngineTimeout);
        }
        QVERIFY(m_server.countOf(EntryPage) <= 3);

        killRenderer(strip->WebBrowser1);
        QTRY_VERIFY_WITH_TIMEOUT(!strip->Picture1->isHidden(), EngineTimeout);
        QCOMPARE(m_server.countOf(adPath), 1);
        strip->kObnovit->click();
        QTRY_VERIFY_WITH_TIMEOUT(strip->Picture1->isHidden(), EngineTimeout);
        QCOMPARE(m_server.countOf(adPath), 2);
    }

    // A page that runs a script without end hangs the process its site's
    // tabs share: that process is ended, the tab that hung it says so and is
    // not loaded again, and the other tab's page comes.
    void aHungPageTakesOnlyItsOwnTab()
    {
        m_server.setPage(EntryPage, "<html><head><title>Spins</title></head><body><script>onload = function () {"
                                    " setTimeout(function () { for (;;) {} }, 0); };</script></body></html>");
        m_server.setPage(QStringLiteral("/mults/?id=1-3"), "<html><head><title>Cartoon 1-3</title></head></html>");
        EngineProgram::start(dataPath(), m_server.base());
        WebBrowser *spinning = openEntryTab(QStringLiteral("Spins"));
        QTRY_VERIFY_WITH_TIMEOUT(!viewOf(spinning)->page()->isLoading(), EngineTimeout);
        const qint64 pid = viewOf(spinning)->page()->renderProcessPid();
        QVERIFY(pid > 0);
        const auto &boxes = decl().LinkBoxes;
        VyborLinksM(int(std::find_if(boxes.begin(), boxes.end(), [](const auto &box) { return box.Target == "mult3"; })
                        - boxes.begin()));
        WebBrowser *other = frmForma::instance().WebRazdel.value(decl().PanelCount);
        QVERIFY(other != spinning);
        QTRY_COMPARE_WITH_TIMEOUT(titleOf(other), QStringLiteral("Cartoon 1-3"), EngineTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(spinning->findChild<TabNotice *>(), EngineTimeout);
        QVERIFY(!other->findChild<TabNotice *>());
        QCOMPARE(m_server.countOf(EntryPage), 1);
        QTRY_VERIFY_WITH_TIMEOUT(::kill(pid_t(pid), 0) != 0, EngineTimeout);
    }

    // The engine's own page for a site it cannot reach is in Russian.
    void theEnginesOwnPagesAreRussian()
    {
        EngineProgram::start(dataPath(), QStringLiteral("http://mults.example"));
        VyborLinksM(EntryLink);
        WebBrowser *browser = frmForma::instance().WebRazdel.value(decl().PanelCount);
        QTRY_VERIFY_WITH_TIMEOUT(viewOf(browser), EngineTimeout);
        // The engine says there is no connection ("Нет подключения к Интернету").
        // Answers still asked for come when the page goes: they must not
        // write into this function's frame by then.
        auto text = std::make_shared<QString>();
        QTRY_VERIFY_WITH_TIMEOUT((viewOf(browser)->page()->toPlainText([text](const QString &t) { *text = t; }),
                                  text->contains(QLatin1String("ERR_"))),
                                 EngineTimeout);
        QVERIFY2(text->contains(QStringLiteral("подключения")), qPrintable(*text));
        QVERIFY2(!text->contains(QLatin1String("internet"), Qt::CaseInsensitive), qPrintable(*text));
    }
};

ENGINE_TEST_MAIN(TestTabPages)

#include "tst_tabpages.moc"
