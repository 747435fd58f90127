// The person editor (add and edit, names the file cannot hold, dates a hand-
// edited file may hold, a failed write), its menu commands, and the about window.
#include "model/errors.h"
#include "model/sharedstate.h"
#include "resources/pictures.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/aboutwindow.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"
#include "windows/personeditor.h"
#include "windowsupport.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {
const QDate Today(2024, 5, 15);
}

class TestEditor : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    SharedState m_state;
    std::unique_ptr<PersonEditor> m_form;
    QStringList m_errors;

    QString ini() const { return m_dir->filePath("Kelvora.ini"); }

    // Loads the file as the menu rebuild would and opens the editor without its modal loop.
    PersonEditor &openAdd()
    {
        m_form->prepareAdd();
        m_form->show();
        return *m_form;
    }
    PersonEditor &openEdit(int index)
    {
        LoadSettingsFile(ini(), m_state.people, m_state.periods);
        m_form->prepareEdit(index);
        m_form->show();
        return *m_form;
    }

private slots:
    void initTestCase() { SetUpLocaleAndClock(QDateTime(Today, QTime(12, 0))); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_state = SharedState();
        m_state.settingsPath = ini();
        m_form = std::make_unique<PersonEditor>(m_state);
        m_errors.clear();
        Dialogs::setMessageHook([this](const QString &text, bool) { m_errors << text; });
    }
    void cleanup()
    {
        m_form.reset();
        Dialogs::clearHooks();
    }

    void listsAndTabOrder()
    {
        PersonEditor &f = *m_form;
        QVERIFY(!f.saveButton->isEnabled()); // as created
        QVERIFY(!(f.windowFlags() & Qt::WindowCloseButtonHint));
        // Only the faces; the balloon is never offered.
        QCOMPARE(f.pictureBox->count(), 32);
        QCOMPARE(f.pictureBox->maxVisibleItems(), 10);
        QVERIFY(!f.birthDateEdit->calendarPopup());
        QCOMPARE(f.birthDateEdit->minimumDate(), QDate(1, 1, 1));
        QCOMPARE(f.birthDateEdit->maximumDate(), QDate(9999, 12, 31));
        QCOMPARE(f.birthDateEdit->displayFormat(), QString("dd.MM.yyyy"));

        QList<QWidget *> order{f.nameEdit};
        for (QWidget *w = f.nameEdit->nextInFocusChain(); w != f.nameEdit && order.size() < 30; w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus && w->parentWidget() == f.panel)
                order << w;
        QCOMPARE(order, (QList<QWidget *>{f.nameEdit, f.pictureBox, f.birthDateEdit, f.halfDayBox, f.saveButton, f.cancelButton}));
    }

    void layoutNames()
    {
        QCOMPARE(CheckNamedParts(m_form.get(), {{"TForm2", "QDialog", ""},
                                                {"Panel1", "QFrame", ""},
                                                {"Label1", "QLabel", "Имя"},
                                                {"Edit1", "QLineEdit", ""},
                                                {"ComboBox2", "QComboBox", ""},
                                                {"Label2", "QLabel", "Дата рождения"},
                                                {"DateTimePicker1", "QDateEdit", ""},
                                                {"ComboBox1", "QComboBox", ""},
                                                {"Button1", "QPushButton", "Сохранить"},
                                                {"Button2", "QPushButton", "Отмена"}}),
                 QString());
    }

    void twoDigitYearFormatsGetFour()
    {
        QCOMPARE(PickerDateFormat(QLocale(QLocale::English, QLocale::UnitedStates)), QString("M/d/yyyy"));
        QCOMPARE(PickerDateFormat(QLocale(QLocale::German, QLocale::Germany)), QString("dd.MM.yyyy"));
    }

    void addModeStartsEmpty()
    {
        PersonEditor &f = openAdd();
        f.nameEdit->setText("x");
        f.pictureBox->setCurrentIndex(5);
        f.halfDayBox->setCurrentIndex(1);
        f.prepareAdd(); // nothing carries over from the last use
        QCOMPARE(f.windowTitle(), QString("Добавление записи"));
        QVERIFY(f.nameEdit->text().isEmpty());
        QCOMPARE(f.birthDateEdit->date(), Today);
        QCOMPARE(f.halfDayBox->currentIndex(), 0);
        QCOMPARE(f.pictureBox->currentIndex(), 0);
        QVERIFY(!f.saveButton->isEnabled());
        QVERIFY(!f.editMode());
        QCOMPARE(f.focusWidget(), f.nameEdit);

        QTest::keyClicks(f.nameEdit, "A");
        QVERIFY(f.saveButton->isEnabled());
        QTest::keyClick(f.nameEdit, Qt::Key_Backspace);
        QVERIFY(!f.saveButton->isEnabled());
        QTest::keyClicks(f.nameEdit, "   ");
        QVERIFY(!f.saveButton->isEnabled());
        f.nameEdit->setText(" \t\u00a0 ");
        QVERIFY(!f.saveButton->isEnabled());
    }

    void namesTheFileCannotHoldAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("cyrillic") << "Пётр Ёжиков" << true;
        QTest::newRow("code page signs") << "Анна «Мама» №1 €" << true;
        QTest::newRow("latin") << "Anna-Maria O'Neil" << true;
        QTest::newRow("diacritic outside") << "Łukasz" << false;
        QTest::newRow("e diaeresis") << "Zoë" << false;
        QTest::newRow("emoji") << "Анна 😀" << false;
        QTest::newRow("cjk") << "李" << false;
        QTest::newRow("line break") << "Анна\nБорис" << false;
        QTest::newRow("carriage return") << "Анна\r" << false;
    }
    void namesTheFileCannotHoldAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        PersonEditor &f = openAdd();
        f.nameEdit->setText(name);
        QCOMPARE(f.nameEdit->text(), name);
        QCOMPARE(f.saveButton->isEnabled(), accepted);
        f.saveNew(); // even called directly, a refused name is never written
        QCOMPARE(QFile::exists(ini()), accepted);
        QCOMPARE(m_state.people.count(), accepted ? 1 : 0);
    }

    void addAppendsWithTheNameAsTyped()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12));
        LoadSettingsFile(ini(), m_state.people, m_state.periods);
        PersonEditor &f = openAdd();
        f.nameEdit->setText(" Борис ");
        f.birthDateEdit->setDate(QDate(1, 2, 3));
        f.halfDayBox->setCurrentIndex(1);
        f.pictureBox->setCurrentIndex(31);
        QTest::mouseClick(f.saveButton, Qt::LeftButton);
        QCOMPARE(f.result(), 1);
        QVERIFY(!f.isVisible());
        QCOMPARE(ReadSettingsLines(ini()),
                 PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12) + PersonLines(" Борис ", 3, 2, 1, 1, 31));
        QCOMPARE(m_state.people.count(), 2);
    }

    void editReplacesInPlace()
    {
        const QStringList family = PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12) + PersonLines("Борис", 15, 5, 1950, 1, 3) +
                                   PersonLines("Вера", 1, 1, 2000, 0, 0);
        WriteSettingsFile(ini(), family);
        const QByteArray before = ReadBytes(ini());

        // On Борис's birthday he still opens with his own face.
        PersonEditor &f = openEdit(1);
        QCOMPARE(f.windowTitle(), QString("Изменение записи"));
        QVERIFY(f.editMode());
        QCOMPARE(f.nameEdit->text(), QString("Борис"));
        QCOMPARE(f.birthDateEdit->date(), QDate(1950, 5, 15));
        QCOMPARE(f.halfDayBox->currentIndex(), 1);
        QCOMPARE(f.pictureBox->currentIndex(), 3);
        QVERIFY(f.saveButton->isEnabled());

        // Unchanged: the same bytes.
        QTest::mouseClick(f.saveButton, Qt::LeftButton);
        QCOMPARE(f.result(), 1);
        QCOMPARE(ReadBytes(ini()), before);

        openEdit(1);
        f.nameEdit->setText("Борис Петрович");
        f.birthDateEdit->setDate(QDate(9999, 12, 31));
        f.pictureBox->setCurrentIndex(20);
        QTest::mouseClick(f.saveButton, Qt::LeftButton);
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12) +
                                               PersonLines("Борис Петрович", 31, 12, 9999, 1, 20) + PersonLines("Вера", 1, 1, 2000, 0, 0));
    }

    void cancelChangesNothing()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12));
        const QByteArray before = ReadBytes(ini());
        PersonEditor &f = openEdit(0);
        f.nameEdit->setText("Другая");
        f.pictureBox->setCurrentIndex(9);
        QTest::mouseClick(f.cancelButton, Qt::LeftButton);
        QCOMPARE(f.result(), 2);
        QCOMPARE(m_state.people.at(0).name, QString("Анна"));
        QCOMPARE(ReadBytes(ini()), before);

        openAdd();
        f.nameEdit->setText("Новый");
        f.cancelButton->click();
        QCOMPARE(f.result(), 2);
        QCOMPARE(m_state.people.count(), 1);
        QCOMPARE(ReadBytes(ini()), before);
    }

    void impossibleStoredDatesOpenAtTheNearestDay_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("shown");
        QTest::newRow("31 April") << 31 << 4 << 1990 << QDate(1990, 4, 30);
        QTest::newRow("29 Feb, common year") << 29 << 2 << 2023 << QDate(2023, 2, 28);
        QTest::newRow("29 Feb, leap year") << 29 << 2 << 2024 << QDate(2024, 2, 29);
        QTest::newRow("day 0") << 0 << 5 << 1990 << QDate(1990, 5, 1);
        QTest::newRow("month 13") << 15 << 13 << 1990 << QDate(1990, 12, 15);
        QTest::newRow("month 0, day 40") << 40 << 0 << 1990 << QDate(1990, 1, 31);
        QTest::newRow("year 0") << 1 << 1 << 0 << QDate(1, 1, 1);
        QTest::newRow("year beyond the calendar") << 31 << 12 << 12000 << QDate(9999, 12, 31);
    }
    void impossibleStoredDatesOpenAtTheNearestDay()
    {
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QDate, shown);
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", day, month, year, 0, 1));
        PersonEditor &f = openEdit(0);
        QCOMPARE(f.birthDateEdit->date(), shown);
        // Saving writes the date the picker shows.
        f.saveButton->click();
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("Анна", shown.day(), shown.month(), shown.year(), 0, 1));
    }

    void valuesBeyondTheListsFallBackToTheFirstItem()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 7, 40));
        PersonEditor &f = openEdit(0);
        QCOMPARE(f.halfDayBox->currentIndex(), 0);
        QCOMPARE(f.pictureBox->currentIndex(), 0);
        f.saveButton->click();
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 0));
    }

    void editOfAMissingIndexFails()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12));
        LoadSettingsFile(ini(), m_state.people, m_state.periods);
        QVERIFY_THROWS_EXCEPTION(KelvoraError, m_form->prepareEdit(1));

        // The list lost the person while the dialog was open: reported, nothing written.
        PersonEditor &f = openEdit(0);
        const QByteArray before = ReadBytes(ini());
        m_state.people.clear();
        f.saveButton->click();
        QCOMPARE(m_errors, QStringList({"List index out of bounds (0)"}));
        QVERIFY(f.isVisible());
        QCOMPARE(ReadBytes(ini()), before);
    }

    void failedWriteKeepsTheDialogOpenAndRetriesOnce()
    {
        m_state.settingsPath = m_dir->filePath("missing folder/Kelvora.ini");
        PersonEditor &f = openAdd();
        f.nameEdit->setText("Анна");
        f.saveButton->click();
        QCOMPARE(m_errors, QStringList({"Invalid filename"}));
        QVERIFY(f.isVisible());
        QCOMPARE(f.result(), 0);
        QCOMPARE(m_state.people.count(), 0);

        // The folder appears; the second press adds the person once.
        QVERIFY(QDir().mkpath(m_dir->filePath("missing folder")));
        f.saveButton->click();
        QCOMPARE(f.result(), 1);
        QCOMPARE(m_state.people.count(), 1);
        QCOMPARE(ReadSettingsLines(m_state.settingsPath), PeriodLines() + PersonLines("Анна", 15, 5, 2024, 0, 0));
    }

    void pictureItemsAreDrawnFromTheFaces()
    {
        PersonEditor &f = *m_form;
        const QColor highlight = f.palette().color(QPalette::Active, QPalette::Highlight);
        for (bool selected : {false, true}) {
            QImage image(49, 16, QImage::Format_ARGB32);
            image.fill(Qt::red);
            {
                QPainter p(&image);
                f.drawPicture(&p, 7, QRect(0, 0, 49, 16), selected);
            }
            const QColor background = selected ? highlight : QColor(Qt::white);
            QCOMPARE(image.pixelColor(0, 0), background);
            QCOMPARE(image.pixelColor(48, 15), background);
            // The face, 2 pixels in, over the same background.
            QImage expected(16, 16, QImage::Format_ARGB32);
            expected.fill(background);
            {
                QPainter p(&expected);
                p.drawPixmap(0, 0, Pictures::imageList1Pixmap(7));
            }
            QCOMPARE(image.copy(2, 0, 16, 16), expected);
            QVERIFY(image.copy(2, 0, 16, 16) != QImage(16, 16, QImage::Format_ARGB32));
        }
    }

    void pictureListShowsTenRows()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна Петровна", 7, 11, 1984, 1, 12));
        PersonEditor &f = openEdit(0);
        f.pictureBox->showPopup();
        QWidget *popup = f.pictureBox->view()->window();
        QTRY_VERIFY(popup->isVisible());
        // Ten rows of 16 pixels at a time.
        QCOMPARE(f.pictureBox->view()->visualRect(f.pictureBox->model()->index(0, 0)).height(), 16);
        QVERIFY(f.pictureBox->view()->viewport()->height() >= 160);
        QVERIFY(f.pictureBox->view()->viewport()->height() < 180);
        f.pictureBox->hidePopup();
    }

    // The menu commands: the flag held cleared while the editor is open, the menu rebuilt on a save.
    void newClickAddsToTheMenu()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12));
        TrayHost host(ini(), HostOptions(m_dir->path()));
        host.personEditor = host.adopt(new PersonEditor(host.state()));
        bool seen = false;
        AnswerModal("TForm2", [&](QWidget *w) {
            auto *f = static_cast<PersonEditor *>(w);
            seen = true;
            QVERIFY(!host.shellState().menuEnabled);
            QCOMPARE(f->windowTitle(), QString("Добавление записи"));
            f->nameEdit->setText("Борис ");
            f->pictureBox->setCurrentIndex(4);
            f->saveButton->click();
        });
        host.addPerson();
        QVERIFY(seen);
        QVERIFY(host.shellState().menuEnabled);
        QAction *item = host.trayMenu->findChild<QAction *>("NewItem1");
        QVERIFY(item);
        QCOMPARE(item->text(), QString("Борис "));
        // The newest person stands at the top.
        QCOMPARE(host.trayMenu->actions().first(), item);
        QCOMPARE(ReadSettingsLines(ini()).mid(9), PersonLines("Борис ", 15, 5, 2024, 0, 4));
    }

    void editItemChangesThePersonOfTheTag()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Анна", 7, 11, 1984, 0, 12) + PersonLines("Борис", 1, 2, 1950, 0, 3));
        TrayHost host(ini(), HostOptions(m_dir->path()));
        host.personEditor = host.adopt(new PersonEditor(host.state()));
        AnswerModal("TForm2", [&](QWidget *w) {
            auto *f = static_cast<PersonEditor *>(w);
            QVERIFY(!host.shellState().menuEnabled);
            QCOMPARE(f->windowTitle(), QString("Изменение записи"));
            QCOMPARE(f->nameEdit->text(), QString("Анна"));
            f->nameEdit->setText("Анна Ивановна");
            f->saveButton->click();
        });
        host.editPerson(0);
        QCOMPARE(host.shellState().editedPersonIndex, 0);
        QCOMPARE(host.trayMenu->findChild<QAction *>("NewItem0")->text(), QString("Анна Ивановна"));
        QCOMPARE(host.trayMenu->findChild<QAction *>("NewItem1")->text(), QString("Борис"));

        // Cancel: nothing rebuilt or written, the flag set again.
        const QByteArray before = ReadBytes(ini());
        AnswerModal("TForm2", [](QWidget *w) { static_cast<PersonEditor *>(w)->cancelButton->click(); });
        host.editPerson(1);
        QVERIFY(host.shellState().menuEnabled);
        QCOMPARE(ReadBytes(ini()), before);

        // A tag without a person: the general error box, and the menu usable again.
        host.editPerson(5);
        QCOMPARE(m_errors, QStringList({"List index out of bounds (5)"}));
        QVERIFY(host.shellState().menuEnabled);
    }

    // About: a click anywhere closes it, and nothing else does.
    void aboutContent()
    {
        AboutWindow box;
        QCOMPARE(CheckNamedParts(&box, {{"TAboutBox", "QDialog", "About..."},
                                        {"Panel1", "QFrame", ""},
                                        {"ProgramIcon", "QLabel", ""},
                                        {"Label1", "QLabel", "Лунофар"},
                                        {"Version", "QLabel", "Версия 2.07 (Build 0008)"},
                                        {"Comments", "QLabel", "Автор: Тимофей Ласточкин"}}),
                 QString());
        box.show();
        QVERIFY(!(box.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!box.icon->pixmap().isNull());
        const QImage shot = box.grab().toImage();
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());
        // The window's content is the same each time it opens.
        box.done(1);
        box.show();
        QCOMPARE(box.grab().toImage(), shot);
    }

    void aboutClosesOnAClickAnywhere_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("icon") << "ProgramIcon" << QPoint(20, 20);
        QTest::newRow("title") << "Label1" << QPoint(5, 5);
        QTest::newRow("version") << "Version" << QPoint(100, 6);
        QTest::newRow("author line") << "Comments" << QPoint(128, 6);
        QTest::newRow("bare panel") << "Panel1" << QPoint(240, 20);
        QTest::newRow("bevel") << "Panel1" << QPoint(0, 0);
    }
    void aboutClosesOnAClickAnywhere()
    {
        QFETCH(QString, control);
        QFETCH(QPoint, at);
        AboutWindow box;
        box.show();
        QWidget *target = box.findChild<QWidget *>(control);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::RightButton, {}, at);
        QVERIFY(box.isVisible());
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), 1);
    }

    void aboutClickGreysItsItem()
    {
        TrayHost host(ini(), HostOptions(m_dir->path()));
        host.aboutWindow = host.adopt(new AboutWindow);
        QAction *item = host.trayMenu->findChild<QAction *>("About");
        QVERIFY(item);
        bool seen = false;
        AnswerModal("TAboutBox", [&](QWidget *w) {
            seen = true;
            QVERIFY(!item->isEnabled());
            QTest::mouseClick(w->findChild<QWidget *>("Label1"), Qt::LeftButton);
        });
        host.showAbout();
        QVERIFY(seen);
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
