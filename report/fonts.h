#pragma once
// The faces the windows and the printed page name ("Tahoma", "MS Sans
// Serif"), each followed by narrow stand-ins that keep texts inside their
// fixed boxes where the named face is not installed.
#include <QFont>
#include <QStringList>

QStringList FontFamilies(const QString &family);
QFont PixelFont(const QString &family, int pixels, bool bold = false);
