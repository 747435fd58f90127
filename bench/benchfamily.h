#pragma once
// The family the benchmarks time: "Человек 0", "Человек 1"... with birth
// dates and pictures spread over the calendar and the picture list.
#include "model/person.h"

inline PersonList NumberedFamily(int count)
{
    PersonList people;
    for (int i = 0; i < count; ++i)
        people.append({QStringLiteral("Человек %1").arg(i), quint8(1 + i % 28), quint8(1 + i % 12),
                       quint16(1950 + i % 70), quint8(i % 2), quint8(i % 32)});
    return people;
}
