// The year as a fixed-width text file: the bytes, and the "В файл..." command
// with its save dialog, cancel and write failures.
#include "model/clock.h"
#include "model/errors.h"
#include "model/yearmodel.h"
#include "outputs/textexport.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "testpaths.h"
#include "windows/dialogs.h"
#include "windowsupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace TestSupport;

namespace {
QByteArray Export(const Person &person, int year)
{
    SharedState state;
    state.people.append(person);
    state.chosenYear = year;
    BuildYearCalendar(state, 0);
    return TextExportBytes(state.yearTable, year, state.daysLivedLine);
}

QByteArray Golden(const QString &name) { return ReadBytes(QString(KELVORA_TEST_DATA) + "/" + name); }

const QDateTime EighthDecember(QDate(2026, 12, 8), QTime(14, 30));
}

class TestTextExport : public QObject {
    Q_OBJECT
    QStringList m_messages;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TrayHost> m_host;

    void makeHost()
    {
        const QString ini = m_dir->filePath("Kelvora.ini");
        WriteSettingsFile(ini, {"H23,6884368", "E28,42612413", "I33,16381152", "[Анна]", "15", "3", "2026", "0", "4",
                                "[Март]", "31", "4", "1990", "0", "5"});
        m_host = std::make_unique<TrayHost>(ini, HostOptions(m_dir->path()));
        CreateWindows(*m_host);
    }

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(EighthDecember);
        m_dir = std::make_unique<QTemporaryDir>();
        makeHost();
        Dialogs::setMessageHook([this](const QString &text, bool isError) { m_messages << (isError ? "E:" : "M:") + text; });
    }

    void cleanupTestCase()
    {
        Dialogs::clearHooks();
        m_host.reset();
    }

    void init()
    {
        Clock::setFixed(EighthDecember);
        m_messages.clear();
    }

    // Checked by hand: a person born during, before (in a leap year) and after the year.
    void goldenFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QDate>("birth");
        QTest::addColumn<int>("year");
        QTest::addColumn<QDateTime>("now");
        QTest::newRow("born in the year") << "anna-2026.txt" << "Анна" << QDate(2026, 3, 15) << 2026 << EighthDecember;
        QTest::newRow("leap year") << "petr-2024.txt" << "Пётр Ёлкин" << QDate(1980, 7, 22) << 2024
                                   << QDateTime(QDate(2024, 2, 29), QTime(10, 0));
        QTest::newRow("born after the year") << "vera-2026.txt" << "Вера" << QDate(2027, 2, 2) << 2026 << EighthDecember;
        // Also the end-to-end test's reference: the table of a person born on 1 January
        // is the same in every common (or every leap) year.
        QTest::newRow("1 January, common") << "jan1-common.txt" << "Анна" << QDate(2026, 1, 1) << 2026
                                           << QDateTime(QDate(2026, 1, 1), QTime(9, 0));
        QTest::newRow("1 January, leap") << "jan1-leap.txt" << "Анна" << QDate(2028, 1, 1) << 2028
                                         << QDateTime(QDate(2028, 12, 31), QTime(23, 0));
    }

    void goldenFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        QFETCH(QDate, birth);
        QFETCH(int, year);
        QFETCH(QDateTime, now);
        Clock::setFixed(now);
        const QByteArray golden = Golden(file);
        QVERIFY(!golden.isEmpty());
        QCOMPARE(Export(MakePerson(name, birth.day(), birth.month(), birth.year()), year), golden);
    }

    // A text wider than its field is written whole.
    void longCell()
    {
        std::array<QString, 32> row;
        row[0] = "Двенадцать!";
        row[1] = "1234";
        const QString line = TextExportLine(row);
        QCOMPARE(line.size(), 11 + 4 + 30 * 3);
        QVERIFY(line.startsWith("Двенадцать!1234   "));
    }

    // Such names never come out of the store; they are refused, never altered.
    void nameOutsideTheCodePage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("snowman") << QString::fromUtf8("Снег \u2603");
        QTest::newRow("Latin with diaeresis") << QString::fromUtf8("Zoë");
        QTest::newRow("line break") << QString("Анна\r\nБорис");
    }

    void nameOutsideTheCodePage()
    {
        QFETCH(QString, name);
        QVERIFY_THROWS_EXCEPTION(KelvoraError, Export(MakePerson(name, 1, 1, 1990), 2026));
    }

    // "В файл...": the proposed name, the current year, the flag cleared while the dialog is up.
    void saveCommand()
    {
        const QString path = m_dir->filePath("out/Анна.txt");
        QDir().mkpath(m_dir->filePath("out"));
        QString proposed;
        bool flagDuringDialog = true;
        int asked = 0;
        Dialogs::setSaveFileHook([&](const QString &name) {
            ++asked;
            proposed = name;
            flagDuringDialog = m_host->shellState().menuEnabled;
            return path;
        });
        m_host->state().chosenYear = 1999;
        m_host->saveTextFile(0);
        QCOMPARE(proposed, QString("Анна.txt"));
        QVERIFY(!flagDuringDialog);
        QVERIFY(m_host->shellState().menuEnabled);
        QCOMPARE(m_host->state().chosenYear, 2026);
        QCOMPARE(ReadBytes(path), Golden("anna-2026.txt"));
        QVERIFY(m_messages.isEmpty());

        // Again onto the same file: replaced without a question.
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly | QIODevice::Truncate));
        old.write("earlier content");
        old.close();
        m_host->saveTextFile(0);
        QCOMPARE(asked, 2);
        QCOMPARE(ReadBytes(path), Golden("anna-2026.txt"));
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(QDir(m_dir->filePath("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"Анна.txt"});
    }

    void cancel()
    {
        const int before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size();
        Dialogs::setSaveFileHook([](const QString &) { return QString(); });
        m_host->saveTextFile(0);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(m_host->shellState().menuEnabled);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), before);
    }

    // Write failures reach the error box with the file layer's message; the
    // menu opens again and a file that was there keeps what it held.
    void writeFailures()
    {
        Dialogs::setSaveFileHook([this](const QString &) { return m_dir->filePath("no/such/folder/Анна.txt"); });
        m_host->saveTextFile(0);
        QCOMPARE(m_messages, QStringList{"E:Invalid filename"});
        QVERIFY(m_host->shellState().menuEnabled);

        m_messages.clear();
        QDir().mkpath(m_dir->filePath("a folder.txt"));
        Dialogs::setSaveFileHook([this](const QString &) { return m_dir->filePath("a folder.txt"); });
        m_host->saveTextFile(0);
        QCOMPARE(m_messages, QStringList{"E:File access denied"});
        QVERIFY(m_host->shellState().menuEnabled);

        // A disk that fills up halfway: the file size limit stands in for it.
        m_messages.clear();
        const QString kept = m_dir->filePath("kept.txt");
        QFile file(kept);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("the year before");
        file.close();
        Dialogs::setSaveFileHook([&](const QString &) { return kept; });
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 1000;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        m_host->saveTextFile(0);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(m_messages, QStringList{"E:Disk full"});
        QVERIFY(m_host->shellState().menuEnabled);
        QCOMPARE(ReadBytes(kept), QByteArray("the year before"));
    }

    // A stored 31 April: the build fails before any dialog.
    void failedBuild()
    {
        int asked = 0;
        Dialogs::setSaveFileHook([&](const QString &) {
            ++asked;
            return QString();
        });
        m_host->saveTextFile(1);
        QCOMPARE(asked, 0);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_host->shellState().menuEnabled);
    }
};

QTEST_MAIN(TestTextExport)
#include "tst_textexport.moc"
