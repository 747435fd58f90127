// Any bytes as a settings file. The reader must either fill the list and the
// periods or throw a KelvoraError and leave both as they were; what it reads
// must survive a save and a new read.
#include "model/errors.h"
#include "store/settingsfile.h"

#include <QLocale>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "fuzz_settings: %s\n", what);
    std::abort();
}

// A person the reader can never produce from "[x]" lines: the sentinel tells
// whether a failed read touched the caller's list.
PersonList Sentinel()
{
    PersonList l;
    l.append({QStringLiteral("\u2603 sentinel"), 99, 99, 9999, 7, 77});
    return l;
}

const CyclePeriods kSentinelPeriods{1.25, 2.5, 5.0};

// Periods are written with 15 significant digits, so a period read with more
// may come back rounded to them, never further.
bool CloseEnough(double a, double b)
{
    if (a == b)
        return true;
    return std::fabs(a - b) <= std::fabs(a) * 1e-14;
}
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    PersonList people = Sentinel();
    CyclePeriods periods = kSentinelPeriods;
    try {
        ParseSettings(bytes, people, periods);
    } catch (const KelvoraError &e) {
        if (!(people == Sentinel()) || !(periods == kSentinelPeriods))
            Fail("a failed read changed the list or the periods");
        // A number that is none, or more people than the reader takes.
        if (!e.message().endsWith(QStringLiteral("' is not a valid integer value"))
            && !(e.message().startsWith(QStringLiteral("Файл настроек")) && e.message().endsWith(QStringLiteral(" человек"))))
            Fail("unexpected error text");
        return 0;
    }
    for (double p : {periods.physical, periods.emotional, periods.intellectual})
        if (!std::isfinite(p))
            Fail("a period that is not a finite number was accepted");

    // Every name read from a file fits the file again (one line, Windows-1251).
    PersonList keepable;
    for (int i = 0; i < people.count(); ++i)
        if (NameFitsSettingsFile(people.at(i).name))
            keepable.append(people.at(i));
    if (keepable.count() != people.count())
        Fail("a name read from the file cannot be written back");

    const QByteArray saved = SerializeSettings(keepable, periods);
    PersonList people2 = Sentinel();
    CyclePeriods periods2 = kSentinelPeriods;
    try {
        ParseSettings(saved, people2, periods2);
    } catch (const KelvoraError &) {
        Fail("the program cannot read back the file it wrote");
    }
    if (!(people2 == keepable))
        Fail("the person list changed in a save and read");
    if (!CloseEnough(periods.physical, periods2.physical) || !CloseEnough(periods.emotional, periods2.emotional)
        || !CloseEnough(periods.intellectual, periods2.intellectual))
        Fail("a period changed in a save and read");
    // After one save the text is canonical: saving again gives the same bytes.
    if (SerializeSettings(people2, periods2) != saved)
        Fail("a second save differs from the first");
    return 0;
}
