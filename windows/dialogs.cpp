#include "windows/dialogs.h"

#include "model/errors.h"
#include "windows/apptitle.h"
#include "windows/fixedlayout.h"
#include "windows/qttranslations.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {
std::function<void(const QString &, bool)> g_messageHook;
std::function<QString(const QString &)> g_saveFileHook;

void PlainBox(const QString &text, QWidget *parent, bool isError)
{
    if (g_messageHook) {
        g_messageHook(text, isError);
        return;
    }
    PrepareWindows();
    QMessageBox box(QMessageBox::NoIcon, AppTitle(), text, QMessageBox::Ok, parent);
    box.setObjectName(isError ? QStringLiteral("ErrorBox") : QStringLiteral("MessageBox"));
    // Messages may quote names and paths: shown as they are, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
}

namespace Dialogs {

void ShowMessage(const QString &text, QWidget *parent) { PlainBox(text, parent, false); }

void ShowError(const QString &text, QWidget *parent) { PlainBox(text, parent, true); }

bool RunShowingErrors(const std::function<void()> &action, QWidget *parent)
{
    const std::optional<QString> failure = FailureOf(action);
    if (!failure)
        return true;
    // Shown once the action is over: the box runs its own event loop.
    try {
        ShowError(*failure, parent);
    } catch (...) {
        // The box itself failing is not worth more.
    }
    return false;
}

QString GetSaveFileName(QWidget *parent, const QString &filter, const QString &proposedName,
                        const QString &defaultSuffix)
{
    if (g_saveFileHook)
        return g_saveFileHook(proposedName);
    PrepareWindows();
    QFileDialog dialog(parent, QStringLiteral("Сохранить как"));
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The file is replaced without a question, as the user asked for that name.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!filter.isEmpty())
        dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    // Like the program's own windows, it floats on a tiling Wayland desktop.
    HoldSizeUntilDrawn(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    const QStringList chosen = dialog.selectedFiles();
    return chosen.isEmpty() ? QString() : chosen.first();
}

void setMessageHook(std::function<void(const QString &text, bool isError)> hook) { g_messageHook = std::move(hook); }

void setSaveFileHook(std::function<QString(const QString &proposedName)> hook) { g_saveFileHook = std::move(hook); }

void clearHooks()
{
    g_messageHook = nullptr;
    g_saveFileHook = nullptr;
}

}
