// The program as a user starts it shows page 1 of the sample catalogue: the
// screen holds exactly what the page drawing says must be there.

#include "E2eSupport.h"
#include "TestSupport.h"
#include "XScreen.h"

#include "pageview/PictureBox.h"

#include <QtTest>

class TestFirstPage : public QObject
{
    Q_OBJECT

private slots:
    void showsPageOneOfTheSampleCatalogue()
    {
        // What the page must look like: section 1 drawn in this process, with
        // the same catalogue, at the window's design size.
        TestSupport::startProgram(E2e::binDir() + QStringLiteral("/Data/"));
        const QSize client = frmForma::DesignSize;
        QCOMPARE(frmForma::instance().client->size(), client);
        QVERIFY2(decl().MultCount[1] > 0, "the sample catalogue has no section 1");
        const QList<LinkBox> boxes = decl().LinkBoxes;
        const int pageWidth = decl().PageWidth;
        const int pageHeight = decl().PageHeight;
        const QImage expected = frmForma::instance().picText->image().copy(0, 0, pageWidth, pageHeight);

        E2e::Program program;
        QVERIFY(program.start());
        // The page is drawn once the window is up; give it a moment to paint.
        QImage shot;
        const bool drawn = E2e::waitFor([&] {
            shot = program.grabClient(client.height());
            return E2e::samePixels(shot.copy(2, 107, pageWidth, pageHeight), expected);
        }, 15000);
        program.keep(shot, QStringLiteral("first-page"));
        program.keep(expected, QStringLiteral("first-page-expected"));

        // Readable reasons first: every link shows blue text inside its box,
        // and there is no blue outside the boxes.
        const QImage page = shot.copy(2, 107, pageWidth, pageHeight);
        QCOMPARE(page.size(), QSize(pageWidth, pageHeight));
        QImage outside = page;
        for (const LinkBox &b : boxes) {
            if (b.Y1 >= pageHeight)
                continue;
            int blue = 0;
            for (int y = b.Y1; y < std::min(b.Y2, pageHeight); ++y)
                for (int x = b.X1; x < std::min(b.X2, pageWidth); ++x) {
                    blue += E2e::isBlue(page.pixel(x, y));
                    outside.setPixel(x, y, qRgb(255, 255, 255));
                }
            QVERIFY2(blue > 5, qPrintable(QStringLiteral("no blue text in the link %1").arg(b.Target)));
        }
        int stray = 0;
        for (int y = 0; y < outside.height(); ++y)
            for (int x = 0; x < outside.width(); ++x)
                stray += E2e::isBlue(outside.pixel(x, y));
        QCOMPARE(stray, 0);

        // And to the pixel, what the drawing code draws.
        QVERIFY2(drawn, "the page on screen differs from the drawn page");

        // The window around it: light grey bands, the catalogue tab.
        QCOMPARE(QColor(shot.pixel(700, 90)), QColor(224, 224, 224));

        // Narrowing the window and widening it again shows the page as it
        // was: nothing draws it again, so what the canvas kept is all there is.
        const QString window = program.window();
        const int windowHeight = program.windowSize().height();
        const auto resizeTo = [&](int width) {
            E2e::xdo({QStringLiteral("windowsize"), window, QString::number(width), QString::number(windowHeight)});
            return E2e::waitFor([&] { return program.windowSize().width() == width; }, 10000);
        };
        QVERIFY(resizeTo(400));
        E2e::settle(500);
        program.keep(program.grabClient(client.height()), QStringLiteral("first-page-narrowed"));
        QVERIFY(resizeTo(client.width()));
        QImage widened;
        const bool kept = E2e::waitFor([&] {
            widened = program.grabClient(client.height());
            return E2e::samePixels(widened.copy(2, 107, pageWidth, pageHeight), expected);
        }, 5000);
        program.keep(widened, QStringLiteral("first-page-narrowed-and-widened"));
        QVERIFY2(kept, "narrowing and widening the window changed the page");

        // Over entry 1 the X server shows the page's hand: white inside a
        // black outline, transparent around it, the forefinger's tip at the
        // hot spot.
        const LinkBox &entry1 = boxes[39];
        QCOMPARE(entry1.Target, QStringLiteral("mult1"));
        program.moveTo(program.clientToScreen(QPoint(2 + entry1.X1 + 20, 107 + (entry1.Y1 + entry1.Y2) / 2),
                                              client.height()));
        XScreen::Connection x;
        QVERIFY(x.isOpen());
        QImage hand;
        QPoint hotSpot;
        E2e::waitFor([&] {
            hand = x.cursor(&hotSpot);
            return hand.size() == QSize(32, 32) && hotSpot == QPoint(0, 0);
        }, 5000);
        program.keep(hand.scaled(256, 256), QStringLiteral("hand-pointer"));
        QCOMPARE(hand.size(), QSize(32, 32));
        QCOMPARE(hotSpot, QPoint(0, 0));
        const auto opaque = [&](int px, int py) {
            return px >= 0 && py >= 0 && px < 32 && py < 32 && qAlpha(hand.pixel(px, py)) != 0;
        };
        int black = 0, white = 0, transparent = 0, other = 0, whiteOnTheEdge = 0;
        for (int py = 0; py < 32; ++py)
            for (int px = 0; px < 32; ++px) {
                const QRgb c = hand.pixel(px, py);
                if (qAlpha(c) == 0) {
                    ++transparent;
                    continue;
                }
                const bool edge = !opaque(px - 1, py) || !opaque(px + 1, py) || !opaque(px, py - 1)
                                  || !opaque(px, py + 1);
                if (c == qRgba(0, 0, 0, 255)) {
                    ++black;
                } else if (c == qRgba(255, 255, 255, 255)) {
                    ++white;
                    whiteOnTheEdge += edge;
                } else {
                    ++other;
                }
            }
        qInfo("hand pointer: %d black, %d white, %d transparent", black, white, transparent);
        QCOMPARE(other, 0);
        QVERIFY2(white > black, "the hand is not white inside");
        QVERIFY2(black > 0, "the hand has no black outline");
        QCOMPARE(whiteOnTheEdge, 0);
        QVERIFY2(transparent > white + black, "the hand does not stand on a transparent ground");
        QVERIFY(opaque(0, 0) || opaque(1, 0));
        QVERIFY(!opaque(31, 31));
        frmForma::destroyInstance();
    }
};

QTEST_MAIN(TestFirstPage)
#include "tst_firstpage.moc"
