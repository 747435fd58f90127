#include "model/compat.h"

#include "model/daymark.h"
#include "model/errors.h"
#include "model/numtext.h"

#include <cmath>
#include <cstdlib>

static double RoundTo2(double v) { return std::trunc(v / 0.01 + 0.5) * 0.01; }

std::optional<double> MatchPercent(double days, double period)
{
    if (!(period > 0) || std::isinf(period) || std::isnan(days))
        return std::nullopt;
    const std::optional<double> r = ReduceBySubtraction(days, period);
    if (!r)
        return std::nullopt;
    const double h = period / 2;
    const double v = std::fabs(*r - h) * 100 / h;
    if (!std::isfinite(v))
        return std::nullopt;
    return RoundTo2(v);
}

std::optional<double> MatchTotal(std::optional<double> physical, std::optional<double> emotional,
                                 std::optional<double> intellectual)
{
    if (!physical || !emotional || !intellectual)
        return std::nullopt;
    const double sum = *physical + *emotional;
    const double all = sum + *intellectual;
    const double mean = all / 3;
    return RoundTo2(mean);
}

QString MatchText(std::optional<double> value, const QLocale &locale)
{
    if (!value)
        return QString();
    return FormatReal(*value, locale) + QLatin1Char('%');
}

MatchResults MatchBirthDates(int subjectYear, int subjectMonth, int subjectDay, const QDate &partner,
                             const CyclePeriods &periods)
{
    const QDate subject = EncodeDate(subjectYear, subjectMonth, subjectDay);
    const auto days = static_cast<double>(std::llabs(subject.toJulianDay() - partner.toJulianDay()));
    MatchResults r;
    r.physical = MatchPercent(days, periods.physical);
    r.emotional = MatchPercent(days, periods.emotional);
    r.intellectual = MatchPercent(days, periods.intellectual);
    r.total = MatchTotal(r.physical, r.emotional, r.intellectual);
    return r;
}
