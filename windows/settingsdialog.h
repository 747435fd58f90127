#pragma once
// "Настройки": the three cycle periods and start at login.
#include <QDialog>

struct SharedState;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(SharedState &state, QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QCheckBox *autoStartBox = nullptr;
    QGroupBox *periodsGroup = nullptr;
    QLabel *physicalLabel = nullptr;
    QLabel *emotionalLabel = nullptr;
    QLabel *intellectualLabel = nullptr;
    QLineEdit *physicalPeriodEdit = nullptr; // physical
    QLineEdit *emotionalPeriodEdit = nullptr; // emotional
    QLineEdit *intellectualPeriodEdit = nullptr; // intellectual
    QPushButton *saveButton = nullptr; // "Сохранить"
    QPushButton *cancelButton = nullptr; // "Отмена"
    QPushButton *defaultsButton = nullptr; // the defaults

    // Whether, at opening, a start-at-login entry named an existing file.
    bool autoStartFound = false;

    void fillFields();
    void save();
    void cancel();
    void restoreDefaults();

    // Closing the window by other means is "Отмена".
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    SharedState &m_state;
};
