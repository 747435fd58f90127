// Day marks, days lived, the year calendar model and the compatibility arithmetic.
#include "model/clock.h"
#include "model/compat.h"
#include "model/daymark.h"
#include "model/errors.h"
#include "model/numtext.h"
#include "model/yearmodel.h"
#include "outputs/chart.h"
#include "walkedmark.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {
const double kPhys = CyclePeriods::DefaultPhysical;
const double kEmo = CyclePeriods::DefaultEmotional;
const double kInt = CyclePeriods::DefaultIntellectual;
}

class TestModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(14, 30)));
    }

    void roundHalfAway()
    {
        QCOMPARE(RoundHalfAway(11.5), 12);
        QCOMPARE(RoundHalfAway(14.213), 14);
        QCOMPARE(RoundHalfAway(16.58), 17);
        QCOMPARE(RoundHalfAway(0), 0);
        QCOMPARE(RoundHalfAway(-2.5), -3);
        QCOMPARE(RoundHalfAway(std::nan("")), 0);
        QCOMPARE(RoundHalfAway(1e300), std::numeric_limits<std::int64_t>::max());
        QCOMPARE(RoundHalfAway(-1e300), std::numeric_limits<std::int64_t>::min());
    }

    void defaultPeriodMarks()
    {
        for (double p : {kPhys, kEmo, kInt})
            QCOMPARE(DayMark(0, p), 'K');
        for (int d = 1; d <= 11; ++d)
            for (double p : {kPhys, kEmo, kInt})
                QCOMPARE(DayMark(d, p), '+');
        QCOMPARE(DayMark(12, kPhys), '0');
        QCOMPARE(DayMark(12, kEmo), '+');
        QCOMPARE(DayMark(12, kInt), '+');
        QCOMPARE(DayMark(13, kPhys), '-');
        QCOMPARE(DayMark(24, kPhys), 'K');
        QCOMPARE(DayMark(24, kEmo), '-');
        QCOMPARE(DayMark(24, kInt), '-');
        QCOMPARE(DayMark(10000, kPhys), '+');
        QCOMPARE(DayMark(10000, kEmo), '-');
        QCOMPARE(DayMark(10000, kInt), '0');
    }

    void wholeAndSmallPeriods()
    {
        QCOMPARE(DayMark(11, 23), '+');
        QCOMPARE(DayMark(12, 23), '0');
        QCOMPARE(DayMark(13, 23), '-');
        QCOMPARE(DayMark(22, 23), '-');
        QCOMPARE(DayMark(23, 23), 'K');
        QCOMPARE(DayMark(14, 28), '0');
        QCOMPARE(DayMark(17, 33), '0');
        const char alternating[] = {'K', '0', 'K', '0', 'K'};
        for (int d = 0; d < 5; ++d)
            QCOMPARE(DayMark(d, 2), alternating[d]);
        for (int d : {0, 1, 7, 100000})
            for (double p : {1.0, 0.5, 1e-300})
                QCOMPARE(DayMark(d, p), 'K');
    }

    // Every period the settings can hold must give an answer at once.
    void badPeriodsTerminate()
    {
        const double periods[] = {0.0, -0.0, -5, std::nan(""), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), 1e-300, 1e308, 4.9e-324, 5e9};
        const std::int32_t days[] = {0, 1, 3652058, std::numeric_limits<std::int32_t>::max(),
                                     std::numeric_limits<std::int32_t>::min(), -1};
        for (double p : periods)
            for (std::int32_t d : days) {
                const char m = DayMark(d, p);
                QVERIFY(m == 'K' || m == '0' || m == '+' || m == '-');
                (void)MatchPercent(d, p);
            }
        QCOMPARE(DayMark(5, 0), 'K');
        QCOMPARE(DayMark(5, -3), 'K');
        QCOMPARE(DayMark(5, std::nan("")), 'K');
        // A period longer than any life: a rising phase, the birthday still critical.
        QCOMPARE(DayMark(0, 1e308), 'K');
        QCOMPARE(DayMark(5000, 1e308), '+');
        QCOMPARE(DayMark(5000, std::numeric_limits<double>::infinity()), '+');
    }

    // The quick reduction must agree to the bit with the step-by-step one.
    void reductionMatchesStepByStep()
    {
        QRandomGenerator rng(20261208);
        for (int i = 0; i < 3000; ++i) {
            const double p = 1.0 + rng.generateDouble() * 60;
            const auto d = static_cast<std::int32_t>(rng.bounded(200000));
            const double fast = *ReduceBySubtraction(d, p);
            const double slow = WalkedReduce(d, p);
            QCOMPARE(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(slow));
            QCOMPARE(DayMark(d, p), WalkedMark(d, p));
        }
        // Periods whose last bit sits exactly half a spacing below the values
        // being reduced round to even, step after step.
        for (double p : {23.0 + std::ldexp(1.0, -36), 23.0 + 3 * std::ldexp(1.0, -36), 1.5 + std::ldexp(1.0, -40),
                         kPhys, kEmo, kInt, 23.0, 2.0, 1.0000001}) {
            for (std::int32_t d : {0, 1, 23, 4095, 4096, 65537, 1000000, 3652058}) {
                const double fast = *ReduceBySubtraction(d, p);
                const double slow = WalkedReduce(d, p);
                QCOMPARE(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(slow));
            }
        }
        // Half-periods past 32 bits keep their low 32 bits, as a signed number,
        // up to the end of the 64-bit range.
        QCOMPARE(DayMark(1, 8589934594.0), '0'); // r = 2^32 + 1 gives 1
        QCOMPARE(DayMark(5, 4294967296.0), '-'); // r = 2^31 gives -2^31
        for (double p : {4294967295.0, 4294967296.0, 5e9, 8589934594.0, 1e15, 1.8e19})
            for (std::int32_t d : {0, 1, 2, 5, 12345, std::numeric_limits<std::int32_t>::max()})
                QCOMPARE(DayMark(d, p), WalkedMark(d, p));
        QVERIFY(!ReduceBySubtraction(5, 0).has_value());
        QVERIFY(!ReduceBySubtraction(5, -1).has_value());
        QVERIFY(!ReduceBySubtraction(1e6, 1e-300).has_value());
        QCOMPARE(*ReduceBySubtraction(-5, 3), -5.0);
    }

    void dayWords()
    {
        const QPair<int, QString> cases[] = {{0, " дней"}, {1, " день"},   {3, " дня"},  {5, " дней"},
                                             {11, " день"}, {12, " дня"}, {20, " дней"}, {101, " день"}};
        for (const auto &[n, word] : cases)
            QCOMPARE(DayWord(n), word);
    }

    void daysLived()
    {
        const QDateTime now(QDate(2026, 12, 8), QTime(14, 30));
        QCOMPARE(DaysLived(QDate(2001, 12, 8), now), 9131);
        QCOMPARE(DaysLived(QDate(2026, 12, 8), now), 0);
        // A birth date still to come: one less than the days to go, except at midnight.
        QCOMPARE(DaysLived(QDate(2026, 12, 10), now), 1);
        QCOMPARE(DaysLived(QDate(2026, 12, 10), QDateTime(QDate(2026, 12, 8), QTime(0, 0))), 2);
        QCOMPARE(MakeDaysLivedLine("Анна", QDate(2026, 12, 8), 9131), QString("Анна, к 08.12.2026 Вы прожили 9131 день"));
    }

    void yearModelLayout()
    {
        SharedState s;
        s.people.append({"Мира", 15, 3, 2024, 0, 3});
        s.chosenYear = 2024;
        BuildYearCalendar(s, 0);
        const YearTable &t = s.yearTable;
        for (int m = 0; m < 12; ++m) {
            QCOMPARE(t[4 * m][0], MonthNames[m]);
            QCOMPARE(t[4 * m + 1][0], QString("Здоровье"));
            QCOMPARE(t[4 * m + 2][0], QString("Эмоции"));
            QCOMPARE(t[4 * m + 3][0], QString("Интеллект"));
        }
        // Leap February: 29 numbers, then nothing.
        QCOMPARE(t[4][29], QString("29"));
        QVERIFY(t[4][30].isEmpty() && t[4][31].isEmpty() && t[5][30].isEmpty());
        QVERIFY(t[12][31].isEmpty() && t[13][31].isEmpty()); // April has no 31st
        for (int r = 1; r <= 7; ++r)
            for (int d = 1; d <= DaysInMonth(2024, r / 4 + 1); ++d)
                if (r % 4)
                    QCOMPARE(t[r][d], QString(" "));
        for (int r = 9; r <= 11; ++r) {
            for (int d = 1; d <= 14; ++d)
                QCOMPARE(t[r][d], QString(" "));
            QCOMPARE(t[r][15], QString("K"));
        }
        QCOMPARE(s.personName, QString("Мира"));
        QCOMPARE(s.subjectDay, quint16(15));
        QCOMPARE(s.subjectMonth, quint16(3));
        QCOMPARE(s.subjectYear, quint16(2024));

        s.chosenYear = 2026;
        BuildYearCalendar(s, 0);
        QVERIFY(s.yearTable[4][29].isEmpty());
        QCOMPARE(s.yearTable[4][28], QString("28"));
    }

    void yearModelAcrossYears()
    {
        SharedState s;
        s.people.append({"Ян", 1, 1, 2025, 1, 0});
        s.people.append({"Ева", 2, 1, 2030, 0, 1});
        s.chosenYear = 2025;
        BuildYearCalendar(s, 0);
        QCOMPARE(s.yearTable[1][1], QString("K"));
        QCOMPARE(s.yearTable[2][1], QString("K"));
        QCOMPARE(s.yearTable[3][1], QString("K"));
        // 31 December and 1 January continue without a jump.
        const QString dec31 = s.yearTable[45][31];
        QCOMPARE(dec31, QString(QChar::fromLatin1(DayMark(364, kPhys))));
        s.chosenYear = 2026;
        BuildYearCalendar(s, 0);
        QCOMPARE(s.yearTable[1][1], QString(QChar::fromLatin1(DayMark(365, kPhys))));
        QCOMPARE(s.yearTable[3][1], QString(QChar::fromLatin1(DayMark(365, kInt))));

        // Born after the year shown: only blanks; the next build replaces everything.
        BuildYearCalendar(s, 1);
        for (int r = 0; r < 48; ++r)
            for (int d = 1; d <= 31; ++d)
                if (r % 4 && !s.yearTable[r][d].isEmpty())
                    QCOMPARE(s.yearTable[r][d], QString(" "));
        QCOMPARE(s.personName, QString("Ева"));
        QVERIFY(s.daysLivedLine.startsWith("Ева, к 08.12.2026 Вы прожили "));
    }

    void yearModelUsesPeriodsAtBuildTime()
    {
        SharedState s;
        s.people.append({"Ян", 1, 1, 2026, 0, 0});
        s.chosenYear = 2026;
        s.periods.physical = 23;
        BuildYearCalendar(s, 0);
        QCOMPARE(s.yearTable[1][13], QString("0")); // day 12 of a 23-day cycle
        QCOMPARE(s.yearTable[1][24], QString("K"));
    }

    void invalidDatesStopTheBuild()
    {
        SharedState s;
        s.people.append({"Ян", 1, 1, 2000, 0, 0});
        s.people.append({"Апрель", 31, 4, 1990, 0, 0});
        s.people.append({"Феб", 29, 2, 2023, 0, 0});
        s.chosenYear = 2026;
        BuildYearCalendar(s, 0);
        const QString line = s.daysLivedLine;
        for (int i : {1, 2}) {
            QVERIFY_THROWS_EXCEPTION(KelvoraError, BuildYearCalendar(s, i));
            QCOMPARE(s.personName, s.people.at(i).name);
            QCOMPARE(s.subjectDay, quint16(s.people.at(i).day));
            QCOMPARE(s.daysLivedLine, line); // keeps the last good summary
            for (int r = 0; r < 48; ++r)
                for (int c = 0; c < 32; ++c)
                    QVERIFY(s.yearTable[r][c].isEmpty());
        }
        for (int year : {0, 10000, -1}) {
            s.chosenYear = year;
            QVERIFY_THROWS_EXCEPTION(KelvoraError, BuildYearCalendar(s, 0));
        }
        s.chosenYear = 50; // the year 50, not 1950
        s.people.append({"Древний", 1, 1, 1, 0, 0});
        BuildYearCalendar(s, 3);
        QCOMPARE(s.yearTable[0][31], QString("31"));
        QVERIFY_THROWS_EXCEPTION(KelvoraError, BuildYearCalendar(s, 7));
    }

    // The chart's curves, sampled twice a day as they are drawn, against the
    // calendar's marks of the same days, for periods of four days or more:
    // "K": at or above zero, below it at the previous day's start (it rose
    //      through zero in between);
    // "+": above zero, except the day before a "0" when half the period
    //      rounds up: the curve may already have fallen through zero then;
    // "-": below zero;
    // "0": above zero in the middle of the day before the previous one, below
    //      it in the middle of this day: the fall lies between, and the
    //      day's own value may have either sign.
    // Nothing is drawn before the birth; the chosen day's readings are the
    // calendar's marks and the curve's value in whole percent.
    void chartFollowsTheDayMarks()
    {
        QRandomGenerator rng(20261222);
        int earlyFalls = 0, positiveZeros = 0, births = 0;
        for (int i = 0; i < 400; ++i) {
            Chart::Subject s;
            s.name = "Ян";
            s.birth = QDate(1900, 1, 1).addDays(rng.bounded(47000));
            const double fixed[] = {kPhys, kEmo, kInt, 23, 28, 33, 25, 4};
            for (double *p : {&s.periods.physical, &s.periods.emotional, &s.periods.intellectual})
                *p = i < 8 ? fixed[(i + (p - &s.periods.physical)) % 8] : 4 + rng.generateDouble() * 96;
            s.chosen = s.birth.addDays(i % 10 == 0 ? rng.bounded(-30, 40) : rng.bounded(-30, 30000));
            s.today = s.chosen;
            const QDate first = Chart::FirstDay(s.chosen);
            QCOMPARE(first.dayOfWeek(), 1);
            QCOMPARE(first.daysTo(s.chosen) / 7, 1);

            SharedState calendar;
            calendar.people.append({"Ян", quint8(s.birth.day()), quint8(s.birth.month()), quint16(s.birth.year()), 0, 0});
            calendar.periods = s.periods;
            const auto markOn = [&](const QDate &day, int cycle) {
                if (calendar.chosenYear != day.year()) {
                    calendar.chosenYear = day.year();
                    BuildYearCalendar(calendar, 0);
                }
                return calendar.yearTable[4 * (day.month() - 1) + 1 + cycle][day.day()].at(0).toLatin1();
            };
            const std::array<Chart::Reading, 3> readings = Chart::Readings(s);
            for (int c = 0; c < 3; ++c) {
                const double period = c == 0 ? s.periods.physical : c == 1 ? s.periods.emotional : s.periods.intellectual;
                const bool roundsUp = RoundHalfAway(period / 2) > period / 2;
                QHash<int, double> at; // half days after the first day's start -> value
                for (const QPointF &point : Chart::Curve(s, c, 2))
                    at.insert(qRound(point.x() * 2), point.y());
                const auto v = [&](int halfDays) { return at.value(halfDays, std::nan("")); };
                for (int d = 0; d < Chart::ShownDays; ++d) {
                    const QDate day = first.addDays(d);
                    const QString where = QString("%1 born %2 periods %3/%4/%5 cycle %6")
                                              .arg(day.toString(Qt::ISODate), s.birth.toString(Qt::ISODate))
                                              .arg(s.periods.physical, 0, 'g', 17).arg(s.periods.emotional, 0, 'g', 17)
                                              .arg(s.periods.intellectual, 0, 'g', 17).arg(c);
                    if (day < s.birth) {
                        QVERIFY2(!at.contains(2 * d) && !at.contains(2 * d + 1), qPrintable(where));
                        continue;
                    }
                    const char mark = markOn(day, c);
                    const double value = v(2 * d);
                    if (day == s.birth) {
                        ++births;
                        QVERIFY2(mark == 'K' && value == 0 && !at.contains(2 * d - 1), qPrintable(where));
                    }
                    switch (mark) {
                    case 'K':
                        QVERIFY2(value >= 0 && (day == s.birth || d == 0 || v(2 * d - 2) < 0), qPrintable(where));
                        break;
                    case '+':
                        if (value <= 0) {
                            ++earlyFalls;
                            QVERIFY2(roundsUp && markOn(day.addDays(1), c) == '0', qPrintable(where));
                        }
                        break;
                    case '-':
                        QVERIFY2(value < 0, qPrintable(where));
                        break;
                    case '0':
                        positiveZeros += value > 0;
                        QVERIFY2(v(2 * d + 1) < 0, qPrintable(where));
                        QVERIFY2(d == 0 || v(2 * d - 3) > 0, qPrintable(where));
                        break;
                    default:
                        QFAIL(qPrintable(where));
                    }
                    if (day == s.chosen) {
                        QCOMPARE(readings[std::size_t(c)].mark, mark);
                        QCOMPARE(*readings[std::size_t(c)].percent, int(RoundHalfAway(value * 100)));
                    }
                }
                if (s.chosen < s.birth)
                    QVERIFY(!readings[std::size_t(c)].percent && readings[std::size_t(c)].mark == ' ');
            }
        }
        // The cases near a crossing did come up.
        QVERIFY(earlyFalls > 0);
        QVERIFY(positiveZeros > 0);
        QVERIFY(births > 0);
    }

    void compatibilityValues()
    {
        auto row = [](int n, double p) { return MatchText(MatchPercent(n, p)); };
        for (int n : {7, -7}) {
            const int d = std::abs(n);
            QCOMPARE(row(d, 23), QString("39,13%"));
            QCOMPARE(row(d, 28), QString("50%"));
            QCOMPARE(row(d, 33), QString("57,58%"));
            QCOMPARE(MatchText(MatchTotal(MatchPercent(d, 23), MatchPercent(d, 28), MatchPercent(d, 33))),
                     QString("48,9%"));
        }
        QCOMPARE(row(14, 23), QString("21,74%"));
        QCOMPARE(row(14, 28), QString("0%"));
        QCOMPARE(row(14, 33), QString("15,15%"));
        QCOMPARE(MatchText(MatchTotal(MatchPercent(14, 23), MatchPercent(14, 28), MatchPercent(14, 33))),
                 QString("12,3%"));
        QCOMPARE(row(1, kPhys), QString("91,56%"));
        QCOMPARE(row(1, kEmo), QString("92,96%"));
        QCOMPARE(row(1, kInt), QString("93,97%"));
        QCOMPARE(MatchText(MatchTotal(MatchPercent(1, kPhys), MatchPercent(1, kEmo), MatchPercent(1, kInt))),
                 QString("92,83%"));
        QCOMPARE(row(100, kPhys), QString("55,71%"));
        QCOMPARE(row(100, kEmo), QString("3,58%"));
        QCOMPARE(row(100, kInt), QString("96,93%"));
        QCOMPARE(MatchText(MatchTotal(MatchPercent(100, kPhys), MatchPercent(100, kEmo), MatchPercent(100, kInt))),
                 QString("52,07%"));
        QCOMPARE(row(0, kPhys), QString("100%"));
        QCOMPARE(row(46, 23), QString("100%")); // an exact multiple
        QCOMPARE(MatchText(MatchTotal(100, 100, 100)), QString("100%"));
    }

    void compatibilityWithoutValue()
    {
        for (double p : {0.0, -28.0, std::nan(""), std::numeric_limits<double>::infinity()})
            QVERIFY(!MatchPercent(10, p).has_value());
        QVERIFY(!MatchPercent(1e6, 1e-300).has_value()); // never reduces
        QVERIFY(MatchPercent(0, 1e-300).has_value());
        QVERIFY(!MatchPercent(10, 1e308).has_value() || std::isfinite(*MatchPercent(10, 1e308)));
        QVERIFY(!MatchTotal(50, std::nullopt, 50).has_value());
        QCOMPARE(MatchText(std::nullopt), QString());
    }

    void realText()
    {
        const QLocale ru(QLocale::Russian, QLocale::Russia);
        const QLocale c = QLocale::c();
        QCOMPARE(FormatReal(23.6884368, ru), QString("23,6884368"));
        QCOMPARE(FormatReal(28.42612413, c), QString("28.42612413"));
        QCOMPARE(FormatReal(23, ru), QString("23"));
        QCOMPARE(FormatReal(-5, ru), QString("-5"));
        QCOMPARE(FormatReal(0.1 + 0.2, ru), QString("0,3"));
        QCOMPARE(FormatReal(1e20, ru), QString("1E20"));
        QCOMPARE(FormatReal(1.5e-7, ru), QString("1,5E-7"));
        QCOMPARE(FormatReal(0.0001, ru), QString("0,0001"));
        QCOMPARE(FormatReal(123456789012345.0, ru), QString("123456789012345"));
        QCOMPARE(*ParseReal("23,5", ru), 23.5);
        QVERIFY(!ParseReal("23.5", ru));
        QCOMPARE(*ParseReal(" -5 ", ru), -5.0);
        QCOMPARE(*ParseReal("1,5E-7", ru), 1.5e-7);
        for (const char *bad : {"", ",", "1 000", "abc", "1e", "1e999", "nan", "inf", "23,5x"})
            QVERIFY2(!ParseReal(bad, ru), bad);
        for (double v : {23.6884368, 28.42612413, 33.16381152, 1e-300, 1e300, 0.1, -0.25})
            QCOMPARE(*ParseReal(FormatReal(v, ru), ru), v);
        // Every finite double must read back as a finite double, the largest included.
        const double top = std::numeric_limits<double>::max();
        QCOMPARE(FormatReal(top, ru), QString("1,79769313486231E308"));
        QCOMPARE(FormatReal(-top, ru), QString("-1,79769313486231E308"));
        for (double v : {top, -top, std::nextafter(top, 0.0), 1.797693134862315e308, 1.7976931348623149e308,
                         std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min()}) {
            const std::optional<double> back = ParseReal(FormatReal(v, ru), ru);
            QVERIFY2(back && std::fabs(*back - v) <= std::fabs(v) * 1e-14, qPrintable(FormatReal(v, ru)));
        }
        QCOMPARE(*ParseInteger("07"), 7);
        QCOMPARE(*ParseInteger("  -12"), -12);
        QCOMPARE(*ParseInteger("2147483647"), 2147483647);
        for (const char *bad : {"", " ", "7 ", "1.5", "x", "2147483648", "-"})
            QVERIFY2(!ParseInteger(bad), bad);
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "tst_model.moc"
