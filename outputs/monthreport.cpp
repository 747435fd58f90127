#include "outputs/monthreport.h"

#include "model/errors.h"
#include "model/yearmodel.h"

#include <QDate>
#include <QGuiApplication>
#include <QPalette>

using namespace ReportEngine;

namespace MonthReport {

namespace {

// Band and grid geometry, in report pixels.
constexpr QSize BandSize(718, 579);
constexpr int GridLeft = 69;
constexpr int GridTop = 88;
constexpr int CellStep = 72;
constexpr int CellSize = 70;
constexpr int GridRows = 6;
constexpr int GridColumns = 8;
constexpr int LegendRight = 129;
constexpr int RuleTopSixRows = 536;
constexpr int NameTopSixRows = 545;
constexpr int RowsShift = 76; // bottom rule and name move up by this under five rows

const QString RowLegends[3] = {QStringLiteral("Здоровье"), QStringLiteral("Эмоции"), QStringLiteral("Интеллект")};
const int LegendOffsets[3] = {12, 32, 50};
const int PictureOffsets[3] = {95, 115, 135};
const QString PicturePrefixes[3] = {QStringLiteral("NewImg1"), QStringLiteral("NewImg2"), QStringLiteral("NewImg3")};
const QString DayLabelPrefix = QStringLiteral("NewLabel");

ReportFont font(double pointSize, bool bold, const QColor &color = Qt::black)
{
    ReportFont f;
    f.family = QStringLiteral("Tahoma");
    f.pointSize = pointSize;
    f.bold = bold;
    f.color = color;
    return f;
}

QString shapeName(int row, int column) { return QStringLiteral("QRShape%1").arg(GridColumns * row + column + 1); }

// Legend k (0 "Здоровье", 1 "Эмоции", 2 "Интеллект") of grid row r.
QString legendName(int row, int k) { return QStringLiteral("QRLabel%1").arg(13 + 3 * row - k); }

template <class T> T &element(ReportBand &band, const QString &name)
{
    T *e = band.findAs<T>(name);
    if (!e)
        throw KelvoraError(QStringLiteral("Component %1 not found on the report page.").arg(name));
    return *e;
}

} // namespace

int MarkPictureIndex(const QString &cell)
{
    static const QString marks[4] = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("K"), QStringLiteral("0")};
    for (int i = 0; i < 4; ++i) {
        if (cell == marks[i])
            return i;
    }
    return -1;
}

bool NeedsSixRows(int weekdayOfFirst, int daysInMonth)
{
    return weekdayOfFirst + daysInMonth >= 37;
}

ReportBand &Band(Report &report)
{
    ReportBand *band = report.band(BandName);
    if (!band)
        throw KelvoraError(QStringLiteral("Component %1 not found on the report page.").arg(BandName));
    return *band;
}

void BuildPage(Report &report)
{
    report.page = PageSetup{}; // A4 portrait, margins of 10 mm
    report.baseFont = font(9.75, false); // Tahoma 13 pixels

    ReportBand &band = report.addTitleBand(BandName, BandSize);
    band.setColor(Qt::white);

    // The desktop's window text and tooltip colours, as long as they show on
    // white paper: a dark theme's would leave the headings invisible.
    const QPalette palette = QGuiApplication::palette();
    QColor windowText = palette.color(QPalette::WindowText);
    if (windowText.lightness() > 128)
        windowText = Qt::black;
    QColor infoBackground = palette.color(QPalette::ToolTipBase);
    if (infoBackground.lightness() < 160)
        infoBackground = QColor(255, 255, 225);

    ReportLabel &month = band.addLabel(QStringLiteral("Month"));
    month.setGeometry(48, 0, 305, 34);
    month.setFont(font(20, true));
    month.setAlignment(Qt::AlignLeft);

    ReportLabel &year = band.addLabel(QStringLiteral("Year"));
    year.setGeometry(520, 0, 130, 34);
    year.setFont(font(20, true));
    year.setAlignment(Qt::AlignRight);

    band.addShape(QStringLiteral("QRShape49")).setGeometry(8, 40, 705, 1);

    // Each heading keeps the centre of its grid column whatever width the
    // substituted font gives it.
    struct Heading {
        const char16_t *text;
        int left, width;
    };
    const Heading headings[7] = {{u"Пн", 154, 44}, {u"Вт", 228, 40}, {u"Ср", 299, 42}, {u"Чт", 372, 40},
                                 {u"Пт", 443, 42}, {u"Сб", 515, 42}, {u"Вс", 587, 42}};
    for (int i = 0; i < 7; ++i) {
        const bool weekend = i >= 5;
        ReportLabel &h = band.addLabel(QStringLiteral("QRLabel%1").arg(i + 1));
        h.setFont(font(15, true, weekend ? QColor(255, 0, 0) : windowText));
        h.setAlignment(Qt::AlignHCenter);
        h.setGeometry(headings[i].left, 57, headings[i].width, 26);
        h.setCaption(QString::fromUtf16(headings[i].text));
        h.setAutoSize(true);
    }

    for (int r = 0; r < GridRows; ++r) {
        for (int c = 0; c < GridColumns; ++c) {
            ReportShape &cell = band.addShape(shapeName(r, c));
            cell.setGeometry(GridLeft + CellStep * c, GridTop + CellStep * r, CellSize, CellSize);
            cell.setOutline(Qt::black);
            cell.setFill(c == 0 ? infoBackground : QColor(Qt::white));
        }
    }

    for (int r = 0; r < GridRows; ++r) {
        for (int k = 0; k < 3; ++k) {
            ReportLabel &legend = band.addLabel(legendName(r, k));
            legend.setFont(font(5, true));
            legend.setTransparent(true);
            legend.setAlignment(Qt::AlignRight);
            legend.setGeometry(GridLeft, GridTop + CellStep * r + LegendOffsets[k], LegendRight - GridLeft, 7);
            legend.setCaption(RowLegends[k]);
            legend.setAutoSize(true);
        }
    }

    band.addShape(QStringLiteral("QRShape50")).setGeometry(8, RuleTopSixRows, 705, 1);

    ReportLabel &name = band.addLabel(QStringLiteral("QRLabel10"));
    name.setGeometry(48, NameTopSixRows, 617, 26);
    name.setFont(font(15, true, QColor(0, 0, 128)));
    name.setAlignment(Qt::AlignLeft);
}

