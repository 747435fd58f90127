#pragma once
// The program's title: the caption of its message boxes and the tip of its tray icon.
#include <QString>

inline QString AppTitle() { return QStringLiteral("Лунофар"); }
