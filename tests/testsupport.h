#pragma once
// Helpers shared by the test executables, the core's tests included: no
// widgets here (the windows' helpers are in windowsupport.h).
#include "model/person.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <sys/types.h>

namespace TestSupport {

// A person born on day.month.year; name and date are all most tests need.
Person MakePerson(const QString &name, int day, int month, int year);

// Settings file lines: the default periods, and the six lines of one person.
QStringList PeriodLines();
QStringList PersonLines(const QString &name, int day, int month, int year, int halfDay, int picture);

// Russian locale, the clock fixed at `now`, standard paths in test mode.
void SetUpLocaleAndClock(const QDateTime &now);

// Writes a settings file as the program does: Windows-1251, CR LF after every line.
void WriteSettingsFile(const QString &path, const QStringList &lines);
// The lines of a settings file (Windows-1251, CR LF); empty for a missing file.
QStringList ReadSettingsLines(const QString &path);
QByteArray ReadBytes(const QString &path);
// The names of everything in a folder, hidden files included, sorted.
QStringList FolderEntries(const QString &folder);

// The ordinary user ("nobody") that checks run as when the tests run as root.
inline constexpr uid_t OrdinaryUser = 65534;
// Runs `check` in a child process and returns what it returned (128 plus
// the signal when it died).
int InChildProcess(const std::function<int()> &check);
// Runs `check` where permissions apply: in a child process as the ordinary
// user when the tests run as root (root passes every permission check), in
// this process otherwise. 0 means every check in it held.
int AsOrdinaryUser(const std::function<int()> &check);

}
