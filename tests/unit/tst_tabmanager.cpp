// The tab manager and the Help and Close tab commands, on the real main
// window with browser doubles.

#include "app/Declare.h"
#include "mainwindow/frmForma.h"
#include "pageview/PictureBox.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include "FakeBrowser.h"
#include "TabInvariants.h"
#include "TestSupport.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

frmForma &forma()
{
    return frmForma::instance();
}

usrPanel *tab(int i)
{
    return forma().usrPanel1.value(i);
}

FakeBrowser *browser(int i)
{
    return static_cast<FakeBrowser *>(forma().WebRazdel.value(i).data());
}

QList<QRect> stripGeometry()
{
    QList<QRect> rects;
    for (int i = 0; i <= decl().PanelCount; ++i) {
        if (isLivePanel(i))
            rects.append(tab(i)->geometry());
    }
    return rects;
}

// The press and release of the close gesture, sent to the close button as
// the window system reports them: the release goes to the button that got the
// press, at a position in the button's own pixels.
void closeGesture(int i, QPoint releaseAt = QPoint(7, 7))
{
    QLabel *button = tab(i)->picClose;
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(7, 7));
    QTest::mouseRelease(button, Qt::LeftButton, {}, releaseAt);
}

// A left click on tab i at a point of the tab, given to the child under it.
void clickTab(int i, QPoint at = QPoint(20, 12))
{
    usrPanel *t = tab(i);
    QWidget *target = t->childAt(at);
    if (!target)
        target = t;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(t, at));
}

void postClick(QWidget *target, QPoint at)
{
    const QPointF pos(at);
    const QPointF global(target->mapToGlobal(at));
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonPress, pos, global,
                                                        Qt::LeftButton, Qt::LeftButton, {}));
    QCoreApplication::postEvent(target, new QMouseEvent(QEvent::MouseButtonRelease, pos, global,
                                                        Qt::LeftButton, Qt::NoButton, {}));
}

} // namespace

class TestTabManager : public QObject
{
    Q_OBJECT

private slots:
    // Start-up as the program does it, up to the first page.
    void init()
    {
        FakeBrowser::install();
        frmForma::destroyInstance();
        TestSupport::resetState(m_data.path() + QStringLiteral("/Data/"));
        auto &f = forma();
        decl().PageCanvas = f.picText;
        f.Form_Load();
        QCoreApplication::processEvents();
        ActivePanelM(0);
    }

    void cleanup() { frmForma::destroyInstance(); }

    void startState()
    {
        auto &d = decl();
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(d.PanelCount, 0);
        QVERIFY(!forma().MenuClose->isEnabled());
        QVERIFY(!tab(0)->picFon->isVisibleTo(tab(0)));
        QCOMPARE(tab(0)->toolTip(), QStringLiteral("Каталог"));
        QCOMPARE(tab(0)->geometry(), QRect(0, 77, d.FormWidth - 2, 25));
        CHECK_INVARIANTS();
    }

