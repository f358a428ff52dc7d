#include "FakeBrowser.h"
#include "TestSupport.h"

#include "app/RuntimeRandom.h"
#include "web/AdKey.h"
#include "web/usrReklamaX.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <QtTest>


class TestReklama : public QObject
{
    Q_OBJECT

private:
    TestSupport::DesktopFixture m_desk;
    usrReklamaX *m_strip = nullptr;

    // Lets every zero timer started so far run: ours, started last, fires last.
    static void settle()
    {
        bool done = false;
        QTimer::singleShot(0, [&done] { done = true; });
        QTRY_VERIFY(done);
    }

    FakeBrowser *browser() const { return static_cast<FakeBrowser *>(m_strip->WebBrowser1); }

    // The address handed to the default browser, read back from the page it opened.
    QString handedOff(int i) const { return m_desk.opener.handedOff(i); }

private slots:
    void initTestCase() { m_desk.initTestCase(); }

    void init()
    {
        m_desk.init();
        FakeBrowser::install();
        m_strip = new usrReklamaX(nullptr, QStringLiteral("http://maker.test"));
    }

    void cleanup()
    {
        delete m_strip;
        m_strip = nullptr;
        setBrowserFactory({});
    }

    void controlsStandInTheirPlaces()
    {
        QCOMPARE(m_strip->size(), QSize(543, 73));
        QCOMPARE(m_strip->WebBrowser1->parentWidget(), m_strip);
        QCOMPARE(m_strip->WebBrowser1->geometry(), QRect(0, 0, 543, 73));
        QCOMPARE(m_strip->Picture1->geometry(), QRect(112, 2, 369, 41));
        QCOMPARE(m_strip->Label1->geometry(), QRect(8, 8, 223, 13));
        QCOMPARE(m_strip->Label2->geometry(), QRect(8, 24, 313, 13));
        QCOMPARE(m_strip->kObnovit->geometry(), QRect(240, 2, 113, 21));
        QCOMPARE(m_strip->Label1->parentWidget(), m_strip->Picture1);
        QCOMPARE(m_strip->kObnovit->parentWidget(), m_strip->Picture1);
        QCOMPARE(m_strip->Label1->text(), QStringLiteral("Подключитесь к сети и нажмите эту кнопку"));
        QCOMPARE(m_strip->Label2->text(),
                 QStringLiteral("Или купите все мои программы за 100 рублей, их больше 30."));
        QCOMPARE(m_strip->kObnovit->text(), QStringLiteral("Загрузить рекламу"));
        // The placeholder lies above the browser.
        QVERIFY(m_strip->children().indexOf(m_strip->Picture1)
                > m_strip->children().indexOf(m_strip->WebBrowser1));
        QVERIFY(!m_strip->Picture1->isHidden());

        // Only the browser follows the strip's size.
        m_strip->show();
        m_strip->resize(900, 60);
        QCOMPARE(m_strip->WebBrowser1->geometry(), QRect(0, 0, 900, 60));
        QCOMPARE(m_strip->Picture1->geometry(), QRect(112, 2, 369, 41));
    }

    void placeholderShowsItsTextOverTheBrowser()
    {
        m_strip->show();
        const QImage shot = m_strip->grab().toImage();
        // Dark text pixels inside each label's box, on the panel's face.
        for (QLabel *label : {m_strip->Label1, m_strip->Label2}) {
            const QRect box = label->geometry().translated(m_strip->Picture1->pos());
            int dark = 0;
            for (int y = box.top(); y <= box.bottom(); ++y)
                for (int x = box.left(); x <= box.right(); ++x)
                    dark += qGray(shot.pixel(x, y)) < 96;
            QVERIFY2(dark > 50, qPrintable(label->text()));
        }
    }

    void createdSilentWithABlankPageAndAChosenAd()
    {
        QVERIFY(browser()->isSilent());
        QCOMPARE(browser()->navigations,
                 (QList<QPair<QString, int>>{{"about:<html><body scroll=no></body></html>", 4}}));
        bool ok = false;
        const int n = m_strip->AdNumber.toInt(&ok);
        QVERIFY(ok && n >= 0 && n <= 9);
        QCOMPARE(m_strip->AdNumber, QString::number(n));
        QCOMPARE(m_strip->TitleKey, TitleKeyFor(n));
        QVERIFY(m_strip->StatusUrl.isEmpty());
    }

