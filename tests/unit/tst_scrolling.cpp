// Scrolling the catalogue page: the range, the bar, the keys and the focus.

#include "TestSupport.h"

#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"
#include "pageview/ProkrutkaM.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

using namespace TestSupport;

class TestScrolling : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString dataPath() const { return m_dir.path() + QStringLiteral("/Data/"); }
    QScrollBar &bar() { return *frmForma::instance().VScroll1; }
    PictureBox &canvas() { return *frmForma::instance().picText; }

    // A view whose bar is 300 high, with a canvas 500 high.
    void canvas500InView300()
    {
        startProgram(dataPath(), QSize(800, 409));
        QCOMPARE(decl().PageHeight, 300);
        canvas().resize(canvas().width(), 500);
        ProkrutkaM();
    }

    void key(int qtKey)
    {
        QTest::keyPress(&canvas(), Qt::Key(qtKey));
        QTest::keyRelease(&canvas(), Qt::Key(qtKey));
    }

private slots:
    void init()
    {
        QDir(dataPath()).removeRecursively();
        writeSection(dataPath(), 1, makeEntries(1, 2));
        writeSection(dataPath(), 2, makeEntries(2, 100));
    }
    void cleanup() { frmForma::destroyInstance(); }

    void rangeFollowsTheCanvas()
    {
        canvas500InView300();
        QVERIFY(bar().isEnabled());
        QCOMPARE(bar().maximum(), 200);
        key(Qt::Key_End);
        QCOMPARE(bar().value(), 200);
        QCOMPARE(canvas().y(), -200);
    }

    void keys_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("expected");
        QTest::newRow("down near the end stops at the maximum") << 190 << int(Qt::Key_Down) << 200;
        QTest::newRow("down one line") << 0 << int(Qt::Key_Down) << 21;
        QTest::newRow("up one line") << 100 << int(Qt::Key_Up) << 79;
        QTest::newRow("up near the top stops at 0") << 10 << int(Qt::Key_Up) << 0;
        QTest::newRow("page up is the page plus 10") << 50 << int(Qt::Key_PageUp) << 0;
        QTest::newRow("page down stops at the maximum") << 0 << int(Qt::Key_PageDown) << 200;
        QTest::newRow("home") << 150 << int(Qt::Key_Home) << 0;
        QTest::newRow("end") << 0 << int(Qt::Key_End) << 200;
        QTest::newRow("other keys do nothing") << 80 << int(Qt::Key_Space) << 80;
    }

    void keys()
    {
        QFETCH(int, from);
        QFETCH(int, qtKey);
        QFETCH(int, expected);
        canvas500InView300();
        bar().setValue(from);
        key(qtKey);
        QCOMPARE(bar().value(), expected);
        QCOMPARE(canvas().y(), -expected);
    }

    void wheel_data()
    {
        QTest::addColumn<bool>("overTheBar");
        QTest::addColumn<QList<int>>("deltas");
        QTest::addColumn<int>("expected");
        // A notch is 120; it scrolls three lines of 21 pixels.
        QTest::newRow("a notch down over the page") << false << QList<int>{-120} << 63;
        QTest::newRow("a notch down over the bar") << true << QList<int>{-120} << 63;
        QTest::newRow("two notches down, one up") << false << QList<int>{-120, -120, 120} << 63;
        QTest::newRow("half notches add up") << false << QList<int>{-60, -60, -60} << 94;
        QTest::newRow("near the end stops at the maximum") << false << QList<int>{-120, -120, -120, -120} << 200;
        QTest::newRow("up at the top stays") << true << QList<int>{120} << 0;
    }

    void wheel()
    {
        QFETCH(bool, overTheBar);
        QFETCH(QList<int>, deltas);
        QFETCH(int, expected);
        canvas500InView300();
        QWidget *target = overTheBar ? static_cast<QWidget *>(&bar()) : &canvas();
        for (int delta : deltas) {
            QWheelEvent turn(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                             Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(target, &turn);
        }
        QCOMPARE(bar().value(), expected);
        QCOMPARE(canvas().y(), -expected);
        // The bar's own arrows and track keep their steps.
        QCOMPARE(bar().singleStep(), 96);
        QCOMPARE(bar().pageStep(), 300);
    }

    void pageStepsDifferUpAndDown()
    {
        // A tall page in a 300-pixel view: Page Down moves 290, Page Up 310.
        startProgram(dataPath(), QSize(800, 409));
        NomerStranicyM(2);
        QVERIFY(bar().maximum() > 1000);
        key(Qt::Key_PageDown);
        QCOMPARE(bar().value(), 290);
        key(Qt::Key_PageDown);
        QCOMPARE(bar().value(), 580);
        key(Qt::Key_PageUp);
        QCOMPARE(bar().value(), 270);
    }

    void homeAndEndActOnRelease()
    {
        canvas500InView300();
        QTest::keyPress(&canvas(), Qt::Key_End);
        QCOMPARE(bar().value(), 0);
        QTest::keyRelease(&canvas(), Qt::Key_End);
        QCOMPARE(bar().value(), 200);
    }

    void disabledBarIgnoresKeys()
    {
        startProgram(dataPath(), QSize(800, 600));
        QVERIFY(!bar().isEnabled());
        for (int k : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End}) {
            key(k);
            QCOMPARE(bar().value(), 0);
            QCOMPARE(canvas().y(), 0);
        }
    }

    void draggingTheThumbMovesThePage()
    {
        canvas500InView300();
        bar().setSliderDown(true);
        bar().setSliderPosition(120);
        QCOMPARE(canvas().y(), -120);
        bar().setSliderDown(false);
    }

    void clickingTheBarKeepsTheFocusOnThePage()
    {
        canvas500InView300();
        frmForma::instance().activateWindow();
        canvas().setFocus();
        QTRY_VERIFY(canvas().hasFocus());
        QTest::mouseClick(&bar(), Qt::LeftButton, {}, QPoint(8, bar().height() - 30));
        QVERIFY(bar().value() > 0);
        QVERIFY(canvas().hasFocus());
        const int v = bar().value();
        key(Qt::Key_Up);
        QCOMPARE(bar().value(), std::max(v - 21, 0));
    }

    void newPageStartsAtTheTop()
    {
        startProgram(dataPath(), QSize(800, 409));
        NomerStranicyM(2);
        key(Qt::Key_End);
        QVERIFY(bar().value() > 0);
        NomerStranicyM(2);
        QCOMPARE(bar().value(), 0);
        QCOMPARE(canvas().y(), 0);
    }

    void growingViewThatFitsThePageBringsItToTheTop()
    {
        canvas500InView300();
        key(Qt::Key_End);
        QCOMPARE(canvas().y(), -200);
        setClientSize(QSize(800, 700));
        QVERIFY(!bar().isEnabled());
        QCOMPARE(bar().value(), 0);
        QCOMPARE(canvas().y(), 0);
    }

    void shrinkingViewKeepsTheValueInRange()
    {
        canvas500InView300();
        key(Qt::Key_End);
        setClientSize(QSize(800, 509)); // bar 400 high: maximum 100
        QCOMPARE(bar().maximum(), 100);
        QCOMPARE(bar().value(), 100);
        QCOMPARE(canvas().y(), -100);
    }
};

QTEST_MAIN(TestScrolling)
#include "tst_scrolling.moc"
