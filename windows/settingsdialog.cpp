#include "windows/settingsdialog.h"

#include "model/errors.h"
#include "model/numtext.h"
#include "model/sharedstate.h"
#include "report/fonts.h"
#include "store/autostart.h"
#include "store/settingsfile.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {
QFont dialogFont() { return PixelFont(QStringLiteral("MS Sans Serif"), 11); }

QLabel *rightLabel(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = Named(new QLabel(text, parent), name);
    // The styled group does not hand the dialog's font down.
    label->setFont(dialogFont());
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // A substitute face may run wider than the box: grow it to the left, the
    // right edge stays beside its field.
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2;
    if (needed > geometry.width()) {
        const int left = std::max(2, geometry.right() + 1 - needed);
        label->setGeometry(left, geometry.top(), geometry.right() + 1 - left, geometry.height());
    }
    return label;
}

QLineEdit *periodEdit(const char *name, const QRect &geometry, QWidget *parent)
{
    auto *edit = Named(new QLineEdit(parent), name);
    edit->setFont(dialogFont());
    edit->setGeometry(geometry);
    return edit;
}

// A long number shows from its first digit.
void showNumber(QLineEdit *edit, double value)
{
    edit->setText(FormatReal(value));
    edit->setCursorPosition(0);
}
}

SettingsDialog::SettingsDialog(SharedState &state, QWidget *parent)
    : FixedDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_state(state)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Настройки"));
    // The tray menu stays usable while the settings are open.
    BlockNoOtherWindow(this);
    setFixedSize(201, 163);
    setFont(dialogFont());

    panel = Named(new QFrame(this), Names::panel);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, 201, 163);

    autoStartBox = Named(new QCheckBox(QStringLiteral("Запускать при старте"), panel), Names::autoStartBox);
    autoStartBox->setGeometry(16, 8, 137, 17);

    periodsGroup = Named(new QGroupBox(QStringLiteral(" Периоды циклов "), panel), Names::periodsGroup);
    periodsGroup->setGeometry(8, 32, 185, 96);
    // The frame runs along the group's top edge with the caption inside it,
    // so the captionless button sits just inside the frame's top right corner.
    periodsGroup->setStyleSheet(
        QStringLiteral("QGroupBox#%1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0px; }"
                       "QGroupBox#%1::title { subcontrol-origin: padding; subcontrol-position: top left; left: 4px; top: 1px; }")
            .arg(QLatin1String(Names::periodsGroup)));

    physicalLabel = rightLabel(Names::physicalLabel, QStringLiteral("Физический"), QRect(40, 16, 64, 17), periodsGroup);
    physicalPeriodEdit = periodEdit(Names::physicalPeriodEdit, QRect(112, 16, 65, 21), periodsGroup);
    emotionalLabel = rightLabel(Names::emotionalLabel, QStringLiteral("Эмоциональный"), QRect(21, 40, 83, 17), periodsGroup);
    emotionalPeriodEdit = periodEdit(Names::emotionalPeriodEdit, QRect(112, 40, 65, 21), periodsGroup);
    intellectualLabel = rightLabel(Names::intellectualLabel, QStringLiteral("Интеллектуальный"), QRect(7, 64, 97, 17), periodsGroup);
    intellectualPeriodEdit = periodEdit(Names::intellectualPeriodEdit, QRect(112, 64, 65, 21), periodsGroup);
    // Each field is read out by its label, not by the group's title.
    physicalLabel->setBuddy(physicalPeriodEdit);
    emotionalLabel->setBuddy(emotionalPeriodEdit);
    intellectualLabel->setBuddy(intellectualPeriodEdit);

    saveButton = FixedButton(Names::saveButton, QStringLiteral("Сохранить"), QRect(40, 136, 75, 21), panel);
    cancelButton = FixedButton(Names::cancelButton, QStringLiteral("Отмена"), QRect(120, 136, 75, 21), panel);
    // Sits over the frame's top right corner, so it comes after the frame.
    defaultsButton = FixedButton(Names::defaultsButton, QString(), QRect(175, 34, 8, 9), panel);
    defaultsButton->raise();
    // No caption and no hint on screen; a screen reader still says what it does.
    defaultsButton->setAccessibleName(QStringLiteral("Исходные периоды"));

    setTabOrder(saveButton, cancelButton);
    setTabOrder(cancelButton, autoStartBox);
    setTabOrder(autoStartBox, physicalPeriodEdit);
    setTabOrder(physicalPeriodEdit, emotionalPeriodEdit);
    setTabOrder(emotionalPeriodEdit, intellectualPeriodEdit);
    setTabOrder(intellectualPeriodEdit, defaultsButton);

    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
    connect(defaultsButton, &QPushButton::clicked, this, [this] { restoreDefaults(); });
}

void SettingsDialog::fillFields()
{
    showNumber(physicalPeriodEdit, m_state.periods.physical);
    showNumber(emotionalPeriodEdit, m_state.periods.emotional);
    showNumber(intellectualPeriodEdit, m_state.periods.intellectual);

    autoStartFound = false;
    if (const std::optional<QString> held = AutoStart::Find()) {
        autoStartFound = true;
        // An entry left behind by a moved or removed program goes at once.
        if (!QFileInfo(*held).isFile()) {
            AutoStart::Delete();
            autoStartFound = false;
        }
    }
    autoStartBox->setChecked(autoStartFound);
}

void SettingsDialog::save()
{
    // Field by field: a period that parsed is taken even if a later one fails.
    const struct {
        QLineEdit *edit;
        double CyclePeriods::*period;
    } fields[] = {{physicalPeriodEdit, &CyclePeriods::physical},
                  {emotionalPeriodEdit, &CyclePeriods::emotional},
                  {intellectualPeriodEdit, &CyclePeriods::intellectual}};
    for (const auto &field : fields) {
        const std::optional<double> value = ParseReal(field.edit->text());
        if (!value) {
            field.edit->setFocus();
            field.edit->selectAll();
            return;
        }
        m_state.periods.*field.period = *value;
    }

    // A failed write changes nothing else: the entry stays as it is and the dialog open.
    if (!Dialogs::RunShowingErrors([this] { SaveSettingsFile(m_state.settingsPath, m_state.people, m_state.periods); },
                                   this))
        return;

    if (autoStartFound && !autoStartBox->isChecked())
        AutoStart::Delete();
    else if (!autoStartFound && autoStartBox->isChecked())
        AutoStart::Create(AutoStart::ProgramPath());
    answer(DialogResult::Ok);
}

void SettingsDialog::cancel() { answer(DialogResult::Cancel); }

void SettingsDialog::restoreDefaults()
{
    showNumber(physicalPeriodEdit, CyclePeriods::DefaultPhysical);
    showNumber(emotionalPeriodEdit, CyclePeriods::DefaultEmotional);
    showNumber(intellectualPeriodEdit, CyclePeriods::DefaultIntellectual);
}

void SettingsDialog::opening()
{
    fillFields();
    saveButton->setFocus();
}
