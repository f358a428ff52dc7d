// Loads 40 full catalogue sections of 100 entries, as the search does on its
// first run over a catalogue nobody has browsed yet, and reports the time per
// section. Run by hand: build/bench/bench_catalogue (built with the program).
#include "app/Declare.h"
#include "catalogue/CatalogueWriter.h"
#include "catalogue/OpenMultM.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <limits>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString dataPath = dir.path() + QStringLiteral("/");

    // Entries as long as the sample catalogue's longer ones.
    for (int n = 1; n <= SectionCount; ++n) {
        QList<MultEntry> entries;
        for (int k = 1; k <= EntriesPerSection; ++k) {
            entries.append(MultEntry{QString::number(n * 1000 + k),
                                     QStringLiteral("Приключения капитана Врунгеля, серия %1 (The Adventures %2)").arg(k).arg(n),
                                     QStringLiteral("Союзмультфильм %1").arg(1935 + k)});
        }
        QString error;
        const QByteArray bytes = CatalogueWriter::Pack(n * 7919 + 1031, entries, &error);
        QFile file(dataPath + QString::number(n) + QStringLiteral(".dat"));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write section %d: %s\n", n, qPrintable(error));
            return 1;
        }
    }

    auto &d = decl();
    d.DataPath = dataPath;
    constexpr int Rounds = 25;
    qint64 best = std::numeric_limits<qint64>::max();
    qint64 total = 0;
    for (int round = 0; round < Rounds; ++round) {
        // Every section back to not loaded, so each round reads all 40 files.
        std::fill(std::begin(d.MultCount), std::end(d.MultCount), 0);
        QElapsedTimer timer;
        timer.start();
        for (int n = 1; n <= SectionCount; ++n)
            LoadSection(n);
        const qint64 ns = timer.nsecsElapsed();
        for (int n = 1; n <= SectionCount; ++n) {
            if (d.MultCount[n] != EntriesPerSection) {
                std::fprintf(stderr, "section %d did not load\n", n);
                return 1;
            }
        }
        best = std::min(best, ns);
        total += ns;
    }
    std::printf("40 sections of 100 entries, %d rounds\n", Rounds);
    std::printf("per section: best %.1f us, mean %.1f us\n", best / 1000.0 / SectionCount,
                total / 1000.0 / Rounds / SectionCount);
    std::printf("all 40 sections: best %.2f ms\n", best / 1e6);
    return 0;
}
