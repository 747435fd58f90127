// "Настройки": periods field by field in the locale's format, the defaults
// button, start at login kept in step with the check box, and the menu item.
#include "model/numtext.h"
#include "model/sharedstate.h"
#include "windows/monthdialog.h"
#include "windows/personeditor.h"
#include "windows/confirmdialog.h"
#include "windows/dialogs.h"
#include "shell/trayhost.h"
#include "store/autostart.h"
#include "store/settingsfile.h"
#include "windows/settingsdialog.h"
#include "testsupport.h"

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

    void noCloseBoxAndTabOrder()
    {
        SettingsDialog &f = open();
        QVERIFY(!(f.windowFlags() & Qt::WindowCloseButtonHint));
        // Tab order: Сохранить, Отмена, the box, the three fields, the defaults button.
        QList<QWidget *> chain;
        QWidget *w = f.Button2;
        do {
            chain << w;
            w = w->nextInFocusChain();
        } while (w != f.Button2 && chain.size() < 20);
        const QList<QWidget *> expected{f.Button2, f.Button1, f.CheckBox1, f.Edit1, f.Edit2, f.Edit3, f.Button3};
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
        QCOMPARE(f.Edit1->text(), QString("25"));
        QCOMPARE(f.Edit2->text(), QString("28,5"));
        QCOMPARE(f.Edit3->text(), QString("1E20"));
        QVERIFY(!f.CheckBox1->isChecked());
        QVERIFY(!f.AutoStartFound);
    }

    void commaAcceptedPointRefused()
    {
        SettingsDialog &f = open();
        type(f.Edit1, "23.5");
        f.Button2Click();
        QVERIFY(f.isVisible());
        QCOMPARE(f.focusWidget(), f.Edit1);
        QVERIFY(!QFile::exists(ini()));
        QVERIFY(m_errors.isEmpty());

        type(f.Edit1, "23,5");
        f.Button2Click();
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
        type(f.Edit1, "25");
        type(f.Edit2, "");
        type(f.Edit3, "40");
        f.Button2Click();
        QVERIFY(f.isVisible());
        QCOMPARE(f.focusWidget(), f.Edit2);
        QCOMPARE(m_state.periods.physical, 25.0);
        QCOMPARE(m_state.periods.emotional, CyclePeriods::DefaultEmotional);
        QCOMPARE(m_state.periods.intellectual, CyclePeriods::DefaultIntellectual);
        QCOMPARE(ReadBytes(ini()), before);

        // Cancel undoes nothing in memory either.
        f.Button1Click();
        QCOMPARE(f.result(), 2);
        QCOMPARE(m_state.periods.physical, 25.0);
    }

    void defaultsButtonFillsTheFieldsOnly()
    {
        m_state.periods = {1, 2, 3};
        SettingsDialog &f = open();
        f.CheckBox1->setChecked(true);
        QTest::mouseClick(f.Button3, Qt::LeftButton);
        QCOMPARE(f.Edit1->text(), QString("23,6884368"));
        QCOMPARE(f.Edit2->text(), QString("28,42612413"));
        QCOMPARE(f.Edit3->text(), QString("33,16381152"));
        QVERIFY(f.CheckBox1->isChecked());
        QCOMPARE(m_state.periods, (CyclePeriods{1, 2, 3}));
        QVERIFY(!QFile::exists(ini()));

        f.CheckBox1->setChecked(false);
        QTest::mouseClick(f.Button2, Qt::LeftButton);
        QCOMPARE(m_state.periods, CyclePeriods());
        QCOMPARE(ReadSettingsLines(ini()).mid(0, 3), QStringList({"H23,6884368", "E28,42612413", "I33,16381152"}));
    }

    void zeroAndNegativeAccepted()
    {
        SettingsDialog &f = open();
        type(f.Edit1, "0");
        type(f.Edit2, "-5");
        type(f.Edit3, " 1,5E3 ");
        f.Button2Click();
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
        editor.PrepareAdd();
        editor.Edit1->setText("Борис");
        MonthDialog month;
        ConfirmDialog question;
        struct Case {
            QDialog *dialog;
            QWidget *field;
            QList<QPushButton *> buttons; // the last one answers 2
        };
        const QList<Case> cases = {{&editor, editor.Edit1, {editor.Button1, editor.Button2}},
                                   {m_form.get(), m_form->Edit1, {m_form->Button3, m_form->Button2, m_form->Button1}},
                                   {&month, month.Year, {month.Button1, month.Button2}},
                                   {&question, nullptr, {question.Button1, question.Button2}}};
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
        QCOMPARE(m_form->Edit1->text(), FormatReal(m_state.periods.physical)); // the defaults button kept still
    }

    void autostartCreatedWithTheProgramPath()
    {
        SettingsDialog &f = open();
        QVERIFY(!f.CheckBox1->isChecked());
        f.CheckBox1->setChecked(true);
        f.Button2Click();
        QCOMPARE(f.result(), 1);
        QCOMPARE(AutoStart::Find(), std::optional<QString>(QCoreApplication::applicationFilePath()));
        QVERIFY(ReadBytes(AutoStart::DesktopFilePath()).contains("Exec=" + QFile::encodeName(QCoreApplication::applicationFilePath()) + "\n"));

        // Next opening finds it.
        open();
        QVERIFY(f.AutoStartFound);
        QVERIFY(f.CheckBox1->isChecked());
    }

    void staleEntryGoesAtOpeningEvenOnCancel()
    {
        QVERIFY(AutoStart::Create(m_dir->filePath("moved away/kelvora")));
        SettingsDialog &f = open();
        QVERIFY(!f.CheckBox1->isChecked());
        QVERIFY(!f.AutoStartFound);
        QVERIFY(!QFile::exists(AutoStart::DesktopFilePath()));
        f.Button1Click();
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
        QVERIFY(f.CheckBox1->isChecked());
        f.Button2Click();
        QCOMPARE(f.result(), 1);
        QCOMPARE(ReadBytes(AutoStart::DesktopFilePath()), entry);
        QCOMPARE(QFileInfo(AutoStart::DesktopFilePath()).lastModified(), stamp);

        open();
        f.CheckBox1->setChecked(false);
        f.Button2Click();
        QVERIFY(!AutoStart::Find());
    }

    void failedWriteKeepsTheDialogAndTheEntry()
    {
        m_state.settingsPath = m_dir->filePath("no such folder/Kelvora.ini");
        SettingsDialog &f = open();
        type(f.Edit1, "30");
        f.CheckBox1->setChecked(true);
        f.Button2Click();
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
        f.CheckBox1->setChecked(true);
        type(f.Edit1, "24");
        f.Button2Click();
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
        const QRect button = f.Button3->geometry();
        const QRect frame = f.GroupBox1->geometry();
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
        host.Form6 = host.adopt(new SettingsDialog(host.state()));
        QAction *item = host.PopupMenu1->findChild<QAction *>("N6");
        QVERIFY(item);
        bool seen = false;
        AnswerModal("Form6", [&](QWidget *w) {
            auto *f = static_cast<SettingsDialog *>(w);
            seen = true;
            QVERIFY(!item->isEnabled());
            QCOMPARE(f->Edit1->text(), QString("25"));
            f->Edit1->setText("26,25");
            f->Button2->click();
        });
        host.ParametresClick();
        QVERIFY(seen);
        QVERIFY(item->isEnabled());
        QCOMPARE(host.state().periods.physical, 26.25);
        QCOMPARE(ReadSettingsLines(ini()).first(), QString("H26,25"));

        AnswerModal("Form6", [&](QWidget *w) { static_cast<SettingsDialog *>(w)->Button1->click(); });
        host.ParametresClick();
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
