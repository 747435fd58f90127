#include "windows/settingsdialog.h"
#include "windows/fixedlayout.h"
#include "report/fonts.h"

#include "model/errors.h"
#include "model/numtext.h"
#include "model/sharedstate.h"
#include "windows/dialogs.h"
#include "store/autostart.h"
#include "store/settingsfile.h"

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
QFont FormFont() { return PixelFont(QStringLiteral("MS Sans Serif"), 11); }

QLabel *RightLabel(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    // The styled group does not hand the form's font down.
    label->setFont(FormFont());
    label->setObjectName(QString::fromLatin1(name));
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

QLineEdit *PeriodEdit(const char *name, const QRect &geometry, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setFont(FormFont());
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(geometry);
    return edit;
}

// A long number shows from its first digit.
void ShowNumber(QLineEdit *edit, double value)
{
    edit->setText(FormatReal(value));
    edit->setCursorPosition(0);
}

QPushButton *Button(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // Neither button is a default: Enter in a field does nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}
}

SettingsDialog::SettingsDialog(SharedState &state, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_state(state)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Настройки"));
    // The tray menu stays usable while the settings are open.
    BlockNoOtherWindow(this);
    setFixedSize(201, 163);
    setFont(FormFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, 0, 201, 163);

    CheckBox1 = new QCheckBox(QStringLiteral("Запускать при старте"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(16, 8, 137, 17);

    GroupBox1 = new QGroupBox(QStringLiteral(" Периоды циклов "), Panel1);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 32, 185, 96);
    // The frame runs along the group's top edge with the caption inside it,
    // so the captionless button sits just inside the frame's top right corner.
    GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: padding; subcontrol-position: top left; left: 4px; top: 1px; }"));

    Label1 = RightLabel("Label1", QStringLiteral("Физический"), QRect(40, 16, 64, 17), GroupBox1);
    Edit1 = PeriodEdit("Edit1", QRect(112, 16, 65, 21), GroupBox1);
    Label2 = RightLabel("Label2", QStringLiteral("Эмоциональный"), QRect(21, 40, 83, 17), GroupBox1);
    Edit2 = PeriodEdit("Edit2", QRect(112, 40, 65, 21), GroupBox1);
    Label3 = RightLabel("Label3", QStringLiteral("Интеллектуальный"), QRect(7, 64, 97, 17), GroupBox1);
    Edit3 = PeriodEdit("Edit3", QRect(112, 64, 65, 21), GroupBox1);
    // Each field is read out by its label, not by the group's title.
    Label1->setBuddy(Edit1);
    Label2->setBuddy(Edit2);
    Label3->setBuddy(Edit3);

    Button2 = Button("Button2", QStringLiteral("Сохранить"), QRect(40, 136, 75, 21), Panel1);
    Button1 = Button("Button1", QStringLiteral("Отмена"), QRect(120, 136, 75, 21), Panel1);
    // Sits over the frame's top right corner, so it comes after the frame.
    Button3 = Button("Button3", QString(), QRect(175, 34, 8, 9), Panel1);
    Button3->raise();
    // No caption and no hint on screen; a screen reader still says what it does.
    Button3->setAccessibleName(QStringLiteral("Исходные периоды"));

    setTabOrder(Button2, Button1);
    setTabOrder(Button1, CheckBox1);
    setTabOrder(CheckBox1, Edit1);
    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, Edit3);
    setTabOrder(Edit3, Button3);

    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

void SettingsDialog::FormShow()
{
    ShowNumber(Edit1, m_state.periods.physical);
    ShowNumber(Edit2, m_state.periods.emotional);
    ShowNumber(Edit3, m_state.periods.intellectual);

    AutoStartFound = false;
    if (const std::optional<QString> held = AutoStart::Find()) {
        AutoStartFound = true;
        // An entry left behind by a moved or removed program goes at once.
        if (!QFileInfo(*held).isFile()) {
            AutoStart::Delete();
            AutoStartFound = false;
        }
    }
    CheckBox1->setChecked(AutoStartFound);
}

void SettingsDialog::Button2Click()
{
    // Field by field: a period that parsed is taken even if a later one fails.
    const struct {
        QLineEdit *edit;
        double CyclePeriods::*period;
    } fields[] = {{Edit1, &CyclePeriods::physical},
                  {Edit2, &CyclePeriods::emotional},
                  {Edit3, &CyclePeriods::intellectual}};
    for (const auto &field : fields) {
        const std::optional<double> value = ParseReal(field.edit->text());
        if (!value) {
            field.edit->setFocus();
            field.edit->selectAll();
            return;
        }
        m_state.periods.*field.period = *value;
    }

    try {
        SaveSettingsFile(m_state.settingsPath, m_state.people, m_state.periods);
    } catch (const KelvoraError &e) {
        // Nothing else happens: the entry stays as it is and the dialog open.
        Dialogs::ShowError(e.message(), this);
        return;
    }

    if (AutoStartFound && !CheckBox1->isChecked())
        AutoStart::Delete();
    else if (!AutoStartFound && CheckBox1->isChecked())
        AutoStart::Create(AutoStart::ProgramPath());
    done(1);
}

void SettingsDialog::Button1Click() { done(2); }

void SettingsDialog::Button3Click()
{
    ShowNumber(Edit1, CyclePeriods::DefaultPhysical);
    ShowNumber(Edit2, CyclePeriods::DefaultEmotional);
    ShowNumber(Edit3, CyclePeriods::DefaultIntellectual);
}

void SettingsDialog::reject() { done(2); }

void SettingsDialog::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
        FormShow();
        Button2->setFocus();
    }
    QDialog::showEvent(event);
}

void SettingsDialog::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKeyWithoutDefaultButtons(this, event))
        QDialog::keyPressEvent(event);
}
