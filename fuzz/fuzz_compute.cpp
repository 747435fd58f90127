// Any period, any day count, any birth date and year into the cycle
// arithmetic and the year calendar. Everything must return; where the
// step-by-step subtraction is short enough to walk, the quick reduction must
// give the same double to the last bit.
#include "model/clock.h"
#include "model/compat.h"
#include "model/daymark.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "tests/walkedmark.h"

#include <QLocale>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

namespace {
[[noreturn]] void Fail(const char *what, double t, double period)
{
    std::fprintf(stderr, "fuzz_compute: %s (t=%a period=%a)\n", what, t, period);
    std::abort();
}

// Longest walk the reference loop may take.
constexpr double kMaxSteps = 2e5;

bool IsMark(char c) { return c == 'K' || c == '0' || c == '+' || c == '-'; }

// Periods of several kinds: any bit pattern, the ordinary range, and short
// binary fractions, which put the subtraction on rounding ties.
double TakePeriod(FuzzedDataProvider &in)
{
    switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
        return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    case 1:
        return in.ConsumeFloatingPointInRange<double>(1.0, 1000.0);
    case 2: {
        const auto whole = in.ConsumeIntegralInRange<int>(1, 1000);
        const auto bits = in.ConsumeIntegral<std::uint64_t>() & ((std::uint64_t(1) << 52) - 1);
        const int shift = in.ConsumeIntegralInRange<int>(1, 52);
        return whole + std::ldexp(static_cast<double>(bits >> (52 - shift)), -shift);
    }
    default:
        return in.ConsumeFloatingPointInRange<double>(0.0, 4.0);
    }
}

std::int32_t TakeDays(FuzzedDataProvider &in)
{
    return in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-10, 200000)
                            : in.ConsumeIntegral<std::int32_t>();
}

void CheckArithmetic(FuzzedDataProvider &in)
{
    const double period = TakePeriod(in);
    const std::int32_t days = TakeDays(in);

    const char mark = DayMark(days, period);
    if (!IsMark(mark))
        Fail("DayMark gave no mark", days, period);
    (void)RoundHalfAway(period);
    (void)RoundHalfAway(std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>()));

    const std::optional<double> quick = ReduceBySubtraction(days, period);
    if (period > 0 && std::isfinite(period) && days >= 0 && days / period <= kMaxSteps) {
        const double walked = WalkedReduce(days, period);
        if (!quick || std::bit_cast<std::uint64_t>(*quick) != std::bit_cast<std::uint64_t>(walked))
            Fail("quick reduction differs from the step-by-step one", days, period);
        // Past 2^64 days a period's half has no 64-bit rounding to take bits from.
        if (period < 18446744073709551616.0 && mark != WalkedMark(days, period))
            Fail("DayMark differs from the step-by-step mark", days, period);
    }

    // The compatibility row takes the day count as a double.
    const double matchDays = in.ConsumeBool() ? static_cast<double>(days)
                                              : std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    const std::optional<double> pct = MatchPercent(matchDays, period);
    if (pct && matchDays >= 0 && !(*pct >= 0 && *pct <= 100))
        Fail("percentage outside 0..100", matchDays, period);
    const std::optional<double> total = MatchTotal(pct, MatchPercent(days, period), pct);
    (void)MatchText(total);
}

void CheckYear(FuzzedDataProvider &in)
{
    SharedState s;
    Person p;
    p.name = QStringLiteral("Анна");
    p.day = in.ConsumeIntegral<quint8>();
    p.month = in.ConsumeIntegral<quint8>();
    p.year = in.ConsumeIntegral<quint16>();
    s.people.append(p);
    s.chosenYear = in.ConsumeBool() ? in.ConsumeIntegralInRange<int>(-2, 10001) : in.ConsumeIntegral<int>();
    s.periods.physical = TakePeriod(in);
    s.periods.emotional = TakePeriod(in);
    s.periods.intellectual = TakePeriod(in);
    const int index = in.ConsumeIntegralInRange<int>(-1, 1);
    const QString before = QStringLiteral("previous line");
    s.daysLivedLine = before;
    try {
        BuildYearCalendar(s, index);
    } catch (const KelvoraError &) {
        if (s.daysLivedLine != before)
            Fail("a failed build changed the days-lived line", s.chosenYear, index);
        return;
    }
    for (int m = 0; m < 12; ++m) {
        const int len = DaysInMonth(s.chosenYear, m + 1);
        if (s.yearTable[4 * m][0] != MonthNames[m])
            Fail("month name missing", s.chosenYear, m);
        for (int d = 1; d < 32; ++d) {
            for (int c = 0; c < 4; ++c) {
                const QString &cell = s.yearTable[4 * m + c][d];
                if (d > len) {
                    if (!cell.isEmpty())
                        Fail("a day the month does not have holds text", s.chosenYear, d);
                } else if (c > 0 && (cell.size() != 1 || !(IsMark(char(cell[0].unicode())) || cell[0] == u' '))) {
                    Fail("a cycle cell holds no mark", s.chosenYear, d);
                }
            }
        }
    }
}
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    if (in.ConsumeIntegralInRange<int>(0, 7) == 0) {
        CheckYear(in);
    } else {
        for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i)
            CheckArithmetic(in);
    }
    return 0;
}
