#pragma once
// The person editor: name, birth date, half of the day and picture of one
// person, added at the end of the family or changed in place.
#include "model/person.h"

#include <QDate>
#include <QDialog>

struct SharedState;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

class PersonEditor : public QDialog {
    Q_OBJECT
public:
    explicit PersonEditor(SharedState &state, QWidget *parent = nullptr);

    QFrame *Panel1 = nullptr;
    QLabel *Label1 = nullptr; // "Имя"
    QLabel *Label2 = nullptr; // "Дата рождения"
    QLineEdit *Edit1 = nullptr;
    QComboBox *ComboBox2 = nullptr; // picture, drawn by ComboBox2DrawItem
    QDateEdit *DateTimePicker1 = nullptr;
    QComboBox *ComboBox1 = nullptr; // "AM" / "PM"
    QPushButton *Button1 = nullptr; // "Сохранить"
    QPushButton *Button2 = nullptr; // "Отмена"

    // Every opening fills all fields, the title and the save action anew.
    // Add mode: an empty record dated today.
    void PrepareAdd();
    // Edit mode: the person at the edited person index. Throws KelvoraError
    // when no person stands at that index.
    void PrepareEdit();
    bool editMode() const { return m_saveAction == &PersonEditor::EditClick; }

    void FormShow();
    void Edit1Change();
    void ComboBox2DrawItem(QPainter *painter, int index, const QRect &rect, bool selected);
    void NewClick();
    void EditClick();
    void SpeedButton2Click();

    // Day and month of a hand-edited file need not form a date: each part is
    // brought into its range in turn (year 1..9999, month 1..12, then day
    // 1..last day of that month), so 31 April opens as 30 April.
    static QDate NearestValidDate(int year, int month, int day);

    // Closing the window by other means is "Отмена".
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Person PersonFromFields() const;
    bool NameAcceptable() const;
    // Writes the list with the change; memory takes it only once the file has it.
    bool SaveList(const PersonList &changed);
    void Button1Click();

    SharedState &m_state;
    void (PersonEditor::*m_saveAction)() = &PersonEditor::NewClick;
};
