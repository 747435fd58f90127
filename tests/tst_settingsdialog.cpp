// "Настройки": periods field by field in the locale's format, the defaults
// button, start at login kept in step with the check box, and the menu item.
#include "model/numtext.h"
#include "model/sharedstate.h"
#include "shell/trayhost.h"
#include "store/autostart.h"
#include "store/settingsfile.h"
#include "windows/confirmdialog.h"
#include "windows/dialogs.h"
#include "windows/monthdialog.h"
#include "windows/personeditor.h"
#include "windows/settingsdialog.h"
#include "windowsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace TestSupport;

class TestSettingsDialog : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_config;
    SharedState m_state;
    std::unique_ptr<SettingsDialog> m_form;
    QStringList m_errors;

    QString ini() const { return m_dir->filePath("Kelvora.ini"); }

    // Opens the dialog as the menu would, without its modal loop.
    SettingsDialog &open()
    {
        m_form->show();
        if (!QTest::qWaitForWindowExposed(m_form.get()))
            qWarning("settings dialog not exposed");
        return *m_form;
    }

    void type(QLineEdit *edit, const QString &text) { edit->setText(text); }

private slots:
    void initTestCase() { SetUpLocaleAndClock(QDateTime(QDate(2024, 5, 15), QTime(12, 0))); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_config = std::make_unique<QTemporaryDir>();
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
        m_state = SharedState();
        m_state.settingsPath = ini();
        m_state.people.append({"Анна", 7, 11, 1984, 0, 12});
        m_form = std::make_unique<SettingsDialog>(m_state);
        m_errors.clear();
        Dialogs::setMessageHook([this](const QString &text, bool) { m_errors << text; });
    }
    void cleanup()
    {
        m_form.reset();
        Dialogs::clearHooks();
    }

    void layoutNames()
    {
        QCOMPARE(CheckNamedParts(m_form.get(), {{"TForm6", "QDialog", "Настройки"},
                                                {"Panel1", "QFrame", ""},
                                                {"CheckBox1", "QCheckBox", "Запускать при старте"},
                                                {"GroupBox1", "QGroupBox", " Периоды циклов "},
                                                {"Label1", "QLabel", "Физический"},
                                                {"Edit1", "QLineEdit", ""},
                                                {"Label2", "QLabel", "Эмоциональный"},
                                                {"Edit2", "QLineEdit", ""},
                                                {"Label3", "QLabel", "Интеллектуальный"},
                                                {"Edit3", "QLineEdit", ""},
                                                {"Button2", "QPushButton", "Сохранить"},
                                                {"Button1", "QPushButton", "Отмена"},
                                                {"Button3", "QPushButton", ""}}),
                 QString());
    }

    void noCloseBoxAndTabOrder()
    {
        SettingsDialog &f = open();
        QVERIFY(!(f.windowFlags() & Qt::WindowCloseButtonHint));
        // Tab order: Сохранить, Отмена, the box, the three fields, the defaults button.
        QList<QWidget *> chain;
        QWidget *w = f.saveButton;
        do {
            chain << w;
            w = w->nextInFocusChain();
        } while (w != f.saveButton && chain.size() < 20);
        const QList<QWidget *> expected{f.saveButton, f.cancelButton, f.autoStartBox, f.physicalPeriodEdit, f.emotionalPeriodEdit, f.intellectualPeriodEdit, f.defaultsButton};
        QList<QWidget *> focusable;
        for (QWidget *c : chain)
            if (expected.contains(c))
                focusable << c;
        QCOMPARE(focusable, expected);
    }

    void openingShowsThePeriodsInTheLocaleFormat()
    {
        m_state.periods = {25, 28.5, 1e20};
        SettingsDialog &f = open();
        QCOMPARE(f.physicalPeriodEdit->text(), QString("25"));
        QCOMPARE(f.emotionalPeriodEdit->text(), QString("28,5"));
        QCOMPARE(f.intellectualPeriodEdit->text(), QString("1E20"));
        QVERIFY(!f.autoStartBox->isChecked());
        QVERIFY(!f.autoStartFound);
    }

    void commaAcceptedPointRefused()
    {
        SettingsDialog &f = open();
        type(f.physicalPeriodEdit, "23.5");
        f.save();
        QVERIFY(f.isVisible());
        QCOMPARE(f.focusWidget(), f.physicalPeriodEdit);
        QVERIFY(!QFile::exists(ini()));
        QVERIFY(m_errors.isEmpty());

        type(f.physicalPeriodEdit, "23,5");
        f.save();
        QVERIFY(!f.isVisible());
        QCOMPARE(f.result(), 1);
        QCOMPARE(m_state.periods.physical, 23.5);
        const QStringList lines = ReadSettingsLines(ini());
        QCOMPARE(lines.mid(0, 4), QStringList({"H23,5", "E28,42612413", "I33,16381152", "[Анна]"}));
        QCOMPARE(lines.size(), 9);
    }

    void failingFieldKeepsEarlierPeriodsInMemoryOnly()
    {
        WriteSettingsFile(ini(), {"H23,6884368", "E28,42612413", "I33,16381152"});
        const QByteArray before = ReadBytes(ini());
        SettingsDialog &f = open();
        type(f.physicalPeriodEdit, "25");
        type(f.emotionalPeriodEdit, "");
        type(f.intellectualPeriodEdit, "40");
        f.save();
        QVERIFY(f.isVisible());
        QCOMPARE(f.focusWidget(), f.emotionalPeriodEdit);
        QCOMPARE(m_state.periods.physical, 25.0);
        QCOMPARE(m_state.periods.emotional, CyclePeriods::DefaultEmotional);
        QCOMPARE(m_state.periods.intellectual, CyclePeriods::DefaultIntellectual);
        QCOMPARE(ReadBytes(ini()), before);

        // Cancel undoes nothing in memory either.
        f.cancel();
        QCOMPARE(f.result(), 2);
        QCOMPARE(m_state.periods.physical, 25.0);
    }

    void defaultsButtonFillsTheFieldsOnly()
    {
        m_state.periods = {1, 2, 3};
        SettingsDialog &f = open();
        f.autoStartBox->setChecked(true);
        QTest::mouseClick(f.defaultsButton, Qt::LeftButton);
        QCOMPARE(f.physicalPeriodEdit->text(), QString("23,6884368"));
        QCOMPARE(f.emotionalPeriodEdit->text(), QString("28,42612413"));
        QCOMPARE(f.intellectualPeriodEdit->text(), QString("33,16381152"));
        QVERIFY(f.autoStartBox->isChecked());
        QCOMPARE(m_state.periods, (CyclePeriods{1, 2, 3}));
        QVERIFY(!QFile::exists(ini()));

        f.autoStartBox->setChecked(false);
        QTest::mouseClick(f.saveButton, Qt::LeftButton);
        QCOMPARE(m_state.periods, CyclePeriods());
        QCOMPARE(ReadSettingsLines(ini()).mid(0, 3), QStringList({"H23,6884368", "E28,42612413", "I33,16381152"}));
    }

    void zeroAndNegativeAccepted()
    {
        SettingsDialog &f = open();
        type(f.physicalPeriodEdit, "0");
        type(f.emotionalPeriodEdit, "-5");
        type(f.intellectualPeriodEdit, " 1,5E3 ");
        f.save();
        QCOMPARE(f.result(), 1);
        QCOMPARE(m_state.periods, (CyclePeriods{0, -5, 1500}));
        QCOMPARE(ReadSettingsLines(ini()).mid(0, 3), QStringList({"H0", "E-5", "I1500"}));
    }

    // One key rule for every dialog without default or cancel buttons
    // (editor, settings, month choice, confirmation): Enter and Esc do
    // nothing, in a field or on a focused button; Space presses the focused
    // button.
    void enterAndEscDoNothingInDialogs()
    {
        PersonEditor editor(m_state);
        editor.prepareAdd();
        editor.nameEdit->setText("Борис");
        MonthDialog month;
        ConfirmDialog question;
        struct Case {
            QDialog *dialog;
            QWidget *field;
            QList<QPushButton *> buttons; // the last one answers 2
        };
        const QList<Case> cases = {{&editor, editor.nameEdit, {editor.saveButton, editor.cancelButton}},
                                   {m_form.get(), m_form->physicalPeriodEdit, {m_form->defaultsButton, m_form->saveButton, m_form->cancelButton}},
                                   {&month, month.yearEdit, {month.buildButton, month.cancelButton}},
                                   {&question, nullptr, {question.yesButton, question.noButton}}};
        for (const Case &c : cases) {
            c.dialog->show();
            c.dialog->setResult(0);
            QList<QWidget *> targets(c.buttons.begin(), c.buttons.end());
            if (c.field)
                targets.prepend(c.field);
            for (QWidget *target : targets) {
                target->setFocus();
                for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                    QTest::keyClick(target, key);
                QVERIFY2(c.dialog->isVisible(), qPrintable(target->objectName()));
                QCOMPARE(c.dialog->result(), 0);
            }
            QPushButton *last = c.buttons.last();
            last->setFocus();
            QTest::keyClick(last, Qt::Key_Space);
            QVERIFY(!c.dialog->isVisible());
            QCOMPARE(c.dialog->result(), 2);
        }
        QVERIFY(!QFile::exists(ini()));
        QCOMPARE(m_form->physicalPeriodEdit->text(), FormatReal(m_state.periods.physical)); // the defaults button kept still
    }

    void autostartCreatedWithTheProgramPath()
    {
        SettingsDialog &f = open();
        QVERIFY(!f.autoStartBox->isChecked());
        f.autoStartBox->setChecked(true);
        f.save();
        QCOMPARE(f.result(), 1);
        QCOMPARE(AutoStart::Find(), std::optional<QString>(QCoreApplication::applicationFilePath()));
        QVERIFY(ReadBytes(AutoStart::DesktopFilePath()).contains("Exec=" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "\n"));

        // Next opening finds it.
        open();
        QVERIFY(f.autoStartFound);
        QVERIFY(f.autoStartBox->isChecked());
    }

    void staleEntryGoesAtOpeningEvenOnCancel()
    {
        QVERIFY(AutoStart::Create(m_dir->filePath("moved away/kelvora")));
        SettingsDialog &f = open();
        QVERIFY(!f.autoStartBox->isChecked());
        QVERIFY(!f.autoStartFound);
        QVERIFY(!QFile::exists(AutoStart::DesktopFilePath()));
        f.cancel();
        QCOMPARE(f.result(), 2);
        QVERIFY(!AutoStart::Find());
    }

    void validEntryIsNeverRewritten()
    {
        // An existing file of another copy: kept as it is while the box stays checked.
        const QString other = m_dir->filePath("other copy");
        WriteSettingsFile(other, {"x"});
        QVERIFY(AutoStart::Create(other));
        const QByteArray entry = ReadBytes(AutoStart::DesktopFilePath());
        const QDateTime stamp = QFileInfo(AutoStart::DesktopFilePath()).lastModified();
        SettingsDialog &f = open();
        QVERIFY(f.autoStartBox->isChecked());
        f.save();
        QCOMPARE(f.result(), 1);
        QCOMPARE(ReadBytes(AutoStart::DesktopFilePath()), entry);
        QCOMPARE(QFileInfo(AutoStart::DesktopFilePath()).lastModified(), stamp);

        open();
        f.autoStartBox->setChecked(false);
        f.save();
        QVERIFY(!AutoStart::Find());
    }

    void failedWriteKeepsTheDialogAndTheEntry()
    {
        m_state.settingsPath = m_dir->filePath("no such folder/Kelvora.ini");
        SettingsDialog &f = open();
        type(f.physicalPeriodEdit, "30");
        f.autoStartBox->setChecked(true);
        f.save();
        QCOMPARE(m_errors, QStringList({"Invalid filename"}));
        QVERIFY(f.isVisible());
        QCOMPARE(m_state.periods.physical, 30.0);
        QVERIFY(!AutoStart::Find());
    }

    void unwritableAutostartIsSilent()
    {
        // The config home is a file: the entry cannot be made; the periods are still saved.
        const QString blocker = m_dir->filePath("blocker");
        WriteSettingsFile(blocker, {"x"});
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
        SettingsDialog &f = open();
        f.autoStartBox->setChecked(true);
        type(f.physicalPeriodEdit, "24");
        f.save();
        QCOMPARE(f.result(), 1);
        QVERIFY(m_errors.isEmpty());
        QCOMPARE(ReadSettingsLines(ini()).first(), QString("H24"));
    }

    // The captionless button sits just inside the top right corner of the
    // periods frame: the frame's top line runs above it, its right line beside it.
    void defaultsButtonInsideTheFrameCorner()
    {
        SettingsDialog &f = open();
        const QImage shot = f.grab().toImage();
        QCOMPARE(shot.size(), QSize(201, 163));
        const QRect button = f.defaultsButton->geometry();
        const QRect frame = f.periodsGroup->geometry();
        QVERIFY(frame.contains(button));
        const QColor panel = shot.pixelColor(frame.right() - 4, button.center().y() + 6);
        auto isLine = [&](int x, int y) {
            const QColor c = shot.pixelColor(x, y);
            return qAbs(c.lightness() - panel.lightness()) > 20;
        };
        int top = frame.top();
        while (top < button.top() && !isLine(button.center().x(), top))
            ++top;
        QVERIFY2(top < button.top(), "no frame line above the button");
        int right = frame.right();
        while (right > button.right() && !isLine(right, button.center().y()))
            --right;
        QVERIFY2(right > button.right() && right - button.right() <= 12, "no frame line just right of the button");
    }

    // The menu command: its own item greyed while open, the menu flag left alone.
    void parametresClickGreysItsItem()
    {
        WriteSettingsFile(ini(), {"H25"});
        TrayHost host(ini(), HostOptions(m_dir->path()));
        host.settingsDialog = host.adopt(new SettingsDialog(host.state()));
        QAction *item = host.trayMenu->findChild<QAction *>("N6");
        QVERIFY(item);
        bool seen = false;
        AnswerModal("TForm6", [&](QWidget *w) {
            auto *f = static_cast<SettingsDialog *>(w);
            seen = true;
            QVERIFY(!item->isEnabled());
            QCOMPARE(f->physicalPeriodEdit->text(), QString("25"));
            f->physicalPeriodEdit->setText("26,25");
            f->saveButton->click();
        });
        host.showSettings();
        QVERIFY(seen);
        QVERIFY(item->isEnabled());
        QCOMPARE(host.state().periods.physical, 26.25);
        QCOMPARE(ReadSettingsLines(ini()).first(), QString("H26,25"));

        AnswerModal("TForm6", [&](QWidget *w) { static_cast<SettingsDialog *>(w)->cancelButton->click(); });
        host.showSettings();
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
