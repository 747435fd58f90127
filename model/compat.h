#pragma once
// Compatibility arithmetic of two birth dates.
#include "model/person.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <optional>

// Percentage of one cycle for a day count; nullopt when the period gives no
// meaningful value (<= 0, NaN, infinite, too small to reduce the count).
std::optional<double> MatchPercent(double days, double period);
// Mean of the three rounded rows, rounded to two decimals; nullopt if any row has none.
std::optional<double> MatchTotal(std::optional<double> physical, std::optional<double> emotional,
                                 std::optional<double> intellectual);
// "48,9%" under a comma locale; empty for no value.
QString MatchText(std::optional<double> value, const QLocale &locale = QLocale());

// The four results of a comparison: physical, emotional, intellectual, total.
struct MatchResults {
    std::optional<double> physical, emotional, intellectual, total;
};

// Compares a subject born on subjectYear-subjectMonth-subjectDay with a
// partner born on `partner`. Throws "Invalid argument to date encode" for a
// subject date the calendar cannot hold.
MatchResults MatchBirthDates(int subjectYear, int subjectMonth, int subjectDay, const QDate &partner,
                             const CyclePeriods &periods);