    void startLoadsTheChosenPageAndRetries()
    {
        const QString page = QStringLiteral("http://maker.test/reklama/") + m_strip->AdNumber + ".html";
        m_strip->Start();
        QCOMPARE(browser()->navigations.last(), qMakePair(page, int(WebBrowser::NoReadFromCache)));
        QCOMPARE(browser()->loaded.last(), page);

        // The button retries, even after a link was pointed at.
        browser()->fireStatusText(QStringLiteral("http://maker.test/programs/"));
        m_strip->kObnovit->click();
        QCOMPARE(browser()->navigations.size(), 3);
        QCOMPARE(browser()->loaded.last(), page);
        QVERIFY(m_desk.opener.opened.isEmpty());
    }

    void onlyTheExpectedTitleHidesThePlaceholder_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("hides");
        QTest::newRow("the key") << QString() << true;
        QTest::newRow("an error page") << "404" << false;
        QTest::newRow("untitled, its address") << "http://maker.test/reklama/3.html" << false;
        QTest::newRow("the key and more") << "*" << false;
        QTest::newRow("empty") << "" << false;
    }

    void onlyTheExpectedTitleHidesThePlaceholder()
    {
        QFETCH(QString, title);
        QFETCH(bool, hides);
        if (title.isNull())
            title = m_strip->TitleKey;
        else if (title == QLatin1String("*"))
            title = m_strip->TitleKey + QLatin1Char(' ');
        m_strip->Start();
        browser()->fireTitle(title);
        QCOMPARE(m_strip->Picture1->isHidden(), hides);
    }

    void startShowsThePlaceholderUntilTheTitleComesAgain()
    {
        m_strip->Start();
        browser()->fireTitle(m_strip->TitleKey);
        QVERIFY(m_strip->Picture1->isHidden());
        browser()->fireTitle(m_strip->TitleKey);
        QVERIFY(m_strip->Picture1->isHidden());

        m_strip->Start();
        QVERIFY(!m_strip->Picture1->isHidden());
        browser()->fireTitle(QStringLiteral("loading"));
        QVERIFY(!m_strip->Picture1->isHidden());
        browser()->fireTitle(m_strip->TitleKey);
        QVERIFY(m_strip->Picture1->isHidden());
    }

    void statusTextRemembersWebAddresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("remembered");
        QTest::newRow("http") << "http://a.example/" << "http://a.example/";
        QTest::newRow("https") << "https://a.example/x" << "https://a.example/x";
        QTest::newRow("capitals") << "HTTP://A.EXAMPLE/" << "http://before.example/";
        QTest::newRow("other text") << "Готово" << "http://before.example/";
        QTest::newRow("empty, as on leaving a link") << "" << "http://before.example/";
        QTest::newRow("too short") << "htt" << "http://before.example/";
    }

    void statusTextRemembersWebAddresses()
    {
        QFETCH(QString, text);
        QFETCH(QString, remembered);
        browser()->fireStatusText(QStringLiteral("http://before.example/"));
        browser()->fireStatusText(text);
        QCOMPARE(m_strip->StatusUrl, remembered);
    }

    void onlyLinkClicksLeaveTheStrip_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<WebBrowser::NavigationKind>("kind");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<bool>("proceeds");

        const QString link = QStringLiteral("http://maker.test/programs/skazki/");
        QTest::newRow("click on a pointed link") << link << WebBrowser::NavigationKind::LinkClicked << true << false;
        QTest::newRow("click in a frame") << link << WebBrowser::NavigationKind::LinkClicked << false << false;
        QTest::newRow("click, nothing pointed at") << "" << WebBrowser::NavigationKind::LinkClicked << true << false;
        QTest::newRow("the program's page") << link << WebBrowser::NavigationKind::Program << true << true;
        QTest::newRow("the page's redirect") << link << WebBrowser::NavigationKind::Other << true << true;
        QTest::newRow("the page's frame") << link << WebBrowser::NavigationKind::Other << false << true;
        QTest::newRow("a frame, nothing pointed at") << "" << WebBrowser::NavigationKind::Other << false << true;
    }

    void onlyLinkClicksLeaveTheStrip()
    {
        QFETCH(QString, status);
        QFETCH(WebBrowser::NavigationKind, kind);
        QFETCH(bool, mainFrame);
        QFETCH(bool, proceeds);
        // The user presses on what the status names; a click on nothing follows no link.
        browser()->fireStatusText(status);
        browser()->fireUserPress();
        const bool toLink = kind == WebBrowser::NavigationKind::LinkClicked && !status.isEmpty();
        const QString target = toLink ? status : QStringLiteral("http://elsewhere.test/");
        QCOMPARE(browser()->fireNavigation(target, kind, mainFrame), proceeds);
        if (proceeds || status.isEmpty()) {
            settle();
            QVERIFY(m_desk.opener.opened.isEmpty());
        } else {
            // The link pointed at is handed off, not the address about to load.
            QTRY_COMPARE(m_desk.opener.opened.size(), 1);
            QCOMPARE(handedOff(0), status);
        }
    }

    void newWindowsAreAlwaysRefused_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("userInitiated");
        QTest::addColumn<bool>("handsOff");
        const QString link = QStringLiteral("https://maker.test/programs/azbuka/");
        QTest::newRow("the user's click on a pointed link") << link << true << true;
        QTest::newRow("the page's own window.open") << link << false << false;
        QTest::newRow("a click, nothing pointed at") << "" << true << false;
        QTest::newRow("the page, nothing pointed at") << "" << false << false;
    }

    void newWindowsAreAlwaysRefused()
    {
        QFETCH(QString, status);
        QFETCH(bool, userInitiated);
        QFETCH(bool, handsOff);
        browser()->fireStatusText(status);
        if (userInitiated)
            browser()->fireUserPress();
        QVERIFY(!browser()->fireNewWindow(status.isEmpty() ? QStringLiteral("http://popup.test/") : status,
                                          userInitiated));
        if (handsOff) {
            QTRY_COMPARE(m_desk.opener.opened.size(), 1);
            QCOMPARE(handedOff(0), status);
        } else {
            settle();
            QVERIFY(m_desk.opener.opened.isEmpty());
        }
    }

    void titleKeyDependsOnTheAdNumberAlone_data()
    {
        QTest::addColumn<int>("n");
        for (int n = 0; n < AdPageCount; ++n)
            QTest::addRow("page %d", n) << n;
    }

    void titleKeyDependsOnTheAdNumberAlone()
    {
        QFETCH(int, n);
        auto &rnd = RuntimeRandom::instance();
        const QString key = TitleKeyFor(n);
        QVERIFY(QRegularExpression(QStringLiteral("^[1-9]{10}$")).match(key).hasMatch());
        // Whatever the generator did before, the same number gives the same key.
        rnd.randomize();
        rnd.next();
        QCOMPARE(TitleKeyFor(n), key);
        rnd.setSeed(12345);
        QCOMPARE(TitleKeyFor(n), key);
    }

    void pagesCarryTheirKeys()
    {
        const QString source = qEnvironmentVariable("MIRELKA_SOURCE_DIR");
        QVERIFY2(!source.isEmpty(), "run through CTest, which names the source folder");
        QSet<QString> keys;
        for (int n = 0; n < AdPageCount; ++n) {
            QFile file(source + QStringLiteral("/data/reklama/%1.html").arg(n));
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            const QString page = QString::fromUtf8(file.readAll());
            const auto title = QRegularExpression(QStringLiteral("<title>([^<]*)</title>")).match(page);
            QVERIFY(title.hasMatch());
            QCOMPARE(title.captured(1), TitleKeyFor(n));
            QVERIFY(page.contains(QLatin1String("href=\"http://mirelka.example/")));
            keys.insert(title.captured(1));
        }
        QCOMPARE(keys.size(), AdPageCount);
    }
};

QTEST_MAIN(TestReklama)
#include "tst_reklama.moc"
