#include "model/yearmodel.h"

#include "model/clock.h"
#include "model/daymark.h"
#include "model/errors.h"

const QStringList MonthNames = {
    QStringLiteral("Январь"), QStringLiteral("Февраль"), QStringLiteral("Март"),     QStringLiteral("Апрель"),
    QStringLiteral("Май"),    QStringLiteral("Июнь"),    QStringLiteral("Июль"),     QStringLiteral("Август"),
    QStringLiteral("Сентябрь"), QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь"),
};

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && QDate::isLeapYear(year))
        return 29;
    return days[month - 1];
}

void BuildYearCalendar(SharedState &s, int index)
{
    s.yearTable = YearTable{};
    s.hasYearTable = true;
    const Person &p = s.people.checkedAt(index);
    s.setSubject(p);
    s.personName = p.name;
    const QDate first = EncodeDate(s.chosenYear, 1, 1);
    const QDate birth = EncodeDate(p.year, p.month, p.day);
    qint64 offset = birth.daysTo(first);

    const QDateTime now = Clock::now();
    s.daysLivedLine = MakeDaysLivedLine(p.name, now.date(), DaysLived(birth, now));

    const CyclePeriods per = s.periods;
    const QString labels[3] = {QStringLiteral("Здоровье"), QStringLiteral("Эмоции"), QStringLiteral("Интеллект")};
    const QString space = QStringLiteral(" ");
    for (int m = 0; m < 12; ++m) {
        auto &numbers = s.yearTable[4 * m];
        numbers[0] = MonthNames[m];
        for (int c = 0; c < 3; ++c)
            s.yearTable[4 * m + 1 + c][0] = labels[c];
        const int len = DaysInMonth(s.chosenYear, m + 1);
        for (int d = 1; d <= len; ++d)
            numbers[d] = QString::number(d);
        for (int d = 1; d <= len; ++d) {
            const qint64 k = offset + d - 1;
            if (k < 0) {
                for (int c = 0; c < 3; ++c)
                    s.yearTable[4 * m + 1 + c][d] = space;
                continue;
            }
            const auto days = static_cast<std::int32_t>(k);
            s.yearTable[4 * m + 1][d] = QChar::fromLatin1(DayMark(days, per.physical));
            s.yearTable[4 * m + 2][d] = QChar::fromLatin1(DayMark(days, per.emotional));
            s.yearTable[4 * m + 3][d] = QChar::fromLatin1(DayMark(days, per.intellectual));
        }
        offset += len;
    }
}
