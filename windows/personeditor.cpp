#include "windows/personeditor.h"
#include "windows/fixedlayout.h"
#include "report/fonts.h"

#include "model/clock.h"
#include "model/errors.h"
#include "model/sharedstate.h"
#include "resources/pictures.h"
#include "windows/dialogs.h"
#include "store/settingsfile.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>

namespace {
QFont FormFont() { return PixelFont(QStringLiteral("Tahoma"), 11); }

constexpr int FaceCount = 32; // the balloon after them is never offered
constexpr int PictureItemHeight = 16;

// The picture list, closed: the frame and arrow of the style, the current
// face drawn by the form.
class PictureComboBox : public QComboBox {
public:
    PictureComboBox(PersonEditor *form, QWidget *parent) : QComboBox(parent), m_form(form) {}

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
            m_form->ComboBox2DrawItem(&painter, currentIndex(), item, hasFocus());
    }

private:
    PersonEditor *m_form;
};

// The picture list, dropped down: every row drawn by the form.
class PictureDelegate : public QStyledItemDelegate {
public:
    PictureDelegate(PersonEditor *form, QObject *parent) : QStyledItemDelegate(parent), m_form(form) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        m_form->ComboBox2DrawItem(painter, index.row(), option.rect, option.state & QStyle::State_Selected);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        return QSize(option.rect.width(), PictureItemHeight);
    }

private:
    PersonEditor *m_form;
};

QPushButton *Button(const char *name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // No default button: Enter in a field saves nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

KelvoraError ListIndexError(int index)
{
    return KelvoraError(QStringLiteral("List index out of bounds (%1)").arg(index));
}
}

