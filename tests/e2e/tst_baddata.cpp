// A damaged or locked catalogue folder, or no web engine module: the program
// starts, shows what it can, and every command still works; a huge section
// file, a pipe or a device costs no more than a small file.

#include "E2eSupport.h"
#include "TestSupport.h"

#include "pageview/PictureBox.h"

#include <QRegularExpression>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using E2e::Program;

class TestBadData : public QObject
{
    Q_OBJECT

private slots:
    void commandsStillWork_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("catalogue folder missing") << QStringLiteral("missing");
        QTest::newRow("section file unreadable") << QStringLiteral("unreadable");
        QTest::newRow("catalogue folder read-only") << QStringLiteral("read-only");
        QTest::newRow("web engine module missing") << QStringLiteral("no-engine");
        QTest::newRow("section file of 2 GB, its entries first") << QStringLiteral("sparse");
        QTest::newRow("section file a pipe nobody writes") << QStringLiteral("fifo");
        QTest::newRow("section file a link to an endless device") << QStringLiteral("device");
    }

    void commandsStillWork()
    {
        QFETCH(QString, damage);
        const QSize client = frmForma::DesignSize;
        QTemporaryDir folder;
        Program program(Program::copyOfBuiltFolder(folder, damage != QLatin1String("missing")));
        const QString data = folder.path() + QStringLiteral("/Data/");
        if (damage == QLatin1String("unreadable")) {
            QFile::remove(data + QStringLiteral("1.dat"));
            QDir().mkpath(data + QStringLiteral("1.dat")); // a folder in place of the file
        }
        if (damage == QLatin1String("read-only")) {
            if (geteuid() != 0)
                QSKIP("needs root to run the program as another user");
            program.runAsNobody();
        }
        const bool noEngine = damage == QLatin1String("no-engine");
        if (noEngine)
            QVERIFY(QFile::remove(folder.path() + QStringLiteral("/mirelka-engine.so")));
        // A pipe or a device reads as a missing section file.
        const QString section1 = data + QStringLiteral("1.dat");
        if (damage == QLatin1String("fifo") || damage == QLatin1String("device"))
            QVERIFY(QFile::remove(section1));

        // What page 1 must show with this folder.
        TestSupport::startProgram(data);
        const QImage page1 = frmForma::instance().picText->image().copy(0, 0, decl().PageWidth, decl().PageHeight);
        const bool section1Empty = decl().MultCount[1] == 0;
        frmForma::destroyInstance();
        const bool dataWritable = damage != QLatin1String("missing") && damage != QLatin1String("read-only");
        QCOMPARE(section1Empty, damage != QLatin1String("read-only") && !noEngine && damage != QLatin1String("sparse"));

        const qint64 twoGB = qint64(2) << 30;
        if (damage == QLatin1String("sparse"))
            QVERIFY(QFile::resize(section1, twoGB)); // zeros after the entries, taking no disk
        else if (damage == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(section1).constData(), 0644), 0);
        else if (damage == QLatin1String("device"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), section1));

        QVERIFY(program.start());
        auto pageOnScreen = [&] {
            return program.grabClient(client.height()).copy(2, 107, page1.width(), page1.height());
        };
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page1); }, 20000));
        program.keep(program.grabClient(client.height()), QStringLiteral("baddata-") + damage);
        auto at = [&](QPoint p) { return program.clientToScreen(p, client.height()); };

        // With no window manager, a click gives the window the keyboard.
        program.click(at(QPoint(760, 90)));
        // Help opens in a tab (two tabs: the catalogue tab turns grey).
        program.key(QStringLiteral("F1"));
        QVERIFY(E2e::waitFor([&] {
            return QColor(program.grabClient(client.height()).pixel(200, 80)) == QColor(192, 192, 192);
        }, 20000));
        if (noEngine) {
            // The help tab says why it shows no page: words in its area.
            QImage area;
            QVERIFY(E2e::waitFor([&] {
                area = pageOnScreen();
                return !E2e::samePixels(area, page1) && E2e::samePixels(area, pageOnScreen());
            }, 10000));
            QImage plain(area.size(), area.format());
            plain.fill(area.pixel(0, 0));
            QVERIFY(area != plain);
        }
        program.key(QStringLiteral("ctrl+F4"));
        QVERIFY(E2e::waitFor([&] { return E2e::samePixels(pageOnScreen(), page1); }, 10000));

        // The about box's link still reaches the default browser, through the
        // user's private cache folder when the catalogue folder takes no file.
        const QRect about = program.openAbout(client.height());
        QVERIFY(!about.isEmpty());
        program.click(about.topLeft() + QPoint(160, 66));
        QVERIFY(E2e::waitFor([&] { return program.opened().size() == 1; }, 10000));
        const QString handedOff = QUrl(program.opened().first()).toLocalFile();
        QFile redirect(handedOff);
        QVERIFY(redirect.open(QIODevice::ReadOnly));
        QVERIFY(redirect.readAll().contains("url=http://mirelka.example/site/'"));
        if (dataWritable)
            QCOMPARE(handedOff, data + QStringLiteral("0.html"));
        else
            QVERIFY2(!handedOff.startsWith(folder.path()), qPrintable(handedOff));
        QFile::remove(handedOff);
        program.key(QStringLiteral("Return")); // OK has the focus
        QVERIFY(E2e::waitFor([&] { return Program::windowNamed(QStringLiteral("О программе")).isEmpty(); }, 10000));

        // The search runs over what loads; with nothing to find, it says so.
        program.click(at(QPoint(760, 90)));
        program.key(QStringLiteral("F3"));
        QString dialog;
        QVERIFY(E2e::waitFor([&] { return !(dialog = Program::windowNamed(QStringLiteral("Поиск"))).isEmpty(); }, 10000));
        const QRect box = Program::geometryOf(dialog);
        program.click(box.topLeft() + QPoint(200, 18));
        program.type(QStringLiteral("zzzz"));
        program.key(QStringLiteral("Return"));
        // The message box is a second window titled "Mirelka online".
        QVERIFY(E2e::waitFor([&] {
            return E2e::run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                        QStringLiteral("--name"), QStringLiteral("^Mirelka online$")})
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                       .size() == 2;
        }, 15000));
        program.keep(program.grabScreen(), QStringLiteral("baddata-message-") + damage);
        program.key(QStringLiteral("Return"));
        QVERIFY(E2e::waitFor([&] {
            return E2e::run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                        QStringLiteral("--name"), QStringLiteral("^Mirelka online$")})
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                       .size() == 1;
        }, 10000));
        // The search window has only its close box, which needs a window
        // manager: it stays open to the end.

        QVERIFY(program.isRunning());
        // The most the program ever held: no section file is read past what a section can reach.
        QFile status(QStringLiteral("/proc/%1/status").arg(program.pid()));
        QVERIFY(status.open(QIODevice::ReadOnly));
        const QString peak = QRegularExpression(QStringLiteral("VmHWM:\\s*(\\d+)")).match(status.readAll()).captured(1);
        QVERIFY2(peak.toLongLong() > 0 && peak.toLongLong() * 1024 < twoGB / 4, qPrintable(peak));
        // Without the module the program says so, once.
        const QByteArray notice = "web pages are not shown: the web engine module could not be loaded";
        QCOMPARE(program.errors().count(notice), noEngine ? 1 : 0);
        program.stop();
    }
};

QTEST_MAIN(TestBadData)
#include "tst_baddata.moc"
