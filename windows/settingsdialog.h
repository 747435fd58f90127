#pragma once
// "Настройки": the three cycle periods and start at login.
#include "windows/fixeddialog.h"

struct SharedState;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SettingsDialog : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm6";
        static constexpr const char *panel = "Panel1";
        static constexpr const char *autoStartBox = "CheckBox1";
        static constexpr const char *periodsGroup = "GroupBox1";
        static constexpr const char *physicalLabel = "Label1";
        static constexpr const char *physicalPeriodEdit = "Edit1";
        static constexpr const char *emotionalLabel = "Label2";
        static constexpr const char *emotionalPeriodEdit = "Edit2";
        static constexpr const char *intellectualLabel = "Label3";
        static constexpr const char *intellectualPeriodEdit = "Edit3";
        static constexpr const char *saveButton = "Button2";
        static constexpr const char *cancelButton = "Button1";
        static constexpr const char *defaultsButton = "Button3";
    };

    explicit SettingsDialog(SharedState &state, QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QCheckBox *autoStartBox = nullptr; // "Запускать при старте"
    QGroupBox *periodsGroup = nullptr; // " Периоды циклов "
    QLabel *physicalLabel = nullptr;
    QLineEdit *physicalPeriodEdit = nullptr;
    QLabel *emotionalLabel = nullptr;
    QLineEdit *emotionalPeriodEdit = nullptr;
    QLabel *intellectualLabel = nullptr;
    QLineEdit *intellectualPeriodEdit = nullptr;
    QPushButton *saveButton = nullptr;     // "Сохранить"
    QPushButton *cancelButton = nullptr;   // "Отмена"
    QPushButton *defaultsButton = nullptr; // no caption: back to the default periods

    // Whether, at opening, a start-at-login entry named an existing file.
    bool autoStartFound = false;

    // Shows the periods in memory and whether the program starts at login.
    void fillFields();
    // "Сохранить": takes the periods field by field, writes the settings file,
    // then adds or removes the start-at-login entry.
    void save();
    void cancel();
    // The captionless button: the default periods into the fields.
    void restoreDefaults();

protected:
    void opening() override;

private:
    SharedState &m_state;
};
