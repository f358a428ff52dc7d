// The catalogue page: layout arithmetic, link table, wrapping, window layout.

#include "TestSupport.h"

#include "app/Rounding.h"
#include "pageview/NomerStranicyM.h"
#include "pageview/PictureBox.h"

#include "web/usrReklamaX.h"

#include <QFrame>
#include <QScrollBar>
#include <QtTest>

using namespace TestSupport;

class TestPageLayout : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString dataPath() const { return m_dir.path() + QStringLiteral("/Data/"); }
    PictureBox &canvas() { return *frmForma::instance().picText; }

    // Width of a text as the page measures it, in the body font.
    qreal bodyWidth(const QString &text)
    {
        canvas().setFontSize(14);
        return canvas().textWidth(text);
    }

    void writeTitles(int section, const QStringList &titles, const QString &studio = QStringLiteral("С 1"))
    {
        QList<MultEntry> entries;
        for (const QString &t : titles)
            entries.append(MultEntry{QStringLiteral("1"), t, studio});
        writeSection(dataPath(), section, entries);
    }

private slots:
    void init()
    {
        QDir(dataPath()).removeRecursively();
        writeSection(dataPath(), 1, makeEntries(1, 5));
        writeSection(dataPath(), 3, makeEntries(3, 60));
    }

    void cleanup() { frmForma::destroyInstance(); }

    void windowLayoutAt800x600()
    {
        startProgram(dataPath(), QSize(800, 600));
        auto &f = frmForma::instance();
        auto &d = decl();
        QCOMPARE(d.FormWidth, 800);
        QCOMPARE(d.PageWidth, 779);
        QCOMPARE(d.PageHeight, 491);
        QCOMPARE(f.WebRazdel.value(0)->geometry(), QRect(0, 105, 800, 491));
        QCOMPARE(f.picBox->geometry(), QRect(0, 105, 800, 495));
        QCOMPARE(f.picText->width(), 779);
        // The bar sits inside the viewport's inner area, 800 - 4 wide.
        QCOMPARE(f.VScroll1->geometry(), QRect(779, 0, 17, 491));
        QCOMPARE(f.VScroll1->mapTo(f.client, QPoint(0, 0)), QPoint(781, 107));
        QCOMPARE(f.VScroll1->pageStep(), 491);
        QCOMPARE(f.VScroll1->singleStep(), 96);
        QCOMPARE(f.usrReklamaX1->geometry(), QRect(0, 0, 800, 73));
    }

    void resizeKeepsDrawnPageAndNeverGoesBelowMinimum()
    {
        startProgram(dataPath(), QSize(800, 600));
        const QList<LinkBox> before = decl().LinkBoxes;
        setClientSize(QSize(500, 400));
        QCOMPARE(decl().PageWidth, 479);
        // The page is not laid out again on resize.
        QCOMPARE(decl().LinkBoxes.size(), before.size());
        QCOMPARE(decl().LinkBoxes.last().X2, before.last().X2);

        auto &f = frmForma::instance();
        f.resize(50, 50);
        QCoreApplication::processEvents();
        QVERIFY(f.client->width() >= frmForma::MinimumSize.width());
        QVERIFY(decl().PageHeight >= 1 && decl().PageWidth >= 1);
    }

    void firstPageLinkTable()
    {
        // Wide enough for the whole section row on one line.
        startProgram(dataPath(), QSize(1100, 600));
        const auto &d = decl();
        QCOMPARE(d.CurrentSection, 1);
        QCOMPARE(d.LastLink, 5 + 38);
        QCOMPARE(d.LinkBoxes.size(), 5 + 39);
        for (int n = 2; n <= 40; ++n)
            QCOMPARE(d.LinkBoxes[n - 2].Target, QStringLiteral("list%1").arg(n));
        QCOMPARE(d.LinkBoxes[39].Target, QStringLiteral("mult1"));
        QCOMPARE(d.LinkBoxes[43].Target, QStringLiteral("mult5"));

        // The row fits: every section link on y 45, entries from 75.
        for (int i = 0; i < 39; ++i) {
            QCOMPARE(d.LinkBoxes[i].Y1, 45);
            QCOMPARE(d.LinkBoxes[i].Y2, 66);
        }
        QCOMPARE(d.LinkBoxes[39].Y1, 75);
        QCOMPARE(d.LinkBoxes[39].Y2, 96);
        QCOMPARE(d.LinkBoxes[40].Y1, 96);
        QCOMPARE(d.LinkBoxes[41].Y1, 117);
        QCOMPARE(d.LinkBoxes[39].X1, 8);

        // Section number boxes: 2 pixels left of the text, 1 right of it,
        // numbers 5 pixels apart. "1" is black and no link.
        const int w1 = RoundHalfEven(bodyWidth(QStringLiteral("1")));
        const int w2 = RoundHalfEven(bodyWidth(QStringLiteral("2")));
        QCOMPARE(d.LinkBoxes[0].X1, 10 + w1 + 5 - 2);
        QCOMPARE(d.LinkBoxes[0].X2, 10 + w1 + 5 + w2 + 1);

        // The entry box ends one pixel right of the measured line.
        const MultEntry &e = d.MultTable[1][1];
        const QString text = QStringLiteral("1) ") + e.Title + QLatin1Char(' ') + e.StudioYear;
        QCOMPARE(d.LinkBoxes[39].X2, RoundHalfEven(bodyWidth(text) + 10) + 1);
    }

    void whatIsDrawnMatchesTheLinkTable()
    {
        startProgram(dataPath(), QSize(800, 600));
        const QImage image = canvas().image();
        const auto &d = decl();
        auto blueIn = [&](const QRect &r) {
            int blue = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.blue() > 150 && c.red() < 120 && c.green() < 120)
                        ++blue;
                }
            return blue;
        };
        for (int i = 0; i <= d.LastLink; ++i) {
            const LinkBox &b = d.LinkBoxes[i];
            QVERIFY2(blueIn(QRect(QPoint(b.X1, b.Y1), QPoint(b.X2, b.Y2))) > 5, qPrintable(b.Target));
        }
        // No blue below the last entry, and the heading is black.
        QCOMPARE(blueIn(QRect(0, d.LinkBoxes.last().Y2 + 1, 779, 491 - d.LinkBoxes.last().Y2 - 2)), 0);
        QCOMPARE(blueIn(QRect(0, 0, 779, 40)), 0);
        int dark = 0;
        for (int x = 0; x < 779; ++x)
            for (int y = 10; y < 40; ++y)
                dark += image.pixelColor(x, y).lightness() < 80;
        QVERIFY(dark > 50);
        // The shown section's number is black, not blue.
        const int w1 = RoundHalfEven(bodyWidth(QStringLiteral("1")));
        QCOMPARE(blueIn(QRect(10, 45, w1, 21)), 0);
    }

    void displayNumbersCountFromTheSection()
    {
        startProgram(dataPath(), QSize(800, 600));
        NomerStranicyM(3);
        const auto &d = decl();
        QCOMPARE(d.CurrentSection, 3);
        QCOMPARE(d.LastLink, 60 + 38);
        QCOMPARE(d.LinkBoxes[1].Target, QStringLiteral("list2"));
        QCOMPARE(d.LinkBoxes[2].Target, QStringLiteral("list4"));
        const MultEntry &e = d.MultTable[3][1];
        const QString text = QStringLiteral("201) ") + e.Title + QLatin1Char(' ') + e.StudioYear;
        QCOMPARE(d.LinkBoxes[39].X2, RoundHalfEven(bodyWidth(text) + 10) + 1);
    }

    void missingSectionHasNoEntries()
    {
        startProgram(dataPath(), QSize(800, 600));
        NomerStranicyM(2);
        const auto &d = decl();
        QCOMPARE(d.LastLink, 38);
        QCOMPARE(d.LinkBoxes.size(), 39);
        QCOMPARE(d.CanvasHeight, d.PageHeight);
        QCOMPARE(canvas().height(), d.PageHeight);
        QVERIFY(!frmForma::instance().VScroll1->isEnabled());
        QCOMPARE(d.MultCount[2], 0);
        // The file appears later: the next drawing reads it.
        writeSection(dataPath(), 2, makeEntries(2, 3));
        NomerStranicyM(2);
        QCOMPARE(decl().LastLink, 3 + 38);
    }

    void tallPageGetsBottomMargin()
    {
        startProgram(dataPath(), QSize(1100, 600));
        NomerStranicyM(3);
        const auto &d = decl();
        // 60 one-line entries from 75: the last line's bottom is 75 + 60 * 21.
        QCOMPARE(d.LinkBoxes.last().Y2, 75 + 60 * 21);
        QCOMPARE(d.CanvasHeight, 75 + 60 * 21 + 30);
        QCOMPARE(canvas().height(), d.CanvasHeight);
        QVERIFY(frmForma::instance().VScroll1->isEnabled());
        QCOMPARE(frmForma::instance().VScroll1->maximum(), d.CanvasHeight - 491);

        NomerStranicyM(1);
        QCOMPARE(decl().CanvasHeight, 491);
        QCOMPARE(canvas().height(), 491);
        QVERIFY(!frmForma::instance().VScroll1->isEnabled());
    }

    void narrowWindowWrapsTheSectionRow()
    {
        startProgram(dataPath(), QSize(320, 400));
        const auto &d = decl();
        QCOMPARE(d.PageWidth, 299);
        QList<int> rows;
        for (int i = 0; i < 39; ++i) {
            if (!rows.contains(d.LinkBoxes[i].Y1))
                rows.append(d.LinkBoxes[i].Y1);
            QVERIFY(d.LinkBoxes[i].X2 - 1 <= d.PageWidth);
        }
        QVERIFY(rows.size() >= 2);
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(rows[r], 45 + 23 * r);
        // Each new row starts at the margin.
        for (int i = 1; i < 39; ++i)
            if (d.LinkBoxes[i].Y1 != d.LinkBoxes[i - 1].Y1)
                QCOMPARE(d.LinkBoxes[i].X1, 8);
        QCOMPARE(d.LinkBoxes[39].Y1, rows.last() + 30);
    }

    // An entry too wide for the page, laid out at page widths around its
    // breaks. The page font resolves to Liberation Serif, whose file asks for
    // whole pixels to the em: 14 pt at 96 dpi is hinted at 19, and a
    // character's advance is its width in the font's metrics table (units of
    // 1/2048 em) times 19/2048, rounded, halves up. Read from the font file
    // apart from this program: blank 5, ")" 6, "-" 6, digits 10, "О" 14,
    // "С" 13, "а" 8, "б" 10, "в" 9, "д" 10, "ж" 13, "з" 8, "и" 10, "л" 9,
    // "м" 12, "н" 10, "о" 10, "п" 10, "р" 10, "с" 8, "т" 8, "у" 10, "ф" 12,
    // "ы" 13, "ь" 9, "ю" 14, "ё" 8. From the pen's start at 10,
    // "301) Однажды в студёную зимнюю пору жил-был пёс Союзмультфильм 1982"
    // reaches 387 after "жил-", 397 after its "б", 605 after "Союзмультфильм "
    // and 645 at the end; "был пёс Союзмультфильм 1982" alone ends at 268 and
    // "1982" at 50. A box is one pixel right of its widest line.
    void wrapWalkBreaksWhereThePenPassesThePage_data()
    {
        QTest::addColumn<int>("pageWidth");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("right");
        QTest::newRow("hyphen at the wrap point ends the upper line") << 396 << 2 << 388;
        QTest::newRow("hyphen at the page's edge ends the upper line") << 387 << 2 << 388;
        QTest::newRow("exact fit goes through the walk and stays one line") << 645 << 1 << 646;
        QTest::newRow("one pixel less breaks at the last blank") << 644 << 2 << 606;
    }

    void wrapWalkBreaksWhereThePenPassesThePage()
    {
        QFETCH(int, pageWidth);
        QFETCH(int, lines);
        QFETCH(int, right);
        writeTitles(4, {QStringLiteral("Однажды в студёную зимнюю пору жил-был пёс")},
                    QStringLiteral("Союзмультфильм 1982"));
        startProgram(dataPath(), QSize(pageWidth + 21, 400));
        // The widths above are this font's alone.
        QCOMPARE(QFontInfo(canvas().drawFont()).family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(decl().PageWidth, pageWidth);
        NomerStranicyM(4);
        const LinkBox &box = decl().LinkBoxes[39];
        QCOMPARE(box.Y2 - box.Y1, 21 * lines);
        QCOMPARE(box.X2, right);
    }

    void wordWiderThanThePageStillFinishes()
    {
        const QString word(120, QChar(0x0416)); // Ж x 120, no blank or hyphen
        writeTitles(5, {word, QStringLiteral("Короткое")});
        startProgram(dataPath(), QSize(320, 400));
        NomerStranicyM(5);
        const auto &d = decl();
        const LinkBox &box = d.LinkBoxes[39];
        QVERIFY((box.Y2 - box.Y1) / 21 >= 5);
        // No line passes the page width: it broke before the character that
        // would have passed it.
        QVERIFY(box.X2 - 1 <= d.PageWidth);
        QCOMPARE(d.LinkBoxes[40].Y1, box.Y2);
        QCOMPARE(d.LinkBoxes[40].Y2 - d.LinkBoxes[40].Y1, 21);
    }

    void sectionLinkDuringTheYieldWaitsForThePage()
    {
        startProgram(dataPath(), QSize(1100, 600));
        QList<LinkBox> seenDuringYield;
        int sectionDuringYield = 0;
        QTimer::singleShot(0, this, [&] {
            sectionDuringYield = decl().CurrentSection;
            const QList<LinkBox> before = decl().LinkBoxes;
            NomerStranicyM(1);
            seenDuringYield = decl().LinkBoxes;
            // Nothing changed inside the running drawing.
            QCOMPARE(seenDuringYield.size(), before.size());
            QCOMPARE(decl().CurrentSection, 3);
        });
        NomerStranicyM(3);
        QCOMPARE(sectionDuringYield, 3);
        // The page asked for during the yield is drawn after the first.
        QCOMPARE(decl().CurrentSection, 1);
        QCOMPARE(decl().LastLink, 5 + 38);
        QCOMPARE(decl().LinkBoxes.size(), 5 + 39);
        QCOMPARE(decl().LinkBoxes[39].Y1, 75);
    }
};

QTEST_MAIN(TestPageLayout)
#include "tst_pagelayout.moc"
