// The tray shell: the menu built from the settings file, its commands and the
// menu flag, delete and exit, the change of day and its watch, one copy per user.
#include "model/clock.h"
#include "model/errors.h"
#include "resources/pictures.h"
#include "shell/authorlinks.h"
#include "shell/birthday.h"
#include "shell/commandrunner.h"
#include "shell/daywatch.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "windows/confirmdialog.h"
#include "windows/dialogs.h"
#include "windowsupport.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLabel>
#include <QLockFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {
const QDateTime Noon(QDate(2024, 6, 10), QTime(12, 0));

// Object names of the visible items of a menu level, as it shows when opened.
QStringList Shown(QMenu *menu)
{
    emit menu->aboutToShow();
    QStringList names;
    for (QAction *a : menu->actions())
        if (a->isVisible())
            names << a->objectName();
    return names;
}

QStringList Names(QMenu *menu)
{
    QStringList names;
    for (QAction *a : menu->actions())
        names << a->objectName();
    return names;
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};
}

class TestTrayMenu : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TrayHost> m_host;
    QStringList m_messages; // "E:" errors, "M:" plain messages
    bool m_trayUp = true;

    QString ini() const { return m_dir->filePath("Kelvora.ini"); }
    TrayHost &host(bool withWindows = true)
    {
        m_host = std::make_unique<TrayHost>(ini(), HostOptions(m_dir->path(), [this] { return m_trayUp; }));
        if (withWindows)
            CreateWindows(*m_host);
        return *m_host;
    }
    template <class T = QAction>
    T *item(const QString &name)
    {
        return MenuPart<T>(*m_host, name);
    }
    void writeFamily() // A, B, C in file order
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("B", 15, 7, 1985, 0, 7) +
                                     PersonLines("C", 20, 9, 2010, 0, 12));
    }

    // Points at `person` in the open menu, chooses "Удалить" in the submenu
    // that opens and answers "Нет": the submenu's name, its first command's
    // name and the question asked.
    QString deleteFromSubmenu(QAction *person)
    {
        m_host->trayMenu->setActiveAction(person);
        QMenu *sub = person->menu();
        if (!QTest::qWaitFor([&] { return sub->isVisible(); }))
            return "no submenu";
        QString asked;
        AnswerModal("TForm8", [&](QWidget *w) {
            auto *f = static_cast<ConfirmDialog *>(w);
            asked = f->questionLabel->text();
            f->noButton->click();
        });
        sub->actions().last()->trigger();
        if (!QTest::qWaitFor([&] { return !asked.isEmpty() && !m_host->confirmDialog->isVisible(); }))
            return "no question";
        return sub->objectName() + " " + sub->actions().first()->objectName() + " " + asked;
    }

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(Noon);
        // Offscreen, the tray icon asks for a signal only a desktop has.
        QLoggingCategory::setFilterRules("qt.core.qobject.connect=false");
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.clear();
        m_trayUp = true;
        Clock::setFixed(Noon);
        Dialogs::setMessageHook([this](const QString &text, bool isError) { m_messages << (isError ? "E:" : "M:") + text; });
    }
    void cleanup()
    {
        m_host.reset();
        Dialogs::clearHooks();
    }

    void menuLaysOutPeopleAboveFixedPart()
    {
        writeFamily();
        TrayHost &h = host();
        QMenu *menu = h.trayMenu;
        QCOMPARE(Names(menu), QStringList({"NewItem2", "NewItem1", "NewItem0", "N1", "new", "N3", "Param", "FileExitItem1"}));
        QCOMPARE(h.shellState().personItemCount, 3);
        QCOMPARE(item("NewItem2")->text(), "C");
        QCOMPARE(item("NewItem0")->text(), "A");
        QVERIFY(SameIcon(item("NewItem1")->icon(), Pictures::imageList1(7)));
        QVERIFY(SameIcon(item("new")->icon(), Pictures::fixedItem("heart")));
        QVERIFY(SameIcon(item("Param")->icon(), Pictures::fixedItem("wrench")));
        QVERIFY(SameIcon(item("FileExitItem1")->icon(), Pictures::fixedItem("exit")));

        // C's submenu: ten items, each named prefix + 2 and tagged 2.
        QMenu *c = item<QMenu>("NewItem2");
        QCOMPARE(Names(c), QStringList({"ShowKelvora2", "ChartKelvora2", "PrintKelvora2", "ToExcelKelvora2", "ToFileKelvora2", "bSeparator2",
                                        "LifeChart2", "aSeparator2", "EditItem2", "DeleteItem2"}));
        const int pictures[] = {6, 10, 4, 5, 7, -1, 8, -1, 3, 0};
        for (int i = 0; i < 10; ++i) {
            QAction *a = c->actions().at(i);
            QCOMPARE(a->isSeparator(), pictures[i] < 0);
            QCOMPARE(a->data().toInt(), 2);
            if (pictures[i] >= 0)
                QVERIFY(SameIcon(a->icon(), Pictures::imageList2(pictures[i])));
        }
        QCOMPARE(item("NewItem1")->data().toInt(), 1);

        QMenu *param = item<QMenu>("Param");
        QCOMPARE(Names(param), QStringList({"N4", "N5", "About", "N2", "N6"}));
        QVERIFY(SameIcon(item("About")->icon(), Pictures::fixedItem("bubble")));

        for (QAction *a : h.findChildren<QAction *>())
            QVERIFY2(!a->objectName().isEmpty(), a->parent()->metaObject()->className());
        for (QMenu *m : h.findChildren<QMenu *>())
            QVERIFY2(!m->objectName().isEmpty(), qPrintable(m->title()));
        QCOMPARE(h.trayIcon()->toolTip(), "Лунофар");
        QVERIFY(h.trayIconShown());
        QCOMPARE(h.trayPicture(), 2);
    }

    void layoutNames()
    {
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3));
        QCOMPARE(CheckNamedParts(&host(), {{"TInitForm", "QWidget", "Лунофар"},
                                           {"TrayIcon", "QSystemTrayIcon", ""},
                                           {"Timer1", "QTimer", ""},
                                           {"PopupMenu1", "QMenu", ""},
                                           {"PopupMenu1", "QAction", ""},
                                           {"N1", "QAction", ""},
                                           {"new", "QAction", "Добавить..."},
                                           {"N3", "QAction", ""},
                                           {"Param", "QMenu", "Параметры..."},
                                           {"Param", "QAction", "Параметры..."},
                                           {"N4", "QAction", "Письмо автору"},
                                           {"N5", "QAction", "Страничка автора"},
                                           {"About", "QAction", "О программе..."},
                                           {"N2", "QAction", ""},
                                           {"N6", "QAction", "Настройки"},
                                           {"FileExitItem1", "QAction", "Выход!"},
                                           {"NewItem0", "QMenu", "A"},
                                           {"NewItem0", "QAction", "A"},
                                           {"ShowKelvora0", "QAction", "На экран"},
                                           {"ChartKelvora0", "QAction", "График"},
                                           {"PrintKelvora0", "QAction", "На принтер"},
                                           {"ToExcelKelvora0", "QAction", "MS Excel"},
                                           {"ToFileKelvora0", "QAction", "В файл..."},
                                           {"bSeparator0", "QAction", ""},
                                           {"LifeChart0", "QAction", "Био-партнёр"},
                                           {"aSeparator0", "QAction", ""},
                                           {"EditItem0", "QAction", "Изменить..."},
                                           {"DeleteItem0", "QAction", "Удалить"}}),
                 QString());
    }

    void namesAreShownAsStored()
    {
        WriteSettingsFile(ini(), PersonLines("Том & Джерри", 1, 1, 2000, 0, 0));
        host();
        QAction *a = item("NewItem0");
        QCOMPARE(a->text(), "Том && Джерри"); // one literal ampersand on screen, no mnemonic
    }

    void separatorsNeverLeadTrailOrDouble()
    {
        TrayHost &h = host();
        // No people: the menu starts with "Добавить...".
        QCOMPARE(Shown(h.trayMenu), QStringList({"new", "N3", "Param", "FileExitItem1"}));
        QCOMPARE(Shown(item<QMenu>("Param")), QStringList({"N4", "N5", "About", "N2", "N6"}));
        // Hiding items must not leave a doubled or a trailing separator behind.
        item("new")->setVisible(false);
        QCOMPARE(Shown(h.trayMenu), QStringList({"Param", "FileExitItem1"}));
        item("N6")->setVisible(false);
        QCOMPARE(Shown(item<QMenu>("Param")), QStringList({"N4", "N5", "About"}));
        item("new")->setVisible(true);

        writeFamily();
        h.rebuildMenu();
        QCOMPARE(Shown(h.trayMenu).mid(0, 5), QStringList({"NewItem2", "NewItem1", "NewItem0", "N1", "new"}));
        // The real popup tidies too.
        h.trayMenu->popup(QPoint(10, 10));
        QVERIFY(item("N1")->isVisible());
        h.trayMenu->hide();
    }

    void birthdayTest_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("expected");
        QTest::newRow("on the day") << 15 << 7 << QDate(2024, 7, 15) << true;
        QTest::newRow("day before") << 15 << 7 << QDate(2024, 7, 14) << false;
        QTest::newRow("29 Feb, leap year") << 29 << 2 << QDate(2024, 2, 29) << true;
        QTest::newRow("29 Feb, leap year, 28th") << 29 << 2 << QDate(2024, 2, 28) << false;
        QTest::newRow("29 Feb, common year, 28th") << 29 << 2 << QDate(2023, 2, 28) << true;
        QTest::newRow("29 Feb, common year, 1 Mar") << 29 << 2 << QDate(2023, 3, 1) << false;
        QTest::newRow("31 April") << 31 << 4 << QDate(2024, 5, 1) << false;
        QTest::newRow("month 13") << 1 << 13 << QDate(2025, 1, 1) << false;
        QTest::newRow("day 0") << 0 << 3 << QDate(2024, 2, 29) << false;
    }
    void birthdayTest()
    {
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(QDate, today);
        QFETCH(bool, expected);
        Person p;
        p.day = quint8(day);
        p.month = quint8(month);
        QCOMPARE(IsBirthday(p, today), expected);
    }

    void birthdayMarksItemsAndIcon()
    {
        Clock::setFixed(QDateTime(QDate(2024, 7, 15), QTime(0, 0, 1)));
        WriteSettingsFile(ini(), PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("B", 15, 7, 1985, 0, 7) + PersonLines("Twin", 15, 7, 1990, 0, 9) +
                                     PersonLines("Odd", 31, 4, 1990, 0, 4) + PersonLines("Bad", 40, 13, 1990, 0, 5));
        TrayHost &h = host();
        QCOMPARE(h.shellState().personItemCount, 5);
        QVERIFY(SameIcon(item("NewItem1")->icon(), Pictures::imageList1(32)));
        QVERIFY(SameIcon(item("NewItem2")->icon(), Pictures::imageList1(32)));
        QVERIFY(SameIcon(item("NewItem0")->icon(), Pictures::imageList1(3)));
        QVERIFY(SameIcon(item("NewItem3")->icon(), Pictures::imageList1(4)));
        QCOMPARE(h.trayPicture(), 9);
        QVERIFY(SameIcon(h.trayIcon()->icon(), Pictures::imageList2(9)));
        // The file keeps the person's own picture.
        QCOMPARE(h.state().people.at(1).picture, 7);

        Clock::setFixed(QDateTime(QDate(2024, 7, 16), QTime(0, 0, 1)));
        h.checkDay();
        QCOMPARE(h.trayPicture(), 2);
        QVERIFY(SameIcon(item("NewItem1")->icon(), Pictures::imageList1(7)));
        QVERIFY(m_messages.isEmpty());
    }

    void changeOfDayRebuildsOnce()
    {
        Clock::setFixed(QDateTime(QDate(2024, 6, 10), QTime(23, 59, 59)));
        writeFamily();
        TrayHost &h = host();
        // The file changes; the same day reads nothing and rebuilds nothing.
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3));
        h.checkDay();
        QCOMPARE(h.shellState().personItemCount, 3);

        // The new day shows it, once.
        Clock::setFixed(QDateTime(QDate(2024, 6, 11), QTime(0, 0, 0)));
        h.checkDay();
        QCOMPARE(h.shellState().personItemCount, 1);
        writeFamily();
        h.checkDay();
        h.checkDay();
        QCOMPARE(h.shellState().personItemCount, 1);

        // The clock set back counts as a change of day too.
        Clock::setFixed(QDateTime(QDate(2024, 6, 10), QTime(12, 0)));
        h.checkDay();
        QCOMPARE(h.shellState().personItemCount, 3);
        QCOMPARE(h.shellState().rememberedDay, QDate(2024, 6, 10));

        // An empty list keeps the fixed part, day after day.
        WriteSettingsFile(ini(), PeriodLines());
        for (int d = 11; d < 14; ++d) {
            Clock::setFixed(QDateTime(QDate(2024, 6, d), QTime(0, 0, 1)));
            h.checkDay();
        }
        QCOMPARE(Names(h.trayMenu), QStringList({"N1", "new", "N3", "Param", "FileExitItem1"}));
        QCOMPARE(h.shellState().personItemCount, 0);
    }

    // Nobody calls the handler here: the watch itself wakes the program when
    // the day has turned, and the same day does not rebuild.
    void dayWatchWakesAtTheNextDay()
    {
        Clock::setFixed(QDateTime(QDate(2024, 6, 10), QTime(23, 59, 59, 500)));
        writeFamily();
        TrayHost &h = host();
        QTest::qWait(0); // the first turn of the event loop: same day, nothing rebuilt
        QCOMPARE(h.shellState().personItemCount, 3);
        QVERIFY(!h.dayTimer->isActive()); // icon shown, file good: no ticking

        WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3));
        Clock::setFixed(QDateTime(QDate(2024, 6, 11), QTime(0, 0, 0, 500)));
        QTRY_COMPARE(h.shellState().personItemCount, 1);
        QCOMPARE(h.shellState().rememberedDay, QDate(2024, 6, 11));
    }

    // The watch waits for the first moment of the next day, however long the
    // day: midnight is not always there to wait for.
    void dayWatchWaitsForTheNextDayStart_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<qint64>("wait");
        const QTimeZone berlin("Europe/Berlin");
        const QTimeZone saoPaulo("America/Sao_Paulo");
        const qint64 hour = 3600 * 1000;
        QTest::newRow("ordinary day") << QDateTime(QDate(2024, 6, 10), QTime(12, 0), berlin) << 12 * hour;
        QTest::newRow("23-hour day") << QDateTime(QDate(2024, 3, 31), QTime(0, 0), berlin) << 23 * hour;
        QTest::newRow("25-hour day") << QDateTime(QDate(2024, 10, 27), QTime(0, 0), berlin) << 25 * hour;
        // Clocks went from 23:59:59 to 01:00 on 4 November 2018 there.
        QTest::newRow("no midnight") << QDateTime(QDate(2018, 11, 3), QTime(23, 0), saoPaulo) << 1 * hour;
        QTest::newRow("last half second") << QDateTime(QDate(2024, 6, 10), QTime(23, 59, 59, 500), berlin) << qint64(1000);
    }
    void dayWatchWaitsForTheNextDayStart()
    {
        QFETCH(QDateTime, now);
        QFETCH(qint64, wait);
        QCOMPARE(DayWatch::waitFrom(now), wait);
        QVERIFY(now.addMSecs(wait).date() > now.date());
    }

    void loadErrorIsShownOnceAndTheListKept()
    {
        writeFamily();
        TrayHost &h = host();
        const QStringList bad = PeriodLines() + QStringList({"[X]", "abc", "1", "1990", "0", "1"});
        WriteSettingsFile(ini(), bad);
        Clock::setFixed(Noon.addDays(1));
        h.checkDay();
        QCOMPARE(m_messages, QStringList({"E:'abc' is not a valid integer value"}));
        // The menu goes on with the list as it was.
        QCOMPARE(h.state().people.count(), 3);
        QCOMPARE(Names(h.trayMenu).mid(0, 3), QStringList({"NewItem2", "NewItem1", "NewItem0"}));
        for (int i = 0; i < 5; ++i)
            h.checkDay();
        Clock::setFixed(Noon.addDays(2));
        h.checkDay();
        QCOMPARE(m_messages.size(), 1);

        // Mended: taken up at the next tick, not the next day; then the ticking stops.
        QVERIFY(h.dayTimer->isActive());
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("Z", 1, 1, 2000, 0, 1));
        h.checkDay();
        QCOMPARE(h.shellState().personItemCount, 1);
        QVERIFY(!h.dayTimer->isActive());
        QCOMPARE(item("NewItem0")->text(), "Z");
        // Broken again later: that is news, and told at the next rebuild.
        WriteSettingsFile(ini(), bad);
        Clock::setFixed(Noon.addDays(3));
        h.checkDay();
        QCOMPARE(m_messages.size(), 2);
        QCOMPARE(item("NewItem0")->text(), "Z");
    }

    // The day turns while a rebuild's error box is open: nothing ticks to
    // catch it later, so the rebuild runs once more when the box closes.
    void dayTurnsUnderTheErrorBox()
    {
        writeFamily();
        TrayHost &h = host();
        WriteSettingsFile(ini(), PeriodLines() + QStringList({"[X]", "abc", "1", "1990", "0", "1"}));
        Dialogs::setMessageHook([&](const QString &text, bool) {
            m_messages << text;
            WriteSettingsFile(ini(), PeriodLines() + PersonLines("Z", 1, 1, 2000, 0, 1));
            Clock::setFixed(Noon.addDays(2));
            h.checkDay();
        });
        Clock::setFixed(Noon.addDays(1));
        h.checkDay();
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(Names(h.trayMenu).first(), "NewItem0");
        QCOMPARE(item("NewItem0")->text(), "Z");
        QCOMPARE(h.shellState().rememberedDay, Noon.date().addDays(2));
    }

    void loadErrorAtStart()
    {
        WriteSettingsFile(ini(), {"[X]", "1", "2"});
        TrayHost &h = host();
        QCOMPARE(m_messages, QStringList({"E:'' is not a valid integer value"}));
        QCOMPARE(Shown(h.trayMenu).first(), "new");
        h.checkDay();
        QCOMPARE(m_messages.size(), 1);
    }

    void menuFlagPerCommand_data()
    {
        QTest::addColumn<QString>("itemName");
        QTest::addColumn<bool>("clears");
        for (const char *name : {"new", "ShowKelvora0", "ChartKelvora0", "PrintKelvora0", "ToFileKelvora0", "EditItem0", "FileExitItem1"})
            QTest::newRow(name) << name << true;
        for (const char *name : {"ToExcelKelvora0", "LifeChart0", "DeleteItem0", "About", "N6", "N4", "N5"})
            QTest::newRow(name) << name << false;
    }
    void menuFlagPerCommand()
    {
        QFETCH(QString, itemName);
        QFETCH(bool, clears);
        writeFamily();
        TrayHost &h = host();
        int calls = 0;
        bool flagInside = false;
        // Stop every command before its own work, with an error.
        h.runner().setBeforeCommand([&] {
            ++calls;
            flagInside = h.shellState().menuEnabled;
            throw KelvoraError("stopped");
        });
        item(itemName)->trigger();
        QTRY_COMPARE(calls, 1);
        QCOMPARE(flagInside, !clears);
        QVERIFY(h.shellState().menuEnabled); // set again after the error
        QCOMPARE(m_messages, QStringList({"E:stopped"}));
    }

    void runnerShowsEveryKindOfError()
    {
        TrayHost &h = host(false);
        QVERIFY(!h.runner().run(true, [] { throw std::runtime_error("broken"); }));
        QVERIFY(!h.runner().run(false, [] { throw 42; }));
        QVERIFY(h.runner().run(true, [] {}));
        QCOMPARE(m_messages, QStringList({"E:broken", "E:Unknown error"}));
        QVERIFY(h.shellState().menuEnabled);
        // A command that does not clear the flag leaves it as it was.
        h.shellState().menuEnabled = false;
        h.runner().run(false, [] { throw KelvoraError("x"); });
        QVERIFY(!h.shellState().menuEnabled);
    }

    void trayClicksOpenTheMenuWhileTheFlagIsSet()
    {
        TrayHost &h = host();
        h.shellState().menuEnabled = false;
        emit h.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!h.trayMenu->isVisible());
        h.shellState().menuEnabled = true;
        for (auto reason : {QSystemTrayIcon::DoubleClick, QSystemTrayIcon::MiddleClick, QSystemTrayIcon::Unknown}) {
            emit h.trayIcon()->activated(reason);
            QVERIFY(!h.trayMenu->isVisible());
        }
        for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::Context}) {
            emit h.trayIcon()->activated(reason);
            QVERIFY(h.trayMenu->isVisible());
            h.trayMenu->hide();
        }
        QVERIFY(!h.trayIcon()->contextMenu());
    }

    void deleteAsksFirst()
    {
        writeFamily();
        TrayHost &h = host();
        const QByteArray original = ReadBytes(ini());
        QString asked;
        AnswerModal("TForm8", [&](QWidget *w) {
            auto *f = static_cast<ConfirmDialog *>(w);
            asked = f->questionLabel->text();
            f->noButton->click();
        });
        item("DeleteItem1")->trigger();
        QTRY_COMPARE(asked, "B нас покидает?");
        QTRY_VERIFY(!h.confirmDialog->isVisible());
        QCOMPARE(ReadBytes(ini()), original);
        QCOMPARE(h.shellState().editedPersonIndex, 1);
        QCOMPARE(h.shellState().personItemCount, 3);

        AnswerModal("TForm8", [](QWidget *w) { static_cast<ConfirmDialog *>(w)->yesButton->click(); });
        item("DeleteItem1")->trigger();
        QTRY_COMPARE(h.shellState().personItemCount, 2);
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("C", 20, 9, 2010, 0, 12));
        QCOMPARE(Names(h.trayMenu).mid(0, 2), QStringList({"NewItem1", "NewItem0"}));
        QCOMPARE(item("NewItem1")->text(), "C");
        QVERIFY(item("ShowKelvora1"));
        QCOMPARE(item("DeleteItem1")->data().toInt(), 1);
        QVERIFY(!item("NewItem2"));
        QVERIFY(m_messages.isEmpty());
    }

    // A second "Удалить" or "Выход!" while the question is open brings the box
    // forward and changes nothing: its "Да" answers the question it shows,
    // which names the person as typed, markup included.
    void secondAskKeepsTheOpenQuestion()
    {
        const QString marked = "<font color=\"#ff0000\">Red</font>";
        WriteSettingsFile(ini(), PeriodLines() + PersonLines(marked, 1, 2, 1980, 0, 3) + PersonLines("B", 15, 7, 1985, 0, 7));
        TrayHost &h = host();
        QString shown, read;
        AnswerModal("TForm8", [&](QWidget *w) {
            auto *f = static_cast<ConfirmDialog *>(w);
            h.deletePerson(1);
            h.exitProgram();
            shown = f->questionLabel->text();
            read = QAccessible::queryAccessibleInterface(f->questionLabel)->text(QAccessible::Name);
            f->yesButton->click();
        });
        item("DeleteItem0")->trigger();
        QTRY_VERIFY(!shown.isEmpty());
        QTRY_VERIFY(!h.confirmDialog->isVisible());
        QCOMPARE(shown, marked + " нас покидает?");
        QCOMPARE(read, shown); // what a screen reader reads is the text as shown, not its markup
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("B", 15, 7, 1985, 0, 7));
        QVERIFY(!h.ending());
        QVERIFY(m_messages.isEmpty());
    }

    // One submenu serves every person: pointed at in the open menu, it shows
    // the commands of the person under the pointer, also when it was open
    // for someone else and after the list changed under the same items.
    void personSubmenuIsThePointedPersons()
    {
        writeFamily();
        TrayHost &h = host();
        QMenu *menu = h.trayMenu;
        menu->popup(QPoint(10, 10));
        menu->setActiveAction(h.findChild<QAction *>("NewItem2"));
        QTRY_VERIFY(h.findChild<QAction *>("NewItem2")->menu()->isVisible());
        QCOMPARE(deleteFromSubmenu(h.findChild<QAction *>("NewItem0")), "NewItem0 ShowKelvora0 A нас покидает?");

        // B leaves and D comes, in the file: the items stay, their people change.
        WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("C", 20, 9, 2010, 0, 12) +
                                     PersonLines("D", 2, 2, 2002, 0, 2));
        h.rebuildMenu();
        menu->popup(QPoint(10, 10));
        QCOMPARE(deleteFromSubmenu(menu->actions().at(0)), "NewItem2 ShowKelvora2 D нас покидает?");
        QCOMPARE(deleteFromSubmenu(menu->actions().at(1)), "NewItem1 ShowKelvora1 C нас покидает?");
        menu->hide();
        QVERIFY(m_messages.isEmpty());
    }

    // More people than the screen holds: one column that scrolls, on the
    // screen; Up chooses the last item and brings it into sight.
    void longFamilyScrolls()
    {
        QStringList lines = PeriodLines();
        for (int i = 0; i < 300; ++i)
            lines += PersonLines(QString("Человек %1").arg(i), 1, 1, 1990, 0, i % 32);
        WriteSettingsFile(ini(), lines);
        TrayHost &h = host();
        QMenu *menu = h.trayMenu;
        menu->popup(QPoint(10, 10));
        QVERIFY(menu->isVisible());
        const QRect screen = menu->screen()->geometry();
        QVERIFY2(screen.contains(menu->geometry()), qPrintable(QString("%1 tall").arg(menu->height())));
        QAction *exit = item("FileExitItem1");
        QCOMPARE(menu->actionGeometry(exit).x(), menu->actionGeometry(item("NewItem299")).x());
        QVERIFY(!menu->rect().contains(menu->actionGeometry(exit)));
        QTest::keyClick(menu, Qt::Key_Up);
        QCOMPARE(menu->activeAction(), exit);
        QVERIFY(menu->rect().contains(menu->actionGeometry(exit)));
        menu->hide();
    }

    void deleteNeverHitsSomeoneElse()
    {
        writeFamily();
        TrayHost &h = host();
        // While the question is open the file changes under the program.
        bool answered = false;
        AnswerModal("TForm8", [&](QWidget *w) {
            answered = true;
            WriteSettingsFile(ini(), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("D", 2, 2, 2002, 0, 2));
            h.rebuildMenu();
            static_cast<ConfirmDialog *>(w)->yesButton->click();
        });
        item("DeleteItem1")->trigger();
        QTRY_VERIFY(answered);
        QTRY_VERIFY(!h.confirmDialog->isVisible());
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("D", 2, 2, 2002, 0, 2));
    }

    void confirmationDialog()
    {
        ConfirmDialog form;
        QCOMPARE(CheckNamedParts(&form, {{"TForm8", "QDialog", ""},
                                         {"Label1", "QLabel", ""},
                                         {"Button1", "QPushButton", "Да"},
                                         {"Button2", "QPushButton", "Нет"}}),
                 QString());
        QCOMPARE(form.size(), QSize(249, 65));
        QVERIFY(form.questionLabel->font().bold());
        QCOMPARE(form.questionLabel->width(), 233);
        form.show();
        QTest::keyClick(&form, Qt::Key_Escape); // no cancel key
        QVERIFY(form.isVisible());
        form.close(); // closed by other means: "Нет"
        QCOMPARE(form.result(), 2);
        form.show();
        form.yesButton->click();
        QCOMPARE(form.result(), 1);
    }

    void exitAsksAndEnds()
    {
        TrayHost &h = host();
        bool flagInside = true;
        QString asked;
        AnswerModal("TForm8", [&](QWidget *w) {
            auto *f = static_cast<ConfirmDialog *>(w);
            asked = f->questionLabel->text();
            flagInside = h.shellState().menuEnabled;
            f->noButton->click();
        });
        item("FileExitItem1")->trigger();
        QTRY_COMPARE(asked, "Завершить работу программы?");
        QTRY_VERIFY(!h.confirmDialog->isVisible());
        QVERIFY(!flagInside);
        QVERIFY(h.shellState().menuEnabled);
        QVERIFY(!h.ending());
        QVERIFY(h.trayIconShown());

        AnswerModal("TForm8", [](QWidget *w) { static_cast<ConfirmDialog *>(w)->yesButton->click(); });
        item("FileExitItem1")->trigger();
        QTRY_VERIFY(h.ending());
        QVERIFY(!h.trayIconShown());
        QVERIFY(h.shellState().menuEnabled);
        // Ending, the icon takes no more clicks and no day change brings it back.
        emit h.trayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(!h.trayMenu->isVisible());
        Clock::setFixed(Noon.addDays(1));
        h.checkDay();
        QVERIFY(!h.trayIconShown());
    }

    void endOfSessionLeavesWithoutAsking()
    {
        TrayHost &h = host();
        h.endSession();
        QVERIFY(h.ending());
        QVERIFY(!h.trayIconShown());
        QVERIFY(!h.confirmDialog->isVisible());
        QVERIFY(m_messages.isEmpty());
    }

    void linksToTheAuthor()
    {
        TrayHost &h = host();
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        h.mailAuthor();
        h.openHomePage();
        QDesktopServices::unsetUrlHandler("mailto");
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[0].toString(), "mailto:" + AuthorMailAddress() + "?subject=Лунофар");
        QCOMPARE(catcher.urls[1].toString(), AuthorHomePage());
    }

    void oneCopyPerUser()
    {
        writeFamily();
        TrayHost &first = host();
        TrayHost second(ini(), HostOptions(m_dir->path()));
        QVERIFY(second.secondCopy());
        QVERIFY(!second.trayMenu);
        QVERIFY(!second.trayIconShown());
        QVERIFY(!first.secondCopy());
        QVERIFY(first.trayIconShown());
        QCOMPARE(first.shellState().personItemCount, 3);
        QVERIFY(m_messages.isEmpty());

        m_host.reset(); // the first copy ends and frees its place
        TrayHost third(ini(), HostOptions(m_dir->path()));
        QVERIFY(!third.secondCopy());
    }

    void lockLeftByADeadCopyIsTakenOver()
    {
        // A lock written by a process that has ended since.
        QProcess gone;
        gone.start("true");
        QVERIFY(gone.waitForStarted());
        const qint64 pid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QFile lock(HostOptions(m_dir->path()).lockPath);
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(QByteArray::number(pid) + "\nkelvora\n" + QSysInfo::machineHostName().toUtf8() + "\n" +
                   QSysInfo::machineUniqueId() + "\n" + QSysInfo::bootUniqueId() + "\n");
        lock.close();
        QVERIFY(!host().secondCopy());
        QVERIFY(m_host->trayMenu);
    }

    void noNotificationArea()
    {
        m_trayUp = false;
        TrayHost &h = host();
        QVERIFY(!h.trayIconShown());
        QVERIFY(m_messages.isEmpty()); // a panel that starts late gets its moment
        for (int i = 0; i < 30; ++i)
            h.checkDay();
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith("M:"));
        QVERIFY(!h.trayIconShown());
        QVERIFY(h.dayTimer->isActive());
        m_trayUp = true;
        h.checkDay();
        QVERIFY(h.trayIconShown());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(!h.dayTimer->isActive());
    }
};

QTEST_MAIN(TestTrayMenu)
#include "tst_traymenu.moc"
