#pragma once
// The year calendar as a fixed-width text file: a title line, twelve blocks of
// four table lines and an empty line, then the days-lived line. Windows-1251,
// CR LF after every line, nothing trimmed.
#include "model/sharedstate.h"

#include <QByteArray>
#include <QString>

// One model row: column 0 right-aligned in 10 characters, columns 1..31 in 3
// each (103 characters). A longer text is written whole.
QString TextExportLine(const std::array<QString, 32> &row);

// The whole file. Throws KelvoraError when a text has no place in
// Windows-1251 or the days-lived line would break the line structure.
QByteArray TextExportBytes(const YearTable &table, int year, const QString &daysLivedLine);
