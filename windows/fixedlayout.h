#pragma once
// What the program's small windows share: they open centred on the desktop,
// the windows the tray menu may open over leave the tray icon live, and the
// dialogs have no default or cancel button.
#include <QObject>
#include <QString>

class QDialog;
class QKeyEvent;
class QLocale;
class QWidget;

// Gives a window, control or menu item the component name its layout knows
// it by, and returns it.
template <class T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

class QPushButton;
class QRect;

// A push button at its fixed place that is never a default button: Enter in
// a field presses nothing.
QPushButton *FixedButton(const char *name, const QString &text, const QRect &geometry, QWidget *parent);

void CentreOnDesktop(QWidget *window);
// exec() still waits for the answer, but the window blocks no other window:
// an application-modal one would block the tray icon too (on XEmbed panels
// the icon is a window of the program), and the menu must go on opening.
void BlockNoOtherWindow(QDialog *dialog);
// The one key rule of the dialogs without default or cancel buttons: Enter
// and Esc do nothing; Space presses the focused button. Returns true when
// the key was taken.
bool HandleKeyWithoutDefaultButtons(QWidget *dialog, QKeyEvent *event);
// The short date format of the locale, always with four year digits, so a
// date picker can show every year from 1 to 9999.
QString PickerDateFormat(const QLocale &locale);
