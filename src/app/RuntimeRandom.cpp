#include "app/RuntimeRandom.h"

#include <QTime>

#include <bit>
#include <cstdint>

RuntimeRandom &RuntimeRandom::instance()
{
    static RuntimeRandom generator;
    return generator;
}

float RuntimeRandom::next()
{
    m_seed = static_cast<quint32>((quint64(m_seed) * 1140671485u + 12820163u) & 0xFFFFFF);
    return float(m_seed) / 16777216.0f;
}

float RuntimeRandom::reseed(float x)
{
    const auto b = std::bit_cast<std::uint32_t>(x);
    m_seed = (b + (b >> 24)) & 0xFFFFFF;
    return next();
}

void RuntimeRandom::seedFromTime(double t)
{
    const auto bits = std::bit_cast<std::uint64_t>(t);
    const auto h = static_cast<quint32>(bits >> 32);
    const quint32 mixed = ((h & 0xFFFF) ^ (h >> 16)) & 0xFFFF;
    m_seed = ((m_seed & 0xFF) + 256u * mixed) & 0xFFFFFF;
}

void RuntimeRandom::randomize()
{
    const QTime now = QTime::currentTime();
    seedFromTime(now.msecsSinceStartOfDay() / 1000.0);
}
