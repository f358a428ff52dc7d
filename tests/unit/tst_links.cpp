// Links on the catalogue page: the outline under the pointer, the hand
// pointer, and what releasing a button over a link chooses.

#include "TestSupport.h"

#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"
#include "pageview/VyborLinksM.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"
#include "web/Sites.h"

#include <QFrame>
#include <QtTest>

using namespace TestSupport;

class TestLinks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString dataPath() const { return m_dir.path() + QStringLiteral("/Data/"); }
    PictureBox &canvas() { return *frmForma::instance().picText; }

    QPoint centreOf(int index) { return linkCentre(decl().LinkBoxes[index]); }

    // Qt drops a move to the position it last saw, so go through another
    // point first: every move here is a real one.
    void moveTo(QPoint p)
    {
        QTest::mouseMove(&canvas(), p + QPoint(0, 1));
        QTest::mouseMove(&canvas(), p);
    }

    // The colour of the box's top edge, halfway along.
    QColor edgeColour(int index)
    {
        const LinkBox &b = decl().LinkBoxes[index];
        return canvas().image().pixelColor((b.X1 + b.X2) / 2, b.Y1);
    }

    void clickLink(int index, Qt::MouseButton button = Qt::LeftButton)
    {
        moveTo(centreOf(index));
        QTest::mousePress(&canvas(), button, {}, centreOf(index));
        QTest::mouseRelease(&canvas(), button, {}, centreOf(index));
    }

