#pragma once

#include <cmath>

// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4), as every conversion of a measured width to pixels does.
inline int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}
