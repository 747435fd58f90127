#pragma once
// Start at login: the entry "Kelvora" that names the program's executable.
// Windows keeps it as a value of the machine's Run key; elsewhere it is an
// XDG autostart file, $XDG_CONFIG_HOME/autostart/Kelvora.desktop.
// None of these report failures: an entry that cannot be read counts as
// absent, and one that cannot be written or deleted simply stays as it was.
#include <QString>

#include <optional>

namespace AutoStart {

inline constexpr const char *EntryName = "Kelvora";

// The path the entry holds, or nullopt when there is no entry.
std::optional<QString> Find();
// Removes the entry; true when it is gone afterwards.
bool Delete();
// Creates (or replaces) the entry with the given executable path.
bool Create(const QString &programPath);

// The full path of the running executable, as the system spells it.
QString ProgramPath();

#ifndef Q_OS_WIN
// Where the autostart file lives, for the current environment.
QString DesktopFilePath();
// The Exec value that starts exactly `programPath`, and the way back.
QString ExecValue(const QString &programPath);
QString ProgramFromExecValue(const QString &value);
#endif

}
