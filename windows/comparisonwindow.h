#pragma once
// "Сравнение биоритмов": how closely a person's cycles run in phase with a
// partner's, known only by a birth date.
#include <QDialog>

struct SharedState;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;

class ComparisonWindow : public QDialog {
    Q_OBJECT
public:
    explicit ComparisonWindow(SharedState &state, QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label2 = nullptr;      // "Физическая:"
    QLabel *Label4 = nullptr;      // "Эмоциональная:"
    QLabel *Label3 = nullptr;      // "Интеллектуальная:"
    QLabel *Label5 = nullptr;      // "Итого:"
    QLabel *StaticText2 = nullptr; // physical
    QLabel *StaticText3 = nullptr; // emotional
    QLabel *StaticText4 = nullptr; // intellectual
    QLabel *StaticText5 = nullptr; // total
    QPushButton *Button2 = nullptr; // "Ok"
    QPushButton *Button1 = nullptr; // "Закрыть"

    // The computation, run by "Ok" and by every change of the partner's date.
    // Reports a subject date the calendar cannot hold in the general error
    // box and leaves the four fields as they were.
    void Button2Click();

    // Close box, Esc and "Закрыть" all answer 2.
    void reject() override;

protected:
    // FormShow, at each opening: empty fields, the picker on today, nothing
    // computed yet.
    void showEvent(QShowEvent *event) override;

private:
    // Fills the four fields; throws KelvoraError for an invalid subject date.
    void Compute();

    SharedState &m_state;
};
