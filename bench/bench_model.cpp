// Medians of the model build and of loading and saving a large family.
#include "bench/median.h"
#include "model/clock.h"
#include "model/yearmodel.h"
#include "store/settingsfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));

    SharedState s;
    s.people.append({"Анна", 1, 1, 1980, 0, 0});
    s.people.append({"Первый", 1, 1, 1, 0, 0});
    s.chosenYear = 2026;
    std::printf("model build, born 1980-01-01, year 2026: %.3f ms (target 1 ms)\n",
                MedianMs(101, [&] { BuildYearCalendar(s, 0); }));
    s.chosenYear = 9999;
    std::printf("model build, born 0001-01-01, year 9999: %.3f ms (target 250 ms)\n",
                MedianMs(21, [&] { BuildYearCalendar(s, 1); }));

    PersonList big;
    for (int i = 0; i < 10000; ++i)
        big.append({QStringLiteral("Человек номер %1").arg(i), quint8(1 + i % 28), quint8(1 + i % 12),
                    quint16(1900 + i % 120), quint8(i % 2), quint8(i % 32)});
    QTemporaryDir dir;
    const QString path = dir.filePath("Kelvora.ini");
    const CyclePeriods periods;
    std::printf("save, 10000 people: %.3f ms (target 50 ms)\n",
                MedianMs(21, [&] { SaveSettingsFile(path, big, periods); }));
    PersonList back;
    CyclePeriods perBack;
    std::printf("load, 10000 people: %.3f ms (target 50 ms)\n",
                MedianMs(21, [&] { LoadSettingsFile(path, back, perBack); }));
    return back.count() == big.count() ? 0 : 1;
}
