#include "outputs/chart.h"

#include "model/daymark.h"
#include "model/yearmodel.h"
#include "report/fonts.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QImageWriter>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <cmath>
#include <limits>

namespace Chart {
namespace {

const QString CycleNames[3] = {QStringLiteral("Здоровье"), QStringLiteral("Эмоции"), QStringLiteral("Интеллект")};

double PeriodOf(const CyclePeriods &periods, int cycle)
{
    return cycle == 0 ? periods.physical : cycle == 1 ? periods.emotional : periods.intellectual;
}

// Told apart by colour and by line, so a grey print still reads.
struct CycleLook {
    QColor colour;
    Qt::PenStyle style;
};
const CycleLook Looks[3] = {{QColor(210, 0, 0), Qt::SolidLine},
                            {QColor(0, 140, 0), Qt::DashLine},
                            {QColor(0, 60, 220), Qt::DashDotLine}};

const QColor WeekendShade(234, 234, 234);
const QColor ChosenShade(255, 240, 170);
const QColor GridColour(205, 205, 205);
const QColor FrameColour(150, 150, 150);
const QColor ZeroColour(60, 60, 60);
const QColor WeekendNumber(200, 0, 0);
const QColor ChosenLine(0, 0, 128);

// Room around the plot for the value labels, the legend, the day numbers and
// the month names.
constexpr qreal LeftMargin = 44;
constexpr qreal RightMargin = 10;
constexpr qreal TopMargin = 24;
constexpr qreal BottomMargin = 34;
// Space above +100 % and below -100 % inside the plot.
constexpr qreal Headroom = 6;

QRectF PlotOf(const QRectF &area)
{
    return area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
}

QString PercentText(int percent)
{
    const QLocale locale;
    const QString digits = locale.toString(std::abs(percent));
    const QString sign = percent > 0 ? locale.positiveSign() : percent < 0 ? locale.negativeSign() : QString();
    return sign + digits + QLatin1Char('%');
}

qint64 DaysSinceBirth(const Subject &s, const QDate &day) { return s.birth.daysTo(day); }

// Text drawn with its top left at `at`.
void TextAt(QPainter &p, const QPointF &at, const QString &text)
{
    p.drawText(QPointF(at.x(), at.y() + QFontMetricsF(p.font(), p.device()).ascent()), text);
}

} // namespace

QDate FirstDay(const QDate &chosen) { return chosen.addDays(-(chosen.dayOfWeek() - 1) - 7); }

std::array<Reading, 3> Readings(const Subject &s)
{
    std::array<Reading, 3> readings;
    const qint64 days = DaysSinceBirth(s, s.chosen);
    for (int c = 0; c < 3; ++c) {
        Reading &r = readings[std::size_t(c)];
        r.cycle = CycleNames[c];
        if (days < 0 || days > std::numeric_limits<std::int32_t>::max())
            continue;
        const double period = PeriodOf(s.periods, c);
        r.mark = DayMark(std::int32_t(days), period);
        if (const std::optional<double> v = CycleValue(double(days), period))
            r.percent = int(RoundHalfAway(*v * 100));
    }
    return readings;
}

QStringList DayLines(const Subject &s)
{
    const QLocale locale;
    const qint64 days = DaysSinceBirth(s, s.chosen);
    QStringList lines;
    if (days >= 0)
        lines << MakeDaysLivedLine(s.name, s.chosen, std::int32_t(days), locale);
    else
        lines << s.name + QStringLiteral(", к ") + locale.toString(s.chosen, QLocale::ShortFormat)
                     + QStringLiteral(" до рождения ") + QString::number(-days) + DayWord(-days);
    for (const Reading &r : Readings(s)) {
        QString line = r.cycle + QStringLiteral(": ") + (r.percent ? PercentText(*r.percent) : QStringLiteral("—"));
        if (r.mark != ' ')
            line += QStringLiteral(", «") + QChar::fromLatin1(r.mark) + QStringLiteral("» ") + MarkWord(r.mark);
        lines << line;
    }
    return lines;
}

QList<QPointF> Curve(const Subject &s, int cycle, int perDay)
{
    QList<QPointF> points;
    const double period = PeriodOf(s.periods, cycle);
    const qint64 first = DaysSinceBirth(s, FirstDay(s.chosen));
    const int steps = ShownDays * perDay;
    points.reserve(steps + 1);
    for (int k = -perDay / 2; k <= steps - perDay / 2; ++k) {
        const double x = double(k) / perDay;
        if (const std::optional<double> v = CycleValue(double(first) + x, period))
            points.append(QPointF(x, *v));
    }
    return points;
}

int DayAt(const QRectF &area, qreal x)
{
    const QRectF plot = PlotOf(area);
    const qreal dayWidth = plot.width() / ShownDays;
    if (dayWidth <= 0)
        return 0;
    return qBound(0, int(std::floor((x - plot.left()) / dayWidth)), ShownDays - 1);
}

void Draw(QPainter &p, const QRectF &area, const Subject &s)
{
    p.save();
    p.fillRect(area, Qt::white);
    const QRectF plot = PlotOf(area);
    if (plot.width() < ShownDays || plot.height() < 4 * Headroom) {
        p.restore();
        return;
    }
    const qreal dayWidth = plot.width() / ShownDays;
    const qreal zeroY = plot.center().y();
    const qreal unit = plot.height() / 2 - Headroom; // 100 %
    const auto yOf = [&](double value) { return zeroY - value * unit; };
    const auto columnLeft = [&](int day) { return plot.left() + day * dayWidth; };
    const QDate first = FirstDay(s.chosen);
    const int chosenDay = int(first.daysTo(s.chosen));

    const QFont font = PixelFont(QStringLiteral("Tahoma"), 11);
    QFont bold = font;
    bold.setBold(true);
    p.setFont(font);
    const QFontMetricsF metrics(font, p.device());
    const qreal line = metrics.height();
    const qreal numbersTop = plot.bottom() + 3;
    const qreal monthsTop = numbersTop + line + 2;

    // Weekends and the chosen day, down through the day numbers.
    for (int d = 0; d < ShownDays; ++d) {
        const QDate day = first.addDays(d);
        const QRectF column(columnLeft(d), plot.top(), dayWidth, numbersTop + line - plot.top());
        if (d == chosenDay)
            p.fillRect(column, ChosenShade);
        else if (day.dayOfWeek() >= 6)
            p.fillRect(column, WeekendShade);
    }

    // Values from -100 % to +100 %, and the zero line.
    p.setPen(QPen(GridColour, 1));
    for (int percent : {100, 50, -50, -100})
        p.drawLine(QPointF(plot.left(), yOf(percent / 100.0)), QPointF(plot.right(), yOf(percent / 100.0)));
    p.setPen(QPen(FrameColour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.setPen(QPen(ZeroColour, 1));
    p.drawLine(QPointF(plot.left(), zeroY), QPointF(plot.right(), zeroY));
    p.setPen(Qt::black);
    for (int percent : {100, 50, 0, -50, -100}) {
        const QString text = PercentText(percent);
        const qreal y = yOf(percent / 100.0) - line / 2;
        TextAt(p, QPointF(plot.left() - 4 - metrics.horizontalAdvance(text), y), text);
    }

    // Day numbers; weekends in red, today framed; months where they begin.
    for (int d = 0; d < ShownDays; ++d) {
        const QDate day = first.addDays(d);
        const bool today = day == s.today;
        p.setFont(today || d == chosenDay ? bold : font);
        const QString number = QString::number(day.day());
        const QFontMetricsF m(p.font(), p.device());
        const qreal centre = columnLeft(d) + dayWidth / 2;
        const qreal width = m.horizontalAdvance(number);
        p.setPen(day.dayOfWeek() >= 6 ? WeekendNumber : QColor(Qt::black));
        TextAt(p, QPointF(centre - width / 2, numbersTop), number);
        if (today) {
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(QRectF(centre - width / 2 - 2.5, numbersTop - 0.5, width + 5, line + 1));
        }
    }
    p.setFont(font);
    p.setPen(QPen(FrameColour, 1));
    for (int d = 1; d < ShownDays; ++d) {
        if (first.addDays(d).day() == 1)
            p.drawLine(QPointF(columnLeft(d), plot.top()), QPointF(columnLeft(d), monthsTop + line));
    }
    p.setPen(Qt::black);
    for (int d = 0; d < ShownDays; ++d) {
        const QDate day = first.addDays(d);
        if (d > 0 && day.day() != 1)
            continue;
        // Up to the next month's name, shortened if need be.
        int next = d + 1;
        while (next < ShownDays && first.addDays(next).day() != 1)
            ++next;
        const qreal room = (next < ShownDays ? columnLeft(next) : area.right()) - columnLeft(d) - 4;
        const QString name = MonthNames.value(day.month() - 1) + QLatin1Char(' ') + QString::number(day.year());
        const QString shown = metrics.elidedText(name, Qt::ElideRight, room);
        if (shown.size() >= 4)
            TextAt(p, QPointF(columnLeft(d) + 2, monthsTop), shown);
    }

    // The curves: each day's value stands over its number.
    p.setRenderHint(QPainter::Antialiasing, true);
    // About one point every three pixels; an even count has one at every day's start.
    const int perDay = 2 * qBound(2, int(std::ceil(dayWidth / 6)), 16);
    const auto pointOf = [&](const QPointF &sample) {
        return QPointF(plot.left() + (sample.x() + 0.5) * dayWidth, yOf(sample.y()));
    };
    for (int c = 0; c < 3; ++c) {
        const QList<QPointF> samples = Curve(s, c, perDay);
        if (samples.size() < 2)
            continue;
        QPainterPath path(pointOf(samples.first()));
        for (qsizetype i = 1; i < samples.size(); ++i)
            path.lineTo(pointOf(samples.at(i)));
        QPen pen(Looks[c].colour, 2, Looks[c].style, Qt::FlatCap, Qt::RoundJoin);
        p.strokePath(path, pen);
    }

    // The chosen day: a line through its values, on whole pixels so that it
    // stays sharp, and a dot on each curve.
    const qreal chosenX = std::floor(columnLeft(chosenDay) + dayWidth / 2) + 0.5;
    p.setPen(QPen(ChosenLine, 1));
    p.drawLine(QPointF(chosenX, plot.top()), QPointF(chosenX, plot.bottom()));
    const qint64 chosenDays = DaysSinceBirth(s, s.chosen);
    for (int c = 0; c < 3; ++c) {
        const std::optional<double> v = CycleValue(double(chosenDays), PeriodOf(s.periods, c));
        if (!v)
            continue;
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Looks[c].colour);
        p.drawEllipse(QPointF(chosenX, yOf(*v)), 4, 4);
    }
    p.setBrush(Qt::NoBrush);

    // The legend above the plot.
    qreal x = plot.left();
    const qreal legendY = area.top() + (TopMargin - line) / 2;
    for (int c = 0; c < 3; ++c) {
        p.setPen(QPen(Looks[c].colour, 2, Looks[c].style, Qt::FlatCap));
        p.drawLine(QPointF(x, legendY + line / 2), QPointF(x + 28, legendY + line / 2));
        p.setPen(Qt::black);
        TextAt(p, QPointF(x + 34, legendY), CycleNames[c]);
        x += 34 + metrics.horizontalAdvance(CycleNames[c]) + 24;
    }
    p.restore();
}

QString Title(const Subject &s) { return QStringLiteral("Биоритмы: ") + s.name; }

void DrawPage(QPainter &p, const Subject &s)
{
    p.save();
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(PageSize)), Qt::white);
    p.setPen(Qt::black);
    p.setFont(PixelFont(QStringLiteral("Tahoma"), 16, true));
    TextAt(p, QPointF(16, 10), Title(s));
    Draw(p, PageChartArea, s);
    p.setPen(Qt::black);
    p.setFont(PixelFont(QStringLiteral("Tahoma"), 13));
    qreal y = PageChartArea.bottom() + 12;
    for (const QString &line : DayLines(s)) {
        TextAt(p, QPointF(16, y), line);
        y += 24;
    }
    p.restore();
}

QByteArray Png(const Subject &s)
{
    QImage image(PageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        DrawPage(p, s);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw KelvoraError(writer.errorString());
    return bytes;
}

QByteArray Pdf(const Subject &s)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        // One page the size of the picture: 96 pixels to the inch.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(96);
        pdf.setPageSize(QPageSize(QSizeF(PageSize) * 72.0 / 96.0, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(Title(s));
        pdf.setCreator(QStringLiteral("Лунофар"));
        QPainter p;
        if (!p.begin(&pdf))
            throw KelvoraError(QStringLiteral("Cannot make the PDF page"));
        DrawPage(p, s);
        p.end();
    }
    return bytes;
}

}
