#include "windows/monthdialog.h"
#include "windows/fixedlayout.h"
#include "report/fonts.h"

#include "model/yearmodel.h"

#include <QComboBox>
#include <QDate>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>

// "MS Sans Serif" 8 pt; where it is missing, a narrow sans keeps the captions
// inside their fixed boxes.
QFont MonthReportFormFont()
{
    return PixelFont(QStringLiteral("MS Sans Serif"), 11);
}

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

MonthDialog::MonthDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MonthDialog"));
    setWindowTitle(QStringLiteral("Выбор месяца и года"));
    // A tool window with no buttons on its title bar, above every other window.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(201, 93);
    setFont(MonthReportFormFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setGeometry(0, 0, 201, 93);

    Label1 = new QLabel(QStringLiteral("Месяц"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label1->setGeometry(7, 8, 33, 19);

    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->addItems(MonthNames);
    ComboBox1->setMaxVisibleItems(12);
    ComboBox1->setGeometry(48, 8, 147, 21);

    Label2 = new QLabel(QStringLiteral("Год"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label2->setGeometry(16, 32, 24, 19);

    Year = new YearSpinBox(Panel1);
    Year->setObjectName(QStringLiteral("Year"));
    Year->setRange(0, 9999);
    Year->setGeometry(48, 32, 73, 22);

    Button1 = new QPushButton(QStringLiteral("Сформировать"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(8, 64, 90, 21);

    Button2 = new QPushButton(QStringLiteral("Отмена"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(104, 64, 90, 21);

    // Neither button answers Enter by itself.
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    setTabOrder(Button1, Button2);
    setTabOrder(Button2, ComboBox1);
    setTabOrder(ComboBox1, Year);

    connect(Button1, &QPushButton::clicked, this, &MonthDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &MonthDialog::Button2Click);
}

void MonthDialog::Preset(const QDate &date)
{
    ComboBox1->setCurrentIndex(date.month() - 1);
    Year->setValue(date.year());
}

int MonthDialog::ChosenMonth() const
{
    return qBound(0, ComboBox1->currentIndex(), 11) + 1;
}

int MonthDialog::ChosenYear() const
{
    return Year->ReadValue();
}

void MonthDialog::Button1Click()
{
    // The typed text counts even if the focus never left the field.
    Year->interpretText();
    done(1);
}

void MonthDialog::Button2Click()
{
    done(2);
}

void MonthDialog::reject()
{
    done(2);
}

void MonthDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
        Button1->setFocus();
    }
    QDialog::showEvent(event);
}

void MonthDialog::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKeyWithoutDefaultButtons(this, event))
        QDialog::keyPressEvent(event);
}
