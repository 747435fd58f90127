#pragma once
// The shared state of the person store and the last year calendar build: one
// instance, owned by the tray host and handed to the windows that read it.
#include "model/person.h"

#include <QString>

#include <array>

// [row][column]; an empty string is a cell that holds nothing.
using YearTable = std::array<std::array<QString, 32>, 48>;

struct SharedState {
    // person store
    PersonList people;
    CyclePeriods periods;
    QString settingsPath;

    // the last year calendar build
    YearTable yearTable{};
    bool hasYearTable = false;
    int chosenYear = 0;
    QString personName;
    quint16 subjectDay = 0, subjectMonth = 0, subjectYear = 0;
    QString daysLivedLine;

    // The birth date the comparison with a partner reads.
    void setSubject(const Person &person)
    {
        subjectDay = person.day;
        subjectMonth = person.month;
        subjectYear = person.year;
    }
};
