#pragma once
// The year calendar as a spreadsheet workbook (.xlsx): the model in B3:AG50,
// the title in B1, the days-lived line in B52.
#include "model/sharedstate.h"

#include <QString>

namespace XlsxExport {

// Sheet layout, 0-based as the writer counts: model [r, c] goes to
// row r + FirstRow, column c + FirstColumn (B3 is row 2, column 1).
inline constexpr int FirstRow = 2;
inline constexpr int FirstColumn = 1;
inline constexpr int TitleRow = 0;      // B1
inline constexpr int DaysLivedRow = 51; // B52

// "Биоритмы на 2026 год"
QString Title(int year);

// Writes the workbook to `path`, replacing any file there. Throws
// KelvoraError when the workbook cannot be written.
void WriteYearWorkbook(const QString &path, const YearTable &table, int year, const QString &daysLivedLine);

// A person's name made fit for a file name on every platform: no path
// separators, reserved or control characters, no trailing dots or blanks.
QString SafeFileStem(const QString &name);

// Writes the workbook of the last year calendar build into a folder of its
// own under the temporary folder, named "<person> <year>.xlsx", and returns
// its path. Every call makes a new folder, so nothing is ever overwritten;
// the folder stays after the program ends because the spreadsheet program
// opens the file from there. Throws KelvoraError on failure.
QString WriteYearWorkbookToNewFile(const SharedState &state, const QString &tempRoot = QString());

}
