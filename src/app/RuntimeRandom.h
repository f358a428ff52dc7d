#pragma once

#include <QtGlobal>

// The runtime's pseudo-random generator, reproduced bit for bit: catalogue
// files were scrambled with its sequence, and the advertising strip derives
// the title it expects from it. One program-wide instance.
class RuntimeRandom
{
public:
    static RuntimeRandom &instance();

    static constexpr quint32 StartSeed = 327680;

    // The next value in [0, 1), exact as a single-precision number.
    float next();

    // Deterministic reseeding by a negative number; performs one draw of its
    // own, whose value it returns. The same x always gives the same sequence.
    float reseed(float x);

    // Seeding from the time of day, t in seconds since midnight.
    void seedFromTime(double t);
    // Seeds from the current time of day.
    void randomize();

    quint32 seed() const { return m_seed; }
    void setSeed(quint32 seed) { m_seed = seed & 0xFFFFFF; }

private:
    quint32 m_seed = StartSeed;
};
