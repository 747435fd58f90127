#pragma once
// What the command line says when an output fails: in Russian, naming what is
// at fault and why. The windows keep their own error texts; here the file
// layer's short messages ("Invalid filename", "List index out of bounds")
// are told again with the value, the path or the file they are about.
#include "model/person.h"

#include <QString>

#include <functional>

// Reads the settings file for an output. `given`: named by --settings, so it
// must be there; the usual file may be missing (an empty family). A file that
// cannot be read or understood, or that holds no settings at all (binary data,
// no line of the format), throws a KelvoraError naming the file and the fault.
void ReadSettingsForOutput(const QString &path, bool given, PersonList &people, CyclePeriods &periods);

// The person numbered `index` in the list read from `settingsPath`, with a
// birth date the calendar holds; throws naming the numbers there are, or the
// stored date.
void CheckPersonForOutput(const PersonList &people, int index, const QString &settingsPath);

// Throws naming the calendar's years for a year it cannot hold.
void CheckYearForOutput(int year);

// Runs `write`, which writes the file at `path`; its failure is thrown again
// naming the path and why: no such folder, not a folder, no permission, a
// folder in the file's place, no room.
void WriteOutputFile(const QString &path, const std::function<void()> &write);

// A folder an output cannot make files in, and why; empty when it can.
QString FolderFault(const QString &folder);

// An errno value as a reason, in Russian.
QString SystemReason(int errnoValue);
