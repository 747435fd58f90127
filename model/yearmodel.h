#pragma once
// The year calendar model: 48 rows (four per month) by 32 columns of text.
#include "model/sharedstate.h"

#include <QStringList>

extern const QStringList MonthNames;

// Builds YearTable for person `index` and state.chosenYear, and sets
// PersonName, SubjectDay/Month/Year and DaysLivedLine. Throws KelvoraError
// (InvalidDateError) for a birth date or chosen year the calendar cannot hold;
// YearTable is then the fresh empty table, the name and birth globals describe
// the new person and DaysLivedLine keeps its previous text.
void BuildYearCalendar(SharedState &state, int index);

// Days of month (1..12) of year, Gregorian.
int DaysInMonth(int year, int month);
