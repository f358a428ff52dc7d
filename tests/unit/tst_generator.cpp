#include "app/RuntimeRandom.h"

#include <QtTest>

class TestGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sequenceFromStartSeed()
    {
        RuntimeRandom rnd;
        QCOMPARE(rnd.seed(), RuntimeRandom::StartSeed);
        // (327680 * 1140671485 + 12820163) mod 2^24
        const quint32 expected = quint32((quint64(327680) * 1140671485u + 12820163u) % 16777216u);
        QCOMPARE(rnd.next(), float(expected) / 16777216.0f);
        QCOMPARE(rnd.seed(), expected);
    }
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