private slots:
    void init()
    {
        QDir(dataPath()).removeRecursively();
        writeSection(dataPath(), 1, makeEntries(1, 5));
        writeSection(dataPath(), 2, makeEntries(2, 5));
        writeSection(dataPath(), 5, makeEntries(5, 3));
        startProgram(dataPath(), QSize(1100, 600));
    }
    void cleanup() { frmForma::destroyInstance(); }

    void pointOnTheEdgeIsNotOnTheLink()
    {
        const LinkBox b = decl().LinkBoxes[39];
        moveTo(QPoint(b.X1, (b.Y1 + b.Y2) / 2));
        QCOMPARE(decl().HoverLink, -1);
        moveTo(QPoint(b.X1 + 1, b.Y1 + 1));
        QCOMPARE(decl().HoverLink, 39);
        moveTo(QPoint(b.X2, b.Y1 + 1));
        QCOMPARE(decl().HoverLink, -1);
    }

    void outlineAndPointerFollowTheLink()
    {
        const QImage before = canvas().image();
        moveTo(centreOf(39));
        QCOMPARE(decl().HoverLink, 39);
        QCOMPARE(edgeColour(39), QColor(0, 0, 255));
        QCOMPARE(canvas().cursor().bitmap().size(), QSize(32, 32));
        QCOMPARE(canvas().cursor().hotSpot(), QPoint(0, 0));

        // Moving within the link draws nothing.
        const QImage outlined = canvas().image();
        moveTo(centreOf(39) + QPoint(3, 1));
        QCOMPARE(canvas().image(), outlined);

        // Straight onto the next link: the first outline goes, the hand stays.
        moveTo(centreOf(40));
        QCOMPARE(decl().HoverLink, 40);
        QCOMPARE(edgeColour(39), QColor(255, 255, 255));
        QCOMPARE(edgeColour(40), QColor(0, 0, 255));
        QCOMPARE(canvas().cursor().bitmap().size(), QSize(32, 32));

        // Onto empty canvas: no outline, the default pointer.
        moveTo(QPoint(700, 400));
        QCOMPARE(decl().HoverLink, -1);
        QCOMPARE(canvas().cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(canvas().image(), before);
    }

    void dragOffALinkChoosesNothing()
    {
        const int link = linkOf(QStringLiteral("list2"));
        moveTo(centreOf(link));
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, centreOf(link));
        moveTo(QPoint(700, 400));
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, QPoint(700, 400));
        QCOMPARE(decl().CurrentSection, 1);
    }

    void anyButtonChooses_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << int(Qt::LeftButton);
        QTest::newRow("right") << int(Qt::RightButton);
        QTest::newRow("middle") << int(Qt::MiddleButton);
    }

    void anyButtonChooses()
    {
        QFETCH(int, button);
        clickLink(linkOf(QStringLiteral("list2")), Qt::MouseButton(button));
        QCOMPARE(decl().CurrentSection, 2);
        QCOMPARE(decl().HoverLink, -1);
    }

    void sectionLinkDrawsThatSection()
    {
        NomerStranicyM(2);
        clickLink(linkOf(QStringLiteral("list5")));
        QCOMPARE(decl().CurrentSection, 5);
        QCOMPARE(linkOf(QStringLiteral("list5")), -1);
        QVERIFY(linkOf(QStringLiteral("list2")) >= 0);
        QCOMPARE(decl().LastLink, 3 + 38);
    }

    void staleHoverFromALongerPageIsDropped()
    {
        moveTo(centreOf(43)); // entry 5 of section 1
        QCOMPARE(decl().HoverLink, 43);
        NomerStranicyM(5); // 3 entries: LastLink 41
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(decl().HoverLink, -1);
        QCOMPARE(decl().CurrentSection, 5);
    }

    void releaseDuringTheChoiceChoosesNothing()
    {
        const int link = linkOf(QStringLiteral("list2"));
        moveTo(centreOf(link));
        int sectionsDrawn = 0;
        // A second release arrives while the page of the first choice yields.
        QTimer::singleShot(0, this, [&] {
            QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, centreOf(link));
            sectionsDrawn = decl().CurrentSection;
        });
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, centreOf(link));
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, centreOf(link));
        QCOMPARE(sectionsDrawn, 2);
        // The stale link index would have meant "list3" on section 2's page.
        QCOMPARE(decl().CurrentSection, 2);
    }

    void entryOpensItsPageInATab()
    {
        clickLink(39);
        const auto &d = decl();
        QCOMPARE(d.PanelCount, 1);
        QCOMPARE(d.ActivePanel, 1);
        QCOMPARE(d.PanelLink[1], EntryRecord(1, 1));
        auto &f = frmForma::instance();
        QCOMPARE(f.usrPanel1.value(1)->toolTip(), d.MultTable[1][1].Title);
        auto *browser = static_cast<FakeBrowser *>(f.WebRazdel.value(1).data());
        QCOMPARE(browser->navigations.size(), 1);
        QCOMPARE(browser->navigations[0].first,
                 QString::fromLatin1(DefaultCartoonSite) + QStringLiteral("/mults/?id=1-1"));
        QVERIFY(browser->isSilent());
        QVERIFY(!f.picBox->isVisible());
    }

    void entryWithAnOpenTabShowsIt()
    {
        clickLink(39);
        ActivePanelM(0);
        clickLink(40);
        ActivePanelM(0);
        clickLink(39);
        QCOMPARE(decl().PanelCount, 2);
        QCOMPARE(decl().ActivePanel, 1);

        // Once that tab is closed, the entry gets a new one.
        UnloadPanelM(1);
        ActivePanelM(0);
        clickLink(39);
        QCOMPARE(decl().PanelCount, 3);
        QCOMPARE(decl().ActivePanel, 3);
        QCOMPARE(decl().PanelLink[3], EntryRecord(1, 1));
    }

    void sameEntryNumberInAnotherSectionGetsItsOwnTab()
    {
        clickLink(39);
        ActivePanelM(0);
        NomerStranicyM(2);
        clickLink(39);
        QCOMPARE(decl().PanelCount, 2);
        QCOMPARE(decl().ActivePanel, 2);
        QVERIFY(decl().PanelLink[1] != decl().PanelLink[2]);
    }

    void releaseWhileATabOpensOpensNoSecondTab()
    {
        moveTo(centreOf(39));
        int tabsDuringYield = -1;
        QTimer::singleShot(0, this, [&] {
            QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, centreOf(39));
            tabsDuringYield = decl().PanelCount;
        });
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, centreOf(39));
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, centreOf(39));
        QCOMPARE(tabsDuringYield, 1);
        QCOMPARE(decl().PanelCount, 1);
    }

    // A tab opened while the chosen entry's tab is being shown (help pressed,
    // another entry chosen) takes the next index; each tab keeps the record
    // of what it shows, and choosing the entry again finds its own tab.
    void tabOpenedDuringTheChoiceKeepsItsOwnRecord_data()
    {
        QTest::addColumn<bool>("help");
        QTest::newRow("help") << true;
        QTest::newRow("another entry") << false;
    }

    void tabOpenedDuringTheChoiceKeepsItsOwnRecord()
    {
        QFETCH(bool, help);
        moveTo(centreOf(39));
        QTimer::singleShot(0, this, [help] {
            if (help)
                MenuHelp_Click();
            else
                VyborLinksM(40);
        });
        QTest::mousePress(&canvas(), Qt::LeftButton, {}, centreOf(39));
        QTest::mouseRelease(&canvas(), Qt::LeftButton, {}, centreOf(39));
        const auto &d = decl();
        QCOMPARE(d.PanelCount, 2);
        QCOMPARE(d.PanelLink[1], EntryRecord(1, 1));
        QCOMPARE(d.PanelLink[2], help ? 0 : EntryRecord(1, 2));
        QCOMPARE(d.HelpPanel, help ? 2 : 0);

        ActivePanelM(0);
        clickLink(39);
        QCOMPARE(d.PanelCount, 2);
        QCOMPARE(d.ActivePanel, 1);
    }
};

QTEST_MAIN(TestLinks)
#include "tst_links.moc"
