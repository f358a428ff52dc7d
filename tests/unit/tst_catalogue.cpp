#include "TestSupport.h"

#include "app/Declare.h"
#include "app/MainM.h"
#include "catalogue/CatalogueTable.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/Cp1251.h"
#include "app/RuntimeRandom.h"
#include "catalogue/OpenMultM.h"

#include <QtTest>

#include <set>

using namespace Qt::StringLiterals;

namespace {

// Hand-built section file bytes, for the cases that are about malformed files.
QByteArray fileBytes(const QList<QByteArray> &lines, const QByteArray &eol = "\r\n")
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + eol;
    return bytes;
}

// Header, key, count, then two well-formed entries scrambled with the key.
QList<QByteArray> twoEntryLines(const QByteArray &header = "[mult]", const QByteArray &key = "77",
                                const QByteArray &count = "2")
{
    const int k = key.trimmed().toInt();
    const int scrambleKey = k > 0 ? k : 77;
    return {header, key, count,
            CatalogueWriter::EncodeText(u"101", scrambleKey), Cp1251::fromUnicode(u"Ёжик в тумане"),
            Cp1251::fromUnicode(u"Союзмультфильм 1975"),
            CatalogueWriter::EncodeText(u"202", scrambleKey), Cp1251::fromUnicode(u"Винни-Пух"),
            Cp1251::fromUnicode(u"Союзмультфильм 1969")};
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_dataPath;

    void writeRaw(int n, const QByteArray &bytes)
    {
        QFile file(m_dataPath + QString::number(n) + QStringLiteral(".dat"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    }

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_dataPath = m_dir.path() + QStringLiteral("/Data/");
        QDir(m_dataPath).removeRecursively();
        QVERIFY(QDir().mkpath(m_dataPath));
        TestSupport::resetState(m_dataPath);
    }

    void decodeTableIsAPermutationFixedByTheKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("firstCode");

        // The first code follows from the generator by hand: reseeding with -1
        // gives seed 8388799; the own draw, then 0.0358458... * 224 -> 8 -> 40.
        QTest::newRow("key 1") << 1 << 40;
        // -2: seed 192; second draw 0.6624332... * 224 -> 148 -> 180.
        QTest::newRow("key 2") << 2 << 180;
        QTest::newRow("key of section 7") << 7 * 7919 + 1031 << -1;
        QTest::newRow("largest key") << 2147483647 << -1;
    }

    void decodeTableIsAPermutationFixedByTheKey()
    {
        QFETCH(int, key);
        QFETCH(int, firstCode);

        const DecodeTables t = BuildDecodeTable(key);
        if (firstCode >= 0)
            QCOMPARE(t.DecodeMap[32], firstCode);
        std::set<int> seen;
        for (int i = 0; i < 32; ++i)
            QCOMPARE(t.DecodeMap[i], 0);
        for (int i = 32; i <= 255; ++i) {
            const int r = t.DecodeMap[i];
            QVERIFY(r >= 32 && r <= 255);
            QVERIFY(seen.insert(r).second);
            QCOMPARE(t.DecodeUsed[r], i);
        }
        // Whatever the shared generator did in between, the key alone decides.
        RuntimeRandom::instance().next();
        const DecodeTables again = BuildDecodeTable(key);
        QVERIFY(again.DecodeMap == t.DecodeMap);
    }

    void twoKeysScrambleDifferentlyAndBothDecode()
    {
        const QList<MultEntry> entries = {{u"12345"_s, u"Ёжик в тумане"_s, u"Союзмультфильм 1975"_s},
                                          {u"id-Ё ё №"_s, u"Title"_s, u"Pixar 1995"_s}};
        TestSupport::writeSection(m_dataPath, 3, entries, 1031);
        TestSupport::writeSection(m_dataPath, 4, entries, 8950);

        QFile f3(m_dataPath + u"3.dat"_s), f4(m_dataPath + u"4.dat"_s);
        QVERIFY(f3.open(QIODevice::ReadOnly) && f4.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines3 = f3.readAll().split('\n'), lines4 = f4.readAll().split('\n');
        QVERIFY(lines3[3] != lines4[3]);                       // the scrambled ids differ
        QVERIFY(lines3[3] != "12345\r");                       // and are not plain
        QCOMPARE(lines3[4], lines4[4]);                        // titles are plain

        // Load 4 first, then 3: each file rebuilds the substitution from its own key.
        LoadSection(4);
        LoadSection(3);
        for (int n : {3, 4}) {
            QCOMPARE(decl().MultCount[n], 2);
            QCOMPARE(decl().MultTable[n][1].Id, u"12345"_s);
            QCOMPARE(decl().MultTable[n][2].Id, u"id-Ё ё №"_s);
            QCOMPARE(decl().MultTable[n][1].Title, u"Ёжик в тумане"_s);
            QCOMPARE(decl().MultTable[n][2].StudioYear, u"Pixar 1995"_s);
        }
    }

    void parsing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("loaded"); // entries the program shows; 0 = not loaded

        QTest::newRow("CR LF") << fileBytes(twoEntryLines(), "\r\n") << 2;
        QTest::newRow("lone CR") << fileBytes(twoEntryLines(), "\r") << 2;
        QTest::newRow("lone LF") << fileBytes(twoEntryLines(), "\n") << 2;
        QByteArray mixed = fileBytes(twoEntryLines(), "\r\n");
        mixed.replace(QByteArray("[mult]\r\n"), QByteArray("[mult]\r")).replace(QByteArray("77\r\n"), QByteArray("77\r"));
        QTest::newRow("mixed CR and CR LF") << mixed << 2;
        // Where the file holds a CR, a lone LF is part of its line: "[mult]\n77".
        QTest::newRow("lone LF after the header of a CR LF file")
            << QByteArray(mixed).replace(QByteArray("[mult]\r"), QByteArray("[mult]\n")) << 0;

        QTest::newRow("header in capitals") << fileBytes(twoEntryLines("[MULT]")) << 0;
        QTest::newRow("header with trailing space") << fileBytes(twoEntryLines("[mult] ")) << 0;
        QTest::newRow("header with leading space") << fileBytes(twoEntryLines(" [mult]")) << 0;
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("header only") << QByteArray("[mult]\r\n") << 0;

        QTest::newRow("key not a number") << fileBytes(twoEntryLines("[mult]", "abc")) << 0;
        QTest::newRow("key with trailing letters") << fileBytes(twoEntryLines("[mult]", "77x")) << 0;
        QTest::newRow("key empty") << fileBytes(twoEntryLines("[mult]", "")) << 0;
        QTest::newRow("key zero") << fileBytes(twoEntryLines("[mult]", "0")) << 0;
        QTest::newRow("key negative") << fileBytes(twoEntryLines("[mult]", "-77")) << 0;
        QTest::newRow("key beyond 32 bits") << fileBytes(twoEntryLines("[mult]", "4294967373")) << 0;
        QTest::newRow("key with blanks around") << fileBytes(twoEntryLines("[mult]", " \t77  ")) << 2;
        QTest::newRow("key with plus sign") << fileBytes(twoEntryLines("[mult]", "+77")) << 2;

        QTest::newRow("count with blanks around") << fileBytes(twoEntryLines("[mult]", "77", "  2 ")) << 2;
        QTest::newRow("count not a number") << fileBytes(twoEntryLines("[mult]", "77", "two")) << 0;
        QTest::newRow("count negative") << fileBytes(twoEntryLines("[mult]", "77", "-2")) << 0;
        QTest::newRow("count zero") << fileBytes(twoEntryLines("[mult]", "77", "0")) << 0;
        QTest::newRow("count one of two") << fileBytes(twoEntryLines("[mult]", "77", "1")) << 1;
        QTest::newRow("count above the entries") << fileBytes(twoEntryLines("[mult]", "77", "5")) << 2;

        QList<QByteArray> cut = twoEntryLines();
        cut.removeLast();
        QTest::newRow("second entry lacks its studio line") << fileBytes(cut) << 1;
        QTest::newRow("last line without its line end") << fileBytes(twoEntryLines()).chopped(2) << 2;
        QTest::newRow("cut inside the first id") << fileBytes(twoEntryLines()).left(16) << 0;
        // A line of over 4 KB and the rest of the file are damage; what came before stays.
        QList<QByteArray> longTitle = twoEntryLines();
        longTitle[7] = QByteArray(4097, 'x');
        QTest::newRow("second title longer than a line can be") << fileBytes(longTitle) << 1;
    }

    void parsing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, loaded);

        const SectionFile parsed = ParseSectionFile(bytes);
        QCOMPARE(parsed.loads(), loaded > 0);
        QCOMPARE(parsed.problem.isEmpty(), loaded > 0);

        writeRaw(5, bytes);
        LoadSection(5);
        QCOMPARE(decl().MultCount[5], loaded);
        if (loaded > 0) {
            QCOMPARE(decl().MultTable[5][1].Id, u"101"_s);
            QCOMPARE(decl().MultTable[5][1].Title, u"Ёжик в тумане"_s);
            QCOMPARE(decl().MultTable[5][1].StudioYear, u"Союзмультфильм 1975"_s);
        }
        if (loaded == 2)
            QCOMPARE(decl().MultTable[5][2].Title, u"Винни-Пух"_s);
        // Nothing of a section that does not load is visible.
        for (int k = loaded + 1; k <= EntriesPerSection; ++k)
            QVERIFY(decl().MultTable[5][k].Id.isEmpty() && decl().MultTable[5][k].Title.isEmpty());
    }

    // Files written byte by byte here, not by the program's writer. Key 1
    // maps the scrambled code 32 (a blank) to code 40, "(" (worked out by hand
    // from the generator, as in decodeTableIsAPermutationFixedByTheKey).
    void linesOfAHandWrittenFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("studios");

        const QStringList titles = {u"Hedgehog"_s, u"Winnie"_s, u"Contact"_s};
        const QStringList studios = {u"Studio 1975"_s, u"Studio 1969"_s, u"Studio 1978"_s};
        QTest::newRow("CR LF, no final line break")
            << QByteArray("[mult]\r\n1\r\n3\r\n \r\nHedgehog\r\nStudio 1975\r\n  \r\nWinnie\r\nStudio 1969\r\n"
                          "   \r\nContact\r\nStudio 1978")
            << titles << studios;
        QTest::newRow("LF only, no final line break")
            << QByteArray("[mult]\n1\n3\n \nHedgehog\nStudio 1975\n  \nWinnie\nStudio 1969\n   \nContact\nStudio 1978")
            << titles << studios;
        QTest::newRow("CR only, no final line break")
            << QByteArray("[mult]\r1\r3\r \rHedgehog\rStudio 1975\r  \rWinnie\rStudio 1969\r   \rContact\rStudio 1978")
            << titles << studios;
        QTest::newRow("stray LF in a title of a CR LF file")
            << QByteArray("[mult]\r\n1\r\n3\r\n \r\nHedge\nhog\r\nStudio 1975\r\n  \r\nWinnie\r\nStudio 1969\r\n"
                          "   \r\nContact\r\nStudio 1978\r\n")
            << QStringList{u"Hedge\nhog"_s, u"Winnie"_s, u"Contact"_s} << studios;
        QTest::newRow("stray LF in a studio line of a CR file")
            << QByteArray("[mult]\r1\r3\r \rHedgehog\rStudio\n1975\r  \rWinnie\rStudio 1969\r   \rContact\rStudio 1978\r")
            << titles << QStringList{u"Studio\n1975"_s, u"Studio 1969"_s, u"Studio 1978"_s};
    }

    void linesOfAHandWrittenFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, titles);
        QFETCH(QStringList, studios);

        writeRaw(6, bytes);
        LoadSection(6);
        QCOMPARE(decl().MultCount[6], 3);
        for (int k = 1; k <= 3; ++k) {
            QCOMPARE(decl().MultTable[6][k].Id, QString(k, u'('));
            QCOMPARE(decl().MultTable[6][k].Title, titles[k - 1]);
            QCOMPARE(decl().MultTable[6][k].StudioYear, studios[k - 1]);
        }
    }

    // An entry shows once its three lines have begun; a cut inside the studio
    // line ends that line where the file ends, as for a missing final line break.
    void everyCutOfAFileShowsOnlyWhatItHolds()
    {
        const QList<MultEntry> entries = {{u"1"_s, u"Ох и Ах"_s, u"Союзмультфильм 1975"_s},
                                          {u"22"_s, u"Ох и Ах идут в поход"_s, u"Союзмультфильм 1977"_s},
                                          {u"333"_s, u"Контакт"_s, u"Союзмультфильм 1978"_s}};
        QString error;
        const QByteArray whole = CatalogueWriter::Pack(901, entries, &error);
        QVERIFY2(!whole.isEmpty(), qPrintable(error));
        for (qsizetype len = 0; len <= whole.size(); ++len) {
            const SectionFile parsed = ParseSectionFile(QByteArrayView(whole).first(len));
            for (qsizetype k = 0; k < parsed.entries.size(); ++k) {
                QCOMPARE(parsed.entries[k].Id, entries[k].Id);
                QCOMPARE(parsed.entries[k].Title, entries[k].Title);
                if (k + 1 < parsed.entries.size())
                    QCOMPARE(parsed.entries[k].StudioYear, entries[k].StudioYear);
                else
                    QVERIFY(entries[k].StudioYear.startsWith(parsed.entries[k].StudioYear));
            }
            if (len == whole.size())
                QCOMPARE(parsed.entries.size(), 3);
        }
    }

    void countAboveHundredReadsTheFirstHundred()
    {
        QList<MultEntry> entries = TestSupport::makeEntries(9, 100);
        QString error;
        QByteArray bytes = CatalogueWriter::Pack(4242, entries, &error);
        QVERIFY2(!bytes.isEmpty(), qPrintable(error));
        // Declare 150 and append twenty entries more; only 100 fit the table.
        bytes.replace(QByteArray("\r\n100\r\n"), QByteArray("\r\n150\r\n"));
        for (int k = 101; k <= 120; ++k)
            bytes += CatalogueWriter::EncodeText(QString::number(k), 4242) + "\r\nExtra\r\nExtra\r\n";
        writeRaw(9, bytes);
        LoadSection(9);
        QCOMPARE(decl().MultCount[9], 100);
        QCOMPARE(decl().MultTable[9][100].Id, entries[99].Id);
        QCOMPARE(decl().MultTable[9][100].Title, entries[99].Title);
    }

    void titlesAreStoredExactly()
    {
        const QList<MultEntry> entries = {
            {u" 7 "_s, u"  Пробелы по краям  "_s, u"\tСоюзмультфильм 1975 "_s},
            {u"8"_s, QString(), QString()},
            {u"9"_s, u"«Кавычки» — тире… №1 ©"_s, u"Walt Disney 1937"_s}};
        TestSupport::writeSection(m_dataPath, 12, entries, 555);
        LoadSection(12);
        QCOMPARE(decl().MultCount[12], 3);
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(decl().MultTable[12][k + 1].Id, entries[k].Id);
            QCOMPARE(decl().MultTable[12][k + 1].Title, entries[k].Title);
            QCOMPARE(decl().MultTable[12][k + 1].StudioYear, entries[k].StudioYear);
        }
    }

    void codeBelow32InAScrambledIdDecodesToZero()
    {
        const DecodeTables t = BuildDecodeTable(77);
        QByteArray scrambled = CatalogueWriter::EncodeText(u"AB", 77);
        scrambled.insert(1, '\x01');
        scrambled.append('\x1F');
        const QString plain = DecodeText(scrambled, t);
        QCOMPARE(plain.size(), 4);
        QCOMPARE(plain, QString(u"A"_s + QChar(0) + u"B"_s + QChar(0)));
    }

    // The catalogue folder beside the program: the folder, "\\" as the
    // separator when the path holds one and "/" otherwise, one separator
    // before "Data" and one after.
    void dataPathFor_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("dataPath");
        QTest::newRow("folder with backslashes") << u"C:\\Apps\\Cat"_s << u"C:\\Apps\\Cat\\Data\\"_s;
        QTest::newRow("drive root") << u"C:\\"_s << u"C:\\Data\\"_s;
        QTest::newRow("folder with slashes") << u"/opt/cat"_s << u"/opt/cat/Data/"_s;
        QTest::newRow("root") << u"/"_s << u"/Data/"_s;
    }

    void dataPathFor()
    {
        QFETCH(QString, folder);
        QFETCH(QString, dataPath);
        QCOMPARE(DataPathFor(folder), dataPath);
    }

    void sectionFileNames()
    {
        TestSupport::writeSection(m_dataPath, 7, TestSupport::makeEntries(7, 3));
        TestSupport::writeSection(m_dataPath, 40, TestSupport::makeEntries(40, 5));
        // A leading zero is not this program's name for section 7.
        TestSupport::writeSection(m_dataPath, 4, TestSupport::makeEntries(4, 9));
        QVERIFY(QFile::copy(m_dataPath + u"4.dat"_s, m_dataPath + u"07.dat"_s));

        QCOMPARE(SectionPath(7), m_dataPath + u"7.dat"_s);
        QCOMPARE(SectionPath(40), m_dataPath + u"40.dat"_s);
        LoadSection(7);
        LoadSection(40);
        QCOMPARE(decl().MultCount[7], 3);
        QCOMPARE(decl().MultTable[7][3].Id, u"7-3"_s);
        QCOMPARE(decl().MultCount[40], 5);
        QCOMPARE(decl().MultTable[40][5].Title, u"Мультфильм 40.5"_s);

        // Numbers outside 1..40 touch nothing.
        LoadSection(0);
        LoadSection(41);
        LoadSection(-1);
        QCOMPARE(decl().MultCount[0], 0);
    }

    void emptySectionIsTriedAgain()
    {
        // No file yet, then a file declaring no entries: both leave it not loaded.
        LoadSection(20);
        QCOMPARE(decl().MultCount[20], 0);
        TestSupport::writeSection(m_dataPath, 20, {});
        LoadSection(20);
        QCOMPARE(decl().MultCount[20], 0);
        TestSupport::writeSection(m_dataPath, 20, {{u"5"_s, u"Пилюля"_s, u"Союзмультфильм 1987"_s}});
        LoadSection(20);
        QCOMPARE(decl().MultCount[20], 1);
        QCOMPARE(decl().MultTable[20][1].Title, u"Пилюля"_s);
    }

    void cp1251RoundTrip()
    {
        std::set<char16_t> seen;
        QByteArray all;
        for (int code = 0; code <= 255; ++code) {
            if (code == 0x98) {
                QCOMPARE(Cp1251::toCode(Cp1251::toChar(0x98)), -1); // unassigned
                continue;
            }
            const QChar c = Cp1251::toChar(uchar(code));
            QVERIFY(seen.insert(c.unicode()).second);
            QCOMPARE(Cp1251::toCode(c), code);
            all += char(code);
        }
        QCOMPARE(all.size(), 255);
        bool ok = false;
        QCOMPARE(Cp1251::fromUnicode(Cp1251::toUnicode(all), &ok), all);
        QVERIFY(ok);

        QCOMPARE(Cp1251::toChar(0xA8), QChar(0x0401)); // Ё
        QCOMPARE(Cp1251::toChar(0xB8), QChar(0x0451)); // ё
        QCOMPARE(Cp1251::toChar(0xB9), QChar(0x2116)); // №
        QCOMPARE(Cp1251::toChar(0x88), QChar(0x20AC)); // €
        QCOMPARE(Cp1251::toChar(0xC0), QChar(0x0410)); // А
        QCOMPARE(Cp1251::toChar(0xFF), QChar(0x044F)); // я
        for (char16_t missing : {u'\u00BD', u'\u00E4', u'\u0100', u'\uFFFD', u'\u4E00'})
            QCOMPARE(Cp1251::toCode(QChar(missing)), -1);
        Cp1251::fromUnicode(u"Ёжик ½", &ok);
        QVERIFY(!ok);
    }

    void tableReading_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<int>("badLine"); // 0 = accepted

        QTest::newRow("LF") << QByteArray("1\tА\tБ\n2\tВ\tГ\n") << 0;
        QTest::newRow("CR LF") << QByteArray("1\tА\tБ\r\n2\tВ\tГ\r\n") << 0;
        QTest::newRow("no final line end") << QByteArray("1\tА\tБ\n2\tВ\tГ") << 0;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF" "1\tА\tБ\n") << 0;
        QTest::newRow("empty fields") << QByteArray("\t\t\n") << 0;
        QTest::newRow("two fields") << QByteArray("1\tА\tБ\n2\tВ\n") << 2;
        QTest::newRow("four fields") << QByteArray("1\tА\tБ\tД\n") << 1;
        QTest::newRow("empty line") << QByteArray("1\tА\tБ\n\n2\tВ\tГ\n") << 2;
        QTest::newRow("no entries") << QByteArray() << 1;
        QTest::newRow("bad UTF-8") << QByteArray("1\tА\tБ\n2\t\xFF\xFE\tГ\n") << 2;
    }

    void tableReading()
    {
        QFETCH(QByteArray, table);
        QFETCH(int, badLine);

        QList<MultEntry> entries;
        int line = 0;
        QString error;
        QCOMPARE(CatalogueTable::Read(table, &entries, &line, &error), badLine == 0);
        QCOMPARE(line, badLine);
        if (badLine == 0)
            QCOMPARE(CatalogueTable::Write(entries), QByteArray(table).replace("\r\n", "\n").replace("\xEF\xBB\xBF", "")
                                                         + (table.endsWith('\n') ? "" : "\n"));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
