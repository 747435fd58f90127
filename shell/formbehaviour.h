#pragma once
// What the program's small windows share: they open centred on the desktop,
// and the dialogs have no default or cancel button.
class QKeyEvent;
class QWidget;

void CentreOnDesktop(QWidget *window);
// Esc does nothing and Enter presses only the focused button. Returns true
// when the key was taken.
bool HandleKeyWithoutDefaultButtons(QWidget *dialog, QKeyEvent *event);
