#pragma once
// The person record, the family list and the cycle periods.
#include "model/errors.h"

#include <QString>
#include <QVector>

struct Person {
    QString name;
    quint8 day = 1;
    quint8 month = 1;
    quint16 year = 2000;
    quint8 halfDay = 0; // 0 "AM", 1 "PM"
    quint8 picture = 0; // 0..31
    bool operator==(const Person &) const = default;
};

struct CyclePeriods {
    static constexpr double DefaultPhysical = 23.6884368;
    static constexpr double DefaultEmotional = 28.42612413;
    static constexpr double DefaultIntellectual = 33.16381152;
    double physical = DefaultPhysical;
    double emotional = DefaultEmotional;
    double intellectual = DefaultIntellectual;
    bool operator==(const CyclePeriods &) const = default;
};

class PersonList {
public:
    int count() const { return int(m_people.size()); }
    int highIndex() const { return count() - 1; }
    const Person &at(int index) const { return m_people.at(index); }
    // Throws "List index out of bounds (n)" when no person stands at `index`.
    void checkIndex(int index) const
    {
        if (index < 0 || index >= count())
            throw KelvoraError(QStringLiteral("List index out of bounds (%1)").arg(index));
    }
    const Person &checkedAt(int index) const
    {
        checkIndex(index);
        return at(index);
    }
    void append(const Person &p) { m_people.append(p); }
    void replace(int index, const Person &p) { m_people[index] = p; }
    // The later people move up by one.
    void remove(int index) { m_people.remove(index); }
    void clear() { m_people.clear(); }
    bool operator==(const PersonList &) const = default;

private:
    QVector<Person> m_people;
};
