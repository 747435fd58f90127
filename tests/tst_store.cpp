// The settings file: its bytes, its reading rules and safe writing.
#include "model/errors.h"
#include "store/cp1251.h"
#include "store/filewrite.h"
#include "store/settingsfile.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray Crlf(const QByteArray &lines) // "a\nb\n" -> "a\r\nb\r\n"
{
    QByteArray out = lines;
    out.replace("\n", "\r\n");
    return out;
}

QByteArray Cp(const QString &s) { return *EncodeCp1251(s); }

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

PersonList Family()
{
    PersonList l;
    l.append({"Анна", 7, 11, 1984, 0, 12});
    l.append({"Борис ", 31, 12, 1950, 1, 0});
    l.append({"Ёжик [малый]", 29, 2, 2024, 0, 31});
    l.append({"Дед", 1, 1, 1, 1, 5});
    return l;
}
}

class TestStore : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString path() const { return m_dir.filePath("Kelvora.ini"); }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }
    void cleanup()
    {
        QFile::remove(path());
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void codePageMatchesTheSystemCodec()
    {
        QStringDecoder icu("windows-1251");
        if (!icu.isValid())
            QSKIP("no ICU codec for comparison");
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98)
                continue;
            const QByteArray one(1, char(b));
            QCOMPARE(DecodeCp1251(one), QString(icu.decode(one)));
            QCOMPARE(*EncodeCp1251(DecodeCp1251(one)), one);
        }
        QCOMPARE(*EncodeCp1251(DecodeCp1251("\x98")), QByteArray("\x98"));
        for (const QString &s : {QString("Zoë"), QString("Łukasz"), QString("李"), QString("😀")})
            QVERIFY(!EncodeCp1251(s));
    }

    void missingFileGivesDefaults()
    {
        PersonList people = Family();
        CyclePeriods periods{1, 2, 3};
        LoadSettingsFile(path(), people, periods);
        QCOMPARE(people.count(), 0);
        QCOMPARE(periods, CyclePeriods{});
        QVERIFY(!QFile::exists(path())); // reading never creates the file
    }

    void writesTheExactBytes()
    {
        PersonList people;
        people.append({"Анна", 7, 11, 1984, 0, 12});
        SaveSettingsFile(path(), people, CyclePeriods{});
        QCOMPARE(ReadFile(path()), Crlf("H23,6884368\nE28,42612413\nI33,16381152\n" + Cp("[Анна]") + "\n7\n11\n1984\n0\n12\n"));

        PersonList none;
        CyclePeriods whole{23, 28, 33};
        SaveSettingsFile(path(), none, whole);
        QCOMPARE(ReadFile(path()), QByteArray("H23\r\nE28\r\nI33\r\n"));
    }

    void roundTripKeepsEverything()
    {
        const PersonList people = Family();
        const CyclePeriods periods{23.5, 28.25, -4};
        SaveSettingsFile(path(), people, periods);
        PersonList back;
        CyclePeriods perBack;
        LoadSettingsFile(path(), back, perBack);
        QCOMPARE(back, people);
        QCOMPARE(perBack, periods);
        QCOMPARE(back.at(1).name, QString("Борис ")); // blanks at the ends stay

        // The largest period a file can hold comes back from a save, not as the default.
        ParseSettings("H1,7976931348623157E308\r\n", back, perBack);
        SaveSettingsFile(path(), back, perBack);
        LoadSettingsFile(path(), back, perBack);
        QVERIFY(perBack.physical > 1.7976931348623e308);
    }

    void readingRules()
    {
        PersonList people;
        CyclePeriods periods;
        auto parse = [&](const QByteArray &bytes) { ParseSettings(bytes, people, periods); };

        for (const QByteArray &eol : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r"), QByteArray()}) {
            parse("H25" + eol);
            QCOMPARE(periods.physical, 25.0);
            QCOMPARE(periods.emotional, CyclePeriods::DefaultEmotional);
            QCOMPARE(people.count(), 0);
        }
        parse("Hello\r\nE30\r\nE31,5\r\nEnough\r\n");
        QCOMPARE(periods.physical, CyclePeriods::DefaultPhysical);
        QCOMPARE(periods.emotional, 31.5);

        // Period lines may stand anywhere; person lines are never period lines.
        parse(Crlf(Cp("[Ирина]") + "\n1\n2\n2000\n0\n3\nI40\n[Eva\n05\n6\n1999\n1\n4\n\n# comment\n"));
        QCOMPARE(people.count(), 2);
        QCOMPARE(people.at(0).name, QString("Ирина"));
        QCOMPARE(people.at(1).name, QString("Ev")); // the last character goes, whatever it is
        QCOMPARE(people.at(1).day, quint8(5));
        QCOMPARE(periods.intellectual, 40.0);

        parse(Crlf("[H]\n1\n1\n2000\n0\n0\n[a]b]\n1\n1\n2000\n0\n0\n[]\n1\n1\n2000\n0\n0\n"));
        QCOMPARE(people.at(0).name, QString("H"));
        QCOMPARE(people.at(1).name, QString("a]b"));
        QCOMPARE(people.at(2).name, QString());
        QCOMPARE(periods.physical, CyclePeriods::DefaultPhysical);

        // Numbers beyond their field are kept in its width.
        parse(Crlf("[x]\n300\n-1\n70000\n2\n256\n"));
        QCOMPARE(people.at(0).day, quint8(44));
        QCOMPARE(people.at(0).month, quint8(255));
        QCOMPARE(people.at(0).year, quint16(70000 - 65536));
        QCOMPARE(people.at(0).picture, quint8(0));
    }

    void commaFileUnderPointLocale()
    {
        SaveSettingsFile(path(), Family(), CyclePeriods{23.5, 28.5, 33.5});
        QVERIFY(ReadFile(path()).startsWith("H23,5\r\n"));
        QLocale::setDefault(QLocale::c());
        PersonList people;
        CyclePeriods periods;
        LoadSettingsFile(path(), people, periods);
        QCOMPARE(periods, CyclePeriods{}); // unreadable there: defaults
        QCOMPARE(people.count(), 4);

        // A separator Windows-1251 cannot hold: the file keeps a point, and
        // what was saved comes back.
        for (const char *name : {"fa_IR", "ar_SA", "ar_EG"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            SaveSettingsFile(path(), Family(), CyclePeriods{23.5, 28.25, 1e20});
            QVERIFY2(ReadFile(path()).startsWith("H23.5\r\nE28.25\r\nI1E20\r\n"), name);
            LoadSettingsFile(path(), people, periods);
            QCOMPARE(periods, (CyclePeriods{23.5, 28.25, 1e20}));
        }
    }

    void badEntriesKeepThePreviousState()
    {
        const PersonList before = Family();
        const CyclePeriods perBefore{20, 21, 22};
        const QPair<QByteArray, QString> cases[] = {
            {Crlf("H25\n[Ян]\n7\nseven\n2000\n0\n0\n"), "'seven' is not a valid integer value"},
            {Crlf("[Ян]\n7\n11\n"), "'' is not a valid integer value"},
            {Crlf("[Ян]\n7\n11\n1.5\n0\n0\n"), "'1.5' is not a valid integer value"},
            {Crlf("[Ян]\n99999999999\n1\n1\n0\n0\n"), "'99999999999' is not a valid integer value"},
        };
        for (const auto &[bytes, message] : cases) {
            PersonList people = before;
            CyclePeriods periods = perBefore;
            try {
                ParseSettings(bytes, people, periods);
                QFAIL("no error");
            } catch (const KelvoraError &e) {
                QCOMPARE(e.message(), message);
            }
            QCOMPARE(people, before);
            QCOMPARE(periods, perBefore);
        }
    }

    void canonicalRewrite()
    {
        WriteRaw(path(), Crlf("H23,0\nE28,42612413\nI33,16381152\nstray\n" + Cp("[Анна]") + "\n07\n11\n1984\n0\n12\n"));
        PersonList people;
        CyclePeriods periods;
        LoadSettingsFile(path(), people, periods);
        SaveSettingsFile(path(), people, periods);
        QCOMPARE(ReadFile(path()), Crlf("H23\nE28,42612413\nI33,16381152\n" + Cp("[Анна]") + "\n7\n11\n1984\n0\n12\n"));
    }

    void removeMovesLaterPeopleUp()
    {
        PersonList people = Family();
        people.remove(1);
        QCOMPARE(people.count(), 3);
        QCOMPARE(people.at(1).name, QString("Ёжик [малый]"));
        QCOMPARE(people.at(2).name, QString("Дед"));
        PersonList one;
        one.append({"Анна", 7, 11, 1984, 0, 12});
        one.remove(0);
        SaveSettingsFile(path(), one, CyclePeriods{});
        QCOMPARE(ReadFile(path()).count("\r\n"), 3);
    }

    void namesTheFileCannotHoldAreRefused()
    {
        QVERIFY(NameFitsSettingsFile("Анна-Мария «Ёлка» №1"));
        for (const QString &bad : {QString("Zoë"), QString("😀"), QString("Ann\nBob"), QString("Ann\rBob")}) {
            QVERIFY(!NameFitsSettingsFile(bad));
            PersonList people;
            people.append({bad, 1, 1, 2000, 0, 0});
            SaveSettingsFile(path(), Family(), CyclePeriods{});
            const QByteArray old = ReadFile(path());
            QVERIFY_THROWS_EXCEPTION(KelvoraError, SaveSettingsFile(path(), people, CyclePeriods{}));
            QCOMPARE(ReadFile(path()), old); // nothing altered, nothing lost
        }
    }

    void failedWritesLeaveTheOldFile()
    {
        SaveSettingsFile(path(), Family(), CyclePeriods{});
        const QByteArray old = ReadFile(path());
        auto message = [](const auto &f) {
            try {
                f();
            } catch (const KelvoraError &e) {
                return e.message();
            }
            return QString("no error");
        };
        QCOMPARE(message([&] { SaveSettingsFile(m_dir.filePath("missing/Kelvora.ini"), Family(), {}); }),
                 QString("Invalid filename"));
        QVERIFY(QDir().mkdir(m_dir.filePath("asdir.ini")));
        QCOMPARE(message([&] { SaveSettingsFile(m_dir.filePath("asdir.ini"), Family(), {}); }),
                 QString("File access denied"));
        if (::geteuid() != 0) {
            ::chmod(QFile::encodeName(m_dir.path()).constData(), 0555);
            QCOMPARE(message([&] { SaveSettingsFile(m_dir.filePath("new.ini"), PersonList{}, {}); }),
                     QString("File access denied"));
            ::chmod(QFile::encodeName(m_dir.path()).constData(), 0755);
        }
        QCOMPARE(ReadFile(path()), old);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary left
        QCOMPARE(FileErrorMessage(ENOSPC), QString("Disk full"));
        QCOMPARE(FileErrorMessage(EIO), QString("I/O error 5"));

        PersonList people;
        CyclePeriods periods;
        QCOMPARE(message([&] { LoadSettingsFile(m_dir.filePath("asdir.ini"), people, periods); }),
                 QString("File access denied"));
    }

    // The file is replaced where it really is: its mode stays, a symbolic
    // link stays a link to it, hard links keep sharing it.
    void keepsTheFileWhereAndAsItIs()
    {
        SaveSettingsFile(path(), Family(), CyclePeriods{});
        ::chmod(QFile::encodeName(path()).constData(), 0640);
        SaveSettingsFile(path(), PersonList{}, CyclePeriods{});
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path()).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0640);

        QTemporaryDir links;
        QVERIFY(QDir(links.path()).mkdir("real"));
        const QString real = links.filePath("real/family.ini");
        const QString link = links.filePath("Kelvora.ini");
        QVERIFY(QFile::link("real/family.ini", links.filePath("step.ini")));
        QVERIFY(QFile::link("step.ini", link));
        SaveSettingsFile(link, Family(), CyclePeriods{}); // the file does not exist yet
        SaveSettingsFile(link, PersonList{}, CyclePeriods{23, 28, 33});
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(ReadFile(real), QByteArray("H23\r\nE28\r\nI33\r\n"));

        // ".." in a link's target goes up from where the link leads: with
        // "share" on another disk, the file the save writes is the one the
        // next load reads.
        for (const char *folder : {"home/.local/family", "disk/share/Лунофар", "disk/family"})
            QVERIFY(QDir(links.path()).mkpath(folder));
        QVERIFY(QFile::link(links.filePath("disk/share"), links.filePath("home/.local/share")));
        const QString shared = links.filePath("home/.local/share/Лунофар/Kelvora.ini");
        QVERIFY(QFile::link("../../family/Kelvora.ini", shared));
        SaveSettingsFile(shared, Family(), CyclePeriods{});
        PersonList back;
        CyclePeriods perBack;
        LoadSettingsFile(shared, back, perBack);
        QCOMPARE(back, Family());
        QVERIFY(QFileInfo::exists(links.filePath("disk/family/Kelvora.ini")));

        const QString twin = links.filePath("twin.ini");
        QCOMPARE(::link(QFile::encodeName(real).constData(), QFile::encodeName(twin).constData()), 0);
        SaveSettingsFile(twin, Family(), CyclePeriods{});
        QCOMPARE(ReadFile(real), ReadFile(twin));
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        QCOMPARE(int(st.st_nlink), 2);
        PersonList people;
        CyclePeriods periods;
        LoadSettingsFile(link, people, periods);
        QCOMPARE(people, Family());
        for (const QString &folder : {links.path(), links.filePath("real")})
            for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY2(!name.startsWith('.'), qPrintable(name)); // no temporary left
    }

    // Any name the folder takes can be written: 255 bytes, here 127 Cyrillic
    // letters and a dot.
    void longestNamesAreWritten()
    {
        const QString longest = m_dir.filePath(QString(127, QChar(u'Ж')) + ".");
        QCOMPARE(QFile::encodeName(QFileInfo(longest).fileName()).size(), 255);
        SaveSettingsFile(longest, Family(), CyclePeriods{});
        WriteWholeFile(longest, "text");
        QCOMPARE(ReadFile(longest), QByteArray("text"));
        QVERIFY(QFile::remove(longest));
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
