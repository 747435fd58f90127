#include "windows/personeditor.h"

#include "model/clock.h"
#include "model/errors.h"
#include "model/sharedstate.h"
#include "report/fonts.h"
#include "resources/pictures.h"
#include "store/settingsfile.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {
QFont editorFont() { return PixelFont(QStringLiteral("Tahoma"), 11); }

constexpr int FaceCount = 32; // the balloon after them is never offered
constexpr int PictureItemHeight = 16;

// The picture list, closed: the frame and arrow of the style, the current
// face drawn by the editor.
class PictureComboBox : public QComboBox {
public:
    PictureComboBox(PersonEditor *editor, QWidget *parent) : QComboBox(parent), m_editor(editor) {}

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText.clear();
        option.currentIcon = QIcon();
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
        const QRect item(field.left(), field.top() + (field.height() - PictureItemHeight) / 2, field.width(),
                         PictureItemHeight);
        if (currentIndex() >= 0)
            m_editor->drawPicture(&painter, currentIndex(), item, hasFocus());
    }

private:
    PersonEditor *m_editor;
};

// The picture list, dropped down: every row drawn by the editor.
class PictureDelegate : public QStyledItemDelegate {
public:
    PictureDelegate(PersonEditor *editor, QObject *parent) : QStyledItemDelegate(parent), m_editor(editor) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_editor->drawPicture(painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), PictureItemHeight);
    }

private:
    PersonEditor *m_editor;
};
}