    // Three tabs in an 800-pixel window, then closing an inactive and the
    // active one, then one more tab.
    void openCloseAndLayOut()
    {
        auto &d = decl();
        auto &f = forma();
        f.resize(800, f.height());
        QTRY_COMPARE(d.FormWidth, 800);

        const QStringList titles{QStringLiteral("Ёжик в тумане"), QStringLiteral("Винни-Пух"),
                                 QStringLiteral("Каникулы Бонифация")};
        for (int n = 1; n <= 3; ++n) {
            const QString url = QStringLiteral("http://127.0.0.1:9/mults/?id=%1").arg(n);
            NewPanelM(titles[n - 1], url);
            QCOMPARE(d.PanelCount, n);
            QCOMPARE(d.ActivePanel, n);
            QCOMPARE(tab(n)->caption(), titles[n - 1]);
            QCOMPARE(tab(n)->toolTip(), titles[n - 1]);
            FakeBrowser *web = browser(n);
            QVERIFY(web);
            QVERIFY(web->isSilent());
            QCOMPARE(web->navigations, (QList<QPair<QString, int>>{{url, 0}}));
            QCOMPARE(web->geometry(), f.WebRazdel.value(0)->geometry());
            CHECK_INVARIANTS();
        }
        QCOMPARE(d.PanelClosed, (QList<int>{0, 0, 0, 0}));
        QCOMPARE(d.PanelLink, (QList<int>{0, 0, 0, 0}));
        QCOMPARE(stripGeometry(), (QList<QRect>{{0, 77, 198, 25}, {200, 77, 198, 25},
                                               {400, 77, 198, 25}, {600, 77, 198, 25}}));

        // Closing the inactive tab 2 by its button leaves tab 3 active.
        QPointer<usrPanel> closedTab = tab(2);
        QPointer<FakeBrowser> closedWeb = browser(2);
        closeGesture(2);
        QCOMPARE(d.ActivePanel, 3);
        QCOMPARE(d.OpenPanels, 2);
        QCOMPARE(d.PanelClosed, (QList<int>{0, 0, 1, 0}));
        CHECK_INVARIANTS();
        QCOMPARE(stripGeometry(),
                 (QList<QRect>{{0, 77, 264, 25}, {266, 77, 264, 25}, {532, 77, 264, 25}}));
        // The control and its browser go together, once the handler is done.
        QVERIFY(!closedTab->isVisible());
        QTRY_VERIFY(closedTab.isNull());
        QTRY_VERIFY(closedWeb.isNull());

        // Closing the active tab hands over to the catalogue, never to tab 1.
        f.MenuClose->trigger();
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(f.focusWidget(), static_cast<QWidget *>(f.picText));
        QVERIFY(!f.MenuClose->isEnabled());
        QCOMPARE(tab(1)->backColor(), InactiveTabColor);
        CHECK_INVARIANTS();
        QCOMPARE(stripGeometry(), (QList<QRect>{{0, 77, 398, 25}, {400, 77, 398, 25}}));

        // Indices are never reused; the new tab stands last.
        NewPanelM(QStringLiteral("Чебурашка"), QStringLiteral("http://127.0.0.1:9/mults/?id=4"));
        QCOMPARE(d.PanelCount, 4);
        QCOMPARE(d.ActivePanel, 4);
        QCOMPARE(d.PanelClosed, (QList<int>{0, 0, 1, 1, 0}));
        QCOMPARE(tab(4)->geometry(), QRect(532, 77, 264, 25));
        CHECK_INVARIANTS();
    }

    void clickingTheActiveTabChangesNothing()
    {
        auto &f = forma();
        NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1"));
        clickTab(0);
        QCOMPARE(decl().ActivePanel, 0);
        QCOMPARE(f.focusWidget(), static_cast<QWidget *>(f.picText));
        CHECK_INVARIANTS();

        // Focus elsewhere: a click on the active tab must not take it back.
        auto *elsewhere = new QLineEdit(f.client);
        elsewhere->show();
        elsewhere->setFocus();
        QCOMPARE(f.focusWidget(), elsewhere);
        clickTab(0);
        QCOMPARE(f.focusWidget(), elsewhere);
        QCOMPARE(decl().ActivePanel, 0);
        CHECK_INVARIANTS();

        // A web tab made active takes the keyboard into its page.
        clickTab(1);
        QCOMPARE(decl().ActivePanel, 1);
        QVERIFY(f.MenuClose->isEnabled());
        QCOMPARE(f.focusWidget(), static_cast<QWidget *>(f.WebRazdel.value(1)));
        CHECK_INVARIANTS();
        elsewhere->setFocus();
        clickTab(1);
        QCOMPARE(decl().ActivePanel, 1);
        QCOMPARE(f.focusWidget(), elsewhere);
        CHECK_INVARIANTS();
    }

    void closeCommandSparesTheCatalogue()
    {
        auto &d = decl();
        MenuClose_Click();
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(d.PanelClosed, QList<int>{0});
        CHECK_INVARIANTS();

        // The shortcut or a stray call while the catalogue is active with a
        // web tab open behind it.
        NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1"));
        ActivePanelM(0);
        MenuClose_Click();
        QCOMPARE(d.OpenPanels, 1);
        QVERIFY(isLivePanel(1));
        CHECK_INVARIANTS();
    }

