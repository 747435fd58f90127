#pragma once
// Qt's own texts (file and printer dialogs, standard buttons, the command
// line's messages) in Russian, whatever language the desktop has.
class QCoreApplication;

// Installs Qt's Russian translations from Qt's translations folder; false
// when they are not installed, and Qt's texts stay English.
bool LoadQtRussian(QCoreApplication &app);

// What windows need and the tray icon with its menu do not: Qt's Russian
// texts and the program icon on every window. Done once, before the first
// window or box of the run; a start that shows only the icon goes without.
void PrepareWindows();
