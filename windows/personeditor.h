#pragma once
// The person editor: name, birth date, half of the day and picture of one
// person, added at the end of the family or changed in place.
#include "model/person.h"
#include "windows/fixeddialog.h"

#include <QDate>

#include <functional>

struct SharedState;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;

class PersonEditor : public FixedDialog {
    Q_OBJECT
public:
    // The layout's component names, the objectNames of the window and its controls.
    struct Names {
        static constexpr const char *window = "TForm2";
        static constexpr const char *panel = "Panel1";
        static constexpr const char *nameLabel = "Label1";
        static constexpr const char *nameEdit = "Edit1";
        static constexpr const char *pictureBox = "ComboBox2";
        static constexpr const char *birthDateLabel = "Label2";
        static constexpr const char *birthDateEdit = "DateTimePicker1";
        static constexpr const char *halfDayBox = "ComboBox1";
        static constexpr const char *saveButton = "Button1";
        static constexpr const char *cancelButton = "Button2";
    };

    explicit PersonEditor(SharedState &state, QWidget *parent = nullptr);

    QFrame *panel = nullptr;
    QLabel *nameLabel = nullptr;      // "Имя"
    QLineEdit *nameEdit = nullptr;
    QComboBox *pictureBox = nullptr;  // the faces, drawn by drawPicture
    QLabel *birthDateLabel = nullptr; // "Дата рождения"
    QDateEdit *birthDateEdit = nullptr;
    QComboBox *halfDayBox = nullptr;  // "AM" / "PM"
    QPushButton *saveButton = nullptr;   // "Сохранить"
    QPushButton *cancelButton = nullptr; // "Отмена"

    // Every opening fills all fields, the title and the save action anew.
    // Add mode: an empty record dated today.
    void prepareAdd();
    // Edit mode: the person at `index`, changed in place by a save. Throws
    // KelvoraError when no person stands at that index.
    void prepareEdit(int index);
    bool editMode() const { return m_saveAction == &PersonEditor::saveEdit; }

    // "Сохранить" is enabled for a name the settings file can hold (Edit1Change).
    void updateSaveButton();
    // One face of the picture list, closed or dropped down (ComboBox2DrawItem).
    void drawPicture(QPainter *painter, int index, const QRect &rect, bool selected);
    // "Сохранить" in add mode: the person at the end of the list (NewClick).
    void saveNew();
    // "Сохранить" in edit mode: the person replaced in place (EditClick).
    void saveEdit();
    // "Отмена": nothing changes.
    void cancel();

    // Day and month of a hand-edited file need not form a date: each part is
    // brought into its range in turn (year 1..9999, month 1..12, then day
    // 1..last day of that month), so 31 April opens as 30 April.
    static QDate nearestValidDate(int year, int month, int day);

protected:
    // Every opening starts in the name field.
    void opening() override;

private:
    Person personFromFields() const;
    bool nameAcceptable() const;
    // Writes the list with `change` made; false, after the error box, when it failed.
    bool saveList(const std::function<void(PersonList &)> &change);
    void save();

    SharedState &m_state;
    void (PersonEditor::*m_saveAction)() = &PersonEditor::saveNew;
    int m_editedIndex = -1;
};