    void help()
    {
        auto &d = decl();
        const QString helpPath = QCoreApplication::applicationDirPath() + QStringLiteral("/Справка.htm");

        MenuHelp_Click();
        QCOMPARE(d.PanelCount, 1);
        QCOMPARE(d.HelpPanel, 1);
        QCOMPARE(d.ActivePanel, 1);
        QCOMPARE(tab(1)->caption(), QStringLiteral("Справка"));
        QCOMPARE(browser(1)->navigations.value(0).first, helpPath);
        CHECK_INVARIANTS();

        // Help again finds the open help tab.
        MenuHelp_Click();
        QCOMPARE(d.PanelCount, 1);
        QCOMPARE(d.ActivePanel, 1);

        // With another tab active, Help switches back.
        NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1"));
        QCOMPARE(d.ActivePanel, 2);
        MenuHelp_Click();
        QCOMPARE(d.PanelCount, 2);
        QCOMPARE(d.ActivePanel, 1);
        CHECK_INVARIANTS();

        // Closing another tab leaves the help tab known; closing it forgets it.
        UnloadPanelM(2);
        QCOMPARE(d.HelpPanel, 1);
        MenuClose_Click();
        QCOMPARE(d.HelpPanel, 0);
        CHECK_INVARIANTS();

        MenuHelp_Click();
        QCOMPARE(d.PanelCount, 3);
        QCOMPARE(d.HelpPanel, 3);
        QCOMPARE(d.ActivePanel, 3);
        CHECK_INVARIANTS();
    }

    void narrowStrip_data()
    {
        QTest::addColumn<int>("formWidth");
        QTest::addColumn<int>("webTabs");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<int>("width");

        QTest::newRow("design width") << 784 << 2 << QList<int>{0, 261, 522} << 259;
        QTest::newRow("exact fit") << 800 << 3 << QList<int>{0, 200, 400, 600} << 198;
        QTest::newRow("catalogue alone") << 320 << 0 << QList<int>{0} << 318;
        // Slots of 2, 1 and 0 pixels: every tab keeps one pixel and a column
        // of its own, in order.
        QTest::newRow("slot 2") << 8 << 3 << QList<int>{0, 2, 4, 6} << 1;
        QTest::newRow("slot 1") << 5 << 3 << QList<int>{0, 1, 2, 3} << 1;
        QTest::newRow("slot 0") << 3 << 3 << QList<int>{0, 1, 2, 3} << 1;
    }

    void narrowStrip()
    {
        QFETCH(int, formWidth);
        QFETCH(int, webTabs);
        QFETCH(QList<int>, lefts);
        QFETCH(int, width);

        for (int n = 1; n <= webTabs; ++n)
            NewPanelM(QString::number(n), QStringLiteral("http://127.0.0.1:9/%1").arg(n));
        decl().FormWidth = formWidth;
        SizePanelM();
        QList<QRect> want;
        for (int left : lefts)
            want.append(QRect(left, 77, width, 25));
        QCOMPARE(stripGeometry(), want);
    }

    // Events that wait while a tab is being activated run in the middle of
    // it: closes of other tabs, of the tab itself, twice, and clicks.
    void eventsDuringActivation()
    {
        auto &d = decl();
        for (int n = 1; n <= 3; ++n)
            NewPanelM(QString::number(n), QStringLiteral("http://127.0.0.1:9/%1").arg(n));
        ActivePanelM(1);

        // Tab 2 closed twice over, then the tab being activated closed too.
        for (int k = 0; k < 2; ++k)
            postClick(tab(2)->picClose, QPoint(7, 7));
        postClick(tab(3)->picClose, QPoint(7, 7));
        ActivePanelM(3);
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(d.OpenPanels, 1);
        QCOMPARE(d.PanelClosed, (QList<int>{0, 0, 1, 1}));
        CHECK_INVARIANTS();

        // A click on another tab while activating one: the click wins.
        NewPanelM(QStringLiteral("4"), QStringLiteral("http://127.0.0.1:9/4"));
        postClick(tab(1), QPoint(20, 12));
        ActivePanelM(0);
        QCOMPARE(d.ActivePanel, 1);
        CHECK_INVARIANTS();

        // A close of another tab while one is being closed.
        postClick(tab(4)->picClose, QPoint(7, 7));
        UnloadPanelM(1);
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(d.OpenPanels, 0);
        CHECK_INVARIANTS();
        QCOMPARE(stripGeometry(), (QList<QRect>{{0, 77, d.FormWidth - 2, 25}}));
    }