PersonEditor::PersonEditor(SharedState &state, QWidget *parent)
    : FixedDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_state(state)
{
    setObjectName(QLatin1String(Names::window));
    setModal(true);
    setFixedSize(257, 89);
    setFont(editorFont());

    panel = Named(new QFrame(this), Names::panel);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, 257, 89);

    nameLabel = Named(new QLabel(QStringLiteral("Имя"), panel), Names::nameLabel);
    nameLabel->setGeometry(8, 8, 30, 21);

    nameEdit = Named(new QLineEdit(panel), Names::nameEdit);
    nameEdit->setGeometry(40, 8, 153, 21);
    nameLabel->setBuddy(nameEdit);

    pictureBox = Named(new PictureComboBox(this, panel), Names::pictureBox);
    pictureBox->setGeometry(200, 8, 49, 22);
    // A plain list rather than a menu-like popup, so ten rows show at a time.
    pictureBox->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    pictureBox->setItemDelegate(new PictureDelegate(this, pictureBox));
    pictureBox->setMaxVisibleItems(10);
    for (int i = 0; i < FaceCount; ++i)
        pictureBox->addItem(QString());
    QPalette listPalette = pictureBox->view()->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    pictureBox->view()->setPalette(listPalette);

    birthDateLabel = Named(new QLabel(QStringLiteral("Дата рождения"), panel), Names::birthDateLabel);
    birthDateLabel->setGeometry(8, 32, 86, 21);

    birthDateEdit = Named(new QDateEdit(panel), Names::birthDateEdit);
    birthDateEdit->setGeometry(96, 32, 97, 21);
    birthDateEdit->setCalendarPopup(false);
    birthDateEdit->setDisplayFormat(PickerDateFormat(QLocale()));
    birthDateEdit->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    birthDateLabel->setBuddy(birthDateEdit);

    halfDayBox = Named(new QComboBox(panel), Names::halfDayBox);
    halfDayBox->setGeometry(200, 32, 49, 21);
    halfDayBox->addItem(QStringLiteral("AM"));
    halfDayBox->addItem(QStringLiteral("PM"));
    halfDayBox->setToolTip(QStringLiteral("Время суток"));
    // The picture list has no text and no label on screen; a screen reader
    // still names it.
    pictureBox->setAccessibleName(QStringLiteral("Картинка"));

    saveButton = FixedButton(Names::saveButton, QStringLiteral("Сохранить"), QRect(96, 62, 75, 21), panel);
    saveButton->setEnabled(false);
    cancelButton = FixedButton(Names::cancelButton, QStringLiteral("Отмена"), QRect(176, 62, 75, 21), panel);

    setTabOrder(nameEdit, pictureBox);
    setTabOrder(pictureBox, birthDateEdit);
    setTabOrder(birthDateEdit, halfDayBox);
    setTabOrder(halfDayBox, saveButton);
    setTabOrder(saveButton, cancelButton);

    connect(nameEdit, &QLineEdit::textChanged, this, [this] { updateSaveButton(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
}

QDate PersonEditor::nearestValidDate(int year, int month, int day)
{
    const int y = std::clamp(year, 1, 9999);
    const int m = std::clamp(month, 1, 12);
    const int d = std::clamp(day, 1, QDate(y, m, 1).daysInMonth());
    return QDate(y, m, d);
}

void PersonEditor::prepareAdd()
{
    nameEdit->setText(QString());
    birthDateEdit->setDate(Clock::today());
    halfDayBox->setCurrentIndex(0);
    pictureBox->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Добавление записи"));
    m_saveAction = &PersonEditor::saveNew;
    updateSaveButton();
}

void PersonEditor::prepareEdit(int index)
{
    const Person &person = m_state.people.checkedAt(index);
    nameEdit->setText(person.name);
    birthDateEdit->setDate(nearestValidDate(person.year, person.month, person.day));
    // Values a hand-edited file may hold beyond the lists fall back to the first item.
    halfDayBox->setCurrentIndex(person.halfDay < halfDayBox->count() ? person.halfDay : 0);
    pictureBox->setCurrentIndex(person.picture < FaceCount ? person.picture : 0);
    setWindowTitle(QStringLiteral("Изменение записи"));
    m_editedIndex = index;
    m_saveAction = &PersonEditor::saveEdit;
    updateSaveButton();
}

void PersonEditor::opening() { nameEdit->setFocus(); }

bool PersonEditor::nameAcceptable() const
{
    // A name the settings file would alter or split is refused like an empty one.
    const QString name = nameEdit->text();
    return !name.trimmed().isEmpty() && NameFitsSettingsFile(name);
}

void PersonEditor::updateSaveButton() { saveButton->setEnabled(nameAcceptable()); }

void PersonEditor::drawPicture(QPainter *painter, int index, const QRect &rect, bool selected)
{
    const QPixmap face = Pictures::imageList1Pixmap(index);
    painter->fillRect(rect, selected ? palette().color(QPalette::Active, QPalette::Highlight) : QColor(Qt::white));
    painter->drawPixmap(rect.left() + 2, rect.top(), face);
}

Person PersonEditor::personFromFields() const
{
    Person person;
    person.name = nameEdit->text(); // as typed, blanks at the ends included
    const QDate date = birthDateEdit->date();
    person.day = quint8(date.day());
    person.month = quint8(date.month());
    person.year = quint16(date.year());
    person.halfDay = quint8(std::max(0, halfDayBox->currentIndex()));
    person.picture = quint8(std::max(0, pictureBox->currentIndex()));
    return person;
}

bool PersonEditor::saveList(const std::function<void(PersonList &)> &change)
{
    PersonList changed = m_state.people;
    // On a failure the dialog stays open, and a second try must not add the
    // person twice: memory takes the list only once the file has it.
    if (!Dialogs::RunShowingErrors([&] {
            change(changed);
            SaveSettingsFile(m_state.settingsPath, changed, m_state.periods);
        }, this))
        return false;
    m_state.people = changed;
    return true;
}

void PersonEditor::saveNew()
{
    if (nameAcceptable() && saveList([this](PersonList &list) { list.append(personFromFields()); }))
        answer(DialogResult::Ok);
}

void PersonEditor::saveEdit()
{
    // The list may have been read again while the dialog was open, and lost the person.
    if (nameAcceptable() && saveList([this](PersonList &list) {
            list.checkIndex(m_editedIndex);
            list.replace(m_editedIndex, personFromFields());
        }))
        answer(DialogResult::Ok);
}

void PersonEditor::cancel() { answer(DialogResult::Cancel); }

void PersonEditor::save() { (this->*m_saveAction)(); }
