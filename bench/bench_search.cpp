// Times the search over a full catalogue: 40 sections of 100 entries.
//
//   first search     every section loaded from its file, then scanned
//   repeated search  the catalogue already in memory
//   bare loop        QString::contains(key) over the same 4,000 titles and
//                    studio lines, lower-cased once beforehand and held in a
//                    plain list, the key lower-cased once a search: the same
//                    work as the program's search, which folds the catalogue
//                    when a section loads
//   window search    the search button of the window: scan plus the list of hits
//
// Run by hand from the build folder:
//   QT_QPA_PLATFORM=offscreen ./bench/bench_search [runs]
// Figures are the median of the runs, in microseconds.

#include "app/Declare.h"
#include "catalogue/CatalogueWriter.h"
#include "search/SearchM.h"
#include "search/frmFound.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QString word(QRandomGenerator &rnd, int minLength, int maxLength)
{
    static const QString letters = QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя");
    const int length = int(rnd.bounded(minLength, maxLength + 1));
    QString w;
    for (int i = 0; i < length; ++i)
        w += letters[int(rnd.bounded(letters.size()))];
    w[0] = w[0].toUpper();
    return w;
}

// Titles of two to four words, studio lines of a word or two and a year.
QList<MultEntry> makeSection(QRandomGenerator &rnd, int section)
{
    QList<MultEntry> entries;
    for (int e = 1; e <= EntriesPerSection; ++e) {
        QStringList title;
        for (int w = int(rnd.bounded(2, 5)); w > 0; --w)
            title.append(word(rnd, 3, 9));
        // About one title in twenty holds the word the benchmark looks for.
        if (rnd.bounded(20) == 0)
            title.insert(1, QStringLiteral("кот"));
        const QString studio = word(rnd, 5, 14) + (rnd.bounded(3) == 0 ? QLatin1Char(' ') + word(rnd, 3, 8) : QString())
                               + QLatin1Char(' ') + QString::number(1936 + rnd.bounded(80));
        entries.append(MultEntry{QStringLiteral("%1%2").arg(section).arg(e), title.join(QLatin1Char(' ')), studio});
    }
    return entries;
}

qint64 median(QList<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

qint64 timeRuns(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    QList<qint64> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        times.append(t.nsecsElapsed() / 1000);
    }
    return median(times);
}

void forgetCatalogue()
{
    std::fill(std::begin(decl().MultCount), std::end(decl().MultCount), 0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 31;

    QTemporaryDir dir;
    const QString data = dir.path() + QStringLiteral("/Data/");
    QDir().mkpath(data);
    QRandomGenerator rnd(20240601);
    QStringList titles, studios;
    for (int s = 1; s <= SectionCount; ++s) {
        const QList<MultEntry> entries = makeSection(rnd, s);
        for (const MultEntry &e : entries) {
            titles.append(e.Title);
            studios.append(e.StudioYear);
        }
        QString error;
        QFile file(data + QString::number(s) + QStringLiteral(".dat"));
        if (!file.open(QIODevice::WriteOnly) || file.write(CatalogueWriter::Pack(1000 + s, entries, &error)) <= 0) {
            std::fprintf(stderr, "cannot write %s %s\n", qPrintable(file.fileName()), qPrintable(error));
            return 1;
        }
    }
    decl().reset();
    decl().DataPath = data;
    decl().FoundLast = -1;

    std::printf("%d runs, median in microseconds, 4000 entries\n\n", runs);
    std::printf("%-12s %-5s %6s %12s %15s %10s %10s %14s\n", "key", "mode", "hits", "first search",
                "repeated search", "bare loop", "repeated/loop", "window search");

    const QList<QPair<QString, int>> cases = {
        {QStringLiteral("КОТ"), SearchEverywhere},
        {QStringLiteral("КОТ"), SearchTitle},
        {QStringLiteral("19"), SearchStudioYear},
        {QStringLiteral("нет такого"), SearchEverywhere},
        {QStringLiteral("а"), SearchEverywhere},
    };
    QStringList lowTitles, lowStudios;
    for (const QString &t : titles)
        lowTitles.append(t.toLower());
    for (const QString &t : studios)
        lowStudios.append(t.toLower());
    qint64 repeatedTotal = 0;
    qint64 loopTotal = 0;
    for (const auto &[key, mode] : cases) {
        qsizetype hits = 0;
        const qint64 first = timeRuns(runs, forgetCatalogue, [&] { hits = SearchM(key, mode).size(); });
        const qint64 repeated = timeRuns(runs, [] {}, [&] { hits = SearchM(key, mode).size(); });

        qsizetype loopHits = 0;
        const qint64 loop = timeRuns(runs, [] {}, [&] {
            QList<FoundItem> found;
            const QString folded = key.toLower();
            for (qsizetype i = 0; i < lowTitles.size(); ++i) {
                const bool inTitle = mode != SearchStudioYear && lowTitles[i].contains(folded);
                if (inTitle || (mode != SearchTitle && lowStudios[i].contains(folded)))
                    found.append(FoundItem{int(i / 100) + 1, int(i % 100) + 1});
            }
            loopHits = found.size();
        });
        repeatedTotal += repeated;
        loopTotal += loop;
        if (loopHits != hits)
            std::fprintf(stderr, "the bare loop found %lld, the search %lld\n", qlonglong(loopHits), qlonglong(hits));

        // The window's own search; a search without hits would stop at its message.
        qint64 window = -1;
        if (hits > 0) {
            decl().FoundType = mode;
            decl().FoundText = key;
            MenuFound_Click();
            frmFound *w = frmFound::existing();
            window = timeRuns(runs, [] {}, [&] { w->kFound->click(); });
            frmFound::destroyInstance();
        }
        // Padded as text: the keys are Cyrillic, wider in bytes than on screen.
        const QString keyColumn = (QLatin1Char('"') + key + QLatin1Char('"')).leftJustified(12);
        std::printf("%s %-5d %6lld %12lld %15lld %10lld %13.2f  %14s\n", qPrintable(keyColumn), mode,
                    qlonglong(hits), first, repeated, loop, double(repeated) / double(std::max<qint64>(loop, 1)),
                    window < 0 ? "(message)" : qPrintable(QString::number(window)));
    }
    // The table's figure: the five repeated searches together against the
    // five bare loops together.
    std::printf("\nRESULT search_loop_us %lld\nRESULT search_repeated_us %lld\n", loopTotal, repeatedTotal);
    return 0;
}
