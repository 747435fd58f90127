// The compatibility window "Сравнение биоритмов".
#include "model/clock.h"
#include "model/sharedstate.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/comparisonwindow.h"
#include "windows/dialogs.h"
#include "windowsupport.h"

#include <QApplication>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cmath>
#include <limits>

using TestSupport::CheckNamedParts;
using TestSupport::HostOptions;
using TestSupport::MakePerson;

namespace {

QStringList Fields(const ComparisonWindow &w)
{
    return {w.physicalResult->text(), w.emotionalResult->text(), w.intellectualResult->text(), w.totalResult->text()};
}

const QStringList Empty{QString(), QString(), QString(), QString()};

void SetSubject(SharedState &s, const QDate &d)
{
    s.subjectDay = quint16(d.day());
    s.subjectMonth = quint16(d.month());
    s.subjectYear = quint16(d.year());
}

}

class TestCompat : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(14, 30)));
    }
    void cleanup() { Dialogs::clearHooks(); }

    void results_data()
    {
        QTest::addColumn<double>("physical");
        QTest::addColumn<double>("emotional");
        QTest::addColumn<double>("intellectual");
        QTest::addColumn<int>("daysApart");
        QTest::addColumn<QStringList>("expected");
        const double P = CyclePeriods::DefaultPhysical;
        const double E = CyclePeriods::DefaultEmotional;
        const double I = CyclePeriods::DefaultIntellectual;
        QTest::newRow("same day") << P << E << I << 0 << QStringList{"100%", "100%", "100%", "100%"};
        QTest::newRow("7 days later") << 23.0 << 28.0 << 33.0 << 7 << QStringList{"39,13%", "50%", "57,58%", "48,9%"};
        QTest::newRow("7 days earlier") << 23.0 << 28.0 << 33.0 << -7 << QStringList{"39,13%", "50%", "57,58%", "48,9%"};
        QTest::newRow("14 days") << 23.0 << 28.0 << 33.0 << 14 << QStringList{"21,74%", "0%", "15,15%", "12,3%"};
        QTest::newRow("default, 1 day") << P << E << I << 1 << QStringList{"91,56%", "92,96%", "93,97%", "92,83%"};
        QTest::newRow("default, 100 days") << P << E << I << 100 << QStringList{"55,71%", "3,58%", "96,93%", "52,07%"};
        // A day count that is an exact multiple of a period scores 100 for it.
        QTest::newRow("exact multiple") << 23.0 << 23.0 << 69.0 << 69 << QStringList{"100%", "100%", "100%", "100%"};
        QTest::newRow("zero period") << 0.0 << 28.0 << 33.0 << 7 << QStringList{"", "50%", "57,58%", ""};
        QTest::newRow("negative period") << 23.0 << 28.0 << -33.0 << 7 << QStringList{"39,13%", "50%", "", ""};
        QTest::newRow("tiny period") << 23.0 << 1e-300 << 33.0 << 40000 << QStringList{"73,91%", "", "75,76%", ""};
        QTest::newRow("not a number") << std::nan("") << 28.0 << 33.0 << 7 << QStringList{"", "50%", "57,58%", ""};
        QTest::newRow("infinite") << 23.0 << std::numeric_limits<double>::infinity() << 33.0 << 7
                                  << QStringList{"39,13%", "", "57,58%", ""};
    }
    // Every change of the partner's date recomputes all four fields.
    void results()
    {
        QFETCH(double, physical);
        QFETCH(double, emotional);
        QFETCH(double, intellectual);
        QFETCH(int, daysApart);
        QFETCH(QStringList, expected);
        SharedState s;
        s.periods = {physical, emotional, intellectual};
        const QDate subject(1980, 5, 20);
        SetSubject(s, subject);
        ComparisonWindow w(s);
        w.show();
        QCOMPARE(Fields(w), Empty);
        w.partnerDateEdit->setDate(subject.addDays(daysApart));
        if (daysApart == 0) // no change of date, so press "Ok"
            w.okButton->click();
        QCOMPARE(Fields(w), expected);
    }

    void openingAndSpinner()
    {
        int errors = 0;
        Dialogs::setMessageHook([&](const QString &, bool) { ++errors; });
        SharedState s;
        SetSubject(s, QDate(2026, 12, 1));
        s.periods = {23, 28, 33};
        ComparisonWindow w(s);

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Opening shows today and computes nothing.
        QCOMPARE(w.partnerDateEdit->date(), QDate(2026, 12, 8));
        QCOMPARE(Fields(w), Empty);
        QVERIFY(!w.partnerDateEdit->calendarPopup());
        QCOMPARE(w.partnerDateEdit->displayFormat(), QStringLiteral("dd.MM.yyyy"));

        // One step of the spinner (day section): 8 days apart.
        w.partnerDateEdit->setFocus();
        w.partnerDateEdit->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(w.partnerDateEdit, Qt::Key_Up);
        QCOMPARE(w.partnerDateEdit->date(), QDate(2026, 12, 9));
        const QStringList eight{"30,43%", "42,86%", "51,52%", "41,6%"};
        QCOMPARE(Fields(w), eight);

        // The periods are read at every computation; "Ok" keeps the window open.
        s.periods.emotional = 0;
        w.okButton->click();
        QVERIFY(w.isVisible());
        QCOMPARE(Fields(w), (QStringList{"30,43%", "", "51,52%", ""}));
        s.periods.emotional = 28;
        w.okButton->click();
        QCOMPARE(Fields(w), eight);

        // A step past the month's last day goes round to its first: still a change.
        w.partnerDateEdit->setDate(QDate(2026, 12, 31));
        QTest::keyClick(w.partnerDateEdit, Qt::Key_Up);
        QCOMPARE(w.partnerDateEdit->date(), QDate(2026, 12, 1));
        QCOMPARE(Fields(w), (QStringList{"100%", "100%", "100%", "100%"}));

        // Minimised and restored, the window shows what it showed.
        w.showMinimized();
        w.showNormal();
        QCOMPARE(w.partnerDateEdit->date(), QDate(2026, 12, 1));
        QCOMPARE(Fields(w), (QStringList{"100%", "100%", "100%", "100%"}));

        // Every year the editor allows, shown with four digits.
        w.partnerDateEdit->setDate(QDate(1, 3, 5));
        QCOMPARE(w.partnerDateEdit->date(), QDate(1, 3, 5));
        QCOMPARE(w.partnerDateEdit->text(), QStringLiteral("05.03.0001"));
        w.partnerDateEdit->setDate(QDate(9999, 12, 31));
        QCOMPARE(w.partnerDateEdit->date(), QDate(9999, 12, 31));

        // Reopening starts empty again and on today, even after the date was changed.
        w.closeButton->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), 2);
        w.show();
        QCOMPARE(Fields(w), Empty);
        QCOMPARE(w.partnerDateEdit->date(), QDate(2026, 12, 8));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), 2);
        QCOMPARE(errors, 0);
    }

    // A damaged subject date: the error box, the fields as they were.
    void invalidSubjectDate()
    {
        QStringList errors;
        Dialogs::setMessageHook([&](const QString &text, bool isError) {
            if (isError)
                errors.append(text);
        });
        SharedState s;
        s.periods = {23, 28, 33};
        SetSubject(s, QDate(2026, 12, 1));
        ComparisonWindow w(s);
        w.show();
        w.okButton->click(); // today, 7 days after the subject
        const QStringList before = Fields(w);
        QCOMPARE(before, (QStringList{"39,13%", "50%", "57,58%", "48,9%"}));

        s.subjectDay = 31;
        s.subjectMonth = 4;
        w.partnerDateEdit->setDate(QDate(2026, 12, 9));
        QCOMPARE(errors, QStringList{QStringLiteral("Invalid argument to date encode")});
        QCOMPARE(Fields(w), before);

        s.subjectDay = 1;
        s.subjectMonth = 1;
        s.subjectYear = 0;
        w.okButton->click();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(Fields(w), before);
    }

    // The control names do not follow the row order; the texts must.
    void layoutNamesAndRowOrder()
    {
        SharedState s;
        ComparisonWindow w(s);
        QCOMPARE(CheckNamedParts(&w, {{"TForm10", "QDialog", "Сравнение биоритмов"},
                                      {"Label1", "QLabel", "Дата рождения партнера:"},
                                      {"DateTimePicker1", "QDateEdit", ""},
                                      {"GroupBox1", "QGroupBox", " Совместимость "},
                                      {"Label2", "QLabel", "Физическая:"},
                                      {"Label4", "QLabel", "Эмоциональная:"},
                                      {"Label3", "QLabel", "Интеллектуальная:"},
                                      {"Label5", "QLabel", "Итого:"},
                                      {"StaticText2", "QLabel", ""},
                                      {"StaticText3", "QLabel", ""},
                                      {"StaticText4", "QLabel", ""},
                                      {"StaticText5", "QLabel", ""},
                                      {"Button2", "QPushButton", "Ok"},
                                      {"Button1", "QPushButton", "Закрыть"}}),
                 QString());
        QCOMPARE(w.size(), QSize(257, 193));
        const QList<QLabel *> rows{w.physicalLabel, w.emotionalLabel, w.intellectualLabel, w.totalLabel};
        const QList<QLabel *> fields{w.physicalResult, w.emotionalResult, w.intellectualResult, w.totalResult};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(fields[i]->y(), rows[i]->y());
            if (i > 0)
                QVERIFY(rows[i]->y() > rows[i - 1]->y());
        }
    }

    // "Био-партнёр" from the host: the person's birth date, the window, and a
    // second "Био-партнёр" that leaves the open window alone.
    void command()
    {
        QTemporaryDir dir;
        PersonList people;
        people.append(MakePerson(QStringLiteral("Анна"), 1, 12, 2026));
        people.append(MakePerson(QStringLiteral("Пётр"), 1, 12, 1970));
        const QString settings = dir.filePath(QStringLiteral("Kelvora.ini"));
        SaveSettingsFile(settings, people, CyclePeriods{23, 28, 33});
        TrayHost host(settings, HostOptions(dir.path()));
        ComparisonWindow form(host.state());
        host.comparisonWindow = &form;

        QStringList seen;
        int errors = 0;
        Dialogs::setMessageHook([&](const QString &, bool) { ++errors; });
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() == &form);
            seen = Fields(form);
            form.partnerDateEdit->setDate(QDate(2026, 11, 24));
            seen += Fields(form);
            // Chosen again from the tray menu meanwhile: the open window stays as it is.
            host.compareWithPartner(1);
            QCOMPARE(host.state().subjectYear, quint16(2026));
            QVERIFY(form.isVisible());
            form.okButton->click();
            seen += Fields(form);
            form.closeButton->click();
        });
        host.compareWithPartner(0);
        host.comparisonWindow = nullptr;
        QCOMPARE(host.state().subjectDay, quint16(1));
        QCOMPARE(host.state().subjectMonth, quint16(12));
        QCOMPARE(host.state().subjectYear, quint16(2026));
        const QStringList week{"39,13%", "50%", "57,58%", "48,9%"};
        QCOMPARE(seen, Empty + week + week);
        QCOMPARE(errors, 0);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestCompat)
#include "tst_compat.moc"
