// Menu commands that the file system fails: a full disk, a settings file that
// is a folder, a folder that is not there or closed. Each failure shows one error box;
// the settings file keeps its old content; what the user did is neither lost
// from memory nor silently half-saved; the menu opens again.
#include "model/clock.h"
#include "model/errors.h"
#include "outputs/spreadsheetapp.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/confirmdialog.h"
#include "windows/dialogs.h"
#include "windows/personeditor.h"
#include "windows/settingsdialog.h"
#include "windowsupport.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace TestSupport;

namespace {
const QDateTime Noon(QDate(2024, 6, 10), QTime(12, 0));

QStringList Family()
{
    return PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("B", 15, 7, 1985, 0, 7) + PersonLines("C", 20, 9, 2010, 0, 12);
}

// Files may grow to `bytes` only, as on a disk that is nearly full. The
// process ignores SIGXFSZ, as the program does, so a write fails instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        const rlimit limit{bytes, m_old.rlim_max};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            qFatal("setrlimit");
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

class FakeSpreadsheetApp : public SpreadsheetApp {
public:
    QStringList opened;
    bool isRegistered() override { return true; }
    void open(const QString &path, QObject *, std::function<void(const QString &)>) override { opened << path; }
};


}

class TestCommandFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TrayHost> m_host;
    QStringList m_errors;
    FakeSpreadsheetApp m_app;

    QString ini() const { return m_dir->filePath("Kelvora.ini"); }
    TrayHost &host()
    {
        m_host = std::make_unique<TrayHost>(ini(), HostOptions(m_dir->path()));
        CreateWindows(*m_host);
        return *m_host;
    }
    template <class T = QAction>
    T *item(const QString &name)
    {
        return MenuPart<T>(*m_host, name);
    }
    // The tray menu opens on a click, as the user would find it.
    bool menuOpens()
    {
        if (!m_host->shellState().menuEnabled)
            return false;
        emit m_host->trayIcon()->activated(QSystemTrayIcon::Trigger);
        const bool shown = m_host->trayMenu->isVisible();
        m_host->trayMenu->hide();
        return shown;
    }
    // Runs `command` as an ordinary user while `folder` is closed to writing;
    // 0 when it showed exactly one error box starting with `message` and left
    // the menu usable.
    int failsInClosedFolder(const QString &folder, const QString &message, const std::function<void()> &command)
    {
        ::chmod(QFile::encodeName(m_dir->path()).constData(), 0755);
        ::chmod(QFile::encodeName(folder).constData(), 0555);
        const qsizetype before = m_errors.size();
        const int result = AsOrdinaryUser([&] {
            command();
            if (m_errors.size() != before + 1)
                return 1;
            if (!m_errors.last().startsWith(message))
                return 2;
            return m_host->shellState().menuEnabled ? 0 : 3;
        });
        m_errors.resize(before); // told here, not in the tally of the test
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        return result;
    }
    QStringList personItems()
    {
        QStringList names;
        for (QAction *a : m_host->trayMenu->actions())
            if (a->objectName().startsWith("NewItem"))
                names << a->text();
        return names;
    }

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(Noon);
        QLoggingCategory::setFilterRules("qt.core.qobject.connect=false");
        std::signal(SIGXFSZ, SIG_IGN);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_errors.clear();
        m_app.opened.clear();
        Clock::setFixed(Noon);
        Dialogs::setMessageHook([this](const QString &text, bool isError) {
            if (isError)
                m_errors << text;
        });
        SpreadsheetApps::setForTests(&m_app);
    }
    void cleanup()
    {
        m_host.reset();
        Dialogs::clearHooks();
        SpreadsheetApps::setForTests(nullptr);
        qunsetenv("TMPDIR");
    }

    void settingsFileThatIsAFolder()
    {
        QVERIFY(QDir().mkdir(ini()));
        TrayHost &h = host();
        QCOMPARE(m_errors, QStringList{"File access denied"});
        // Every change of day reads the file again; the same fault is told once.
        for (int day = 1; day <= 3; ++day) {
            Clock::setFixed(Noon.addDays(day));
            h.checkDay();
        }
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(menuOpens());

        // Adding a person: the editor tells why it cannot save and keeps the input.
        bool tried = false;
        AnswerModal("TForm2", [&](QWidget *w) {
            auto *f = static_cast<PersonEditor *>(w);
            f->nameEdit->setText("Дарья");
            f->saveButton->click();
            tried = f->isVisible() && f->nameEdit->text() == "Дарья";
            f->cancelButton->click();
        });
        h.addPerson();
        QVERIFY(tried);
        QCOMPARE(m_errors, QStringList({"File access denied", "File access denied"}));
        QCOMPARE(h.state().people.count(), 0);
        QVERIFY(QFileInfo(ini()).isDir()); // left as it was
        QVERIFY(menuOpens());

        // The folder gives way to a file: the next rebuild reads it quietly.
        QVERIFY(QDir().rmdir(ini()));
        WriteSettingsFile(ini(), Family());
        h.rebuildMenu();
        QCOMPARE(personItems(), QStringList({"C", "B", "A"}));
        QCOMPARE(m_errors.size(), 2);
    }

    // Not a file to read at all: reported once, without waiting on it or
    // reading it whole, and the program goes on with an empty menu.
    void settingsFileThatIsNoPlainFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("pipe") << "pipe" << "File access denied";
        QTest::newRow("link to /dev/zero") << "zero" << "File access denied";
        QTest::newRow("64 MB") << "huge" << "Файл настроек %1 слишком велик: больше 16 МБ";
        QTest::newRow("too many people") << "crowd" << "Файл настроек %1 слишком велик: больше " + QLocale().toString(MaxSettingsPeople) + " человек";
    }
    void settingsFileThatIsNoPlainFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QByteArray native = QFile::encodeName(ini());
        if (kind == "pipe") {
            QCOMPARE(::mkfifo(native.constData(), 0644), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link("/dev/zero", ini()));
        } else if (kind == "crowd") {
            QStringList lines = PeriodLines();
            for (int i = 0; i <= MaxSettingsPeople; ++i)
                lines << PersonLines("A", 1, 2, 1980, 0, 3);
            WriteSettingsFile(ini(), lines);
        } else {
            WriteSettingsFile(ini(), Family());
            QCOMPARE(::truncate(native.constData(), 64 << 20), 0); // sparse: takes no room
        }
        TrayHost &h = host();
        QCOMPARE(m_errors, QStringList{message.arg(ini())});
        for (int day = 1; day <= 2; ++day) {
            Clock::setFixed(Noon.addDays(day));
            h.checkDay();
        }
        QCOMPARE(m_errors.size(), 1);
        QVERIFY(personItems().isEmpty());
        QVERIFY(menuOpens());
    }

    // A save killed part-way leaves its temporary file beside the settings
    // file; the next start removes those of saves whose process is gone, and
    // never a file of the user's, whatever its name and content.
    void startRemovesLeftoversOfKilledSaves()
    {
        WriteSettingsFile(ini(), Family());
        const QByteArray family = ReadBytes(ini());
        const pid_t gone = ::fork();
        if (gone == 0)
            ::_exit(0);
        ::waitpid(gone, nullptr, 0);
        const QString killed = QString(".kelvora-unfinished-%1-").arg(gone);
        WriteSettingsFile(m_dir->filePath(killed + "a1B2c3"), Family());
        WriteSettingsFile(m_dir->filePath(killed + "Zz9Zz9"), {});
        const QString running = QString(".kelvora-unfinished-%1-Qw3rty").arg(::getppid());
        WriteSettingsFile(m_dir->filePath(running), Family());
        for (const QString &own : {".Kelvora.ini.backup", ".Kelvora.ini.240101", ".Kelvora.ini.a1B2c3"})
            WriteSettingsFile(m_dir->filePath(own), Family());
        QVERIFY(QFile::link(ini(), m_dir->filePath(killed + "l1n2k3")));
        host();
        QStringList kept{".Kelvora.ini.240101", ".Kelvora.ini.a1B2c3", ".Kelvora.ini.backup", killed + "l1n2k3",
                         running, "Kelvora.ini", "kelvora-test.lock"};
        kept.sort();
        QCOMPARE(FolderEntries(m_dir->path()), kept);
        QCOMPARE(ReadBytes(ini()), family);
        QCOMPARE(personItems(), QStringList({"C", "B", "A"}));
        QVERIFY(m_errors.isEmpty());
    }

    void diskFullWhileDeleting()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();
        const QByteArray original = ReadBytes(ini());
        {
            FileSizeLimit limit(64);
            AnswerModal("TForm8", [](QWidget *w) { static_cast<ConfirmDialog *>(w)->yesButton->click(); });
            h.deletePerson(1); // the menu item's command, run here while the disk is full
        }
        QCOMPARE(m_errors, QStringList{"Disk full"});
        QCOMPARE(ReadBytes(ini()), original);
        // Memory, menu and file agree again: B is still there, in every one.
        QCOMPARE(h.state().people.count(), 3);
        QCOMPARE(personItems(), QStringList({"C", "B", "A"}));
        QCOMPARE(item("DeleteItem1")->data().toInt(), 1);
        QVERIFY(menuOpens());

        // With room on the disk the same delete goes through.
        AnswerModal("TForm8", [](QWidget *w) { static_cast<ConfirmDialog *>(w)->yesButton->click(); });
        item("DeleteItem1")->trigger();
        QTRY_COMPARE(personItems(), QStringList({"C", "A"}));
        QCOMPARE(ReadSettingsLines(ini()), PeriodLines() + PersonLines("A", 1, 2, 1980, 0, 3) + PersonLines("C", 20, 9, 2010, 0, 12));
        QCOMPARE(m_errors.size(), 1);
    }

    // The file turned into something unreadable after the menu was built, and
    // the delete cannot be saved either: one box, and the person stays.
    void deleteWhenTheFileCannotBeReadOrWritten()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();
        QVERIFY(QFile::remove(ini()));
        QVERIFY(QDir().mkdir(ini()));
        AnswerModal("TForm8", [](QWidget *w) { static_cast<ConfirmDialog *>(w)->yesButton->click(); });
        h.deletePerson(1);
        QCOMPARE(m_errors, QStringList{"File access denied"});
        QCOMPARE(h.state().people.count(), 3);
        QCOMPARE(h.state().people.at(1).name, QString("B"));
        QCOMPARE(personItems(), QStringList({"C", "B", "A"}));
        QVERIFY(menuOpens());
    }

    void diskFullInTheEditor()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();
        const QByteArray original = ReadBytes(ini());
        QStringList seen;
        AnswerModal("TForm2", [&](QWidget *w) {
            auto *f = static_cast<PersonEditor *>(w);
            f->nameEdit->setText("Дарья");
            {
                FileSizeLimit limit(64);
                f->saveButton->click();
            }
            seen << QString::number(m_errors.size()) << QString::number(f->isVisible());
            seen << QString::number(h.state().people.count());
            seen << QString(ReadBytes(ini()) == original ? "intact" : "changed");
            // The disk has room again: the same input is saved by a second press.
            f->saveButton->click();
        });
        h.addPerson();
        QCOMPARE(seen, QStringList({"1", "1", "3", "intact"}));
        QCOMPARE(m_errors, QStringList{"Disk full"});
        QCOMPARE(personItems(), QStringList({"Дарья", "C", "B", "A"}));
        QVERIFY(h.shellState().menuEnabled);
        QVERIFY(menuOpens());
    }

    void diskFullInTheSettingsDialog()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();
        const QByteArray original = ReadBytes(ini());
        bool stayedOpen = false;
        AnswerModal("TForm6", [&](QWidget *w) {
            auto *f = static_cast<SettingsDialog *>(w);
            f->physicalPeriodEdit->setText("25");
            {
                FileSizeLimit limit(16);
                f->saveButton->click();
            }
            stayedOpen = f->isVisible();
            f->cancelButton->click();
        });
        h.showSettings();
        QVERIFY(stayedOpen);
        QCOMPARE(m_errors, QStringList{"Disk full"});
        QCOMPARE(ReadBytes(ini()), original);
        // The new period is kept in memory for this run, as the dialog took it.
        QCOMPARE(h.state().periods.physical, 25.0);
        QVERIFY(item("N6")->isEnabled());
        QVERIFY(menuOpens());
    }

    void textExportOnAFullDisk()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();
        const QString target = m_dir->filePath("A.txt");
        WriteSettingsFile(target, {"an older export"});
        Dialogs::setSaveFileHook([&](const QString &) { return target; });
        {
            FileSizeLimit limit(1000); // the export is some 6 700 bytes
            h.saveTextFile(0);
        }
        QCOMPARE(m_errors, QStringList{"Disk full"});
        QCOMPARE(ReadSettingsLines(target), QStringList{"an older export"});
        QCOMPARE(FolderEntries(m_dir->path()), QStringList({"A.txt", "Kelvora.ini", "kelvora-test.lock"}));
        QVERIFY(menuOpens());

        // Into a folder that is not there, and through a file taken for a folder.
        for (const QString &bad : {m_dir->filePath("gone/A.txt"), ini() + "/A.txt"}) {
            Dialogs::setSaveFileHook([&](const QString &) { return bad; });
            h.saveTextFile(0);
        }
        QCOMPARE(m_errors, QStringList({"Disk full", "Invalid filename", "Invalid filename"}));
        QVERIFY(menuOpens());

        // A new file in a folder closed to the user.
        QCOMPARE(failsInClosedFolder(m_dir->path(), "File access denied", [&] {
                     Dialogs::setSaveFileHook([&](const QString &) { return m_dir->filePath("B.txt"); });
                     h.saveTextFile(0);
                 }),
                 0);
        QVERIFY(!QFileInfo::exists(m_dir->filePath("B.txt")));
        QCOMPARE(ReadSettingsLines(target), QStringList{"an older export"});

        Dialogs::setSaveFileHook([&](const QString &) { return target; });
        h.saveTextFile(0);
        QCOMPARE(ReadBytes(target).count("\r\n"), 64);
        QCOMPARE(m_errors.size(), 3);
    }

    void spreadsheetExportWithoutRoom()
    {
        WriteSettingsFile(ini(), Family());
        TrayHost &h = host();

        // The temporary folder is gone.
        qputenv("TMPDIR", QFile::encodeName(m_dir->filePath("no tmp")));
        h.exportWorkbook(0);
        QCOMPARE(m_errors.size(), 1);
        QVERIFY2(m_errors.last().startsWith("Cannot create a folder in"), qPrintable(m_errors.last()));

        // The disk fills up while the workbook is written: nothing half-written is left or opened.
        const QString tmp = m_dir->filePath("tmp");
        QVERIFY(QDir().mkdir(tmp));
        qputenv("TMPDIR", QFile::encodeName(tmp));
        {
            FileSizeLimit limit(2000);
            h.exportWorkbook(0);
        }
        QCOMPARE(m_errors.size(), 2);
        QVERIFY2(m_errors.last().startsWith("Cannot write the workbook"), qPrintable(m_errors.last()));
        QVERIFY(m_app.opened.isEmpty());
        QCOMPARE(FolderEntries(tmp), QStringList());
        QVERIFY(menuOpens());

        // A temporary folder closed to the user.
        QCOMPARE(failsInClosedFolder(tmp, "Cannot create a folder in", [&] { h.exportWorkbook(0); }), 0);
        QCOMPARE(FolderEntries(tmp), QStringList());

        qputenv("TMPDIR", QFile::encodeName(tmp));
        h.exportWorkbook(0);
        QCOMPARE(m_errors.size(), 2);
        QCOMPARE(m_app.opened.size(), 1);
    }
};

QTEST_MAIN(TestCommandFaults)
#include "tst_commandfaults.moc"
