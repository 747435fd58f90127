#pragma once
// The cycle arithmetic done the slow way, as the reference the quick one is
// checked against by the tests and the fuzzer: the period subtracted one step
// at a time. Only for counts short enough to walk.
#include "model/daymark.h"

#include <cstdint>

inline double WalkedReduce(double t, double period)
{
    while (t >= period)
        t = t - period;
    return t;
}

// The day mark of the walked remainder, against the half-period threshold as
// the mark takes it: the low 32 bits of its rounding, as a signed number.
inline char WalkedMark(std::int32_t days, double period)
{
    const auto whole = static_cast<std::int64_t>(WalkedReduce(days, period));
    const auto threshold = static_cast<std::int32_t>(RoundHalfAway(period / 2));
    if (whole == 0)
        return 'K';
    if (whole == threshold)
        return '0';
    return whole < threshold ? '+' : '-';
}
