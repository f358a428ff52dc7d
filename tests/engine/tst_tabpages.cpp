// What the tabs show with the real engine: the help tab loads the help page
// beside the program, and a cartoon tab loads its entry's page.

#include "EngineProgram.h"
#include "LoopbackServer.h"
#include "TestSupport.h"

#include "pageview/VyborLinksM.h"
#include "tabs/TabManager.h"
#include "web/usrReklamaX.h"

#include <QtTest>

class TestTabPages : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    LoopbackServer m_server;
    QString m_help;

private slots:
    void initTestCase()
    {
        // The help page is looked for beside the program: put the real one
        // beside this test for the time of the test.
        m_help = QCoreApplication::applicationDirPath() + QStringLiteral("/Справка.htm");
        QFile::remove(m_help);
        QVERIFY(QFile::copy(qEnvironmentVariable("MIRELKA_BIN_DIR") + QStringLiteral("/Справка.htm"), m_help));
        TestSupport::writeSection(m_dir.path() + QStringLiteral("/Data/"), 1, TestSupport::makeEntries(1, 3));
    }

    void cleanupTestCase()
    {
        frmForma::destroyInstance();
        QFile::remove(m_help);
    }

    void helpTabShowsTheHelpPage()
    {
        EngineProgram::start(m_dir.path() + QStringLiteral("/Data/"), m_server.base());
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
        m_server.setPage(QStringLiteral("/mults/?id=1-2"), "<html><head><title>Cartoon 1-2</title></head></html>");
        EngineProgram::start(m_dir.path() + QStringLiteral("/Data/"), m_server.base());
        VyborLinksM(40); // entry 2 of section 1
        const int tab = decl().PanelCount;
        QCOMPARE(decl().ActivePanel, tab);
        WebBrowser *browser = frmForma::instance().WebRazdel.value(tab);
        QTRY_COMPARE_WITH_TIMEOUT(EngineProgram::titleOf(browser), QStringLiteral("Cartoon 1-2"),
                                  EngineProgram::EngineTimeout);
        QCOMPARE(m_server.countOf(QStringLiteral("/mults/?id=1-2")), 1);
    }
};

int main(int argc, char **argv)
{
    EngineProgram::closeTheNetwork();
    QApplication app(argc, argv);
    TestTabPages test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tabpages.moc"
