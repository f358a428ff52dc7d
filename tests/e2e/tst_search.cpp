// The search in the real window: F3, a title typed, Enter, the hit listed,
// Enter on it opens its tab.

#include "E2eSupport.h"
#include "TestSupport.h"

#include <QtTest>

class TestSearchOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void findAndOpen()
    {
        TestSupport::startProgram(E2e::binDir() + QStringLiteral("/Data/"));
        // A word of entry 6 of section 1, and how many entries hold it.
        const MultEntry entry = decl().MultTable[1][6];
        const QString word = entry.Title.section(QLatin1Char(' '), 0, 0);
        frmForma::destroyInstance();

        E2e::Program program;
        program.server.setPage(QStringLiteral("http://mults.example/mults/?id=") + entry.Id,
                               "<html><head><title>x</title></head><body style='background:#00c000'></body></html>");
        QVERIFY(program.start());
        const QSize client = frmForma::DesignSize;
        // Give the window the keyboard, then F3.
        program.click(program.clientToScreen(QPoint(760, 90), client.height()));
        program.key(QStringLiteral("F3"));
        QString dialog;
        QVERIFY(E2e::waitFor([&] {
            dialog = E2e::run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                         QStringLiteral("--name"), QStringLiteral("^Поиск$")});
            return !dialog.isEmpty();
        }, 10000));
        dialog = dialog.section(QLatin1Char('\n'), 0, 0);
        const QRect box = E2e::Program::geometryOf(dialog);
        QCOMPARE(box.size(), QSize(577, 331));

        // Type into the text box (it has the focus) and press Enter.
        program.click(box.topLeft() + QPoint(200, 18));
        program.type(word);
        program.key(QStringLiteral("Return"));
        QImage shot;
        // Hits fill the list: dark text rows in its white area.
        QVERIFY(E2e::waitFor([&] {
            shot = program.grabScreen().copy(box);
            int dark = 0;
            for (int y = 72; y < 100; ++y)
                for (int x = 8; x < 300; ++x)
                    dark += QColor(shot.pixel(x, y)).lightness() < 80;
            return dark > 40;
        }, 15000));
        program.keep(shot, QStringLiteral("search-1-hits"));

        // Down selects the first hit, Enter opens it in a tab.
        program.key(QStringLiteral("Down"));
        program.key(QStringLiteral("Return"));
        QVERIFY(E2e::waitFor([&] {
            return program.server.requests.filter(QStringLiteral("/mults/?id=")).size() > 0;
        }, 30000));
        QVERIFY(E2e::waitFor([&] {
            return E2e::run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                        QStringLiteral("--name"), QStringLiteral("^Поиск$")})
                .isEmpty();
        }, 10000));
        program.keep(program.grabScreen(), QStringLiteral("search-2-opened"));
    }
};

QTEST_MAIN(TestSearchOnScreen)
#include "tst_search.moc"
