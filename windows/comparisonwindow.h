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

    QLabel *partnerDateLabel = nullptr;
    QDateEdit *partnerDateEdit = nullptr;
    QGroupBox *resultsGroup = nullptr;
    QLabel *physicalLabel = nullptr;      // "Физическая:"
    QLabel *emotionalLabel = nullptr;      // "Эмоциональная:"
    QLabel *intellectualLabel = nullptr;      // "Интеллектуальная:"
    QLabel *totalLabel = nullptr;      // "Итого:"
    QLabel *physicalResult = nullptr; // physical
    QLabel *emotionalResult = nullptr; // emotional
    QLabel *intellectualResult = nullptr; // intellectual
    QLabel *totalResult = nullptr; // total
    QPushButton *okButton = nullptr; // "Ok"
    QPushButton *closeButton = nullptr; // "Закрыть"

    // The computation, run by "Ok" and by every change of the partner's date.
    // Reports a subject date the calendar cannot hold in the general error
    // box and leaves the four fields as they were.
    void compare();

    // Close box, Esc and "Закрыть" all answer 2.
    void reject() override;

protected:
    // FormShow, at each opening: empty fields, the picker on today, nothing
    // computed yet.
    void showEvent(QShowEvent *event) override;

private:
    // Fills the four fields; throws KelvoraError for an invalid subject date.
    void computeResults();

    SharedState &m_state;
};
