#pragma once
// Where "Kelvora.ini" lives. Beside the executable when the program may write
// there; otherwise (an executable in /usr/local/bin, say) in the user's own
// data folder, which starts as a copy of the file beside the executable.
#include <QString>

#include <functional>

// Whether the program may create files in this folder, or replace this file.
bool MayWrite(const QString &path);

// exeFolder: the executable's folder; userFolder: the per-user data folder.
// canWrite decides whether a folder (or an existing file) may be written.
// Creates userFolder and the copy when it chooses them.
QString ChooseSettingsPath(const QString &exeFolder, const QString &userFolder,
                           const std::function<bool(const QString &)> &canWrite);

// The real choice: the executable's folder and QStandardPaths::AppDataLocation.
QString SettingsPath();

// The file ChooseSettingsPath would have the program read, found without
// creating anything: the user's own copy if there is one, else the file
// beside the executable it would start from. The file need not exist.
QString FindSettingsPath(const QString &exeFolder, const QString &userFolder,
                         const std::function<bool(const QString &)> &canWrite);
QString FindSettingsPath();
