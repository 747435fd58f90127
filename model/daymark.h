#pragma once
// Cycle arithmetic: the day mark of one day in one cycle, the days lived and
// their Russian wording.
#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>

// Repeated subtraction t := t - period while t >= period, each step rounded
// to double, computed without walking every step. nullopt when the steps
// would never end (period <= 0, NaN, or too small to change t).
std::optional<double> ReduceBySubtraction(double t, double period);

std::int64_t RoundHalfAway(double x);
// 'K', '0', '+' or '-'.
char DayMark(std::int32_t days, double period);

// Whole days between the birth date at 00:00 and now (absolute value).
std::int32_t DaysLived(const QDate &birth, const QDateTime &now);
QString DayWord(std::int64_t n);
// "<name>, к <today> Вы прожили <n><day word>"
QString MakeDaysLivedLine(const QString &name, const QDate &today, std::int32_t n, const QLocale &locale = QLocale());
