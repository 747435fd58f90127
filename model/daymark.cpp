#include "model/daymark.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>

// The period is subtracted step by step in double precision, and every step
// rounds to the spacing of the current value. Within one binade [lo, 2lo)
// that spacing is fixed, so the amount actually removed per step is a fixed
// whole number of spacing units: those steps can be taken all at once, and the
// result is the same to the last bit as walking them one by one.
std::optional<double> ReduceBySubtraction(double t, double period)
{
    if (!(t >= period))
        return t;
    if (!(period > 0) || std::isinf(t))
        return std::nullopt; // t never drops below the period
    constexpr std::int64_t L = std::int64_t(1) << 52;
    for (;;) {
        const double next = t - period;
        if (next == t)
            return std::nullopt; // the period is lost in rounding: no step ever changes t
        t = next;
        if (!(t >= period))
            return t;

        int e = 0;
        std::frexp(t, &e); // t = m * 2^e, 0.5 <= m < 1
        const double lo = std::ldexp(1.0, e - 1);
        if (period >= lo)
            continue; // at most one more step in this binade
        const double pq = std::ldexp(period, 53 - e); // period in spacing units, < 2^52
        const double a = std::floor(pq);
        const double f = pq - a;
        const auto A = static_cast<std::int64_t>(a);
        auto T = static_cast<std::int64_t>(std::ldexp(t, 53 - e)); // in [2^52, 2^53)
        std::int64_t d;
        if (f < 0.5) {
            d = A;
        } else if (f > 0.5) {
            d = A + 1;
        } else {
            // A tie rounds to even: from an even T every step removes the even one
            // of A and A + 1. An odd T is made even by one ordinary step first.
            if (T & 1)
                continue;
            d = (A % 2 == 0) ? A : A + 1;
        }
        if (d == 0)
            return std::nullopt;
        // Steps whose exact result stays at or above lo; the step that leaves
        // the binade is taken by the ordinary subtraction above.
        const std::int64_t M = T - L - A - (f > 0 ? 1 : 0);
        if (M < 0)
            continue;
        const std::int64_t k = M / d + 1;
        T -= k * d;
        t = std::ldexp(static_cast<double>(T), e - 53);
        if (!(t >= period))
            return t;
    }
}

std::int64_t RoundHalfAway(double x)
{
    if (std::isnan(x))
        return 0;
    const double y = std::trunc(x > 0 ? x + 0.5 : x - 0.5);
    if (y >= 9223372036854775807.0)
        return std::numeric_limits<std::int64_t>::max();
    if (y <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(y);
}

char DayMark(std::int32_t days, double period)
{
    // Without a positive period there is no cycle, and a period of one day or
    // less never lets the phase reach 1: every day is critical.
    if (!(period > 0))
        return 'K';
    if (period <= 1 && days >= 0)
        return 'K';
    const std::optional<double> t = ReduceBySubtraction(static_cast<double>(days), period);
    if (!t)
        return 'K';
    const auto h = static_cast<std::int64_t>(*t); // |t| < 2^31
    // The threshold is the low 32 bits of the rounded half-period, taken as a
    // signed number, so a period of 2^32 days or more wraps. A half-period
    // that does not even fit 64 bits has no such bits: it is longer than any
    // life, so the phase is rising.
    const double half = period / 2;
    const std::int32_t r = half < 9223372036854775808.0
                               ? static_cast<std::int32_t>(static_cast<std::uint32_t>(RoundHalfAway(half)))
                               : std::numeric_limits<std::int32_t>::max();
    char mark = r > h ? '+' : '-';
    if (r == h)
        mark = '0';
    if (h == 0)
        mark = 'K';
    return mark;
}

QString MarkWord(char mark)
{
    switch (mark) {
    case 'K':
        return QStringLiteral("Критический день");
    case '0':
        return QStringLiteral("Плохой день");
    case '+':
        return QStringLiteral("Увеличение активности");
    case '-':
        return QStringLiteral("Снижение активности");
    default:
        return QString();
    }
}

std::optional<double> CycleValue(double moment, double period)
{
    if (!(moment >= 0) || moment >= 2147483648.0 || !(period > 0) || std::isinf(period))
        return std::nullopt;
    const double whole = std::floor(moment);
    const std::optional<double> t = ReduceBySubtraction(whole, period);
    if (!t)
        return std::nullopt;
    return std::sin(2 * std::numbers::pi * (*t + (moment - whole)) / period);
}

std::int32_t DaysLived(const QDate &birth, const QDateTime &now)
{
    const double frac = now.time().msecsSinceStartOfDay() / 86400000.0;
    const double diff = static_cast<double>(birth.daysTo(now.date())) + frac;
    return static_cast<std::int32_t>(std::trunc(std::fabs(diff)));
}

QString DayWord(std::int64_t n)
{
    switch (std::llabs(n) % 10) {
    case 1:
        return QStringLiteral(" день");
    case 2:
    case 3:
    case 4:
        return QStringLiteral(" дня");
    default:
        return QStringLiteral(" дней");
    }
}

QString MakeDaysLivedLine(const QString &name, const QDate &today, std::int32_t n, const QLocale &locale)
{
    return name + QStringLiteral(", к ") + locale.toString(today, QLocale::ShortFormat) + QStringLiteral(" Вы прожили ")
           + QString::number(n) + DayWord(n);
}
