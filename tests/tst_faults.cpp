// The settings file under faults from outside: a folder or a file the program
// may not write, a file it may not read, a disk that fills up half-way, a
// program killed while it saves; and where the file lives when the folder of
// the executable is closed to the user.
#include "model/errors.h"
#include "store/filewrite.h"
#include "store/settingsfile.h"
#include "store/settingspath.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::AsOrdinaryUser;
using TestSupport::FolderEntries;
using TestSupport::InChildProcess;
using TestSupport::OrdinaryUser;
using TestSupport::ReadBytes;

namespace {

QByteArray Native(const QString &path) { return QFile::encodeName(path); }


void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

template <class F>
QString ErrorOf(F f)
{
    try {
        f();
    } catch (const KelvoraError &e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

PersonList Family(int extra = 0)
{
    PersonList l;
    l.append({QStringLiteral("Анна"), 7, 11, 1984, 0, 12});
    l.append({QStringLiteral("Борис"), 31, 12, 1950, 1, 0});
    for (int i = 0; i < extra; ++i)
        l.append({QStringLiteral("Гость %1").arg(i), quint8(i % 28 + 1), quint8(i % 12 + 1), quint16(1950 + i % 70), 0, 3});
    return l;
}


}

class TestFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;

    // A folder (or file) that belongs to whoever AsOrdinaryUser() runs as.
    QString folder(const QString &name, mode_t mode)
    {
        const QString path = m_dir->filePath(name);
        if (!QDir().mkpath(path))
            qFatal("mkpath %s", qPrintable(path));
        hand(path, mode);
        return path;
    }
    QString file(const QString &path, const QByteArray &bytes, mode_t mode)
    {
        WriteBytes(path, bytes);
        hand(path, mode);
        return path;
    }
    void hand(const QString &path, mode_t mode)
    {
        if (::geteuid() == 0 && ::chown(Native(path).constData(), OrdinaryUser, OrdinaryUser) != 0)
            qFatal("chown %s", qPrintable(path));
        ::chmod(Native(path).constData(), mode);
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QStandardPaths::setTestModeEnabled(true);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // The unprivileged child must be able to reach the folders below.
        ::chmod(Native(m_dir->path()).constData(), 0755);
    }
    void cleanup()
    {
        // Folders closed to writing cannot be emptied otherwise (when not root).
        QDirIterator it(m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            ::chmod(Native(it.next()).constData(), 0755);
        m_dir.reset();
    }

    void settingsStayBesideAWritableExecutable()
    {
        const QString exe = folder("bin", 0755);
        const QString user = m_dir->filePath("home/Лунофар");
        const QString beside = exe + "/Kelvora.ini";
        QCOMPARE(ChooseSettingsPath(exe, user, [](const QString &) { return true; }), beside);
        QVERIFY(!QFileInfo::exists(user)); // nothing made where it is not needed
        // Without a per-user folder there is only the one place.
        QCOMPARE(ChooseSettingsPath(exe, QString(), [](const QString &) { return false; }), beside);
        // The real choice for the running program: beside it when its folder is writable.
        const QString program = QCoreApplication::applicationDirPath();
        if (MayWrite(program))
            QCOMPARE(SettingsPath(), program + "/Kelvora.ini");
        else
            QCOMPARE(SettingsPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/Kelvora.ini");
    }

    void closedExecutableFolderUsesAUserCopy()
    {
        const QString exe = folder("bin", 0755);
        const QString user = m_dir->filePath("home/Лунофар");
        const QString beside = file(exe + "/Kelvora.ini", SerializeSettings(Family(), {}), 0644);
        const QByteArray shared = ReadBytes(beside);
        const auto closed = [&](const QString &path) { return path != exe; };

        // A look that only reads finds the file the copy would start from, and makes nothing.
        QCOMPARE(FindSettingsPath(exe, user, closed), beside);
        QVERIFY(!QFileInfo::exists(user));
        const QString own = ChooseSettingsPath(exe, user, closed);
        QCOMPARE(own, user + "/Kelvora.ini");
        QCOMPARE(FindSettingsPath(exe, user, closed), own);
        QCOMPARE(ReadBytes(own), shared); // the user starts with the family from beside
        SaveSettingsFile(own, PersonList{}, CyclePeriods{});
        QCOMPARE(ReadBytes(beside), shared);
        // The next start keeps the user's own file and copies nothing again.
        QCOMPARE(ChooseSettingsPath(exe, user, closed), own);
        QCOMPARE(ReadBytes(own), SerializeSettings(PersonList{}, CyclePeriods{}));

        // A settings file that may not be replaced counts like a closed folder.
        const QString exe2 = folder("bin2", 0755);
        const QString beside2 = file(exe2 + "/Kelvora.ini", shared, 0444);
        const QString own2 = ChooseSettingsPath(exe2, m_dir->filePath("home2"), [&](const QString &p) { return p != beside2; });
        QCOMPARE(own2, m_dir->filePath("home2/Kelvora.ini"));
        QCOMPARE(ReadBytes(own2), shared);
        SaveSettingsFile(own2, Family(1), CyclePeriods{}); // the copy is the user's to write
    }

    void closedFolderWithoutAFile()
    {
        const QString exe = folder("bin", 0755);
        const QString user = m_dir->filePath("deep/home/Лунофар");
        const QString own = ChooseSettingsPath(exe, user, [](const QString &) { return false; });
        QCOMPARE(own, user + "/Kelvora.ini");
        QVERIFY(QFileInfo(user).isDir()); // ready for the first save
        QVERIFY(!QFileInfo::exists(own));
        SaveSettingsFile(own, Family(), CyclePeriods{});

        // No per-user folder can be made: the file beside is still read, so
        // no one disappears from the menu; its saves report their error.
        const QString blocker = file(m_dir->filePath("blocker"), "x", 0644);
        const QString beside = file(exe + "/Kelvora.ini", SerializeSettings(Family(), {}), 0644);
        QCOMPARE(ChooseSettingsPath(exe, blocker + "/Лунофар", [](const QString &) { return false; }), beside);

        // A shared file the loader refuses (here far too large) is not copied
        // whole into the user's folder: it is read where it is and reported.
        const QString huge = folder("bin-huge", 0755) + "/Kelvora.ini";
        QVERIFY(QFile::resize(file(huge, "H25\r\n", 0644), MaxSettingsFileSize + 1));
        const QString hugeUser = m_dir->filePath("home-huge/Лунофар");
        QCOMPARE(ChooseSettingsPath(QFileInfo(huge).path(), hugeUser, [](const QString &) { return false; }), huge);
        QVERIFY(!QFileInfo::exists(hugeUser + "/Kelvora.ini"));
    }

    void realWritabilityCheck()
    {
        QVERIFY(MayWrite(m_dir->path()));
        QVERIFY(!MayWrite(m_dir->filePath("missing")));
        const QString plain = file(m_dir->filePath("plain"), "x", 0644);
        QVERIFY(!MayWrite(plain + "/sub"));

        const QString closed = folder("closed", 0555);
        const QString open = folder("open", 0755);
        const QString fixedFile = file(open + "/Kelvora.ini", SerializeSettings(Family(), {}), 0444);
        const QString home = folder("home", 0755);
        const QString own = home + "/Лунофар/Kelvora.ini";
        const int result = AsOrdinaryUser([&] {
            if (MayWrite(closed))
                return 1;
            if (!MayWrite(open))
                return 2;
            if (MayWrite(fixedFile))
                return 3;
            // The whole choice with the real check: the closed folder gives the user copy.
            if (ChooseSettingsPath(closed, home + "/Лунофар", MayWrite) != own)
                return 4;
            if (ChooseSettingsPath(open, home + "/Другая", MayWrite) != home + "/Другая/Kelvora.ini")
                return 5;
            return 0;
        });
        QCOMPARE(result, 0);
    }

    void unparseableFileIsKeptBeforeASave()
    {
        const QString path = m_dir->filePath("Kelvora.ini");
        const QString bad = path + ".bad";
        const QByteArray broken = "H25\r\n[\xdf\xed]\r\n7\r\nseven\r\n2000\r\n0\r\n0\r\n";
        WriteBytes(path, broken);
        PersonList people = Family();
        CyclePeriods periods;
        QCOMPARE(ErrorOf([&] { LoadSettingsFile(path, people, periods); }), QString("'seven' is not a valid integer value"));
        QCOMPARE(people, Family()); // the list in memory is still there

        SaveSettingsFile(path, people, periods);
        QCOMPARE(ReadBytes(bad), broken);
        LoadSettingsFile(path, people, periods);
        QCOMPARE(people, Family());
        // A readable file makes no copy, and leaves the kept one alone.
        SaveSettingsFile(path, Family(1), periods);
        QCOMPARE(ReadBytes(bad), broken);
        // A newer unreadable file replaces the older copy.
        const QByteArray broken2 = "[x]\r\n1\r\n";
        WriteBytes(path, broken2);
        SaveSettingsFile(path, people, periods);
        QCOMPARE(ReadBytes(bad), broken2);

        // A good file is never copied; a folder in the file's place is left
        // as it is and the save reports it.
        QTemporaryDir other;
        SaveSettingsFile(other.filePath("Kelvora.ini"), Family(), periods);
        SaveSettingsFile(other.filePath("Kelvora.ini"), Family(2), periods);
        QCOMPARE(FolderEntries(other.path()), QStringList{"Kelvora.ini"});
        QVERIFY(QDir().mkdir(other.filePath("Kelvora.ini.d")));
        QCOMPARE(ErrorOf([&] { SaveSettingsFile(other.filePath("Kelvora.ini.d"), Family(), periods); }),
                 QString("File access denied"));
        QVERIFY(QFileInfo(other.filePath("Kelvora.ini.d")).isDir());
        QVERIFY(!QFileInfo::exists(other.filePath("Kelvora.ini.d.bad")));
    }

    void unreadableFileIsKeptBeforeASave()
    {
        const QString dir = folder("app", 0755);
        const QByteArray family = SerializeSettings(Family(), {});
        const QString path = file(dir + "/Kelvora.ini", family, 0200);
        const int result = AsOrdinaryUser([&] {
            PersonList people = Family(1);
            CyclePeriods periods;
            if (ErrorOf([&] { LoadSettingsFile(path, people, periods); }) != "File access denied")
                return 1;
            if (!(people == Family(1)))
                return 2; // a failed read touched the list
            if (ErrorOf([&] { SaveSettingsFile(path, people, periods); }) != "no error")
                return 3;
            return 0;
        });
        QCOMPARE(result, 0);
        ::chmod(Native(path + ".bad").constData(), 0600); // to read it here without root
        QCOMPARE(ReadBytes(path + ".bad"), family);    // moved aside whole
        QCOMPARE(ReadBytes(path), SerializeSettings(Family(1), {}));
    }

    // In a folder shared with others (sticky and open to all, as /tmp), the
    // links another user plants lead no write of ours into our own files: the
    // copy of their unreadable settings file is a new file of our own, and a
    // write through their link fails with nothing written.
    void anotherUsersLinksAreNotWrittenThrough()
    {
        if (::geteuid() != 0)
            QSKIP("a second user needs root");
        const QString shared = m_dir->filePath("shared");
        QVERIFY(QDir().mkdir(shared));
        ::chmod(Native(shared).constData(), 01777);
        const QString profile = m_dir->filePath("profile");
        const QString report = m_dir->filePath("report.txt");
        WriteBytes(profile, "export PATH\n");
        WriteBytes(report, "my report\n");
        const QByteArray foreign = "[x]\r\nseven\r\n";
        QCOMPARE(AsOrdinaryUser([&] {
                     WriteBytes(shared + "/Kelvora.ini", foreign);
                     return QFile::link(profile, shared + "/Kelvora.ini.bad") && QFile::link(report, shared + "/report.txt") ? 0 : 1;
                 }),
                 0);

        SaveSettingsFile(shared + "/Kelvora.ini", Family(), {});
        QCOMPARE(ReadBytes(profile), QByteArray("export PATH\n"));
        const QFileInfo bad(shared + "/Kelvora.ini.bad");
        QVERIFY(!bad.isSymLink());
        QCOMPARE(bad.ownerId(), ::geteuid());
        QCOMPARE(ReadBytes(bad.filePath()), foreign);
        QCOMPARE(ReadBytes(shared + "/Kelvora.ini"), SerializeSettings(Family(), {}));

        QCOMPARE(ErrorOf([&] { WriteWholeFile(shared + "/report.txt", "text"); }),
                 "Ссылка " + shared + "/report.txt принадлежит другому пользователю: по ней ничего не записано.");
        QCOMPARE(ReadBytes(report), QByteArray("my report\n"));
    }

    // A folder closed to the user: a file open to them is written in place,
    // and a write that fails there gives the file its old content back; a new
    // file or a read-only one is refused.
    void closedFolderWritesAnOpenFileInPlace()
    {
        const QString dir = folder("app", 0755);
        const QByteArray family = SerializeSettings(Family(), {});
        const QString path = file(dir + "/Kelvora.ini", family, 0640);
        const QString fixed = file(dir + "/fixed.ini", family, 0444);
        hand(dir, 0555);
        const int result = AsOrdinaryUser([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit old {};
            ::getrlimit(RLIMIT_FSIZE, &old);
            const rlimit limit{4096, old.rlim_max};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 90;
            const QString full = ErrorOf([&] { SaveSettingsFile(path, Family(300), {}); });
            ::setrlimit(RLIMIT_FSIZE, &old);
            if (full != "Disk full")
                return 1;
            if (ReadBytes(path) != family)
                return 2;
            if (ErrorOf([&] { SaveSettingsFile(path, Family(3), {}); }) != "no error")
                return 3;
            if (ErrorOf([&] { WriteWholeFile(dir + "/year.txt", "text"); }) != "File access denied")
                return 4;
            if (ErrorOf([&] { SaveSettingsFile(fixed, Family(3), {}); }) != "File access denied")
                return 5;
            return 0;
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadBytes(path), SerializeSettings(Family(3), {}));
        QCOMPARE(ReadBytes(fixed), family);
        struct stat st {};
        QCOMPARE(::stat(Native(path).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0640);
        QCOMPARE(FolderEntries(dir), QStringList({"Kelvora.ini", "fixed.ini"}));
    }

    // A file-size limit stops the write part-way, as a full disk would.
    void writeFailingHalfWay()
    {
        const QString path = m_dir->filePath("Kelvora.ini");
        SaveSettingsFile(path, Family(), {});
        const QByteArray old = ReadBytes(path);
        const QByteArray large = SerializeSettings(Family(300), {});
        QVERIFY(large.size() > 8192);
        const int result = InChildProcess([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 90;
            if (ErrorOf([&] { SaveSettingsFile(path, Family(300), {}); }) != "Disk full")
                return 1;
            if (ErrorOf([&] { WriteWholeFile(path + ".txt", large); }) != "Disk full")
                return 2;
            return 0;
        });
        QCOMPARE(result, 0);
        QCOMPARE(ReadBytes(path), old);
        PersonList people;
        CyclePeriods periods;
        LoadSettingsFile(path, people, periods);
        QCOMPARE(people, Family());
        QCOMPARE(FolderEntries(m_dir->path()), QStringList{"Kelvora.ini"}); // no half-written file anywhere
    }

    // Killed at any moment of a save, the program leaves the old or the new
    // file, never a mix and never none.
    void killedWhileSaving()
    {
        const QString path = m_dir->filePath("Kelvora.ini");
        const QByteArray a = SerializeSettings(Family(), {});
        const QByteArray b = SerializeSettings(Family(200), CyclePeriods{23, 28, 33});
        SaveSettingsFile(path, Family(), {});
        const PersonList large = Family(200);
        for (int round = 0; round < 30; ++round) {
            std::fflush(nullptr);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                for (;;) {
                    SaveSettingsFile(path, large, CyclePeriods{23, 28, 33});
                    SaveSettingsFile(path, Family(), {});
                }
            }
            ::usleep(useconds_t(2000 + (round * 7919) % 40000));
            ::kill(pid, SIGKILL);
            int status = 0;
            ::waitpid(pid, &status, 0);
            const QByteArray now = ReadBytes(path);
            QVERIFY2(now == a || now == b, qPrintable(QString("round %1: %2 bytes").arg(round).arg(now.size())));
            PersonList people;
            CyclePeriods periods;
            LoadSettingsFile(path, people, periods);
        }
        QVERIFY(!QFileInfo::exists(path + ".bad"));
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
