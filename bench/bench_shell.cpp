// Medians of what a user waits for in the tray program: the menu rebuild with
// a thousand people and, for a very large family, at a change of day and after
// a delete or an add; the calendar window from the command to the painted
// window; the chart window from the command to the painted window, and its
// redraw after the day moves or the window is resized; the text export after
// the file is chosen.
#include "bench/benchfamily.h"
#include "bench/median.h"
#include "model/clock.h"
#include "outputs/textexport.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "store/filewrite.h"
#include "store/settingsfile.h"
#include "windows/calendarwindow.h"
#include "windows/chartwindow.h"
#include "windows/dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
// Counts the paints of the widget it watches.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(int &count) : m_count(count) {}
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_count;
        return false;
    }

private:
    int &m_count;
};
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    Clock::setFixed(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    Dialogs::setMessageHook([](const QString &text, bool) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });

    QTemporaryDir dir;
    PersonList people = NumberedFamily(1000);
    people.append({QStringLiteral("Рождённый в 1950"), 5, 6, 1950, 0, 3});
    const QString ini = dir.filePath("Kelvora.ini");
    SaveSettingsFile(ini, people, CyclePeriods{});

    ShellOptions options;
    options.lockPath = dir.filePath("kelvora.lock");
    options.trayAvailable = [] { return true; };
    options.statusNotifier = false;
    TrayHost host(ini, options);
    CreateWindows(host);

    std::printf("menu rebuild, 1000 people: %.2f ms (target 100 ms)\n", MedianMs(11, [&] { host.rebuildMenu(); }));

    // A very large family: the same file again (a change of day), then one
    // person fewer and one more (a delete, an add), each read and rebuilt.
    {
        const PersonList many = NumberedFamily(20000);
        PersonList fewer = many;
        fewer.remove(10000);
        QTemporaryDir bigDir;
        const QString bigIni = bigDir.filePath("Kelvora.ini");
        SaveSettingsFile(bigIni, many, CyclePeriods{});
        ShellOptions bigOptions = options;
        bigOptions.lockPath = bigDir.filePath("kelvora.lock");
        QElapsedTimer started;
        started.start();
        TrayHost big(bigIni, bigOptions);
        std::printf("start with 20000 people, menu built: %.2f ms\n", started.nsecsElapsed() / 1e6);
        std::printf("menu rebuild, 20000 people, nothing changed: %.2f ms\n", MedianMs(5, [&] { big.rebuildMenu(); }));
        bool full = true;
        std::printf("menu rebuild, 20000 people, one deleted or added: %.2f ms\n", MedianMs(6, [&] {
                        SaveSettingsFile(bigIni, full ? fewer : many, CyclePeriods{});
                        full = !full;
                        big.rebuildMenu();
                    }));
    }

    // The largest families the loader takes, and one it refuses: the start
    // (read and menu built) and the menu's first opening. The largest file
    // holds as many people as accepted, with names that fill the size limit.
    {
        auto family = [](int count, int nameLength) {
            PersonList list;
            for (int i = 0; i < count; ++i) {
                QString name = QStringLiteral("Человек %1 ").arg(i);
                name += QString(std::max<qsizetype>(0, nameLength - name.size()), QChar(u'ж'));
                list.append({name, quint8(1 + i % 28), quint8(1 + i % 12), quint16(1950 + i % 70), quint8(i % 2),
                             quint8(i % 32)});
            }
            return list;
        };
        const int longest = int(MaxSettingsFileSize / MaxSettingsPeople) - 26;
        const struct {
            const char *what;
            PersonList people;
        } starts[] = {
            {"200000 people, refused", family(200000, 0)},
            {"the most people accepted", family(MaxSettingsPeople, 0)},
            {"the largest file accepted", family(MaxSettingsPeople, longest)},
        };
        for (const auto &start : starts) {
            QTemporaryDir startDir;
            const QString startIni = startDir.filePath("Kelvora.ini");
            WriteWholeFile(startIni, SerializeSettings(start.people, CyclePeriods{}));
            ShellOptions startOptions = options;
            startOptions.lockPath = startDir.filePath("kelvora.lock");
            QElapsedTimer started;
            started.start();
            TrayHost host(startIni, startOptions);
            const double startMs = started.nsecsElapsed() / 1e6;
            started.restart();
            emit host.trayIcon()->activated(QSystemTrayIcon::Trigger);
            const double openMs = started.nsecsElapsed() / 1e6;
            host.trayMenu->hide();
            std::printf("start with %s (%d people in the menu, file %.1f MB): %.0f ms, menu opened %.0f ms later "
                        "(target 2000 ms)\n",
                        start.what, host.state().people.count(), QFileInfo(startIni).size() / 1048576.0, startMs, openMs);
        }
    }

    const int last = people.count() - 1;
    std::printf("calendar window, born 1950, to the painted window: %.2f ms (target 100 ms)\n", MedianMs(21, [&] {
                    host.state().chosenYear = Clock::today().year();
                    host.buildYearCalendar(last);
                    host.calendarWindow->fillFromModel();
                    host.calendarWindow->show();
                    QApplication::processEvents();
                    (void)host.calendarWindow->grab(); // paints every visible cell
                    host.calendarWindow->hide();
                }));

    // What "График" does before the window waits for the user, then the
    // painted window; the first time the window is made as well.
    const auto openChart = [&] {
        const Person &p = host.state().people.checkedAt(last);
        host.chartWindow->setSubject(p.name, EncodeDate(p.year, p.month, p.day), host.state().periods);
        host.chartWindow->show();
        QApplication::processEvents();
        (void)host.chartWindow->grab();
    };
    {
        QElapsedTimer first;
        first.start();
        openChart();
        std::printf("chart window, first opening (window made): %.2f ms (target 100 ms)\n", first.nsecsElapsed() / 1e6);
        host.chartWindow->hide();
    }
    std::printf("chart window, born 1950, to the painted window: %.2f ms (target 100 ms)\n", MedianMs(21, [&] {
                    openChart();
                    host.chartWindow->hide();
                }));
    openChart();
    ChartWindow *chart = host.chartWindow;
    std::printf("chart redraw after a day's move: %.2f ms (target 16 ms)\n", MedianMs(41, [&] {
                    chart->moveDay(1);
                    chart->chart->repaint();
                }));
    // The resize as the window gets it from the window system: the new
    // size, then one repaint of the window from the event loop.
    int paints = 0;
    PaintCounter counter(paints);
    chart->chart->installEventFilter(&counter);
    bool larger = true;
    std::printf("chart redraw after a resize (784 x 512 <-> 1280 x 900): %.2f ms (target 16 ms)\n", MedianMs(21, [&] {
                    chart->resize(larger ? QSize(1280, 900) : ChartWindow::DefaultSize);
                    larger = !larger;
                    QApplication::processEvents();
                }));
    std::printf("  (%d paints of the chart in 21 resizes)\n", paints);
    chart->hide();

    const QString txt = dir.filePath("export.txt");
    std::printf("text export, model to file on disk: %.2f ms (target 20 ms)\n", MedianMs(21, [&] {
                    host.state().chosenYear = Clock::today().year();
                    host.buildYearCalendar(last);
                    WriteWholeFile(txt, TextExportBytes(host.state().yearTable, host.state().chosenYear,
                                                             host.state().daysLivedLine));
                }));
    return 0;
}
