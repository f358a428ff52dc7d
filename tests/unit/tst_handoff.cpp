#include "TestSupport.h"

#include "catalogue/Cp1251.h"
#include "web/SaveFileUrlm.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>
#include "FileOpener.h"

#include <QtTest>

namespace {
const QString PageStart = QStringLiteral("<html><head><meta http-equiv='refresh' content='0; url=");
const QString PageEnd = QStringLiteral("'><meta http-equiv='Content-Type' content='text/html; "
                                       "charset=windows-1251'><title>WWW</title></head><body></body></html>");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace


class TestHandoff : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_temp;
    FileOpener m_opener;

    QString dataFile(int n) const { return decl().DataPath + QString::number(n) + QStringLiteral(".html"); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
    }

    void init()
    {
        // A fresh catalogue folder and a temporary folder of our own per case.
        static int round = 0;
        const QString base = m_root.path() + QStringLiteral("/case%1").arg(++round);
        m_temp = base + QStringLiteral("/tmp");
        QVERIFY(QDir().mkpath(base + QStringLiteral("/Data")));
        QVERIFY(QDir().mkpath(m_temp));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
        TestSupport::resetState(base + QStringLiteral("/Data/"));
        m_opener.opened.clear();
    }

    void writesTheRedirectPageAndOpensIt()
    {
        SaveFileUrlm(QStringLiteral("abc"));
        QCOMPARE(readAll(dataFile(0)), (PageStart + QStringLiteral("abc") + PageEnd).toLatin1() + "\r\n");
        QCOMPARE(m_opener.opened, QStringList{dataFile(0)});
    }

    void secondHandOffRewritesTheSameFile()
    {
        SaveFileUrlm(QStringLiteral("http://first.example/a/long/address/that/is/longer"));
        SaveFileUrlm(QStringLiteral("http://second.example/"));
        QCOMPARE(readAll(dataFile(0)),
                 (PageStart + QStringLiteral("http://second.example/") + PageEnd).toLatin1() + "\r\n");
        QVERIFY(!QFile::exists(dataFile(1)));
        QCOMPARE(m_opener.opened, (QStringList{dataFile(0), dataFile(0)}));
    }

    void cyrillicIsWrittenInWindows1251()
    {
        const QString url = QStringLiteral("http://сайт.example/мульт?id=Ёж");
        SaveFileUrlm(url);
        QCOMPARE(readAll(dataFile(0)), Cp1251::fromUnicode(PageStart + url + PageEnd) + "\r\n");
    }

    void busyFileMovesToTheNextNumber()
    {
        // A folder in the way cannot be opened as a file, whoever runs the test.
        QVERIFY(QDir().mkdir(dataFile(0)));
        SaveFileUrlm(QStringLiteral("abc"));
        QCOMPARE(readAll(dataFile(1)), (PageStart + QStringLiteral("abc") + PageEnd).toLatin1() + "\r\n");
        QCOMPARE(m_opener.opened, QStringList{dataFile(1)});
    }

    void unusableFolderFallsBackToTheTemporaryFolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("a file in place of the folder") << "file";
        QTest::newRow("every numbered file busy") << "busy";
    }

    void unusableFolderFallsBackToTheTemporaryFolder()
    {
        QFETCH(QString, how);
        const QString folder = decl().DataPath.chopped(1);
        if (how == QLatin1String("missing")) {
            QVERIFY(QDir(folder).removeRecursively());
        } else if (how == QLatin1String("file")) {
            QVERIFY(QDir(folder).removeRecursively());
            QFile file(folder);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            for (int n = 0; n < RedirectFileTries; ++n)
                QVERIFY(QDir().mkdir(dataFile(n)));
        }

        SaveFileUrlm(QStringLiteral("http://mirelka.example/site/"));

        QCOMPARE(m_opener.opened.size(), 1);
        const QString opened = m_opener.opened.first();
        QCOMPARE(QFileInfo(opened).absolutePath(), QFileInfo(m_temp).absoluteFilePath());
        QVERIFY(opened.endsWith(QLatin1String(".html")));
        QCOMPARE(readAll(opened),
                 (PageStart + QStringLiteral("http://mirelka.example/site/") + PageEnd).toLatin1() + "\r\n");
        // The numbering stopped at its bound.
        QVERIFY(!QFileInfo::exists(dataFile(RedirectFileTries)));
    }

    void nowhereToWriteHandsNothingOff()
    {
        QVERIFY(QDir(decl().DataPath).removeRecursively());
        qputenv("TMPDIR", QFile::encodeName(m_temp + QStringLiteral("/no/such/folder")));
        SaveFileUrlm(QStringLiteral("abc"));
        QVERIFY2(m_opener.opened.isEmpty(), qPrintable(m_opener.opened.join(",")));
    }

    void addressCannotAddMarkup_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("written");

        QTest::newRow("plain address") << "http://mirelka.example/site/?a=1&b=%20#top"
                                       << "http://mirelka.example/site/?a=1&b=%20#top";
        QTest::newRow("single quote") << "http://x.example/'><script>alert(1)</script>"
                                      << "http://x.example/%27%3E%3Cscript%3Ealert(1)%3C/script%3E";
        QTest::newRow("double quote") << "http://x.example/\"onload=\"x" << "http://x.example/%22onload=%22x";
        QTest::newRow("whitespace and controls") << QStringLiteral("http://x.example/a b\tc\nd\re") + QChar(127)
                                                 << "http://x.example/a%20b%09c%0Ad%0De%7F";
        QTest::newRow("outside the code page") << QStringLiteral("http://x.example/猫")
                                               << "http://x.example/%E7%8C%AB";
    }

    void addressCannotAddMarkup()
    {
        QFETCH(QString, url);
        QFETCH(QString, written);
        const QString page = RedirectPage(url);
        QCOMPARE(page, PageStart + written + PageEnd);
        // The page's own markup is all there is.
        const QString plain = RedirectPage(QStringLiteral("abc"));
        for (const QChar c : {QLatin1Char('<'), QLatin1Char('>'), QLatin1Char('\''), QLatin1Char('"')})
            QCOMPARE(page.count(c), plain.count(c));
    }

    void waitingEventsRunBeforeTheFileIsOpened()
    {
        // A hand-off started during the yield finishes first and numbers from 0
        // as well; the first one then opens the file the second has rewritten.
        QTimer::singleShot(0, this, [] { SaveFileUrlm(QStringLiteral("second")); });
        SaveFileUrlm(QStringLiteral("first"));
        QCOMPARE(m_opener.opened, (QStringList{dataFile(0), dataFile(0)}));
        QVERIFY(readAll(dataFile(0)).contains("url=second'"));
    }
};

QTEST_MAIN(TestHandoff)
#include "tst_handoff.moc"