    // A tab clicked while the help tab is being shown is not taken for it,
    // and Help pressed again then does not open a second one.
    void eventsDuringHelp()
    {
        auto &d = decl();
        NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1"));
        postClick(tab(0), QPoint(20, 12));
        MenuHelp_Click();
        QCOMPARE(d.ActivePanel, 0);
        QCOMPARE(d.HelpPanel, 2);
        CHECK_INVARIANTS();
        MenuHelp_Click();
        QCOMPARE(d.PanelCount, 2);
        QCOMPARE(d.ActivePanel, 2);

        // The help tab closed while it is being opened.
        UnloadPanelM(2);
        QMetaObject::invokeMethod(forma().client, [] { MenuClose_Click(); }, Qt::QueuedConnection);
        MenuHelp_Click();
        QCOMPARE(d.HelpPanel, 0);
        QCOMPARE(d.ActivePanel, 0);
        CHECK_INVARIANTS();

        // Help pressed while the active help tab closes: a new help tab opens
        // (the closed one is 4, the new one 5).
        MenuHelp_Click();
        QCOMPARE(d.HelpPanel, 4);
        QMetaObject::invokeMethod(forma().client, [] { MenuHelp_Click(); }, Qt::QueuedConnection);
        MenuClose_Click();
        QCOMPARE(d.PanelCount, 5);
        QCOMPARE(d.HelpPanel, 5);
        QCOMPARE(d.ActivePanel, 5);
        QCOMPARE(tab(5)->caption(), QStringLiteral("Справка"));
        CHECK_INVARIANTS();

        // A tab opened while another is being activated: each call returns
        // its own tab, 6 and 7, though PanelCount is 7 when the first returns.
        int inner = 0;
        QMetaObject::invokeMethod(
            forma().client, [&inner] { inner = NewPanelM(QStringLiteral("Два"), QStringLiteral("http://127.0.0.1:9/2")); },
            Qt::QueuedConnection);
        QCOMPARE(NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1")), 6);
        QCOMPARE(inner, 7);
        QCOMPARE(d.PanelCount, 7);
        QCOMPARE(tab(6)->caption(), QStringLiteral("Один"));
    }

    // The strip as it is drawn: active tab light, the others darker.
    void stripPicture()
    {
        auto &f = forma();
        NewPanelM(QStringLiteral("Ёжик в тумане"), QStringLiteral("http://127.0.0.1:9/1"));
        NewPanelM(QStringLiteral("Справка"), QStringLiteral("http://127.0.0.1:9/2"));
        clickTab(1);
        const QImage strip = f.client->grab(QRect(0, 73, f.client->width(), 32)).toImage();
        if (const QByteArray dir = qgetenv("MIRELKA_SCREENSHOT_DIR"); !dir.isEmpty())
            strip.save(QString::fromLocal8Bit(dir) + QStringLiteral("/tabstrip.png"));
        for (int i = 0; i <= 2; ++i) {
            const QRect r = tab(i)->geometry().translated(0, -73);
            const QColor want = i == 1 ? ActiveTabColor : InactiveTabColor;
            // The bottom row of each tab is free of text.
            QCOMPARE(strip.pixelColor(r.left() + 1, r.bottom()), want);
            QCOMPARE(strip.pixelColor(r.left() + 110, r.top() + 1), want);
        }
        // Web tabs show their padlock; the catalogue tab shows none.
        const QRect r1 = tab(1)->geometry().translated(0, -73);
        QCOMPARE(strip.pixelColor(r1.left() + 113, r1.top() + 4), QColor(255, 147, 147));
        const QRect r0 = tab(0)->geometry().translated(0, -73);
        QCOMPARE(strip.pixelColor(r0.left() + 113, r0.top() + 4), InactiveTabColor);
    }

private:
    QTemporaryDir m_data;
};

QTEST_MAIN(TestTabManager)
#include "tst_tabmanager.moc"
