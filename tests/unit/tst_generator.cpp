#include "app/RuntimeRandom.h"

#include <QtTest>

#include <bit>

// The generator must reproduce the runtime's sequence bit for bit: existing
// catalogue files decode only with it. Expected seeds here are worked out with
// plain 64-bit integer arithmetic or written down from the runtime's own output.
namespace {

constexpr quint64 Modulus = 16777216; // 2^24

quint64 step(quint64 seed)
{
    return (seed * 1140671485ull + 12820163ull) % Modulus;
}

// Draws are compared bit for bit: QCOMPARE on floats would be fuzzy.
quint32 bits(float value)
{
    return std::bit_cast<quint32>(value);
}

quint32 valueOf(quint64 seed)
{
    return bits(float(double(seed) / double(Modulus)));
}

} // namespace

class TestGenerator : public QObject
{
    Q_OBJECT

private slots:
    void sequenceFromStartSeed_data()
    {
        QTest::addColumn<int>("draw");
        QTest::addColumn<double>("printed");

        // What the runtime prints for its first draws after start, 7 digits.
        const double printed[] = {0.7055475, 0.533424, 0.5795186, 0.2895625, 0.301948,
                                  0.7747401, 0.01401764, 0.7607236, 0.81449, 0.7090379};
        for (int i = 0; i < 10; ++i)
            QTest::addRow("draw %d", i + 1) << i + 1 << printed[i];
    }

    void sequenceFromStartSeed()
    {
        QFETCH(int, draw);
        QFETCH(double, printed);

        RuntimeRandom rnd;
        QCOMPARE(rnd.seed(), RuntimeRandom::StartSeed);
        quint64 expected = 327680;
        float value = 0;
        for (int i = 0; i < draw; ++i) {
            expected = step(expected);
            value = rnd.next();
        }
        QCOMPARE(quint64(rnd.seed()), expected);
        QCOMPARE(bits(value), valueOf(expected));
        // Exact: the value times 2^24 is the seed itself.
        QVERIFY(double(value) * double(Modulus) == double(expected));
        QVERIFY(qAbs(double(value) - printed) < 5e-7);
    }

    void reseedWithNegative_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<quint32>("seedFromBits");

        // seed = (b + (b >> 24)) mod 2^24, b the single-precision bit pattern.
        QTest::newRow("-1") << -1.0f << 8388799u;            // b = 0xBF800000
        QTest::newRow("-2") << -2.0f << 192u;                // b = 0xC0000000
        QTest::newRow("-0.5") << -0.5f << 191u;              // b = 0xBF000000
        QTest::newRow("-1000") << -1000.0f << 7995588u;      // b = 0xC47A0000
        QTest::newRow("key of section 7") << -56464.0f << 6066375u;
        // Beyond 2^24 the number is rounded to single precision first.
        QTest::newRow("-16777217") << float(-16777217.0) << 8388811u;
        QTest::newRow("-2147483647") << float(-2147483647.0) << 207u;
        QTest::newRow("-3e38") << -3.0e38f << 6402789u;
    }

    void reseedWithNegative()
    {
        QFETCH(float, x);
        QFETCH(quint32, seedFromBits);

        const quint64 own = step(seedFromBits);
        const quint64 second = step(own);
        const quint64 third = step(second);

        // Whatever came before, the same x gives the same sequence.
        for (quint32 before : {RuntimeRandom::StartSeed, 0u, 16777215u, 4242u}) {
            RuntimeRandom rnd;
            rnd.setSeed(before);
            rnd.next();
            // The reseed draws once itself; the caller's first draw is the second.
            QCOMPARE(bits(rnd.reseed(x)), valueOf(own));
            QCOMPARE(quint64(rnd.seed()), own);
            QCOMPARE(bits(rnd.next()), valueOf(second));
            QCOMPARE(bits(rnd.next()), valueOf(third));
        }
    }

    void reseedMinusOneDrawsWhatTheRuntimePrints()
    {
        RuntimeRandom rnd;
        QVERIFY(qAbs(double(rnd.reseed(-1.0f)) - 0.224007) < 5e-7);
    }

    void timeSeeding_data()
    {
        QTest::addColumn<double>("t");
        QTest::addColumn<quint32>("before");
        QTest::addColumn<quint32>("after");

        // h = upper 32 bits of the double; seed = seed mod 256 + 256 * ((h mod 2^16) xor (h >> 16)).
        QTest::newRow("midnight") << 0.0 << 327680u << 0u;
        QTest::newRow("one second") << 1.0 << 327680u << 4190208u;
        QTest::newRow("noon and a half") << 43200.5 << 12345678u << 5829966u;
        QTest::newRow("last second of the day") << 86399.0 << 255u << 5703167u;
        QTest::newRow("quarter second, low byte kept") << 0.25 << 16777215u << 4182271u;
        QTest::newRow("fraction in the low word") << 61234.125 << 1u << 10922241u;
    }

    void timeSeeding()
    {
        QFETCH(double, t);
        QFETCH(quint32, before);
        QFETCH(quint32, after);

        RuntimeRandom rnd;
        rnd.setSeed(before);
        rnd.seedFromTime(t);
        QCOMPARE(rnd.seed(), after);
        // Seeding from the time draws nothing itself.
        QCOMPARE(bits(rnd.next()), valueOf(step(after)));
    }

    void drawsStayInUnitInterval()
    {
        // Seeds next to the ends of the range: the value never reaches 1.
        for (quint32 seed : {0u, 1u, 16777214u, 16777215u}) {
            RuntimeRandom rnd;
            rnd.setSeed(seed);
            for (int i = 0; i < 1000; ++i) {
                const float v = rnd.next();
                QVERIFY(v >= 0.0f && v < 1.0f);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestGenerator)
#include "tst_generator.moc"