PersonEditor::PersonEditor(SharedState &state, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_state(state)
{
    setObjectName(QStringLiteral("Form2"));
    setModal(true);
    setFixedSize(257, 89);
    setFont(FormFont());

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, 0, 257, 89);

    Label1 = new QLabel(QStringLiteral("Имя"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 30, 21);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(40, 8, 153, 21);
    Label1->setBuddy(Edit1);

    ComboBox2 = new PictureComboBox(this, Panel1);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setGeometry(200, 8, 49, 22);
    // A plain list rather than a menu-like popup, so ten rows show at a time.
    ComboBox2->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    ComboBox2->setItemDelegate(new PictureDelegate(this, ComboBox2));
    ComboBox2->setMaxVisibleItems(10);
    for (int i = 0; i < FaceCount; ++i)
        ComboBox2->addItem(QString());
    QPalette listPalette = ComboBox2->view()->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    ComboBox2->view()->setPalette(listPalette);

    Label2 = new QLabel(QStringLiteral("Дата рождения"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(8, 32, 86, 21);

    DateTimePicker1 = new QDateEdit(Panel1);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(96, 32, 97, 21);
    DateTimePicker1->setCalendarPopup(false);
    DateTimePicker1->setDisplayFormat(PickerDateFormat(QLocale()));
    DateTimePicker1->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    Label2->setBuddy(DateTimePicker1);

    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(200, 32, 49, 21);
    ComboBox1->addItem(QStringLiteral("AM"));
    ComboBox1->addItem(QStringLiteral("PM"));
    ComboBox1->setToolTip(QStringLiteral("Время суток"));
    // The picture list has no text and no label on screen; a screen reader
    // still names it.
    ComboBox2->setAccessibleName(QStringLiteral("Картинка"));

    Button1 = Button("Button1", QStringLiteral("Сохранить"), QRect(96, 62, 75, 21), Panel1);
    Button1->setEnabled(false);
    Button2 = Button("Button2", QStringLiteral("Отмена"), QRect(176, 62, 75, 21), Panel1);

    setTabOrder(Edit1, ComboBox2);
    setTabOrder(ComboBox2, DateTimePicker1);
    setTabOrder(DateTimePicker1, ComboBox1);
    setTabOrder(ComboBox1, Button1);
    setTabOrder(Button1, Button2);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { Edit1Change(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
}

QDate PersonEditor::NearestValidDate(int year, int month, int day)
{
    const int y = std::clamp(year, 1, 9999);
    const int m = std::clamp(month, 1, 12);
    const int d = std::clamp(day, 1, QDate(y, m, 1).daysInMonth());
    return QDate(y, m, d);
}

void PersonEditor::PrepareAdd()
{
    Edit1->setText(QString());
    DateTimePicker1->setDate(Clock::today());
    ComboBox1->setCurrentIndex(0);
    ComboBox2->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Добавление записи"));
    m_saveAction = &PersonEditor::NewClick;
    Edit1Change();
}

void PersonEditor::PrepareEdit()
{
    const int index = m_state.editedPersonIndex;
    if (index < 0 || index >= m_state.people.count())
        throw ListIndexError(index);
    const Person &person = m_state.people.at(index);
    Edit1->setText(person.name);
    DateTimePicker1->setDate(NearestValidDate(person.year, person.month, person.day));
    // Values a hand-edited file may hold beyond the lists fall back to the first item.
    ComboBox1->setCurrentIndex(person.halfDay < ComboBox1->count() ? person.halfDay : 0);
    ComboBox2->setCurrentIndex(person.picture < FaceCount ? person.picture : 0);
    setWindowTitle(QStringLiteral("Изменение записи"));
    m_saveAction = &PersonEditor::EditClick;
    Edit1Change();
}

void PersonEditor::FormShow() { Edit1->setFocus(); }

bool PersonEditor::NameAcceptable() const
{
    // A name the settings file would alter or split is refused like an empty one.
    const QString name = Edit1->text();
    return !name.trimmed().isEmpty() && NameFitsSettingsFile(name);
}

void PersonEditor::Edit1Change() { Button1->setEnabled(NameAcceptable()); }

void PersonEditor::ComboBox2DrawItem(QPainter *painter, int index, const QRect &rect, bool selected)
{
    const QPixmap face = Pictures::imageList1Pixmap(index);
    painter->fillRect(rect, selected ? palette().color(QPalette::Active, QPalette::Highlight) : QColor(Qt::white));
    painter->drawPixmap(rect.left() + 2, rect.top(), face);
}

Person PersonEditor::PersonFromFields() const
{
    Person person;
    person.name = Edit1->text(); // as typed, blanks at the ends included
    const QDate date = DateTimePicker1->date();
    person.day = quint8(date.day());
    person.month = quint8(date.month());
    person.year = quint16(date.year());
    person.halfDay = quint8(std::max(0, ComboBox1->currentIndex()));
    person.picture = quint8(std::max(0, ComboBox2->currentIndex()));
    return person;
}

bool PersonEditor::SaveList(const PersonList &changed)
{
    try {
        SaveSettingsFile(m_state.settingsPath, changed, m_state.periods);
    } catch (const KelvoraError &e) {
        // The dialog stays open; a second try must not add the person twice.
        Dialogs::ShowError(e.message(), this);
        return false;
    }
    m_state.people = changed;
    return true;
}

void PersonEditor::NewClick()
{
    if (!NameAcceptable())
        return;
    PersonList changed = m_state.people;
    changed.append(PersonFromFields());
    if (SaveList(changed))
        done(1);
}

void PersonEditor::EditClick()
{
    if (!NameAcceptable())
        return;
    const int index = m_state.editedPersonIndex;
    if (index < 0 || index >= m_state.people.count()) {
        // The list was read again while the dialog was open and lost the person.
        Dialogs::ShowError(ListIndexError(index).message(), this);
        return;
    }
    PersonList changed = m_state.people;
    changed.replace(index, PersonFromFields());
    if (SaveList(changed))
        done(1);
}

void PersonEditor::SpeedButton2Click() { done(2); }

void PersonEditor::Button1Click() { (this->*m_saveAction)(); }

void PersonEditor::reject() { done(2); }

void PersonEditor::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        CentreOnDesktop(this);
        FormShow();
    }
    QDialog::showEvent(event);
}

void PersonEditor::keyPressEvent(QKeyEvent *event)
{
    if (!HandleKeyWithoutDefaultButtons(this, event))
        QDialog::keyPressEvent(event);
}
