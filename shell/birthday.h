#pragma once
// Whether today is a person's birthday.
#include "model/person.h"

#include <QDate>

// Born on 29 February: in a common year the birthday falls on 28 February,
// the last day of the birth month. A stored day and month that form no date
// (31 April, month 13) never match.
inline bool IsBirthday(const Person &person, const QDate &today)
{
    int day = person.day;
    const int month = person.month;
    if (month == 2 && day == 29 && !QDate::isLeapYear(today.year()))
        day = 28;
    const QDate date(today.year(), month, day);
    return date.isValid() && date == today;
}
