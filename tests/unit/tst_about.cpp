#include "TestSupport.h"

#include "pageview/PictureBox.h"
#include "web/frmOprog.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <QtTest>


class TestAbout : public QObject
{
    Q_OBJECT

private:
    TestSupport::DesktopFixture m_desk;

    static frmOprog &about() { return frmOprog::instance(); }

    static QWidget *control(const QString &name)
    {
        auto &f = about();
        if (name == QLatin1String("Image1"))
            return f.Image1;
        if (name == QLatin1String("Label1"))
            return f.Label1;
        if (name.startsWith(QLatin1String("Label2_")))
            return f.Label2[name.mid(7).toInt()];
        if (name == QLatin1String("Line1"))
            return f.Line1;
        if (name == QLatin1String("Line2"))
            return f.Line2;
        if (name == QLatin1String("Picture1"))
            return f.Picture1;
        if (name == QLatin1String("OK"))
            return f.OK;
        return nullptr;
    }

    // The flag's three bands as they stand on screen, within Picture1.
    static void verifyFlag(const QImage &window)
    {
        const QPoint origin = about().Picture1->pos();
        QCOMPARE(QColor(window.pixel(origin + QPoint(40, 5))), QColor(Qt::white));
        QCOMPARE(QColor(window.pixel(origin + QPoint(40, 20))), QColor(0, 0, 255));
        QCOMPARE(QColor(window.pixel(origin + QPoint(40, 40))), QColor(255, 0, 0));
        QCOMPARE(QColor(window.pixel(origin + QPoint(0, 14))), QColor(Qt::white));
        QCOMPARE(QColor(window.pixel(origin + QPoint(79, 15))), QColor(0, 0, 255));
        QCOMPARE(QColor(window.pixel(origin + QPoint(79, 44))), QColor(255, 0, 0));
    }

private slots:
    void initTestCase() { m_desk.initTestCase(); }

    void init() { m_desk.init(); }

    void cleanup() { frmOprog::destroyInstance(); }