void LayOutMonth(Report &report, const YearTable &table, int month, int year, const QString &personName,
                 const MarkPictures &marks)
{
    if (month < 1 || month > 12 || year < 1 || year > 9999)
        throw InvalidDateError();
    const QDate first(year, month, 1);
    if (!first.isValid())
        throw InvalidDateError();

    ReportBand &band = Band(report);
    const int w1 = first.dayOfWeek();
    const int days = DaysInMonth(year, month);
    const int row0 = 4 * (month - 1);

    // Six-row switch: set one way or the other on every run.
    const bool sixRows = NeedsSixRows(w1, days);
    for (int c = 0; c < GridColumns; ++c)
        element<ReportShape>(band, shapeName(GridRows - 1, c)).setEnabled(sixRows);
    for (int k = 0; k < 3; ++k)
        element<ReportLabel>(band, legendName(GridRows - 1, k)).setEnabled(sixRows);
    const int shift = sixRows ? 0 : RowsShift;
    element<ReportShape>(band, QStringLiteral("QRShape50")).setTop(RuleTopSixRows - shift);
    ReportLabel &name = element<ReportLabel>(band, QStringLiteral("QRLabel10"));
    name.setTop(NameTopSixRows - shift);

    element<ReportLabel>(band, QStringLiteral("Month")).setCaption(table[row0][0]);
    element<ReportLabel>(band, QStringLiteral("Year")).setCaption(QString::number(year));
    name.setCaption(personName);

    int w = w1;
    int r = 0;
    for (int d = 1; d <= days; ++d) {
        ReportLabel &number = band.addLabel(DayLabelPrefix + QString::number(d));
        number.setFont(font(15, true, w >= 6 ? QColor(255, 0, 0) : QColor(Qt::black)));
        number.setAlignment(Qt::AlignLeft);
        number.setGeometry(CellStep * w + 79, CellStep * r + 100, 0, 0);
        number.setCaption(table[row0][d]);
        number.setAutoSize(true);

        for (int k = 0; k < 3; ++k) {
            ReportImage &picture = band.addImage(PicturePrefixes[k] + QString::number(d));
            picture.setGeometry(CellStep * w + 116, CellStep * r + PictureOffsets[k], 16, 16);
            const int index = MarkPictureIndex(table[row0 + 1 + k][d]);
            if (index >= 0)
                picture.setPicture(marks[index]);
        }

        if (w == 7) {
            w = 1;
            ++r;
        } else {
            ++w;
        }
    }
}

void RemoveDayCells(Report &report)
{
    ReportBand *band = report.band(BandName);
    if (!band)
        return;
    for (int n = 1; n <= 31; ++n) {
        const QString day = QString::number(n);
        band->destroy(DayLabelPrefix + day);
        for (const QString &prefix : PicturePrefixes)
            band->destroy(prefix + day);
    }
}

} // namespace MonthReport
