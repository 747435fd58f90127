#pragma once
// The printed month page: the fixed layout of the report band and the day
// cells laid out on it for one month of the year calendar model.
//
// Fixed elements on the band "QRBand1":
//   Month, Year                  month name and year at the top
//   QRShape49, QRShape50         top and bottom rules
//   QRLabel1..QRLabel7           weekday headings "Пн".."Вс"
//   QRShape1..QRShape48          the 6 x 8 grid, row r column c is QRShape(8r + c + 1)
//   QRLabel11..QRLabel28         row legends, row r: QRLabel(13 + 3r) "Здоровье",
//                                QRLabel(12 + 3r) "Эмоции", QRLabel(11 + 3r) "Интеллект"
//   QRLabel10                    the person's name
// Day cells, one set per day d: "NewLabel"+d, "NewImg1"+d, "NewImg2"+d, "NewImg3"+d.
#include "model/sharedstate.h"
#include "report/reportengine.h"

#include <array>

namespace MonthReport {

inline const QString BandName = QStringLiteral("QRBand1");

// Mark pictures in the order 0 '+', 1 '-', 2 'K', 3 '0', as drawings of
// 16 x 16 report pixels.
using MarkPictures = std::array<ReportEngine::ReportDrawing, 4>;

// Picture index of a day-mark cell, or -1 for a cell that gets no picture
// (a day before the birth date).
int MarkPictureIndex(const QString &cell);

// Weekday of the 1st (1 Monday .. 7 Sunday) plus the month's days reaches
// into a sixth week row.
bool NeedsSixRows(int weekdayOfFirst, int daysInMonth);

// Sets up the page and creates the band with its fixed contents.
void BuildPage(ReportEngine::Report &report);

ReportEngine::ReportBand &Band(ReportEngine::Report &report);

// Lays out month (1..12) of `year` from `table`: switches the sixth grid row
// and moves the bottom rule and the name, sets the captions and creates the
// day cells. Throws KelvoraError for a month or year the calendar cannot hold.
// Day cells left by an earlier layout must have been removed.
void LayOutMonth(ReportEngine::Report &report, const YearTable &table, int month, int year,
                 const QString &personName, const MarkPictures &marks);

// Destroys every day cell there is, for days 1 to 31.
void RemoveDayCells(ReportEngine::Report &report);

// Removes the day cells when the month's report ends, however it ends.
class DayCellsGuard {
public:
    explicit DayCellsGuard(ReportEngine::Report &report) : m_report(report) {}
    ~DayCellsGuard() { RemoveDayCells(m_report); }
    DayCellsGuard(const DayCellsGuard &) = delete;
    DayCellsGuard &operator=(const DayCellsGuard &) = delete;

private:
    ReportEngine::Report &m_report;
};

} // namespace MonthReport
