#pragma once
// Qt's own texts (file and printer dialogs, standard buttons, the command
// line's messages) in Russian, whatever language the desktop has.
class QCoreApplication;

// Installs Qt's Russian translations from Qt's translations folder; false
// when they are not installed, and Qt's texts stay English.
bool LoadQtRussian(QCoreApplication &app);
