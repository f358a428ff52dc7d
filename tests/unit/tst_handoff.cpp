#include "TestSupport.h"

#include "web/SaveFileUrlm.h"

#include <QDesktopServices>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include "FileOpener.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr uid_t NobodyId = 65534;
const QString PageStart = QStringLiteral("<html><head><meta http-equiv='refresh' content='0; url=");
const QString PageEnd = QStringLiteral("'><meta http-equiv='Content-Type' content='text/html; "
                                       "charset=windows-1251'><title>WWW</title></head><body></body></html>");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Permission bits as the file system has them, without following a link.
int modeOf(const QString &path)
{
    struct stat st = {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
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
    // Where redirect pages go when the catalogue folder takes none.
    static QString privateFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/redirect");
    }

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
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_temp));
        TestSupport::resetState(base + QStringLiteral("/Data/"));
        m_opener.opened.clear();
    }

    void writesTheRedirectPageAndOpensIt()
    {
        SaveFileUrlm(QStringLiteral("abc"));
        QCOMPARE(readAll(dataFile(0)), (PageStart + QStringLiteral("abc") + PageEnd).toLatin1() + "\r\n");
        QCOMPARE(m_opener.opened, QStringList{dataFile(0)});
        // Nobody else may read where the user's browsing goes.
        QCOMPARE(modeOf(dataFile(0)), 0600);
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

    void cyrillicIsWrittenAsTheAddressNamesItOnTheWire()
    {
        // A browser reading Windows-1251 letters would ask the site for
        // ?id=%81%E6 instead of the address the link named.
        SaveFileUrlm(QStringLiteral("http://x.example/мульт?id=Ёж"));
        QCOMPARE(readAll(dataFile(0)), PageStart.toLatin1()
                                           + "http://x.example/%D0%BC%D1%83%D0%BB%D1%8C%D1%82?id=%D0%81%D0%B6"
                                           + PageEnd.toLatin1() + "\r\n");
    }

    void busyFileMovesToTheNextNumber_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("a folder") << "folder";
        QTest::newRow("a link to a file elsewhere") << "link";
        QTest::newRow("a link to nowhere") << "dangling";
        QTest::newRow("a second name of a file elsewhere") << "hardlink";
        QTest::newRow("a pipe nobody reads") << "fifo";
        QTest::newRow("a file of another user's") << "foreign";
    }

    // Whatever stands at 0.html but a file of its own is never written
    // through and never waited for: the page goes into 1.html.
    void busyFileMovesToTheNextNumber()
    {
        QFETCH(QString, what);
        const QByteArray zero = QFile::encodeName(dataFile(0));
        const QString elsewhere = m_temp + QStringLiteral("/elsewhere.txt");
        {
            QFile file(elsewhere);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("keep");
        }
        if (what == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(dataFile(0)));
        else if (what == QLatin1String("link"))
            QCOMPARE(::symlink(QFile::encodeName(elsewhere).constData(), zero.constData()), 0);
        else if (what == QLatin1String("dangling"))
            QCOMPARE(::symlink(QFile::encodeName(m_temp + QStringLiteral("/made.txt")).constData(), zero.constData()),
                     0);
        else if (what == QLatin1String("hardlink"))
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), zero.constData()), 0);
        else if (what == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(zero.constData(), 0600), 0);
        else if (::geteuid() != 0)
            QSKIP("needs root to make a file of another user's");
        else // left from a run of another user's, who would read every address
            QVERIFY(QFile::copy(elsewhere, dataFile(0)) && ::chown(zero.constData(), NobodyId, NobodyId) == 0);

        // A program stuck opening the pipe is freed after a while by a
        // reader, and the test fails instead of hanging.
        std::atomic<bool> done{false};
        std::atomic<bool> rescued{false};
        std::thread rescuer([&] {
            for (int i = 0; i < 50 && !done; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (done || what != QLatin1String("fifo"))
                return;
            rescued = true;
            const int fd = ::open(zero.constData(), O_RDONLY | O_NONBLOCK);
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (fd >= 0)
                ::close(fd);
        });
        SaveFileUrlm(QStringLiteral("abc"));
        done = true;
        rescuer.join();

        QVERIFY(!rescued);
        QCOMPARE(readAll(dataFile(1)), (PageStart + QStringLiteral("abc") + PageEnd).toLatin1() + "\r\n");
        QCOMPARE(m_opener.opened, QStringList{dataFile(1)});
        QCOMPARE(readAll(elsewhere), QByteArray("keep"));
        QVERIFY(!QFileInfo::exists(m_temp + QStringLiteral("/made.txt")));
        if (what == QLatin1String("foreign"))
            QCOMPARE(readAll(dataFile(0)), QByteArray("keep"));
    }

    void unusableFolderFallsBackToThePrivateFolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("a file in place of the folder") << "file";
        QTest::newRow("every numbered file busy") << "busy";
    }

    void unusableFolderFallsBackToThePrivateFolder()
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

        // Hand-offs there rewrite one file rather than piling up.
        SaveFileUrlm(QStringLiteral("http://first.example/"));
        SaveFileUrlm(QStringLiteral("http://mirelka.example/site/"));

        const QString zero = privateFolder() + QStringLiteral("/0.html");
        QCOMPARE(m_opener.opened, (QStringList{zero, zero}));
        QCOMPARE(readAll(zero),
                 (PageStart + QStringLiteral("http://mirelka.example/site/") + PageEnd).toLatin1() + "\r\n");
        QCOMPARE(QDir(privateFolder()).entryList(QDir::Files), QStringList{QStringLiteral("0.html")});
        QCOMPARE(modeOf(privateFolder()), 0700);
        QCOMPARE(modeOf(zero), 0600);
        // The numbering stopped at its bound.
        QVERIFY(!QFileInfo::exists(dataFile(RedirectFileTries)));
    }

    void nowhereToWriteHandsNothingOff()
    {
        QVERIFY(QDir(decl().DataPath).removeRecursively());
        // A file stands where the private folder's parent would be made.
        QFile blocker(m_temp + QStringLiteral("/blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(blocker.fileName() + QStringLiteral("/cache")));
        SaveFileUrlm(QStringLiteral("abc"));
        QVERIFY2(m_opener.opened.isEmpty(), qPrintable(m_opener.opened.join(",")));
    }

    void nowhereSafeHandsNothingOff_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("the disk takes part of a page") << "full";
        QTest::newRow("the program's cache folder a link") << "link";
        QTest::newRow("the program's cache folder another user's") << "foreign";
        QTest::newRow("a relative cache location, no home") << "relative";
    }

    // Nothing is handed off through a page cut short, or a folder others reach.
    void nowhereSafeHandsNothingOff()
    {
        QFETCH(QString, how);
        const QByteArray own = QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
        const QByteArray home = qgetenv("HOME");
        rlimit limit = {};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        if (how != QLatin1String("full"))
            QVERIFY(QDir(decl().DataPath).removeRecursively());
        if (how == QLatin1String("full")) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit small = limit;
            small.rlim_cur = 100; // every file stops growing there, as on a full disk
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        } else if (how == QLatin1String("link")) {
            QCOMPARE(::symlink(QFile::encodeName(m_temp).constData(), own.constData()), 0);
        } else if (how == QLatin1String("relative")) {
            qputenv("XDG_CACHE_HOME", "relative-cache");
            qputenv("HOME", QFile::encodeName(m_temp + QStringLiteral("/gone")));
        } else {
            if (::geteuid() != 0)
                QSKIP("needs root to make a folder of another user's");
            QVERIFY(QDir().mkpath(QFile::decodeName(own)));
            QCOMPARE(::chown(own.constData(), NobodyId, NobodyId), 0);
        }
        SaveFileUrlm(QStringLiteral("http://x.example/a/page/that/does/not/fit/into/a/hundred/bytes/"));
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        qputenv("HOME", home);
        QVERIFY2(m_opener.opened.isEmpty(), qPrintable(m_opener.opened.join(",")));
        if (how == QLatin1String("full"))
            QCOMPARE(readAll(dataFile(0)), QByteArray()); // no cut-off page is left
    }

    // A double click asks twice at once: one page opens; another address opens.
    void sameAddressAtOnceIsHandedOffOnce()
    {
        for (const char *url : {"http://x.example/a", "http://x.example/a", "http://x.example/b", "http://x.example/a"})
            SaveFileUrlm(QString::fromLatin1(url));
        QCOMPARE(m_opener.opened.size(), 3);
    }

    void addressCannotAddMarkup_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("written");

        QTest::newRow("plain address") << "http://mirelka.example/site/?a=1&b=%20#top"
                                       << "http://mirelka.example/site/?a=1&amp;b=%20#top";
        // Unescaped, the browser would read "a=1<b".
        QTest::newRow("character reference") << "http://x.example/q?a=1&lt;b" << "http://x.example/q?a=1&amp;lt;b";
        QTest::newRow("single quote") << "http://x.example/'><script>alert(1)</script>"
                                      << "http://x.example/&#39;&gt;&lt;script&gt;alert(1)&lt;/script&gt;";
        QTest::newRow("double quote") << "http://x.example/\"onload=\"x" << "http://x.example/&quot;onload=&quot;x";
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
