// The tab control: its picture, its click and its close gesture, driven with
// mouse events on its child controls inside the real main window.

#include "app/Declare.h"
#include "mainwindow/frmForma.h"
#include "tabs/TabManager.h"
#include "tabs/usrPanel.h"

#include "FakeBrowser.h"
#include "TestSupport.h"

#include "search/frmFound.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// The padlock as it must look: '#' black, '.' light red.
const char *const Padlock[15] = {
    "...............",
    "...............",
    "......###......",
    "....#######....",
    "...###...###...",
    "..##.......##..",
    "..##.......##..",
    "..###########..",
    "..###########..",
    "..#####.#####..",
    "..####...####..",
    "..####...####..",
    "..###########..",
    "...............",
    "...............",
};

const QColor LightRed(255, 147, 147);

usrPanel *tab(int i)
{
    return frmForma::instance().usrPanel1.value(i);
}

// Relative luminance, by the sRGB formula of the web's contrast guidelines.
double luminance(const QColor &c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

} // namespace

using TestSupport::clickTab;

class TestUsrPanel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        TestSupport::loadWindow(m_data.path() + QStringLiteral("/Data/"));
        // Tab 1 inactive, tab 2 active.
        NewPanelM(QStringLiteral("Один"), QStringLiteral("http://127.0.0.1:9/1"));
        NewPanelM(QStringLiteral("Два"), QStringLiteral("http://127.0.0.1:9/2"));
    }

    void cleanup() { frmForma::destroyInstance(); }

    void picture()
    {
        usrPanel fresh(frmForma::instance().client);
        QCOMPARE(fresh.size(), QSize(132, 24));
        QCOMPARE(fresh.caption(), QStringLiteral("Каталог"));
        QCOMPARE(fresh.Label1->pos(), QPoint(4, 2));
        QCOMPARE(fresh.Label1->size(), fresh.Label1->sizeHint());
        QCOMPARE(fresh.Label1->font().pointSize(), 12);
        QCOMPARE(fresh.Label1->font().weight(), QFont::Bold);

        const QImage image = fresh.grab().toImage();
        for (int row = 0; row < 15; ++row) {
            for (int column = 0; column < 15; ++column) {
                const QColor want = Padlock[row][column] == '#' ? QColor(Qt::black) : LightRed;
                QVERIFY2(image.pixelColor(113 + column, 4 + row) == want,
                         qPrintable(QStringLiteral("padlock row %1 column %2").arg(row + 1).arg(column + 1)));
            }
        }
        // The square around the button and the surface are the tab colour.
        QCOMPARE(image.pixelColor(108, 0), ActiveTabColor);
        QCOMPARE(image.pixelColor(131, 23), ActiveTabColor);
        QCOMPARE(image.pixelColor(112, 10), ActiveTabColor);
        QCOMPARE(image.pixelColor(0, 23), ActiveTabColor);
    }

    void greyTab()
    {
        usrPanel fresh(frmForma::instance().client);
        fresh.NewFon(InactiveTabColor);
        const QImage image = fresh.grab().toImage();
        QCOMPARE(image.pixelColor(1, 1), InactiveTabColor);
        QCOMPARE(image.pixelColor(110, 1), InactiveTabColor);
        QCOMPARE(image.pixelColor(113, 4), LightRed);
        // The caption has no background of its own: its box shows the grey
        // tab, never the lighter colour it was made with, around dark letters.
        const QRect box = fresh.Label1->geometry();
        int grey = 0;
        int ink = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY(c != ActiveTabColor && c != QColor(Qt::white));
                grey += c == InactiveTabColor;
                ink += c.lightness() < 96;
            }
        }
        QVERIFY(grey > box.width() * box.height() / 2);
        QVERIFY(ink > 20);
    }

    // Under a dark desktop palette the text on the program's fixed greys
    // keeps a contrast of 4.5 : 1: its darkest pixel against the grey.
    void readableUnderDarkPalette_data()
    {
        QTest::addColumn<int>("control");
        QTest::addColumn<QColor>("back");
        QTest::newRow("active tab") << 0 << QColor(224, 224, 224);
        QTest::newRow("inactive tab") << 0 << QColor(192, 192, 192);
        QTest::newRow("search label") << 2 << QColor(192, 192, 192);
        QTest::newRow("search button") << 3 << QColor(192, 192, 192);
    }
    void readableUnderDarkPalette()
    {
        QFETCH(int, control);
        QFETCH(QColor, back);
        const QPalette before = QApplication::palette();
        QPalette dark(QColor(53, 53, 53));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::ButtonText, Qt::white);
        QApplication::setPalette(dark);
        QCoreApplication::processEvents(); // the main window takes it
        QImage text;
        if (control == 0) {
            usrPanel fresh(frmForma::instance().client);
            fresh.NewFon(back);
            text = fresh.grab(fresh.Label1->geometry()).toImage();
        } else {
            frmFound *found = frmFound::Show();
            found->Text1->setText(QStringLiteral("кот"));
            QWidget *w = control == 2 ? static_cast<QWidget *>(found->Label2) : found->kFound;
            text = found->grab(w->geometry().adjusted(4, 4, -4, -4)).toImage();
            frmFound::destroyInstance();
        }
        QApplication::setPalette(before);
        double darkest = 1;
        for (int i = 0; i < text.width() * text.height(); ++i)
            darkest = std::min(darkest, luminance(text.pixelColor(i % text.width(), i / text.width())));
        QVERIFY((luminance(back) + 0.05) / (darkest + 0.05) >= 4.5);
    }

    // A long caption disappears under the close square and shows again to
    // its right; the contents keep their places whatever the tab's size.
    void fixedPlaces()
    {
        usrPanel fresh(frmForma::instance().client);
        fresh.NewText(QStringLiteral("ЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖЖ"));
        fresh.resize(400, 25);
        QCOMPARE(fresh.picFon->geometry(), QRect(108, 0, 24, 24));
        QCOMPARE(fresh.Label1->pos(), QPoint(4, 2));
        QVERIFY(fresh.Label1->width() > 200);
        const QImage image = fresh.grab().toImage();
        auto inkIn = [&](int from, int to) {
            int ink = 0;
            for (int y = 0; y < 24; ++y)
                for (int x = from; x <= to; ++x)
                    ink += image.pixelColor(x, y).lightness() < 96;
            return ink;
        };
        QVERIFY(inkIn(4, 107) > 0);
        QVERIFY(inkIn(132, 199) > 0);
        // Under the square: the padlock's black, nothing of the caption.
        QCOMPARE(inkIn(108, 131), 83);
    }

    // Presses on the close button and where the release is reported, in the
    // button's own pixels.
    void closeGesture_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QPoint>("releaseAt");
        QTest::addColumn<bool>("closes");

        QTest::newRow("middle") << Qt::LeftButton << QPoint(7, 7) << true;
        QTest::newRow("top left pixel") << Qt::LeftButton << QPoint(0, 0) << true;
        QTest::newRow("right edge pixel") << Qt::LeftButton << QPoint(14, 7) << true;
        QTest::newRow("bottom edge pixel") << Qt::LeftButton << QPoint(7, 14) << true;
        QTest::newRow("right button") << Qt::RightButton << QPoint(7, 7) << true;
        QTest::newRow("middle button") << Qt::MiddleButton << QPoint(3, 3) << true;
        QTest::newRow("one past the right") << Qt::LeftButton << QPoint(15, 7) << false;
        QTest::newRow("one past the bottom") << Qt::LeftButton << QPoint(7, 15) << false;
        QTest::newRow("one before the left") << Qt::LeftButton << QPoint(-1, 7) << false;
        QTest::newRow("one above") << Qt::LeftButton << QPoint(7, -1) << false;
        QTest::newRow("dragged far off") << Qt::LeftButton << QPoint(60, 40) << false;
    }

    void closeGesture()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(QPoint, releaseAt);
        QFETCH(bool, closes);
        auto &d = decl();

        // Tab 1 is inactive: closing it must not make it active first, and
        // not closing it must leave it inactive.
        usrPanel *t = tab(1);
        QTest::mousePress(t->picClose, button, {}, QPoint(7, 7));
        QCOMPARE(t->closePressed(), 1);
        QTest::mouseRelease(t->picClose, button, {}, releaseAt);
        QCOMPARE(isLivePanel(1), !closes);
        QCOMPARE(d.ActivePanel, 2);
        QCOMPARE(d.OpenPanels, closes ? 1 : 2);
        if (!closes) {
            QCOMPARE(t->closePressed(), 0);
            QCOMPARE(t->backColor(), InactiveTabColor);
        }
    }

    void releaseWithoutPressDoesNothing()
    {
        QTest::mouseRelease(tab(1)->picClose, Qt::LeftButton, {}, QPoint(7, 7));
        QVERIFY(isLivePanel(1));
        QCOMPARE(decl().ActivePanel, 2);
    }

    // Where a click on a tab lands, and whether it activates the tab.
    void click_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("active");

        QTest::newRow("caption") << 1 << QPoint(12, 10) << 1;
        QTest::newRow("surface below the caption") << 1 << QPoint(60, 23) << 1;
        QTest::newRow("close square around the button") << 1 << QPoint(110, 2) << 1;
        QTest::newRow("catalogue caption") << 0 << QPoint(12, 10) << 0;
        // The catalogue tab has no close square: where its button was is surface.
        QTest::newRow("catalogue where the button was") << 0 << QPoint(120, 11) << 0;
    }

    void click()
    {
        QFETCH(int, index);
        QFETCH(QPoint, at);
        QFETCH(int, active);

        usrPanel *t = tab(index);
        QWidget *target = t->childAt(at);
        if (index == 0)
            QCOMPARE(target, nullptr);
        clickTab(t, at);
        QCOMPARE(decl().ActivePanel, active);
        QCOMPARE(t->backColor(), ActiveTabColor);
        QCOMPARE(tab(2)->backColor(), InactiveTabColor);
    }

    // Only a left press released over the tab is a click.
    void notAClick()
    {
        usrPanel *t = tab(1);
        QTest::mousePress(t, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseRelease(t, Qt::LeftButton, {}, QPoint(20, 40));
        QCOMPARE(decl().ActivePanel, 2);
        QTest::mouseClick(t, Qt::RightButton, {}, QPoint(20, 10));
        QCOMPARE(decl().ActivePanel, 2);
        // A press on the close button released on the tab is no click either.
        QTest::mousePress(t->picClose, Qt::LeftButton, {}, QPoint(7, 7));
        QTest::mouseRelease(t->picClose, Qt::LeftButton, {}, QPoint(-40, 5));
        QCOMPARE(decl().ActivePanel, 2);
        QVERIFY(isLivePanel(1));
    }

private:
    QTemporaryDir m_data;
};

QTEST_MAIN(TestUsrPanel)
#include "tst_usrpanel.moc"
