#pragma once
// "Сравнение биоритмов": how closely a person's cycles run in phase with a
// partner's, known only by a birth date.
#include "windows/fixeddialog.h"

struct SharedState;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;

class ComparisonWindow : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm10";
        static constexpr const char *partnerDateLabel = "Label1";
        static constexpr const char *partnerDateEdit = "DateTimePicker1";
        static constexpr const char *resultsGroup = "GroupBox1";
        static constexpr const char *physicalLabel = "Label2";
        static constexpr const char *emotionalLabel = "Label4";
        static constexpr const char *intellectualLabel = "Label3";
        static constexpr const char *totalLabel = "Label5";
        static constexpr const char *physicalResult = "StaticText2";
        static constexpr const char *emotionalResult = "StaticText3";
        static constexpr const char *intellectualResult = "StaticText4";
        static constexpr const char *totalResult = "StaticText5";
        static constexpr const char *okButton = "Button2";
        static constexpr const char *closeButton = "Button1";
    };

    explicit ComparisonWindow(SharedState &state, QWidget *parent = nullptr);

    QLabel *partnerDateLabel = nullptr; // "Дата рождения партнера:"
    QDateEdit *partnerDateEdit = nullptr;
    QGroupBox *resultsGroup = nullptr;  // " Совместимость "
    QLabel *physicalLabel = nullptr;     // "Физическая:"
    QLabel *emotionalLabel = nullptr;    // "Эмоциональная:"
    QLabel *intellectualLabel = nullptr; // "Интеллектуальная:"
    QLabel *totalLabel = nullptr;        // "Итого:"
    QLabel *physicalResult = nullptr;
    QLabel *emotionalResult = nullptr;
    QLabel *intellectualResult = nullptr;
    QLabel *totalResult = nullptr;
    QPushButton *okButton = nullptr;    // "Ok": computes again
    QPushButton *closeButton = nullptr; // "Закрыть"

    // The computation, run by "Ok" and by every change of the partner's date.
    // Reports a subject date the calendar cannot hold in the general error
    // box and leaves the four fields as they were.
    void compare();

protected:
    // FormShow, at each opening: empty fields, the picker on today, nothing
    // computed yet. Restored from minimised, the window shows what it showed.
    // Close box, Esc and "Закрыть" all answer "Отмена".
    void opening() override;

private:
    // Fills the four fields; throws KelvoraError for an invalid subject date.
    void computeResults();

    SharedState &m_state;
};
