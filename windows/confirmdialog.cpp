#include "windows/confirmdialog.h"
#include "windows/fixedlayout.h"

#include <QKeyEvent>
#include <QShowEvent>
#include <QLabel>
#include <QPushButton>

ConfirmDialog::ConfirmDialog(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QString());
    // The delete question leaves the tray menu usable.
    BlockNoOtherWindow(this);
    setFixedSize(249, 65);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPointSize(8);
    setFont(formFont);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 233, 16);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(false);
    // The question names a person exactly as typed, markup and all.
    Label1->setTextFormat(Qt::PlainText);
    QFont bold = formFont;
    bold.setBold(true);
    Label1->setFont(bold);

    Button1 = new QPushButton(QStringLiteral("Да"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(40, 32, 75, 25);
    connect(Button1, &QPushButton::clicked, this, [this] { done(1); });

    Button2 = new QPushButton(QStringLiteral("Нет"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(134, 32, 75, 25);
    connect(Button2, &QPushButton::clicked, this, [this] { done(2); });
    // Neither button answers Enter, not even when it has the focus.
    for (QPushButton *button : {Button1, Button2})
        button->setAutoDefault(false);
}

void ConfirmDialog::reject() { done(2); }

void ConfirmDialog::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKeyWithoutDefaultButtons(this, event))
        QDialog::keyPressEvent(event);
}

void ConfirmDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
        // Each question starts with "Да" focused, as a fresh dialog would.
        Button1->setFocus();
    }
    QDialog::showEvent(event);
}
