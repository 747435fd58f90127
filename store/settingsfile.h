#pragma once
// "Kelvora.ini": three period lines, then six lines per person, Windows-1251, CR LF.
#include "model/person.h"

#include <QByteArray>
#include <QString>

// A large family takes a few hundred kilobytes; a file far beyond that is no
// settings file, and reading it whole would only eat the memory.
inline constexpr qint64 MaxSettingsFileSize = 16 * 1024 * 1024;
// A family of a thousand is large; with this many people the start (file
// read, menu built) still ends within two seconds on a busy two-core machine
// (bench_shell). A file holding more is refused whole.
inline constexpr int MaxSettingsPeople = 30000;

// Replaces people and periods with the file's content. A missing file gives
// the empty list and the default periods. On an error (KelvoraError) people
// and periods are left exactly as they were before the call; anything but a
// regular file of at most 16 MB is such an error, found without waiting, and
// so is a file of more than MaxSettingsPeople people.
void LoadSettingsFile(const QString &path, PersonList &people, CyclePeriods &periods);
// Parses the bytes of a settings file (same rules, same errors).
void ParseSettings(const QByteArray &bytes, PersonList &people, CyclePeriods &periods);

// Writes the whole file at once through WriteWholeFile, so a failure leaves
// the old file intact. An existing file that cannot be read or understood is
// first kept as path + ".bad". Throws KelvoraError.
void SaveSettingsFile(const QString &path, const PersonList &people, const CyclePeriods &periods);
// Removes what saves killed part-way left beside the file. Only while no
// other copy of the tray program runs.
void RemoveSaveLeftovers(const QString &path);
// The bytes SaveSettingsFile writes; throws for a name the file cannot hold.
QByteArray SerializeSettings(const PersonList &people, const CyclePeriods &periods);

// Whether a name can be kept in the file unchanged (Windows-1251, one line).
bool NameFitsSettingsFile(const QString &name);
