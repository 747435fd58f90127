// Start at login: the XDG autostart entry, its Exec quoting and its life cycle.
#include "model/clock.h"
#include "store/autostart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
}

class TestAutoStart : public QObject {
    Q_OBJECT
    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2024, 5, 15), QTime(12, 0)));
        QVERIFY(m_config.isValid());
    }
    void init() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path())); }
    void cleanup() { QFile::remove(AutoStart::DesktopFilePath()); }

    void entryLivesInTheConfigHome()
    {
        QCOMPARE(AutoStart::DesktopFilePath(), m_config.path() + "/autostart/Kelvora.desktop");
        // Unset or relative: the default folder in the home.
        qputenv("XDG_CONFIG_HOME", "relative/dir");
        QCOMPARE(AutoStart::DesktopFilePath(), QDir::homePath() + "/.config/autostart/Kelvora.desktop");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(AutoStart::DesktopFilePath(), QDir::homePath() + "/.config/autostart/Kelvora.desktop");
    }

    void execValueQuotesOnlyWhatNeedsIt()
    {
        QCOMPARE(AutoStart::ExecValue("/usr/bin/kelvora"), QString("/usr/bin/kelvora"));
        QCOMPARE(AutoStart::ExecValue("/home/u/Мои программы/kelvora"), QString("\"/home/u/Мои программы/kelvora\""));
        // A backslash is escaped for the quotes and again for the string: four of them.
        QCOMPARE(AutoStart::ExecValue("/opt/a\\b"), QString("\"/opt/a\\\\\\\\b\""));
        QCOMPARE(AutoStart::ExecValue("/opt/$HOME/k"), QString("\"/opt/\\\\$HOME/k\""));
        QCOMPARE(AutoStart::ExecValue("/opt/100%/k"), QString("/opt/100%%/k"));
    }

    void execValueReadsBackThePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/usr/bin/kelvora";
        QTest::newRow("spaces") << "/home/u/My Programs/Лунофар/kelvora";
        QTest::newRow("quotes") << "/tmp/say \"hi\"/kelvora";
        QTest::newRow("shell chars") << "/tmp/a'b`c$d&e;f|g<h>i(j)k*l?m#n~o/kelvora";
        QTest::newRow("backslash") << "/tmp/back\\slash\\\\two/kelvora";
        QTest::newRow("percent") << "/tmp/100% sure/%f/kelvora";
        QTest::newRow("tab and newline") << "/tmp/a\tb\nc/kelvora";
    }
    void execValueReadsBackThePath()
    {
        QFETCH(QString, path);
        const QString value = AutoStart::ExecValue(path);
        QVERIFY2(!value.contains('\n') && !value.contains('\t'), qPrintable(value));
        QCOMPARE(AutoStart::ProgramFromExecValue(value), path);
    }

    void execValueWrittenByOthers()
    {
        // Entries made by hand or by other tools: arguments and field codes follow the program.
        QCOMPARE(AutoStart::ProgramFromExecValue("/usr/bin/kelvora %U"), QString("/usr/bin/kelvora"));
        QCOMPARE(AutoStart::ProgramFromExecValue("\"/opt/my app/kelvora\" --tray"), QString("/opt/my app/kelvora"));
        QCOMPARE(AutoStart::ProgramFromExecValue("/opt/my\\sapp"), QString("/opt/my"));
        QCOMPARE(AutoStart::ProgramFromExecValue("\"/opt/my\\sapp/k\""), QString("/opt/my app/k"));
        QCOMPARE(AutoStart::ProgramFromExecValue(""), QString());
    }

    void createFindDelete()
    {
        QVERIFY(!AutoStart::Find());
        const QString program = "/opt/Семья и я/kelvora";
        QVERIFY(AutoStart::Create(program));
        const QByteArray bytes = ReadFile(AutoStart::DesktopFilePath());
        QVERIFY(bytes.startsWith("[Desktop Entry]\n"));
        QVERIFY(bytes.contains("\nType=Application\n"));
        QVERIFY(bytes.contains(QString("\nExec=\"%1\"\n").arg(program).toUtf8()));
        QCOMPARE(AutoStart::Find(), std::optional<QString>(program));

        // Creating again replaces the path.
        QVERIFY(AutoStart::Create("/usr/bin/kelvora"));
        QCOMPARE(AutoStart::Find(), std::optional<QString>("/usr/bin/kelvora"));

        QVERIFY(AutoStart::Delete());
        QVERIFY(!QFile::exists(AutoStart::DesktopFilePath()));
        QVERIFY(!AutoStart::Find());
        QVERIFY(AutoStart::Delete()); // nothing there: still gone
    }

    void findReadsOnlyTheMainGroup()
    {
        WriteFile(AutoStart::DesktopFilePath(), "# made by hand\r\n"
                                                "[Desktop Action tray]\r\n"
                                                "Exec=/wrong/one\r\n"
                                                "[Desktop Entry]\r\n"
                                                "Name=Лунофар\r\n"
                                                "Exec[ru]=/wrong/two\r\n"
                                                "Exec = \"/right/path now/kelvora\" %u\r\n");
        QCOMPARE(AutoStart::Find(), std::optional<QString>("/right/path now/kelvora"));
    }

    void entryWithoutExecNamesNothing()
    {
        WriteFile(AutoStart::DesktopFilePath(), "[Desktop Entry]\nName=Лунофар\n");
        QCOMPARE(AutoStart::Find(), std::optional<QString>(QString()));
    }

    void createFailsQuietlyWhereNoFolderCanBeMade()
    {
        // The config home is a file: no autostart folder can exist under it.
        const QString blocker = m_config.filePath("blocker");
        WriteFile(blocker, "x");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(blocker));
        QVERIFY(!AutoStart::Create("/usr/bin/kelvora"));
        QVERIFY(!AutoStart::Find());
        QFile::remove(blocker);
    }
};

QTEST_GUILESS_MAIN(TestAutoStart)
#include "tst_autostart.moc"
