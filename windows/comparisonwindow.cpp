#include "windows/comparisonwindow.h"

#include "model/clock.h"
#include "model/compat.h"
#include "model/errors.h"
#include "model/sharedstate.h"
#include "report/fonts.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include <utility>

namespace {

// The group box is styled on its own, so its children take the window's font
// explicitly rather than by inheritance.
QLabel *RowLabel(QWidget *parent, const QFont &font, const char *name, const QString &text, int top)
{
    auto *label = Named(new QLabel(text, parent), name);
    label->setFont(font);
    label->setGeometry(8, top, 105, 17);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel *ResultField(QWidget *parent, const QFont &font, const char *name, int top)
{
    auto *field = Named(new QLabel(parent), name);
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

}

ComparisonWindow::ComparisonWindow(SharedState &state, QWidget *parent)
    : FixedDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint,
                  Keys::EscapeCloses)
    , m_state(state)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Сравнение биоритмов"));
    // The tray menu stays usable while the comparison is open.
    BlockNoOtherWindow(this);
    setFixedSize(257, 193);
    const QFont regular = PixelFont(QStringLiteral("Tahoma"), 11);
    setFont(regular);

    partnerDateLabel = Named(new QLabel(QStringLiteral("Дата рождения партнера:"), this), Names::partnerDateLabel);
    partnerDateLabel->setGeometry(8, 8, 137, 17);
    partnerDateLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    partnerDateEdit = Named(new QDateEdit(this), Names::partnerDateEdit);
    partnerDateEdit->setGeometry(152, 8, 97, 21);
    partnerDateEdit->setCalendarPopup(false);
    // The years the person editor allows, all of them shown with four digits.
    partnerDateEdit->setDisplayFormat(PickerDateFormat(QLocale()));
    partnerDateEdit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    partnerDateEdit->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // Each field steps round within its range (31 -> 1), so a step always changes the date.
    partnerDateEdit->setWrapping(true);
    partnerDateLabel->setBuddy(partnerDateEdit);

    resultsGroup = Named(new QGroupBox(QStringLiteral(" Совместимость "), this), Names::resultsGroup);
    resultsGroup->setGeometry(8, 32, 241, 121);
    // The caption sits on the frame line, as the row positions inside expect.
    resultsGroup->setStyleSheet(
        QStringLiteral("QGroupBox#%1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                       "QGroupBox#%1::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; }")
            .arg(QLatin1String(Names::resultsGroup)));

    physicalLabel = RowLabel(resultsGroup, regular, Names::physicalLabel, QStringLiteral("Физическая:"), 16);
    emotionalLabel = RowLabel(resultsGroup, regular, Names::emotionalLabel, QStringLiteral("Эмоциональная:"), 40);
    intellectualLabel = RowLabel(resultsGroup, regular, Names::intellectualLabel, QStringLiteral("Интеллектуальная:"), 64);
    totalLabel = RowLabel(resultsGroup, regular, Names::totalLabel, QStringLiteral("Итого:"), 88);
    QFont bold = regular;
    bold.setBold(true);
    totalLabel->setFont(bold);
    PaintNavy(totalLabel);

    physicalResult = ResultField(resultsGroup, regular, Names::physicalResult, 16);
    emotionalResult = ResultField(resultsGroup, regular, Names::emotionalResult, 40);
    intellectualResult = ResultField(resultsGroup, regular, Names::intellectualResult, 64);
    totalResult = ResultField(resultsGroup, regular, Names::totalResult, 88);
    PaintNavy(totalResult);
    // A screen reader reads an empty result by its row's caption, not by
    // the group's title; a filled one by its value.
    for (auto [row, field] : {std::pair{physicalLabel, physicalResult}, std::pair{emotionalLabel, emotionalResult},
                              std::pair{intellectualLabel, intellectualResult}, std::pair{totalLabel, totalResult}})
        row->setBuddy(field);

    okButton = FixedButton(Names::okButton, QStringLiteral("Ok"), QRect(93, 162, 75, 21), this);
    connect(okButton, &QPushButton::clicked, this, &ComparisonWindow::compare);

    closeButton = FixedButton(Names::closeButton, QStringLiteral("Закрыть"), QRect(173, 162, 75, 21), this);
    connect(closeButton, &QPushButton::clicked, this, [this] { answer(DialogResult::Cancel); });

    connect(partnerDateEdit, &QDateEdit::dateChanged, this, &ComparisonWindow::compare);
}

void ComparisonWindow::opening()
{
    physicalResult->clear();
    emotionalResult->clear();
    intellectualResult->clear();
    totalResult->clear();
    {
        // Setting today is not a change by the user: no computation.
        const QSignalBlocker quiet(partnerDateEdit);
        partnerDateEdit->setDate(Clock::today());
    }
    partnerDateEdit->setFocus();
}

void ComparisonWindow::computeResults()
{
    const MatchResults r = MatchBirthDates(m_state.subjectYear, m_state.subjectMonth, m_state.subjectDay,
                                           partnerDateEdit->date(), m_state.periods);
    physicalResult->setText(MatchText(r.physical));
    emotionalResult->setText(MatchText(r.emotional));
    intellectualResult->setText(MatchText(r.intellectual));
    totalResult->setText(MatchText(r.total));
}

void ComparisonWindow::compare()
{
    // Runs from a signal inside the modal window: nothing may escape into the event loop.
    Dialogs::RunShowingErrors([this] { computeResults(); }, this);
}
