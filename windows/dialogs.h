#pragma once
// Message boxes and file dialogs go through here, so tests can answer them
// without a modal loop.
#include <QString>

#include <functional>

class QWidget;

namespace Dialogs {
// Plain message box: caption "Лунофар", the text, one OK button.
void ShowMessage(const QString &text, QWidget *parent = nullptr);
// The general error box (same look); every command error ends here.
void ShowError(const QString &text, QWidget *parent = nullptr);
// Runs `action`; whatever failure ends it is shown in the general error box.
// True when it ended normally. Nothing escapes, not even from the box.
bool RunShowingErrors(const std::function<void()> &action, QWidget *parent = nullptr);
// Save dialog; returns the chosen path or an empty string on cancel.
QString GetSaveFileName(QWidget *parent, const QString &filter, const QString &proposedName,
                        const QString &defaultSuffix);

// Tests: while a hook is set, no window is shown and the hook answers.
void setMessageHook(std::function<void(const QString &text, bool isError)> hook);
void setSaveFileHook(std::function<QString(const QString &proposedName)> hook);
void clearHooks();
}
