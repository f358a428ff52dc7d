// The program as a user starts it shows page 1 of the sample catalogue: the
// screen holds exactly what the page drawing says must be there.

#include "E2eSupport.h"
#include "TestSupport.h"
#include "XScreen.h"

#include "pageview/PictureBox.h"

#include <QtTest>

// The same pixels but for the faintest smoothing at glyph edges, which the
// X platform and the offscreen one round apart now and then.
static bool nearlySame(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 16 || std::abs(qGreen(p) - qGreen(q)) > 16
                || std::abs(qBlue(p) - qBlue(q)) > 16)
                return false;
        }
    return true;
}

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

    // Every sample section drawn by the program at a width: no text reaches
    // past the page's right edge, and every link's text lies inside its box.
    // The X screen of the test's own is tall enough for the longest page, so
    // each page is seen whole without scrolling. After each page the window
    // is widened: the canvas then shows what was drawn beyond the page's
    // width, which the scroll bar hid before.
    void wrappedLinesStayInsideThePage_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("320") << 320;
        QTest::newRow("555") << 555;
        QTest::newRow("800") << 800;
        QTest::newRow("1024") << 1024;
        QTest::newRow("1280") << 1280;
    }

    void wrappedLinesStayInsideThePage()
    {
        QFETCH(int, width);
        constexpr int Wide = 1700;
        const QString data = E2e::binDir() + QStringLiteral("/Data/");

        // Each section's page and link table at this width, drawn in this
        // process, in a view tall enough for the longest; and page 1 as the
        // program first shows it.
        TestSupport::startProgram(data);
        const QList<LinkBox> firstBoxes = decl().LinkBoxes;
        TestSupport::setClientSize(QSize(width, 600));
        int tallest = 0;
        for (int s = 1; s <= SectionCount; ++s) {
            NomerStranicyM(s);
            tallest = std::max(tallest, decl().CanvasHeight);
        }
        const QSize client(width, tallest + 109);
        TestSupport::setClientSize(client);
        const int pageWidth = decl().PageWidth;
        const int pageHeight = decl().PageHeight;
        QCOMPARE(pageWidth, width - 21);
        QList<QImage> pages(SectionCount + 1);
        QList<QList<LinkBox>> boxes(SectionCount + 1);
        for (int s = 1; s <= SectionCount; ++s) {
            NomerStranicyM(s);
            QCOMPARE(decl().CanvasHeight, pageHeight);
            pages[s] = frmForma::instance().picText->image();
            boxes[s] = decl().LinkBoxes;
        }
        frmForma::destroyInstance();

        XScreen::OwnServer server(QSize(Wide, client.height() + 60));
        QVERIFY2(!server.display().isEmpty(), "no X server of our own");
        const QByteArray outerDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", server.display().toLocal8Bit());
        const auto restore = qScopeGuard([&] { qputenv("DISPLAY", outerDisplay); });
        XScreen::Connection x(server.display());
        QVERIFY(x.isOpen());

        E2e::Program program;
        QVERIFY(program.start());
        QVERIFY(E2e::waitFor([&] { return program.windowSize().width() == frmForma::DesignSize.width(); }, 10000));
        const int menu = program.windowSize().height() - frmForma::DesignSize.height();
        const QString window = program.window();
        const auto canvasOnScreen = [&](int w) {
            return x.grab(QRect(program.clientToScreen(QPoint(2, 107), client.height()), QSize(w, pageHeight)));
        };
        const auto resizeTo = [&](int w) {
            E2e::xdo({QStringLiteral("windowsize"), window, QString::number(w),
                      QString::number(client.height() + menu)});
            if (!E2e::waitFor([&] { return program.windowSize().width() == w; }, 10000))
                return false;
            // At the page's width, once the program has laid the window out
            // anew, its scroll bar stands right of the page's edge.
            return w != width || E2e::waitFor([&] {
                const QImage bar = x.grab(QRect(
                    program.clientToScreen(QPoint(2 + pageWidth + 8, 107 + pageHeight / 2), client.height()),
                    QSize(1, 1)));
                return !bar.isNull() && qGray(bar.pixel(0, 0)) < 250;
            }, 10000);
        };
        const auto choose = [&](const LinkBox &b) {
            program.click(program.clientToScreen(QPoint(2, 107) + TestSupport::linkCentre(b),
                                                 client.height()));
            // Away from the page, so no link is outlined on it.
            program.moveTo(QPoint(Wide - 2, client.height() + 50));
        };
        const auto linkTo = [](const QList<LinkBox> &table, int section) {
            for (const LinkBox &b : table)
                if (b.Target == QStringLiteral("list%1").arg(section))
                    return b;
            return LinkBox{};
        };

        // The widest window first, so the canvas keeps an image that wide.
        QVERIFY(resizeTo(Wide));
        QVERIFY(resizeTo(width));
        QList<LinkBox> current = firstBoxes;
        QList<int> order{2, 1};
        for (int s = 3; s <= SectionCount; ++s)
            order << s;
        for (int s : order) {
            choose(linkTo(current, s));
            current = boxes[s];
            QImage shown;
            const bool drawn = E2e::waitFor([&] {
                shown = canvasOnScreen(pageWidth);
                return nearlySame(shown, pages[s]);
            }, 10000);
            if (!drawn) {
                program.keep(shown, QStringLiteral("section%1-at-%2-shown").arg(s).arg(width));
                program.keep(pages[s], QStringLiteral("section%1-at-%2-expected").arg(s).arg(width));
            }
            QVERIFY2(drawn, qPrintable(QStringLiteral("section %1 is not on the screen").arg(s)));

            // The text of each link lies strictly inside its box.
            int outside = 0;
            QString first;
            for (int py = 0; py < pageHeight; ++py)
                for (int px = 0; px < pageWidth; ++px) {
                    // Blue text and its lighter, smoothed edges alike.
                    const QRgb c = shown.pixel(px, py);
                    if (qBlue(c) - qRed(c) < 60)
                        continue;
                    const bool inBox = std::any_of(current.cbegin(), current.cend(), [&](const LinkBox &b) {
                        return b.X1 < px && px < b.X2 && b.Y1 < py && py < b.Y2;
                    });
                    if (!inBox && outside++ == 0)
                        first = QStringLiteral("(%1, %2)").arg(px).arg(py);
                }
            if (outside > 0 || (width == 800 && s == 1) || (width == 320 && s == 1))
                program.keep(shown, QStringLiteral("section%1-at-%2").arg(s).arg(width));
            QVERIFY2(outside == 0, qPrintable(QStringLiteral("section %1: %2 text pixels outside the link boxes, first at %3")
                                                  .arg(s).arg(outside).arg(first)));

            // Nothing was drawn right of the page's edge: a glyph past it
            // reaches a few pixels, so a band beyond the edge is enough.
            QVERIFY(resizeTo(Wide));
            const QRect band(program.clientToScreen(QPoint(2 + pageWidth, 107), client.height()),
                             QSize(100, pageHeight));
            QImage beyondEdge;
            // Shown once the scroll bar has left the page's edge and the
            // widened canvas is painted down to its bottom.
            const bool widened = E2e::waitFor([&] {
                beyondEdge = x.grab(band);
                return qGray(beyondEdge.pixel(8, pageHeight / 2)) > 240
                       && qGray(beyondEdge.pixel(99, pageHeight - 2)) > 240;
            }, 10000);
            QVERIFY2(widened, "the widened window was not painted");
            E2e::settle(100);
            beyondEdge = x.grab(band);
            int beyond = 0;
            for (int py = 0; py < pageHeight; ++py)
                for (int px = 0; px < band.width(); ++px)
                    beyond += qGray(beyondEdge.pixel(px, py)) < 200;
            if (beyond > 0)
                program.keep(x.grab(QRect(band.topLeft() - QPoint(pageWidth, 0), QSize(pageWidth + 100, pageHeight))),
                             QStringLiteral("section%1-at-%2-widened").arg(s).arg(width));
            QVERIFY2(beyond == 0, qPrintable(QStringLiteral("section %1: %2 text pixels right of the page's edge")
                                                 .arg(s).arg(beyond)));
            QVERIFY(resizeTo(width));
        }
    }
};

QTEST_MAIN(TestFirstPage)
#include "tst_firstpage.moc"
