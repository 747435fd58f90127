// The chart window: the "График" command, the chosen day in words, the keys
// and the click that move it, and the drawing the files hold.
#include "model/clock.h"
#include "outputs/chart.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "store/settingsfile.h"
#include "windows/chartwindow.h"
#include "windowsupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {
const QDateTime EighthDecember(QDate(2026, 12, 8), QTime(14, 30));
const QColor ChosenLine(0, 0, 128);

// The columns of `image` where the chosen day's line runs from top to bottom.
QList<int> ChosenLineColumns(const QImage &image)
{
    QList<int> columns;
    for (int x = 0; x < image.width(); ++x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            count += image.pixelColor(x, y) == ChosenLine;
        if (count > image.height() / 2)
            columns << x;
    }
    return columns;
}

QStringList Texts(const ChartWindow *w)
{
    return {w->windowTitle(), w->dayLabel->text(), w->cycleLabels[0]->text(), w->cycleLabels[1]->text(),
            w->cycleLabels[2]->text()};
}
}

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(EighthDecember);
        // Offscreen, the tray icon asks for a signal only a desktop has.
        QLoggingCategory::setFilterRules("qt.core.qobject.connect=false");
    }

    void layoutNames()
    {
        ChartWindow fresh;
        QCOMPARE(CheckNamedParts(&fresh, {{"TForm11", "QDialog", "Биоритмы..."},
                                          {"Chart", "QWidget", ""},
                                          {"Label1", "QLabel", ""},
                                          {"Label2", "QLabel", ""},
                                          {"Label3", "QLabel", ""},
                                          {"Label4", "QLabel", ""},
                                          {"btnExit", "QPushButton", "Закрыть"}}),
                 QString());
    }

    // "График" opens the window on today with the menu shut; the arrows move
    // a day, Page Up/Down a week, Home goes back to today, a click chooses
    // the day under it; the texts follow. Esc closes, and the next opening
    // is the same window, on today again.
    void commandKeysAndClick()
    {
        QTemporaryDir dir;
        PersonList people;
        people.append(MakePerson("Анна", 15, 3, 1990));
        people.append(MakePerson("Вера", 2, 2, 2027));
        const QString ini = dir.filePath("Kelvora.ini");
        SaveSettingsFile(ini, people, CyclePeriods{});
        TrayHost host(ini, HostOptions(dir.path()));
        CreateWindows(host);

        ChartWindow *window = nullptr;
        bool menuFlag = true;
        QStringList opened, afterKeys;
        QList<QDate> days;
        // A click in the chosen day's week, then one three weeks on: where
        // each click was, and where the chosen day's line is after it.
        QList<int> clicks, lines;
        bool escapeClosed = false;
        QTimer::singleShot(0, [&] {
            QTRY_VERIFY(QApplication::activeModalWidget() && QApplication::activeModalWidget()->objectName() == "TForm11");
            window = static_cast<ChartWindow *>(QApplication::activeModalWidget());
            // A failed check must not leave the window waiting.
            const auto close = qScopeGuard([&] { window->answer(DialogResult::Cancel); });
            menuFlag = host.shellState().menuEnabled;
            QCOMPARE(window->windowModality(), Qt::WindowModal); // the tray icon stays live
            opened = Texts(window);
            QCOMPARE(window->focusWidget(), window->chart);
            for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up,
                                Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Home}) {
                QTest::keyClick(window->chart, key);
                days << window->subject().chosen;
            }
            QTest::keyClick(window->chart, Qt::Key_Right);
            afterKeys = Texts(window);
            for (int x : {window->chart->width() * 3 / 10, window->chart->width() * 4 / 5}) {
                QTest::mouseClick(window->chart, Qt::LeftButton, {}, QPoint(x, window->chart->height() / 3));
                days << window->subject().chosen;
                clicks << x;
                lines += ChosenLineColumns(window->chart->grab().toImage());
            }
            QTest::keyClick(window->chart, Qt::Key_Escape);
            escapeClosed = !window->isVisible();
        });
        host.showChart(0);
        QVERIFY(escapeClosed);
        QVERIFY(!menuFlag);
        QVERIFY(host.shellState().menuEnabled);

        QCOMPARE(opened, QStringList({"Биоритмы: Анна", "Анна, к 08.12.2026 Вы прожили 13417 дней",
                                      "Здоровье: +62%, «+» Увеличение активности",
                                      "Эмоции: -3%, «-» Снижение активности",
                                      "Интеллект: -41%, «-» Снижение активности"}));
        // The emotional cycle rises through zero the next day: "K".
        QCOMPARE(afterKeys, QStringList({"Биоритмы: Анна", "Анна, к 09.12.2026 Вы прожили 13418 дней",
                                         "Здоровье: +39%, «+» Увеличение активности",
                                         "Эмоции: +19%, «K» Критический день",
                                         "Интеллект: -58%, «-» Снижение активности"}));
        const QDate today(2026, 12, 8);
        QCOMPARE(days.mid(0, 10), QList<QDate>({today.addDays(1), today.addDays(2), today.addDays(1), today.addDays(2),
                                                today.addDays(1), today, today.addDays(7), today, today.addDays(-7),
                                                today}));
        // The first click chose a day of the same week, under the pointer;
        // the second one a day three weeks on (the weeks shown begin on 30
        // November), whose week then becomes the second one shown.
        const int dayWidth = window->chart->width() / 35;
        QVERIFY2(days.at(10) >= QDate(2026, 12, 7) && days.at(10) <= QDate(2026, 12, 13), qPrintable(days.at(10).toString()));
        QVERIFY2(days.at(11) >= QDate(2026, 12, 21) && days.at(11) <= QDate(2027, 1, 3), qPrintable(days.at(11).toString()));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(qAbs(lines.at(0) - clicks.at(0)) <= dayWidth, qPrintable(QString::number(lines.at(0))));
        const int weekdays = days.at(11).dayOfWeek() - days.at(10).dayOfWeek();
        QVERIFY2(qAbs(lines.at(1) - lines.at(0) - weekdays * dayWidth) <= dayWidth, qPrintable(QString::number(lines.at(1))));

        // Someone not born yet: no value, the days still to come.
        QStringList later;
        QTimer::singleShot(0, [&] {
            const auto close = qScopeGuard([&] { window->answer(DialogResult::Cancel); });
            QTRY_VERIFY(QApplication::activeModalWidget() == window);
            later = Texts(window);
            window->closeButton->click();
        });
        host.showChart(1);
        QCOMPARE(later, QStringList({"Биоритмы: Вера", "Вера, к 08.12.2026 до рождения 56 дней", "Здоровье: —",
                                     "Эмоции: —", "Интеллект: —"}));
    }

    // The window draws what the files hold: at its first size the chart is
    // the page's chart to the pixel; made larger it fills the window.
    void windowDrawsWhatTheFileHolds()
    {
        ChartWindow window;
        window.setSubject("Анна", QDate(1990, 3, 15), CyclePeriods{});
        window.chooseDay(QDate(2026, 12, 9));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.chart->size(), Chart::PageChartArea.size().toSize());
        const QImage shown = window.chart->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage page = QImage::fromData(Chart::Png(window.subject()), "png").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(page.size(), Chart::PageSize);
        QCOMPARE(shown, page.copy(Chart::PageChartArea.toRect()));
        shown.save(QDir::temp().filePath("kelvora-chart-window.png"));

        window.resize(1200, 800);
        QTRY_COMPARE(window.chart->size(), QSize(1200, 800 - ChartWindow::TextHeight));
        const QImage large = window.chart->grab().toImage();
        const QList<int> line = ChosenLineColumns(large);
        QCOMPARE(line.size(), 1);
        // The ninth is the tenth day shown; the plot's frame reaches the right edge.
        QVERIFY2(qAbs(line.first() - (9.5 * 1200 / 35)) < 1200 / 35, qPrintable(QString::number(line.first())));
        int frameRight = -1;
        for (int x = large.width() - 1; x > 0 && frameRight < 0; --x) {
            int grey = 0;
            for (int y = 0; y < large.height(); ++y)
                grey += large.pixelColor(x, y) == QColor(150, 150, 150);
            if (grey > large.height() / 2)
                frameRight = x;
        }
        QVERIFY2(frameRight >= large.width() - 12, qPrintable(QString::number(frameRight)));
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
