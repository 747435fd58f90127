#include "windows/comparisonwindow.h"
#include "windows/fixedlayout.h"
#include "report/fonts.h"

#include "model/clock.h"
#include "model/compat.h"
#include "model/errors.h"
#include "model/sharedstate.h"
#include "windows/dialogs.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include <cstdlib>
#include <utility>

namespace {

// The group box is styled on its own, so its children take the form's font
// explicitly rather than by inheritance.
QLabel *RowLabel(QWidget *parent, const QFont &font, const char *name, const QString &text, int top)
{
    auto *label = new QLabel(text, parent);
    label->setFont(font);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(8, top, 105, 17);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel *ResultField(QWidget *parent, const QFont &font, const char *name, int top)
{
    auto *field = new QLabel(parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(128, top, 105, 21);
    field->setAlignment(Qt::AlignCenter);
    field->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    QFont bold = font;
    bold.setBold(true);
    field->setFont(bold);
    return field;
}

void PaintNavy(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 128));
    widget->setPalette(palette);
}

bool IsCalendarDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

}

ComparisonWindow::ComparisonWindow(SharedState &state, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_state(state)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Сравнение биоритмов"));
    // The tray menu stays usable while the comparison is open.
    BlockNoOtherWindow(this);
    setFixedSize(257, 193);
    const QFont formFont = PixelFont(QStringLiteral("Tahoma"), 11);
    setFont(formFont);

    Label1 = new QLabel(QStringLiteral("Дата рождения партнера:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 137, 17);
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(152, 8, 97, 21);
    DateTimePicker1->setCalendarPopup(false);
    // The years the person editor allows, all of them shown with four digits.
    DateTimePicker1->setDisplayFormat(PickerDateFormat(QLocale()));
    DateTimePicker1->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    DateTimePicker1->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // Each field steps round within its range (31 -> 1), so a step always changes the date.
    DateTimePicker1->setWrapping(true);
    Label1->setBuddy(DateTimePicker1);

    GroupBox1 = new QGroupBox(QStringLiteral(" Совместимость "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 32, 241, 121);
    // The caption sits on the frame line, as the row positions inside expect.
    GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; }"));

    Label2 = RowLabel(GroupBox1, formFont, "Label2", QStringLiteral("Физическая:"), 16);
    Label4 = RowLabel(GroupBox1, formFont, "Label4", QStringLiteral("Эмоциональная:"), 40);
    Label3 = RowLabel(GroupBox1, formFont, "Label3", QStringLiteral("Интеллектуальная:"), 64);
    Label5 = RowLabel(GroupBox1, formFont, "Label5", QStringLiteral("Итого:"), 88);
    QFont bold = formFont;
    bold.setBold(true);
    Label5->setFont(bold);
    PaintNavy(Label5);

    StaticText2 = ResultField(GroupBox1, formFont, "StaticText2", 16);
    StaticText3 = ResultField(GroupBox1, formFont, "StaticText3", 40);
    StaticText4 = ResultField(GroupBox1, formFont, "StaticText4", 64);
    StaticText5 = ResultField(GroupBox1, formFont, "StaticText5", 88);
    PaintNavy(StaticText5);
    // A screen reader reads an empty result by its row's caption, not by
    // the group's title; a filled one by its value.
    for (auto [row, field] : {std::pair{Label2, StaticText2}, std::pair{Label4, StaticText3},
                              std::pair{Label3, StaticText4}, std::pair{Label5, StaticText5}})
        row->setBuddy(field);

    Button2 = new QPushButton(QStringLiteral("Ok"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(93, 162, 75, 21);
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, &ComparisonWindow::Button2Click);

    Button1 = new QPushButton(QStringLiteral("Закрыть"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(173, 162, 75, 21);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { done(2); });

    connect(DateTimePicker1, &QDateEdit::dateChanged, this, &ComparisonWindow::Button2Click);
}

void ComparisonWindow::reject() { done(2); }

void ComparisonWindow::showEvent(QShowEvent *event)
{
    // Restored from minimised the window shows what it showed; only a new
    // opening starts afresh.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    StaticText2->clear();
    StaticText3->clear();
    StaticText4->clear();
    StaticText5->clear();
    {
        // Setting today is not a change by the user: no computation.
        const QSignalBlocker quiet(DateTimePicker1);
        DateTimePicker1->setDate(Clock::today());
    }
    DateTimePicker1->setFocus();
    CentreOnDesktop(this);
    QDialog::showEvent(event);
}

void ComparisonWindow::Compute()
{
    if (!IsCalendarDate(m_state.subjectYear, m_state.subjectMonth, m_state.subjectDay))
        throw InvalidDateError();
    const QDate subject(m_state.subjectYear, m_state.subjectMonth, m_state.subjectDay);
    const QDate partner = DateTimePicker1->date();
    const auto days = static_cast<double>(std::llabs(subject.toJulianDay() - partner.toJulianDay()));

    const CyclePeriods periods = m_state.periods;
    const std::optional<double> physical = MatchPercent(days, periods.physical);
    StaticText2->setText(MatchText(physical));
    const std::optional<double> emotional = MatchPercent(days, periods.emotional);
    StaticText3->setText(MatchText(emotional));
    const std::optional<double> intellectual = MatchPercent(days, periods.intellectual);
    StaticText4->setText(MatchText(intellectual));
    StaticText5->setText(MatchText(MatchTotal(physical, emotional, intellectual)));
}

void ComparisonWindow::Button2Click()
{
    // Runs from a signal inside the modal window: nothing may escape into the event loop.
    QString failure;
    try {
        Compute();
        return;
    } catch (const KelvoraError &e) {
        failure = e.message();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    Dialogs::ShowError(failure, this);
}
