#pragma once
// What the program's windows share in their fixed layouts: controls named as
// the layouts name them, buttons that are never a default, windows that open
// centred on the desktop, windows the tray menu may open over that leave the
// tray icon live, and date pickers that show every year.
#include <QObject>
#include <QString>

class QDialog;
class QLocale;
class QPushButton;
class QRect;
class QWidget;

// Gives a window, control or menu item the component name its layout knows
// it by, and returns it.
template <class T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// A push button at its fixed place that is never a default button: Enter in
// a field presses nothing.
QPushButton *FixedButton(const char *name, const QString &text, const QRect &geometry, QWidget *parent);

void CentreOnDesktop(QWidget *window);
// A tiling Wayland desktop (sway) tiles a window of no parent unless its size
// is fixed when it is first drawn. For a window that may be resized, about to
// be shown: on Wayland its size is held fixed until its first frame is drawn
// and its own limits come back after, so it opens floating at its own size
// and can still be resized and maximised.
void HoldSizeUntilDrawn(QWidget *window);
// Shows such a window, held so.
void ShowFloating(QWidget *window);
// exec() still waits for the answer, but the window blocks no other window:
// an application-modal one would block the tray icon too (on XEmbed panels
// the icon is a window of the program), and the menu must go on opening.
void BlockNoOtherWindow(QDialog *dialog);
// The short date format of the locale, always with four year digits, so a
// date picker can show every year from 1 to 9999.
QString PickerDateFormat(const QLocale &locale);
