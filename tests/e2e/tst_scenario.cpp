// One afternoon with the program, as a user would spend it: the catalogue,
// scrolling, cartoons in tabs, help, search, the about box, the
// advertisement, and Exit. Checked by what the real program draws on screen,
// what it writes beside itself and what it hands to the default browser.

#include "E2eSupport.h"
#include "TestSupport.h"
#include "XScreen.h"

#include "pageview/PictureBox.h"
#include "web/AdKey.h"

#include <QScrollBar>
#include <QUrlQuery>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// A cartoon's page with a player (the purple box fills the screen when
// clicked; the yellow one asks for that a moment later) and a link to a slow
// page. Its script reports to the server what the page sees.
const QByteArray CartoonPage = R"(<html><body style='margin:0;height:5000px;background:#00c000'>
<div id=p style='position:fixed;left:0;top:0;width:200px;height:100px;background:#c000c0' onclick='p.requestFullscreen()'></div>
<div style='position:fixed;left:0;top:200px;width:200px;height:50px;background:#c0c000' onclick='setTimeout(()=>p.requestFullscreen().finally(()=>r("settled")),1500)'></div>
<a href='/mults/?id=slow' style='position:fixed;left:300px;top:0;font-size:40px'>slow</a>
<script>function r(w){new Image().src='/report?w='+w+'&fs='+(document.fullscreenElement?1:0)+'&y='+scrollY+'&h='+history.length
+'&f='+(document.hasFocus()?1:0)+'&iw='+innerWidth+'&at='+location.search.slice(4)+'&t='+Math.random()}
for(const e of ['load','scroll','fullscreenchange','resize','focus'])addEventListener(e,()=>r(e))</script></body></html>)";
}

using E2e::Program;

class TestScenario : public QObject
{
    Q_OBJECT

private:
    static constexpr QSize Client = frmForma::DesignSize;

    Program *m_program = nullptr;
    QImage m_shot;

    QPoint at(QPoint client) const { return m_program->clientToScreen(client, Client.height()); }
    QImage client() { return m_shot = m_program->grabClient(Client.height()); }
    // The visible part of the page, as it stands in the client area.
    QImage pageOnScreen() { return client().copy(2, 107, Client.width() - 21, Client.height() - 109); }
    void keep(const QString &name) { m_program->keep(m_shot, QStringLiteral("scenario-") + name); }

    int blueIn(const QImage &image, const QRect &r)
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += E2e::isBlue(image.pixel(x, y));
        return n;
    }

