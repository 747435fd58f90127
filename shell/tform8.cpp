#include "shell/tform8.h"
#include "shell/formbehaviour.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

TForm8::TForm8(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QString());
    setModal(true);
    setFixedSize(249, 65);
    QFont formFont(QStringLiteral("MS Sans Serif"));
    formFont.setPointSize(8);
    setFont(formFont);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 233, 16);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(false);
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
}

void TForm8::reject() { done(2); }

void TForm8::keyPressEvent(QKeyEvent *event)
{
    // No cancel key: Escape does nothing here.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm8::showEvent(QShowEvent *event)
{
    CentreOnDesktop(this);
    // Each question starts with "Да" focused, as a fresh dialog would.
    Button1->setFocus();
    QDialog::showEvent(event);
}