    void controlsStandInTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("Image1") << "Image1" << QRect(16, 8, 71, 126);
        QTest::newRow("author") << "Label2_3" << QRect(104, 8, 220, 20);
        QTest::newRow("e-mail") << "Label2_4" << QRect(104, 32, 179, 20);
        QTest::newRow("site") << "Label2_5" << QRect(104, 56, 48, 20);
        QTest::newRow("link") << "Label1" << QRect(152, 56, 183, 20);
        QTest::newRow("version") << "Label2_6" << QRect(104, 80, 104, 20);
        QTest::newRow("date") << "Label2_7" << QRect(104, 104, 219, 20);
        QTest::newRow("second date") << "Label2_0" << QRect(156, 128, 149, 20);
        QTest::newRow("Line1") << "Line1" << QRect(8, 152, 328, 1);
        QTest::newRow("Line2") << "Line2" << QRect(8, 153, 328, 1);
        QTest::newRow("flag") << "Picture1" << QRect(8, 160, 80, 45);
        QTest::newRow("OK") << "OK" << QRect(248, 164, 89, 33);
    }

    void controlsStandInTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QWidget *w = control(name);
        QVERIFY(w);
        QCOMPARE(w->parentWidget(), &about());
        QCOMPARE(w->geometry(), place);
    }

    void windowAndTexts()
    {
        auto &f = about();
        QCOMPARE(f.windowTitle(), QStringLiteral("О программе"));
        QCOMPARE(f.size(), QSize(343, 211));
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(!f.parent());
        const Qt::WindowFlags flags = f.windowFlags();
        QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(f.palette().color(QPalette::Window), QColor(192, 192, 192));
        QVERIFY(f.font().bold());
        QCOMPARE(f.font().pointSize(), 12);
        QCOMPARE(f.font().families().value(0), QStringLiteral("MS Sans Serif"));

        QVERIFY(f.Label2[3]->text().startsWith(QStringLiteral("Автор:")));
        QVERIFY(f.Label2[4]->text().startsWith(QStringLiteral("E-mail:")));
        QVERIFY(f.Label2[4]->text().endsWith(QStringLiteral(".example")));
        // Every text fits its box in the window's font.
        for (QLabel *label : {f.Label2[0], f.Label2[3], f.Label2[4], f.Label2[5], f.Label2[6], f.Label2[7], f.Label1})
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), qPrintable(label->text()));
        QCOMPARE(f.Label2[5]->text(), QStringLiteral("Сайт:"));
        QCOMPARE(f.Label2[6]->text(), QStringLiteral("Версия: v2.1"));
        QCOMPARE(f.Label2[7]->text(), QStringLiteral("Дата: 21 ноября 2008 год"));
        QCOMPARE(f.Label2[0]->text(), QStringLiteral("29 июля 2015 год"));
        QCOMPARE(f.OK->text(), QStringLiteral("OK"));

        for (QLabel *label : {f.Label2[0], f.Label2[3], f.Label2[4], f.Label2[5], f.Label2[6], f.Label2[7], f.Label1}) {
            QVERIFY(label->autoFillBackground());
            QCOMPARE(label->palette().color(QPalette::Window), QColor(192, 192, 192));
            QCOMPARE(label->font().pointSize(), 12);
            QVERIFY(label->font().bold());
        }
        QCOMPARE(f.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 192));
        QVERIFY(f.Label1->font().underline());
        QCOMPARE(f.Label1->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!f.Label1->text().isEmpty());

        // The picture is our own colour bitmap of the box's size, not a blank.
        const QImage picture = f.Image1->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(71, 126));
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); y += 3)
            for (int x = 0; x < picture.width(); x += 3)
                colours.insert(picture.pixel(x, y));
        QVERIFY(colours.size() > 20);

        // An etched separator: a dark line over a light one.
        QVERIFY(qGray(f.Line1->palette().color(QPalette::Window).rgb())
                < qGray(f.Line2->palette().color(QPalette::Window).rgb()));
    }

    void flagSurvivesBeingCovered()
    {
        auto &f = about();
        f.Form_Load();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QImage first = f.grab().toImage();
        verifyFlag(first);

        // Hidden and shown again without a new load: the retained drawing stays.
        f.hide();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        verifyFlag(f.grab().toImage());
    }

    void everyShowingDrawsTheFlagAfresh()
    {
        auto &f = about();
        f.Picture1->clear();
        QTimer::singleShot(0, &f, [&f] {
            verifyFlag(f.grab().toImage());
            f.done(QDialog::Rejected);
        });
        MenuAbout_Click();
        QVERIFY(!f.isVisible());
    }

    void linkHandsOffEachTimeAndTheWindowStays()
    {
        auto &f = about();
        QStringList checked;
        QTimer::singleShot(0, &f, [&] {
            for (int i = 0; i < 3; ++i) {
                // Clicks a second or more apart: the same address at once opens once.
                decl().HandOffTime.invalidate();
                QTest::mouseClick(f.Label1, Qt::LeftButton, {}, QPoint(10, 10));
                // A press outside the link that ends on it is no click.
                QTest::mousePress(f.Label2[5], Qt::LeftButton, {}, QPoint(5, 5));
                QTest::mouseRelease(f.Label1, Qt::LeftButton, {}, QPoint(10, 10));
            }
            if (f.isVisible() && QApplication::activeModalWidget() == &f)
                checked.append(QStringLiteral("still open and modal"));
            f.OK->click();
        });
        MenuAbout_Click();
        QCOMPARE(checked, QStringList{QStringLiteral("still open and modal")});
        QCOMPARE(m_desk.opener.opened.size(), 3);
        QFile page(m_desk.opener.opened.last());
        QVERIFY(page.open(QIODevice::ReadOnly));
        QVERIFY(page.readAll().contains("url=http://mirelka.example/site/'"));
    }

    void okHasTheFocusAndClosesTheWindow_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("closes");
        QTest::newRow("click") << 0 << true;
        QTest::newRow("Enter") << int(Qt::Key_Return) << true;
        QTest::newRow("space") << int(Qt::Key_Space) << true;
        // Only OK and the close box close the window.
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
    }

    void okHasTheFocusAndClosesTheWindow()
    {
        QFETCH(int, key);
        QFETCH(bool, closes);
        auto &f = about();
        bool focused = false;
        bool openAfterKey = false;
        QTimer::singleShot(0, &f, [&] {
            focused = f.focusWidget() == f.OK;
            if (key == 0)
                QTest::mouseClick(f.OK, Qt::LeftButton);
            else
                QTest::keyClick(f.focusWidget(), Qt::Key(key));
            openAfterKey = f.isVisible();
            if (openAfterKey)
                f.done(-1);
        });
        QTimer guard;
        // Should the key not close it, the case ends instead of waiting forever.
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, &f, [&f] { f.done(-1); });
        guard.start(30000);
        MenuAbout_Click();
        QVERIFY(focused);
        QCOMPARE(openAfterKey, !closes);
        QCOMPARE(f.result(), closes ? int(QDialog::Accepted) : -1);
        QVERIFY(!f.isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