private slots:
    void afternoon()
    {
        // What the pages must look like, drawn in this process.
        const QString data = E2e::binDir() + QStringLiteral("/Data/");
        TestSupport::startProgram(data);
        const int pageWidth = decl().PageWidth;
        const int pageHeight = decl().PageHeight;
        const QImage page1 = frmForma::instance().picText->image().copy(0, 0, pageWidth, pageHeight);
        NomerStranicyM(7);
        const QImage page7 = frmForma::instance().picText->image();
        const int max7 = frmForma::instance().VScroll1->maximum();
        const QList<LinkBox> boxes7 = decl().LinkBoxes;
        const MultEntry first7 = decl().MultTable[7][1];
        const MultEntry second7 = decl().MultTable[7][2];
        const QList<LinkBox> boxes1 = [] { NomerStranicyM(1); return decl().LinkBoxes; }();
        frmForma::destroyInstance();
        QVERIFY(max7 > 0);

        QTemporaryDir folder;
        Program program(Program::copyOfBuiltFolder(folder));
        m_program = &program;
        // Cartoon pages, the help page comes from disk; the advertisement is
        // missing at first.
        for (const MultEntry &e : {first7, second7})
            program.server.setPage(QStringLiteral("http://mults.example/mults/?id=") + e.Id,
                                   "<html><head><title>c</title></head><body style='background:#00c000'>"
                                   + e.Title.toUtf8() + "</body></html>");
        QVERIFY(program.start());

        // Page 1.
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page1); }, 20000));
        keep(QStringLiteral("01-page1"));
        // The advertisement did not arrive: the placeholder stays up.
        QVERIFY(E2e::waitFor([&] { return program.server.requests.filter(QStringLiteral("/reklama/")).size() >= 1; }));

        // Section 7 from its link.
        const LinkBox to7 = boxes1[5];
        QCOMPARE(to7.Target, QStringLiteral("list7"));
        const QPoint link7 = TestSupport::linkCentre(to7) + QPoint(2, 107);
        program.moveTo(at(link7 + QPoint(0, 3)));
        program.click(at(link7));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight)); }));
        keep(QStringLiteral("02-section7"));

        // Scrolling: End shows the bottom, Home the top, Page Down moves
        // the page height less 10.
        program.key(QStringLiteral("End"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, max7, pageWidth, pageHeight)); }, 10000));
        keep(QStringLiteral("03-end"));
        program.key(QStringLiteral("Home"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight)); }, 10000));
        program.key(QStringLiteral("Next"));
        QVERIFY(E2e::waitFor([&] {
            return E2e::samePixels(pageOnScreen(), page7.copy(0, pageHeight - 10, pageWidth, pageHeight));
        }, 10000));
        program.key(QStringLiteral("Home"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight)); }, 10000));

        // Hover and open two entries: two tabs, each showing its cartoon.
        for (int k : {39, 40}) {
            const LinkBox &b = boxes7[k];
            const QPoint p = TestSupport::linkCentre(b) + QPoint(2, 107);
            program.moveTo(at(p + QPoint(0, 2)));
            program.moveTo(at(p));
            QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(b.X1 + 2 + 3, b.Y1 + 107)) == QColor(0, 0, 255); }, 10000));
            program.click(at(p));
            QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(400, 400)) == QColor(0, 192, 0); }, 30000));
            if (k == 39) {
                keep(QStringLiteral("04-first-tab"));
                // Back to the catalogue by its tab for the second entry.
                program.click(at(QPoint(100, 89)));
                QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight)); }, 10000));
            }
        }
        keep(QStringLiteral("05-second-tab"));
        // Three tabs share the width: slots of 261, tabs at 0, 261, 522.
        // Switch to the first cartoon's tab, then close it by its button.
        program.click(at(QPoint(261 + 60, 89)));
        QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(100, 80)) == QColor(192, 192, 192); }, 10000));
        program.click(at(QPoint(261 + 120, 77 + 4 + 7)));
        // The closed tab was the active one: the catalogue takes over, and
        // two tabs share the width in slots of 392.
        QVERIFY(E2e::waitFor([&] {
            return QColor(client().pixel(200, 80)) == QColor(224, 224, 224)
                && QColor(m_shot.pixel(500, 80)) == QColor(192, 192, 192)
                && E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight));
        }, 10000));
        keep(QStringLiteral("06-closed-by-button"));

        // The second cartoon again, then Ctrl+F4 closes it.
        program.click(at(QPoint(392 + 60, 89)));
        QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(400, 400)) == QColor(0, 192, 0); }, 10000));
        program.key(QStringLiteral("ctrl+F4"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page7.copy(0, 0, pageWidth, pageHeight)); }, 10000));
        keep(QStringLiteral("07-closed-by-key"));

        // F1 twice: one help tab, shown both times.
        program.key(QStringLiteral("F1"));
        // The help page replaces the catalogue's blue links.
        QVERIFY(E2e::waitFor([&] { return blueIn(client(), QRect(2, 107, 700, 300)) < 100; }, 20000));
        E2e::settle(600);
        client();
        keep(QStringLiteral("08-help"));
        program.click(at(QPoint(100, 89)));
        program.key(QStringLiteral("F1"));
        E2e::settle(800);
        client();
        keep(QStringLiteral("09-help-again"));
        // Still two tabs: the catalogue (0..390) and help (392..).
        QCOMPARE(QColor(m_shot.pixel(200, 80)), QColor(192, 192, 192));
        QVERIFY(QColor(m_shot.pixel(650, 80)) != QColor(192, 192, 192));

        // F3: search for the first cartoon of section 7 and open the hit.
        program.key(QStringLiteral("F3"));
        QString dialog;
        QVERIFY(E2e::waitFor([&] { return !(dialog = Program::windowNamed(QStringLiteral("Поиск"))).isEmpty(); }, 10000));
        const QRect box = Program::geometryOf(dialog);
        program.click(box.topLeft() + QPoint(200, 18));
        program.type(first7.Title);
        program.key(QStringLiteral("Return"));
        QVERIFY(E2e::waitFor([&] {
            const QImage d = program.grabScreen().copy(box);
            int dark = 0;
            for (int x = 8; x < 300; ++x)
                dark += QColor(d.pixel(x, 80)).lightness() < 80;
            return dark > 5;
        }, 15000));
        program.key(QStringLiteral("Down"));
        program.key(QStringLiteral("Return"));
        QVERIFY(E2e::waitFor([&] { return Program::windowNamed(QStringLiteral("Поиск")).isEmpty(); }, 10000));
        QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(400, 400)) == QColor(0, 192, 0); }, 30000));
        keep(QStringLiteral("10-search-hit"));

        // The about window and its link, twice; the window stays.
        const QRect aboutBox = program.openAbout(Client.height());
        QCOMPARE(aboutBox.size(), QSize(343, 211));
        program.keep(program.grabScreen().copy(aboutBox), QStringLiteral("scenario-11-about"));
        for (int i = 1; i <= 2; ++i) {
            program.click(aboutBox.topLeft() + QPoint(160, 66));
            QVERIFY(E2e::waitFor([&] { return program.opened().size() == i; }, 10000));
            // Apart by more than a double click.
            E2e::settle(1000);
        }
        QVERIFY(!Program::windowNamed(QStringLiteral("О программе")).isEmpty());
        const QString redirect = folder.path() + QStringLiteral("/Data/0.html");
        QCOMPARE(QUrl(program.opened().last()).toLocalFile(), redirect);
        QFile page(redirect);
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("url=http://mirelka.example/site/'"));
        program.click(aboutBox.topLeft() + QPoint(248 + 44, 164 + 16));
        QVERIFY(E2e::waitFor([&] { return Program::windowNamed(QStringLiteral("О программе")).isEmpty(); }, 10000));

        // The advertisement arrives on the retry; a click in it goes to the
        // default browser, and the advertisement stays.
        for (int n = 0; n < AdPageCount; ++n) {
            QFile ad(qEnvironmentVariable("MIRELKA_SOURCE_DIR") + QStringLiteral("/data/reklama/%1.html").arg(n));
            QVERIFY(ad.open(QIODevice::ReadOnly));
            program.server.setPage(QStringLiteral("http://mirelka.example/reklama/%1.html").arg(n), ad.readAll());
        }
        const QImage placeholder = client().copy(112, 2, 369, 41);
        program.click(at(QPoint(112 + 240 + 56, 2 + 2 + 10)));
        QVERIFY(E2e::waitFor([&] { return !E2e::samePixels(client().copy(112, 2, 369, 41), placeholder); }, 30000));
        E2e::settle(500);
        client();
        keep(QStringLiteral("12-advertisement"));
        const int handedOff = program.opened().size();
        program.moveTo(at(QPoint(40, 40)));
        E2e::settle(500);
        program.click(at(QPoint(42, 40)));
        QVERIFY(E2e::waitFor([&] { return program.opened().size() == handedOff + 1; }, 15000));
        QFile adPage(redirect);
        QVERIFY(adPage.open(QIODevice::ReadOnly));
        QVERIFY(adPage.readAll().contains("url=http://mirelka.example/programs/"));
        // The strip did not follow the link itself.
        QCOMPARE(program.server.requests.filter(QStringLiteral("/programs/")).size(), 0);

        // Exit from the menu.
        program.click(at(QPoint(25, -10)));
        E2e::settle(400);
        program.key(QStringLiteral("Up"));
        program.key(QStringLiteral("Return"));
        QVERIFY(program.waitForExit(15000));
        QCOMPARE(program.exitCode(), 0);
        m_program = nullptr;
    }

    // The same afternoon with keys only, under a window manager: the page's
    // links by Tab, Shift+Tab, Enter and Space, the tabs by Ctrl+Tab and its
    // kin, the menu by Alt+М and F10, the search and the about window's link.
    void keyboardOnly()
    {
        using namespace Qt::StringLiterals;
        TestSupport::startProgram(E2e::binDir() + QStringLiteral("/Data/"));
        const QList<LinkBox> boxes1 = decl().LinkBoxes;
        NomerStranicyM(7);
        const MultEntry cartoons[] = {decl().MultTable[1][1], decl().MultTable[7][decl().MultCount[7]],
                                      decl().MultTable[7][1]};
        const LinkBox last = decl().LinkBoxes.last();
        // Shown whole with the least scrolling: its bottom row the view's last.
        const int scrolled = last.Y2 - decl().PageHeight + 1;
        frmForma::destroyInstance();
        QProcess wm;
        wm.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(E2e::waitFor([] { return E2e::run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains(u"Openbox"); }));
        Program program;
        m_program = &program;
        const QColor colours[] = {QColor(0, 192, 0), QColor(192, 0, 0), QColor(0, 0, 192)};
        for (int i = 0; i < 3; ++i)
            program.server.setPage(QStringLiteral("http://mults.example/mults/?id=") + cartoons[i].Id,
                                   "<html><body style='background:" + colours[i].name().toLatin1() + "'>c</body></html>");
        QVERIFY(program.start());
        QVERIFY(E2e::waitFor([&] { return blueIn(pageOnScreen(), QRect(0, 0, 300, 60)) > 50; }));
        auto keys = [](const QString &k, int times = 1) {
            E2e::xdo(QStringList{u"key"_s, u"--delay"_s, u"20"_s, u"--repeat"_s, QString::number(times)} + k.split(u' '));
        };
        auto shows = [&](const QColor &c) { return E2e::waitFor([&] { return QColor(client().pixel(400, 400)) == c; }); };
        // A link's dotted outline: every other pixel of its top edge blue.
        auto outlined = [&](const LinkBox &b, int scroll = 0) {
            return E2e::waitFor([&] {
                const QImage page = pageOnScreen();
                for (int x = b.X1; x <= b.X2; ++x)
                    if (QColor(page.pixel(x, b.Y1 - scroll)) != ((x + b.Y1) % 2 ? QColor(Qt::white) : QColor(Qt::blue)))
                        return false;
                return true;
            }, 10000);
        };
        auto window = [](const QString &name, QString id = {}) {
            return E2e::waitFor([&] { return !(id = Program::windowNamed(name)).isEmpty(); }) ? id : QString();
        };
        // Each step: keys, how many times, then the colour of the tab shown
        // or the link outlined on the page (scrolled by `scroll`).
        struct Step { QString keys; int times; QColor shown; LinkBox link = {}; int scroll = 0; };
        const QColor none;
        const Step steps[] = {
            // Tab: the number 2; 39 more: entry 1, which Enter opens.
            {u"Tab"_s, 1, none, boxes1[0]}, {u"Tab"_s, 39, none, boxes1[39]}, {u"Return"_s, 1, colours[0]},
            // Ctrl+Tab wraps round to the catalogue, entry 1 still outlined;
            // 34 back to the number 7, which Space draws; Shift+Tab from
            // before its first link: the last entry, scrolled to, and opened.
            {u"ctrl+Tab"_s, 1, none, boxes1[39]}, {u"shift+Tab"_s, 34, none, boxes1[5]}, {u"space"_s, 1, none},
            {u"shift+Tab"_s, 1, none, last, scrolled}, {u"KP_Enter"_s, 1, colours[1]},
            // Tabs 0 (the catalogue), 1 green, 2 red: back and forth, wrapping.
            {u"ctrl+Prior"_s, 1, colours[0]}, {u"ctrl+shift+Tab"_s, 1, none, last, scrolled},
            {u"ctrl+shift+Tab"_s, 1, colours[1]}, {u"ctrl+Next"_s, 1, none, last, scrolled},
            {u"ctrl+Tab"_s, 1, colours[0]}, {u"ctrl+w"_s, 1, none, last, scrolled}, {u"ctrl+Tab"_s, 1, colours[1]}};
        QCOMPARE(boxes1[5].Target, u"list7"_s);
        for (const Step &step : steps) {
            keys(step.keys, step.times);
            if (step.shown.isValid())
                QVERIFY2(shows(step.shown), qPrintable(step.keys));
            else if (!step.link.Target.isEmpty())
                QVERIFY2(outlined(step.link, step.scroll), qPrintable(step.keys));
            if (step.scroll)
                keep(u"kb-01-"_s + step.keys);
        }
        // F3: the search window, with the program's icon, and a hit.
        keys(u"F3"_s);
        const QString search = window(u"Поиск"_s);
        QVERIFY(E2e::hasIcon(search));
        program.type(cartoons[2].Title);
        keys(u"Return"_s);
        QVERIFY(E2e::waitFor([&] { // the hit listed: dark letters in the list's first line
            const QImage d = program.grabScreen().copy(Program::geometryOf(search));
            int dark = 0;
            for (int x = 8; x < 300; ++x)
                dark += QColor(d.pixel(x, 80)).lightness() < 80;
            return dark > 5;
        }));
        keys(u"Down Return"_s);
        QVERIFY(shows(colours[2]));
        // Back in the main window: Alt+М opens the menu on Search; three down
        // is the about window, with the icon; Tab, the site link, Enter follows
        // it; Tab, OK, Enter closes the window.
        QVERIFY(E2e::waitFor([&] { return E2e::run(u"xdotool"_s, {u"getwindowfocus"_s}) == program.window(); }));
        keys(u"alt+Cyrillic_EM"_s);
        E2e::settle(400);
        keys(u"Down Down Down Return"_s);
        const QString about = window(u"О программе"_s);
        QVERIFY(E2e::hasIcon(about));
        E2e::settle(500);
        keys(u"Tab Return"_s);
        QVERIFY(E2e::waitFor([&] { return program.opened().size() == 1; }));
        program.keep(program.grabScreen().copy(Program::geometryOf(about)), u"scenario-kb-03-about"_s);
        keys(u"Tab Return"_s);
        QVERIFY(E2e::waitFor([&] { return Program::windowNamed(u"О программе"_s).isEmpty(); }));
        keys(u"F10"_s); // and Exit
        E2e::settle(400);
        keys(u"Up Return"_s);
        QVERIFY(program.waitForExit(15000));
        m_program = nullptr;
        wm.terminate();
        wm.waitForFinished(10000);
    }

    // With a window manager: the keys act on the page from the start, and a
    // window resized while minimised is laid out for its size when restored.
    void underAWindowManager()
    {
        TestSupport::startProgram(E2e::binDir() + QStringLiteral("/Data/"));
        const int pageWidth = decl().PageWidth;
        const int pageHeight = decl().PageHeight;
        const QImage page1 = frmForma::instance().picText->image();
        const int max1 = frmForma::instance().VScroll1->maximum();
        const LinkBox entry1 = decl().LinkBoxes[39];
        const QString cartoon = QStringLiteral("http://mults.example/mults/?id=") + decl().MultTable[1][1].Id;
        frmForma::destroyInstance();
        QVERIFY(max1 > 0);

        QProcess wm;
        wm.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        wm.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        QVERIFY(wm.waitForStarted(10000));
        QVERIFY(E2e::waitFor([] { return E2e::run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains(u"Openbox"); }));

        QTemporaryDir folder;
        Program program(Program::copyOfBuiltFolder(folder));
        m_program = &program;
        program.server.setPage(cartoon, CartoonPage);
        program.server.setPage(QStringLiteral("http://mults.example/mults/?id=slow"), {CartoonPage, "text/html", {}, 4000});
        QVERIFY(program.start());
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page1.copy(0, 0, pageWidth, pageHeight)); }));
        keep(QStringLiteral("wm-01-start"));
        // Nothing clicked yet: End goes to the bottom of the page.
        program.key(QStringLiteral("End"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page1.copy(0, max1, pageWidth, pageHeight)); }, 10000));
        keep(QStringLiteral("wm-02-end"));

        // A cartoon watched in its tab.
        const QString id = program.window();
        const QRect normal = Program::geometryOf(id);
        const int menuBar = normal.height() - Client.height();
        auto seen = [&program](const QString &what, const QString &value) {
            const QStringList reports = program.server.requests.filter(QStringLiteral("/report?"));
            return !reports.isEmpty() && QUrlQuery(QUrl(reports.last())).queryItemValue(what) == value;
        };
        auto inPage = [&](QPoint p) { return program.clientToScreen(p + QPoint(0, 105), program.windowSize().height() - menuBar); };
        // The whole screen is the player: its corners and its middle.
        auto screenIs = [&](QRgb c) {
            m_shot = program.grabScreen();
            return m_shot.pixel(0, 0) == c && m_shot.pixel(1279, 1023) == c && m_shot.pixel(640, 512) == c;
        };
        program.key(QStringLiteral("Home"));
        program.click(at(QPoint((entry1.X1 + entry1.X2) / 2 + 2, (entry1.Y1 + entry1.Y2) / 2 + 107)));
        QVERIFY(E2e::waitFor([&] { return seen(QStringLiteral("w"), QStringLiteral("load")); }, 30000));
        // The keyboard is in the page as soon as it is shown.
        program.key(QStringLiteral("Next"));
        QVERIFY(E2e::waitFor([&] { return seen(QStringLiteral("w"), QStringLiteral("scroll")) && seen(QStringLiteral("f"), QStringLiteral("1")); }, 10000));
        // The player fills the screen, normal and maximised, and Escape gives
        // the window back as it was, the keyboard still in the page.
        // Meanwhile a page that is not shown is refused, and may ask again.
        for (const bool maximised : {false, true}) {
            const QRect before = Program::geometryOf(id);
            program.click(inPage(QPoint(100, 50)));
            QVERIFY(E2e::waitFor([&] { return seen(QStringLiteral("fs"), QStringLiteral("1")) && screenIs(qRgb(0xc0, 0, 0xc0)); }, 10000));
            keep(QStringLiteral("wm-04-full-screen"));
            program.key(QStringLiteral("Escape"));
            // The bands are back: the catalogue's tab, inactive, in the tab row.
            QVERIFY(E2e::waitFor([&] {
                return seen(QStringLiteral("fs"), QStringLiteral("0")) && Program::geometryOf(id) == before
                    && QColor((m_shot = program.grabWindow()).pixel(200, menuBar + 80)) == QColor(192, 192, 192);
            }, 10000));
            keep(maximised ? QStringLiteral("wm-06-left-maximised") : QStringLiteral("wm-05-left"));
            program.key(QStringLiteral("Home"));
            QVERIFY(E2e::waitFor([&] { return seen(QStringLiteral("y"), QStringLiteral("0")); }, 10000));
            if (maximised)
                break;
            program.click(inPage(QPoint(100, 225)));
            program.click(at(QPoint(100, 89)));
            QVERIFY(E2e::waitFor([&] { return seen(QStringLiteral("w"), QStringLiteral("settled")); }, 10000));
            QCOMPARE(Program::geometryOf(id), before);
            program.click(at(QPoint(392 + 60, 89)));
            E2e::run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"), id, QStringLiteral("-b"), QStringLiteral("add,maximized_vert,maximized_horz")});
            QVERIFY(E2e::waitFor([&] { return Program::geometryOf(id).width() == 1280; }, 10000));
        }
        E2e::run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"), id, QStringLiteral("-b"), QStringLiteral("remove,maximized_vert,maximized_horz")});
        QVERIFY(E2e::waitFor([&] { return Program::geometryOf(id) == normal; }, 10000));

        // A slow page: a line along the top of the page and the busy pointer.
        program.click(inPage(QPoint(350, 20)));
        program.moveTo(inPage(QPoint(400, 300)));
        QVERIFY(E2e::waitFor([&] { return QColor(client().pixel(3, 106)) == QColor(0, 120, 215); }, 3000));
        keep(QStringLiteral("wm-07-loading"));
        const XScreen::Connection x;
        const QImage busy = x.cursor();
        QVERIFY(E2e::waitFor([&] { return seen(u"h"_s, u"2"_s) && QColor(client().pixel(3, 106)) == QColor(0xc0, 0, 0xc0); }));
        QVERIFY(x.cursor() != busy);

        // Back, forward, reload twice (all but back ask for the slow page
        // again), zoom in, 100 %, zoom out: what the page reports after each.
        const QString slow = QStringLiteral("http://mults.example/mults/?id=slow");
        const QStringList keys[] = {{u"alt+Left"_s, u"at"_s, cartoon.section(u'=', 1)}, {u"alt+Right"_s, u"at"_s, u"slow"_s},
            {u"F5"_s, u"w"_s, u"load"_s}, {u"ctrl+r"_s, u"w"_s, u"load"_s}, {u"ctrl+plus"_s, u"iw"_s, QString::number(qRound(784 / 1.1))},
            {u"ctrl+0"_s, u"iw"_s, u"784"_s}, {u"ctrl+minus"_s, u"iw"_s, QString::number(qRound(784 / 0.9))}, {u"ctrl+0"_s, u"iw"_s, u"784"_s}};
        for (const QStringList &k : keys) {
            const qsizetype asked = program.server.requests.size();
            const int reloads = program.server.countOf(slow) + (k[2] == u"load"_s || k[2] == u"slow"_s);
            program.key(k[0]);
            QVERIFY2(E2e::waitFor([&] { return program.server.requests.size() > asked && seen(k[1], k[2]); }, 15000), qPrintable(k[0]));
            QCOMPARE(program.server.countOf(slow), reloads);
        }

        // The menu on a link: its first item hands the link to the default
        // browser.
        program.click(inPage(QPoint(350, 20)), 3);
        E2e::settle(800);
        client();
        keep(QStringLiteral("wm-08-link-menu"));
        program.key(QStringLiteral("Down"));
        program.key(QStringLiteral("Return"));
        QVERIFY(E2e::waitFor([&] { return program.opened().size() == 1; }, 10000));
        QFile redirect(folder.path() + QStringLiteral("/Data/0.html"));
        QVERIFY(redirect.open(QIODevice::ReadOnly));
        QVERIFY(redirect.readAll().contains("url=http://mults.example/mults/?id=slow'"));

        // Ctrl+F4 while the page fills the screen: the window comes back with
        // the catalogue.
        program.click(inPage(QPoint(100, 50)));
        QVERIFY(E2e::waitFor([&] { return screenIs(qRgb(0xc0, 0, 0xc0)); }, 10000));
        program.key(QStringLiteral("ctrl+F4"));
        QVERIFY(E2e::waitFor([&] { return Program::geometryOf(id) == normal && E2e::samePixels(pageOnScreen(), page1.copy(0, 0, pageWidth, pageHeight)); }, 10000));
        // The scroll bar's lower arrow, in the bottom right corner of the view.
        auto lowerArrow = [](QSize client) { return QRect(client.width() - 19, client.height() - 19, 17, 17); };

        // Minimised, made larger meanwhile (resized, then maximised), then
        // restored: each time the view reaches the new bottom and right edges.
        // The scroll bar stands at the new right edge down to the new bottom
        // (its left edge, a grey line darker than the window's, all along the
        // lower arrow: the arrow itself greys out once the page fits), and the
        // bottom row of the view shows the page, nowhere the window's grey or
        // an undrawn black.
        auto xwininfo = [&id] { return E2e::run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}); };
        auto laidOut = [&](QSize client) {
            m_shot = program.grabClient(client.height());
            const QRect corner = lowerArrow(client);
            for (int y = corner.top(); y <= corner.bottom(); ++y)
                if (const int g = qGray(m_shot.pixel(corner.left(), y)); g < 150 || g > 215)
                    return false;
            for (int x = 2; x < client.width() - 21; ++x) {
                const QColor c = m_shot.pixel(x, client.height() - 3);
                if (c == QColor(224, 224, 224) || c == QColor(Qt::black))
                    return false;
            }
            return true;
        };
        const QSize larger(1000, 700);
        const QStringList whileMinimised[] = {
            {QStringLiteral("xdotool"), QStringLiteral("windowsize"), id, QString::number(larger.width()),
             QString::number(larger.height() + menuBar)},
            {QStringLiteral("wmctrl"), QStringLiteral("-i"), QStringLiteral("-r"), id, QStringLiteral("-b"),
             QStringLiteral("add,maximized_vert,maximized_horz")}};
        for (const QStringList &command : whileMinimised) {
            E2e::xdo({QStringLiteral("windowminimize"), id});
            QVERIFY(E2e::waitFor([&] { return xwininfo().contains(u"IsUnMapped"); }, 10000));
            E2e::run(command.first(), command.mid(1));
            E2e::settle(500);
            E2e::run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"), id});
            QVERIFY(E2e::waitFor([&] { return xwininfo().contains(u"IsViewable"); }, 10000));
            const QSize window = Program::geometryOf(id).size();
            const QSize client = window - QSize(0, menuBar);
            if (command.first() == QLatin1String("xdotool"))
                QCOMPARE(client, larger);
            else
                QVERIFY(window.width() > larger.width() && window.height() > larger.height());
            const bool restored = E2e::waitFor([&] { return laidOut(client); }, 10000);
            keep(QStringLiteral("wm-03-restored-") + command.first());
            QVERIFY2(restored, qPrintable(command.join(u' ')));
        }

        program.stop();
        m_program = nullptr;
        wm.terminate();
        QVERIFY(wm.waitForFinished(10000));
    }
};

QTEST_MAIN(TestScenario)
#include "tst_scenario.moc"
