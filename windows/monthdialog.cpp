#include "windows/monthdialog.h"

#include "model/yearmodel.h"
#include "report/fonts.h"
#include "windows/fixedlayout.h"

#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

// ---------------------------------------------------------------- spin edit

YearSpinBox::YearSpinBox(QWidget *parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

QValidator::State YearSpinBox::validate(QString &input, int &) const
{
    // Digits and signs may be typed in any order; what they mean is decided
    // when the text is read.
    static const QRegularExpression allowed(QStringLiteral("^[0-9+\\-]*$"));
    return allowed.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

int YearSpinBox::valueFromText(const QString &text) const
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    if (!ok)
        return minimum();
    return int(qBound(qlonglong(minimum()), n, qlonglong(maximum())));
}

void YearSpinBox::fixup(QString &input) const
{
    input = textFromValue(valueFromText(input));
}

// ---------------------------------------------------------------- dialog

// A tool window with no buttons on its title bar, above every other window.
MonthDialog::MonthDialog(QWidget *parent)
    : FixedDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Выбор месяца и года"));
    setFixedSize(201, 93);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    panel = Named(new QFrame(this), Names::panel);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(0, 0, 201, 93);

    monthLabel = Named(new QLabel(QStringLiteral("Месяц"), panel), Names::monthLabel);
    monthLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    monthLabel->setGeometry(7, 8, 33, 19);

    monthBox = Named(new QComboBox(panel), Names::monthBox);
    monthBox->setEditable(false);
    monthBox->addItems(MonthNames);
    monthBox->setMaxVisibleItems(12);
    monthBox->setGeometry(48, 8, 147, 21);

    yearLabel = Named(new QLabel(QStringLiteral("Год"), panel), Names::yearLabel);
    yearLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    yearLabel->setGeometry(16, 32, 24, 19);

    yearEdit = Named(new YearSpinBox(panel), Names::yearEdit);
    yearEdit->setRange(0, 9999);
    yearEdit->setGeometry(48, 32, 73, 22);

    // Neither button answers Enter by itself.
    buildButton = FixedButton(Names::buildButton, QStringLiteral("Сформировать"), QRect(8, 64, 90, 21), panel);
    cancelButton = FixedButton(Names::cancelButton, QStringLiteral("Отмена"), QRect(104, 64, 90, 21), panel);
    setTabOrder(buildButton, cancelButton);
    setTabOrder(cancelButton, monthBox);
    setTabOrder(monthBox, yearEdit);

    connect(buildButton, &QPushButton::clicked, this, &MonthDialog::confirmChoice);
    connect(cancelButton, &QPushButton::clicked, this, &MonthDialog::cancel);
}

void MonthDialog::preset(const QDate &date)
{
    monthBox->setCurrentIndex(date.month() - 1);
    yearEdit->setValue(date.year());
}

int MonthDialog::chosenMonth() const
{
    return qBound(0, monthBox->currentIndex(), 11) + 1;
}

int MonthDialog::chosenYear() const
{
    return yearEdit->readValue();
}

void MonthDialog::confirmChoice()
{
    // The typed text counts even if the focus never left the field.
    yearEdit->interpretText();
    answer(DialogResult::Ok);
}

void MonthDialog::cancel() { answer(DialogResult::Cancel); }

void MonthDialog::opening() { buildButton->setFocus(); }
