#include "windows/confirmdialog.h"

#include "windows/fixedlayout.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

ConfirmDialog::ConfirmDialog(QWidget *parent)
    : FixedDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QString());
    // The delete question leaves the tray menu usable.
    BlockNoOtherWindow(this);
    setFixedSize(249, 65);
    QFont regular(QStringLiteral("MS Sans Serif"));
    regular.setPointSize(8);
    setFont(regular);

    questionLabel = Named(new QLabel(this), Names::questionLabel);
    questionLabel->setGeometry(8, 8, 233, 16);
    questionLabel->setAlignment(Qt::AlignCenter);
    questionLabel->setWordWrap(false);
    // The question names a person exactly as typed, markup and all.
    questionLabel->setTextFormat(Qt::PlainText);
    QFont bold = regular;
    bold.setBold(true);
    questionLabel->setFont(bold);

    // Neither button answers Enter, not even when it has the focus.
    yesButton = FixedButton(Names::yesButton, QStringLiteral("Да"), QRect(40, 32, 75, 25), this);
    connect(yesButton, &QPushButton::clicked, this, [this] { answer(DialogResult::Ok); });

    noButton = FixedButton(Names::noButton, QStringLiteral("Нет"), QRect(134, 32, 75, 25), this);
    connect(noButton, &QPushButton::clicked, this, [this] { answer(DialogResult::Cancel); });
}

void ConfirmDialog::setQuestion(const QString &question) { questionLabel->setText(question); }

// Each question starts with "Да" focused, as a fresh dialog would.
void ConfirmDialog::opening() { yesButton->setFocus(); }
