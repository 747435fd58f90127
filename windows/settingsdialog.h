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

    QFrame *Panel1 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Edit1 = nullptr; // physical
    QLineEdit *Edit2 = nullptr; // emotional
    QLineEdit *Edit3 = nullptr; // intellectual
    QPushButton *Button2 = nullptr; // "Сохранить"
    QPushButton *Button1 = nullptr; // "Отмена"
    QPushButton *Button3 = nullptr; // the defaults

    // Whether, at opening, a start-at-login entry named an existing file.
    bool AutoStartFound = false;

    void FormShow();
    void Button2Click();
    void Button1Click();
    void Button3Click();

    // Closing the window by other means is "Отмена".
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    SharedState &m_state;
};
