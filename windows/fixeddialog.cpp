#include "windows/fixeddialog.h"

#include "windows/fixedlayout.h"

#include <QKeyEvent>
#include <QShowEvent>

FixedDialog::FixedDialog(QWidget *parent, Qt::WindowFlags flags, Keys keys, DialogResult closedAnswer)
    : QDialog(parent, flags), m_keys(keys), m_closedAnswer(closedAnswer)
{
}

DialogResult FixedDialog::ask()
{
    return exec() == int(DialogResult::Ok) ? DialogResult::Ok : DialogResult::Cancel;
}

void FixedDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
        HoldSizeUntilDrawn(this);
        opening();
    }
    QDialog::showEvent(event);
}

void FixedDialog::keyPressEvent(QKeyEvent *event)
{
    if (m_keys == Keys::NoDefaultOrCancel) {
        switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            break;
        }
    }
    QDialog::keyPressEvent(event);
}
