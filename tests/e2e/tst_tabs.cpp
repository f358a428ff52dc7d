// Tabs in the real window: the outline under the pointer, an entry opened in
// a tab by a click, and Ctrl+F4 bringing the catalogue back.

#include "E2eSupport.h"
#include "TestSupport.h"

#include "pageview/PictureBox.h"

#include <QtTest>

class TestTabsOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void hoverClickAndClose()
    {
        TestSupport::startProgram(E2e::binDir() + QStringLiteral("/Data/"));
        const QSize client = frmForma::DesignSize;
        const LinkBox entry = decl().LinkBoxes[39];
        const QString title = decl().MultTable[1][1].Title;
        const QString id = decl().MultTable[1][1].Id;
        const QImage page = frmForma::instance().picText->image().copy(0, 0, decl().PageWidth, decl().PageHeight);
        frmForma::destroyInstance();

        E2e::Program program;
        const QByteArray cartoon = "<html><head><title>" + title.toUtf8() + "</title></head>"
                                   "<body style='background:#00c000'>cartoon</body></html>";
        program.server.setPage(QStringLiteral("http://mults.example/mults/?id=") + id, cartoon);
        QVERIFY(program.start());
        QVERIFY(E2e::waitFor([&] {
            return E2e::samePixels(program.grabClient(client.height()).copy(2, 107, page.width(), page.height()), page);
        }));

        // The pointer over entry 1: its box is outlined in blue.
        const QPoint inside = TestSupport::linkCentre(entry);
        const QPoint onCanvas = inside + QPoint(2, 107);
        program.moveTo(program.clientToScreen(onCanvas, client.height()));
        QImage shot;
        QVERIFY(E2e::waitFor([&] {
            shot = program.grabClient(client.height());
            return QColor(shot.pixel(2 + (entry.X1 + entry.X2) / 2, 107 + entry.Y1)) == QColor(0, 0, 255);
        }, 10000));
        program.keep(shot, QStringLiteral("tabs-1-hover"));
        // The whole outline: left edge and bottom edge too.
        QCOMPARE(QColor(shot.pixel(2 + entry.X1, 107 + entry.Y1 + 5)), QColor(0, 0, 255));
        QCOMPARE(QColor(shot.pixel(2 + entry.X1 + 5, 107 + entry.Y2)), QColor(0, 0, 255));

        // Click: a tab with the entry's title, the page view hidden, and the
        // cartoon's page asked for.
        program.click(program.clientToScreen(onCanvas, client.height()));
        QVERIFY(E2e::waitFor([&] { return program.server.requests.contains(
                                     QStringLiteral("http://mults.example/mults/?id=") + id); }, 30000));
        QVERIFY(E2e::waitFor([&] {
            shot = program.grabClient(client.height());
            // The cartoon's green page fills the content area.
            int green = 0;
            for (int x = 100; x < 700; x += 10)
                green += QColor(shot.pixel(x, 400)) == QColor(0, 192, 0);
            return green == 60;
        }, 20000));
        program.keep(shot, QStringLiteral("tabs-2-opened"));
        // The catalogue tab turned inactive grey; a second tab stands at x 392.
        QCOMPARE(QColor(shot.pixel(200, 80)), QColor(192, 192, 192));
        int captionDark = 0;
        for (int x = 392; x < 500; ++x)
            for (int y = 79; y < 100; ++y)
                captionDark += QColor(shot.pixel(x, y)).lightness() < 90;
        QVERIFY(captionDark > 20);

        // Ctrl+F4: the catalogue is back.
        program.key(QStringLiteral("ctrl+F4"));
        QVERIFY(E2e::waitFor([&] {
            shot = program.grabClient(client.height());
            return E2e::samePixels(shot.copy(2, 107, page.width(), page.height()), page);
        }, 10000));
        program.keep(shot, QStringLiteral("tabs-3-closed"));
        QCOMPARE(QColor(shot.pixel(200, 80)), QColor(224, 224, 224));
    }
};

QTEST_MAIN(TestTabsOnScreen)
#include "tst_tabs.moc"
