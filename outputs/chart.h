#pragma once
// The three curves: how strong each cycle is, day by day, over five weeks
// around a chosen day. One drawing serves the window and the files (PNG and
// PDF here; SVG in the paper code, which has the SVG writer).
#include "model/person.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QPainter;

namespace Chart {

// The chosen day's week, one week before it and three after.
inline constexpr int ShownDays = 35;

// What one chart is about.
struct Subject {
    QString name;
    QDate birth;
    CyclePeriods periods;
    QDate chosen; // the day whose values are read out
    QDate today;  // marked on the axis
};

// The first day shown: the Monday one week before the chosen day's week.
QDate FirstDay(const QDate &chosen);

// One cycle on the chosen day, at the day's start (the moment the day mark
// classifies).
struct Reading {
    QString cycle;               // "Здоровье", "Эмоции", "Интеллект"
    char mark = ' ';             // as the calendar shows it; ' ' before the birth
    std::optional<int> percent;  // whole percent; none before the birth or without a cycle
};
std::array<Reading, 3> Readings(const Subject &subject);

// The chosen day in words: the days lived to it, then one line per cycle
// with its value, mark and the legend's words.
QStringList DayLines(const Subject &subject);

// Cycle `cycle` (0 physical, 1 emotional, 2 intellectual) as it is drawn:
// `perDay` (even) evenly spaced moments a day, from half a day before the first
// shown day's start to half a day after the last one's, each as (days after
// the first shown day's start, value from -1 to 1); moments before the birth
// are left out.
QList<QPointF> Curve(const Subject &subject, int cycle, int perDay);

// The chart in `area`: axis with day numbers, months, weekends, today and
// the chosen day, the three curves and their legend.
void Draw(QPainter &painter, const QRectF &area, const Subject &subject);
// The shown day (0 .. ShownDays - 1) under `x` in an area Draw drew.
int DayAt(const QRectF &area, qreal x);

// The page the files hold: the title, the chart and the chosen day in words.
inline constexpr QSize PageSize{800, 560};
inline constexpr QRectF PageChartArea{8, 40, 784, 400};
QString Title(const Subject &subject); // "Биоритмы: " + name
void DrawPage(QPainter &painter, const Subject &subject);
QByteArray Png(const Subject &subject);
QByteArray Pdf(const Subject &subject);

}
