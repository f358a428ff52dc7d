#include "catalogue/Cp1251.h"
#include "web/AdKey.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include "catalogue/CatalogueWriter.h"
#include <QtTest>

using namespace Qt::StringLiterals;

// Runs the catalogue tool as the catalogue makers do, from the build folder.
class TestTool : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_tool;

    struct Run
    {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };

    Run run(const QStringList &args)
    {
        QProcess p;
        p.start(m_tool, args);
        Run r;
        if (!p.waitForStarted() || !p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.status = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    // A random field over what a catalogue holds: Cyrillic with ё, Latin,
    // digits, punctuation and blanks, even at the ends.
    static QString randomField(QRandomGenerator &rng, int maxLength, bool id)
    {
        static const QString alphabet =
            u"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
            "ABCXYZabcxyz0123456789 .,:;!?-—–«»\"'()[]/&%№…"_s;
        QString s;
        const int length = rng.bounded(maxLength + 1);
        for (int i = 0; i < length; ++i) {
            if (id && rng.bounded(4) == 0) {
                // Any code 32..255 the code page defines (an id may hold them all).
                int code;
                do
                    code = 32 + rng.bounded(224);
                while (code == 0x98);
                s += Cp1251::toChar(uchar(code));
            } else {
                s += alphabet[rng.bounded(alphabet.size())];
            }
        }
        return s;
    }

private slots:
    void initTestCase()
    {
        const QByteArray bin = qgetenv("MIRELKA_BIN_DIR");
        QVERIFY2(!bin.isEmpty(), "MIRELKA_BIN_DIR is not set (run through CTest)");
        m_tool = QString::fromLocal8Bit(bin) + u"/mirelka-catalogue"_s;
        QVERIFY2(QFileInfo(m_tool).isExecutable(), qPrintable(m_tool));
        QVERIFY(m_dir.isValid());
    }

    void packThenUnpackIsExact()
    {
        QRandomGenerator rng(20240607);
        for (int round = 0; round < 12; ++round) {
            const int count = round == 0 ? 100 : 1 + rng.bounded(100);
            QByteArray table;
            for (int k = 0; k < count; ++k) {
                table += randomField(rng, 12, true).toUtf8() + '\t' + randomField(rng, 120, false).toUtf8() + '\t'
                         + randomField(rng, 30, false).toUtf8() + '\n';
            }
            writeFile(u"round.tsv"_s, table);
            const QString key = QString::number(1 + rng.bounded(2147483646));
            const Run packed = run({u"pack"_s, u"--key"_s, key, path(u"round.tsv"_s), path(u"round.dat"_s)});
            QVERIFY2(packed.status == 0, packed.err.constData());
            const Run unpacked = run({u"unpack"_s, path(u"round.dat"_s)});
            QCOMPARE(unpacked.status, 0);
            QCOMPARE(unpacked.out, table);
            QVERIFY(unpacked.err.isEmpty());
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("line"); // 0: the refusal names no line

        QByteArray hundredAndOne;
        for (int k = 1; k <= 101; ++k)
            hundredAndOne += QByteArray::number(k) + "\tМультфильм\tСоюзмультфильм 1970\n";
        const QByteArray good = "1\tЁжик в тумане\tСоюзмультфильм 1975\n";

        QTest::newRow("101 entries") << hundredAndOne << u"5"_s << 101;
        QTest::newRow("title outside Windows-1251") << good + "2\tЛёд ½\tX 1990\n" << u"5"_s << 2;
        QTest::newRow("studio outside Windows-1251") << good + good + "3\tА\tStudio 日本\n" << u"5"_s << 3;
        QTest::newRow("id with a control code") << good + "2\x01\tА\tБ\n" << u"5"_s << 2;
        QTest::newRow("id outside Windows-1251") << QByteArray("\xC3\xA4\tА\tБ\n") << u"5"_s << 1;
        QTest::newRow("CR inside a field") << good + "2\tА\rБ\tВ\n" << u"5"_s << 2;
        QTest::newRow("CR at the end of a CR LF line's field") << good + "2\tА\tВ\r\r\n" << u"5"_s << 2;
        QTest::newRow("two fields") << good + good + "3\tА\n" << u"5"_s << 3;
        QTest::newRow("four fields") << QByteArray("1\tА\tБ\tВ\n") << u"5"_s << 1;
        QTest::newRow("empty line") << good + "\n" + good << u"5"_s << 2;
        QTest::newRow("not UTF-8") << good + "2\t\xCF\xF0\xE8\tB\n" << u"5"_s << 2;
        QTest::newRow("no entries") << QByteArray() << u"5"_s << 1;
        QTest::newRow("key 0") << good << u"0"_s << 0;
        QTest::newRow("negative key") << good << u"-7"_s << 0;
    }

    void refusals()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, key);
        QFETCH(int, line);

        writeFile(u"bad.tsv"_s, table);
        QFile::remove(path(u"bad.dat"_s));
        const Run r = run({u"pack"_s, u"--key"_s, key, path(u"bad.tsv"_s), path(u"bad.dat"_s)});
        QCOMPARE(r.status, 1);
        const QString err = QString::fromUtf8(r.err);
        if (line > 0)
            QVERIFY2(err.startsWith(path(u"bad.tsv"_s) + u':' + QString::number(line) + u": "_s), qPrintable(err));
        else
            QVERIFY2(err.contains(u"key"_s), qPrintable(err));
        QVERIFY(!QFile::exists(path(u"bad.dat"_s)));
    }

    void badInputFiles()
    {
        Run r = run({u"pack"_s, u"--key"_s, u"5"_s, path(u"missing.tsv"_s), path(u"x.dat"_s)});
        QCOMPARE(r.status, 1);
        r = run({u"unpack"_s, path(u"missing.dat"_s)});
        QCOMPARE(r.status, 1);
        writeFile(u"capitals.dat"_s, "[MULT]\r\n5\r\n1\r\nabc\r\nT\r\nS\r\n");
        r = run({u"unpack"_s, path(u"capitals.dat"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.isEmpty());

        // A tab inside a title loads, but no table can hold it: the entry is
        // printed and named, and the status says the table won't pack back.
        writeFile(u"tab.dat"_s, "[mult]\r\n5\r\n2\r\n" + CatalogueWriter::EncodeText(u"7", 5) + "\r\nA\r\nS\r\n"
                                    + CatalogueWriter::EncodeText(u"8", 5) + "\r\n"
                                    + Cp1251::fromUnicode(u"Кот\tи пёс") + "\r\nS\r\n");
        r = run({u"unpack"_s, path(u"tab.dat"_s)});
        QCOMPARE(r.status, 1);
        QVERIFY(r.out.startsWith("7\tA\tS\n"));
        QVERIFY2(r.err.contains("entry 2"), r.err.constData());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("unknown command") << QStringList{u"pak"_s};
        QTest::newRow("pack without --key") << QStringList{u"pack"_s, u"a.tsv"_s, u"a.dat"_s};
        QTest::newRow("pack without output") << QStringList{u"pack"_s, u"--key"_s, u"5"_s, u"a.tsv"_s};
        QTest::newRow("pack key not a number") << QStringList{u"pack"_s, u"--key"_s, u"five"_s, u"a.tsv"_s, u"a.dat"_s};
        QTest::newRow("unpack two files") << QStringList{u"unpack"_s, u"a.dat"_s, u"b.dat"_s};
        QTest::newRow("unpack nothing") << QStringList{u"unpack"_s};
        QTest::newRow("check nothing") << QStringList{u"check"_s};
        QTest::newRow("ad-titles with an argument") << QStringList{u"ad-titles"_s, u"3"_s};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = run(args);
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void help()
    {
        const Run r = run({u"--help"_s});
        QCOMPARE(r.status, 0);
        for (const char *command : {"pack --key K IN.tsv OUT.dat", "unpack FILE.dat", "check DIR", "ad-titles"})
            QVERIFY2(r.out.contains(command), command);
    }

    void adTitles()
    {
        const Run r = run({u"ad-titles"_s});
        QCOMPARE(r.status, 0);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 10);
        // The titles the maker's advertising pages 0.html to 9.html carry,
        // worked out by hand from the generator's published recurrence.
        const QStringList keys{u"9874455188"_s, u"9478797968"_s, u"1882149858"_s, u"1386582738"_s,
                               u"1889834628"_s, u"1393275598"_s, u"1897517488"_s, u"1311859368"_s,
                               u"1715392258"_s, u"1318644138"_s};
        static const QRegularExpression shape(u"^(\\d)\\.html\\t([1-9]{10})$"_s);
        for (int n = 0; n < 10; ++n) {
            const auto m = shape.match(lines[n]);
            QVERIFY2(m.hasMatch(), qPrintable(lines[n]));
            QCOMPARE(m.captured(1).toInt(), n);
            QCOMPARE(m.captured(2), keys[n]);
        }
    }

    void checkTheBuiltCatalogue()
    {
        const Run r = run({u"check"_s, qEnvironmentVariable("MIRELKA_BIN_DIR") + u"/Data"_s});
        QCOMPARE(r.status, 0);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 41);
        QCOMPARE(lines.last(), u"40 of 40 sections loaded"_s);
        QVERIFY(lines.contains(u"7: 100 entries"_s));
    }

    void checkReportsWhySectionsStayEmpty()
    {
        const QString data = path(u"Data"_s);
        QVERIFY(QDir().mkpath(data));
        writeFile(u"one.tsv"_s, "1\tА\tБ\n2\tВ\tГ\n");
        QCOMPARE(run({u"pack"_s, u"--key"_s, u"9"_s, path(u"one.tsv"_s), data + u"/1.dat"_s}).status, 0);
        writeFile(u"Data/2.dat"_s, "[mult] \r\n9\r\n1\r\n");
        writeFile(u"Data/3.dat"_s, "[mult]\r\n9\r\n0\r\n");
        const Run r = run({u"check"_s, data});
        QCOMPARE(r.status, 1);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 41);
        QCOMPARE(lines[0], u"1: 2 entries"_s);
        QVERIFY2(lines[1].startsWith(u"2: empty: "_s) && lines[1].contains(u"[mult]"_s), qPrintable(lines[1]));
        QVERIFY2(lines[2].startsWith(u"3: empty: "_s) && lines[2].contains(u"no entries"_s), qPrintable(lines[2]));
        QVERIFY2(lines[3].startsWith(u"4: empty: "_s) && lines[3].contains(u"4.dat"_s), qPrintable(lines[3]));
        QCOMPARE(lines.last(), u"1 of 40 sections loaded"_s);
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
