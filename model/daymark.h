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
// The legend's words for a mark: "Критический день", "Плохой день",
// "Увеличение активности", "Снижение активности"; empty for anything else.
QString MarkWord(char mark);

// How strong a cycle is `moment` days after the start of the birth date:
// sin(2 pi t / period), where t is the moment's whole days reduced as DayMark
// reduces them, plus its fraction. Nothing before the birth or for a period
// that makes no cycle.
std::optional<double> CycleValue(double moment, double period);

// Whole days between the birth date at 00:00 and now (absolute value).
std::int32_t DaysLived(const QDate &birth, const QDateTime &now);
QString DayWord(std::int64_t n);
// "<name>, к <today> Вы прожили <n><day word>"
QString MakeDaysLivedLine(const QString &name, const QDate &today, std::int32_t n, const QLocale &locale = QLocale());
