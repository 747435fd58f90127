// The year calendar window: what it shows, its colours, folding months, the
// legend, closing, and the "На экран" command that opens it.
#include "model/clock.h"
#include "model/yearmodel.h"
#include "resources/pictures.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "testpaths.h"
#include "windows/calendarwindow.h"
#include "windows/dialogs.h"
#include "windowsupport.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {
const QDateTime EighthDecember(QDate(2026, 12, 8), QTime(14, 30));

// The colour text of a cell is written in: the pixel that stands out most from
// the background, matched to black, maroon or red by the line from the
// background to each (antialiased text lies on that line); "none" for a blank cell.
QString TextColour(const QImage &cell)
{
    const QColor bg = cell.pixelColor(cell.width() - 1, cell.height() - 1);
    auto dist2 = [](double r, double g, double b) { return r * r + g * g + b * b; };
    QColor ink = bg;
    double best = 0;
    for (int y = 0; y < cell.height(); ++y)
        for (int x = 0; x < cell.width(); ++x) {
            const QColor p = cell.pixelColor(x, y);
            const double d = dist2(p.red() - bg.red(), p.green() - bg.green(), p.blue() - bg.blue());
            if (d > best) {
                best = d;
                ink = p;
            }
        }
    if (best < 60 * 60)
        return "none";
    const QList<QPair<QString, QColor>> candidates = {{"black", QColor(0, 0, 0)}, {"maroon", QColor(128, 0, 0)},
                                                      {"red", QColor(255, 0, 0)}};
    QString name;
    double bestResidual = 1e18;
    for (const auto &[candidate, c] : candidates) {
        const double vr = c.red() - bg.red(), vg = c.green() - bg.green(), vb = c.blue() - bg.blue();
        const double pr = ink.red() - bg.red(), pg = ink.green() - bg.green(), pb = ink.blue() - bg.blue();
        const double a = qBound(0.0, (pr * vr + pg * vg + pb * vb) / dist2(vr, vg, vb), 1.0);
        const double residual = dist2(pr - a * vr, pg - a * vg, pb - a * vb);
        if (residual < bestResidual) {
            bestResidual = residual;
            name = candidate;
        }
    }
    return name;
}
}

class TestCalendar : public QObject {
    Q_OBJECT
    SharedState m_state;
    std::unique_ptr<CalendarWindow> m_form;

    // Builds the year for `person` into the state and opens the window on it.
    void open(const Person &person, int year = 2026)
    {
        m_state.people.clear();
        m_state.people.append(person);
        m_state.chosenYear = year;
        BuildYearCalendar(m_state, 0);
        if (m_form->isVisible())
            m_form->hide();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    QImage cell(int row, int column)
    {
        CalendarGrid *grid = m_form->grid;
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index, QAbstractItemView::PositionAtCenter);
        const QRect r = grid->visualRect(index);
        return grid->viewport()->grab(r).toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The grid's own cell area, without the silver lines at its right and bottom edge.
    QImage dayCellInside(int row, int column)
    {
        const QImage c = cell(row, column);
        return c.copy(0, 0, c.width() - 1, c.height() - 1);
    }

    void clickLabel(int row, Qt::MouseButton button)
    {
        CalendarGrid *grid = m_form->grid;
        const QModelIndex index = grid->model()->index(row, 0);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), button, {}, grid->visualRect(index).center());
    }

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(EighthDecember);
        m_form = std::make_unique<CalendarWindow>(m_state);
    }

    void cleanup()
    {
        Dialogs::clearHooks();
        m_form->hide();
        for (int m = 0; m < 12; ++m)
            if (m_form->monthFolded(m))
                for (int i = 1; i <= 3; ++i)
                    m_form->grid->setRowHidden(4 * m + i, false);
    }

    // 8 December: today's day number is the current cell and all of December is in view.
    void layoutNames()
    {
        CalendarWindow fresh(m_state);
        QCOMPARE(CheckNamedParts(&fresh, {{"TForm1", "QDialog", "Биоритмы..."},
                                          {"Grid", "QTableWidget", ""},
                                          {"StatusBar1", "QStatusBar", ""},
                                          {"Button1", "QPushButton", "Справка"},
                                          {"btnExit", "QPushButton", "Закрыть"},
                                          {"PopupMenu1", "QMenu", ""},
                                          {"N3", "QAction", "Увеличение активности"},
                                          {"N1", "QAction", "Плохой день"},
                                          {"N4", "QAction", "Снижение активности"},
                                          {"N2", "QAction", "Критический день"}}),
                 QString());
    }

    void openingOnEighthDecember()
    {
        open(MakePerson("Анна", 15, 3, 1990));
        CalendarGrid *grid = m_form->grid;
        QCOMPARE(m_form->windowTitle(), QString("Биоритмы на 2026 год"));
        QCOMPARE(grid->currentRow(), 44);
        QCOMPARE(grid->currentColumn(), 8);
        const QRect view = grid->viewport()->rect();
        for (int row = 44; row <= 47; ++row)
            QVERIFY2(view.contains(grid->visualRect(grid->model()->index(row, 8))), qPrintable(QString::number(row)));
        QCOMPARE(m_form->statusBar->panelText(0), m_state.daysLivedLine);
        QVERIFY(m_form->statusBar->panelText(0).startsWith("Анна, к 08.12.2026 Вы прожили "));
        QVERIFY(m_form->statusBar->panelText(1).isEmpty());
        for (int r = 0; r < 48; ++r)
            for (int c = 0; c < 32; ++c)
                QCOMPARE(grid->item(r, c)->text(), m_state.yearTable[r][c]);

        // Another opening replaces every cell and the line; nothing of the first person remains.
        open(MakePerson("Борис", 1, 1, 2030));
        for (int r = 0; r < 48; ++r)
            for (int c = 0; c < 32; ++c)
                QCOMPARE(grid->item(r, c)->text(), m_state.yearTable[r][c]);
        QVERIFY(m_form->statusBar->panelText(0).startsWith("Борис, к "));
    }

    // The day number takes its colour from the count of "K" below it; the marks their own.
    void colours()
    {
        open(MakePerson("Анна", 15, 3, 2026));
        const YearTable &t = m_state.yearTable;
        QSet<int> seen;
        for (int m = 0; m < 12; ++m) {
            for (int d = 1; d <= DaysInMonth(2026, m + 1); ++d) {
                int k = 0;
                for (int i = 1; i <= 3; ++i)
                    k += t[4 * m + i][d] == "K";
                const int kind = qMin(k, 2);
                if (seen.contains(kind))
                    continue;
                seen.insert(kind);
                const QString want = kind == 0 ? "black" : kind == 1 ? "maroon" : "red";
                QCOMPARE(TextColour(dayCellInside(4 * m, d)), want);
            }
        }
        QCOMPARE(seen.size(), 3);
        // The birthday: all three cycles critical.
        QCOMPARE(TextColour(dayCellInside(8, 15)), QString("red"));
        // Before the birthday the cycle cells are blank and white, the day numbers black.
        QCOMPARE(TextColour(dayCellInside(8, 14)), QString("black"));
        QCOMPARE(TextColour(dayCellInside(9, 14)), QString("none"));
        QCOMPARE(dayCellInside(9, 14).pixelColor(5, 5), QColor(Qt::white));

        // One cell of each mark.
        QHash<QString, QString> markSeen;
        for (int r = 9; r < 48 && markSeen.size() < 4; ++r) {
            if (r % 4 == 0)
                continue;
            for (int c = 1; c < 32; ++c) {
                const QString mark = t[r][c];
                if (mark.trimmed().isEmpty() || markSeen.contains(mark))
                    continue;
                markSeen.insert(mark, TextColour(dayCellInside(r, c)));
            }
        }
        QCOMPARE(markSeen.value("K"), QString("red"));
        QCOMPARE(markSeen.value("0"), QString("maroon"));
        QCOMPARE(markSeen.value("+"), QString("black"));
        QCOMPARE(markSeen.value("-"), QString("black"));
    }

    void bornAfterTheYear()
    {
        open(MakePerson("Вера", 2, 2, 2027));
        for (int m = 0; m < 12; ++m)
            for (int d = 1; d <= DaysInMonth(2026, m + 1); d += 7)
                QCOMPARE(TextColour(dayCellInside(4 * m, d)), QString("black"));
        QCOMPARE(TextColour(dayCellInside(45, 8)), QString("none"));
    }

    // Days a month does not have: yellowish and empty in the day-number row, white below.
    void commonFebruary()
    {
        open(MakePerson("Анна", 15, 3, 1990));
        const QColor tip = QApplication::palette().color(QPalette::ToolTipBase);
        for (int d = 29; d <= 31; ++d) {
            QCOMPARE(m_form->grid->item(4, d)->text(), QString());
            const QImage numbers = dayCellInside(4, d);
            QCOMPARE(numbers.pixelColor(2, 2), tip);
            QCOMPARE(numbers.pixelColor(10, 10), tip);
            for (int r = 5; r <= 7; ++r)
                QCOMPARE(dayCellInside(r, d).pixelColor(7, 7), QColor(Qt::white));
        }
        QCOMPARE(TextColour(dayCellInside(4, 28)), QString("black"));
    }

    // Any button on a month's name folds its cycle rows and turns the arrow;
    // elsewhere a click does nothing to the rows.
    void folding()
    {
        open(MakePerson("Анна", 15, 3, 2026));
        CalendarGrid *grid = m_form->grid;
        const QImage unfoldedLabel = cell(8, 0);
        QCOMPARE(unfoldedLabel.copy(59, 0, 16, 15), Pictures::calendarArrow(false).toImage().convertToFormat(QImage::Format_RGB32));

        clickLabel(8, Qt::LeftButton);
        QVERIFY(m_form->monthFolded(2));
        for (int r = 9; r <= 11; ++r)
            QCOMPARE(grid->rowHeight(r), 0);
        QVERIFY(grid->rowHeight(8) > 0);
        QVERIFY(grid->rowHeight(12) > 0);
        QCOMPARE(cell(8, 0).copy(59, 0, 16, 15), Pictures::calendarArrow(true).toImage().convertToFormat(QImage::Format_RGB32));
        // The hidden rows still count: the birthday stays red.
        QCOMPARE(TextColour(dayCellInside(8, 15)), QString("red"));

        clickLabel(8, Qt::RightButton);
        QVERIFY(!m_form->monthFolded(2));
        for (int r = 9; r <= 11; ++r)
            QCOMPARE(grid->rowHeight(r), grid->rowHeight(8));
        QCOMPARE(cell(8, 0), unfoldedLabel);

        // A day number, a cycle cell, a cycle label: no folding, and the label never becomes current.
        const QModelIndex before = grid->currentIndex();
        for (const QPoint rc : {QPoint(8, 3), QPoint(9, 3), QPoint(9, 0)}) {
            const QModelIndex index = grid->model()->index(rc.x(), rc.y());
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        }
        for (int m = 0; m < 12; ++m)
            QVERIFY(!m_form->monthFolded(m));
        QCOMPARE(grid->currentRow(), 9);
        QCOMPARE(grid->currentColumn(), 3);
        QVERIFY(before != grid->currentIndex());
        clickLabel(4, Qt::LeftButton);
        QCOMPARE(grid->currentColumn(), 3);
        grid->setFocus();
        grid->setCurrentCell(9, 1);
        QTest::keyClick(grid, Qt::Key_Left);
        QCOMPARE(grid->currentColumn(), 1);
        QTest::keyClick(grid, Qt::Key_Home);
        QCOMPARE(grid->currentColumn(), 1);
    }

    // A folded month stays folded when the window opens again for someone else.
    void foldKeptBetweenOpenings()
    {
        open(MakePerson("Анна", 15, 3, 2026));
        clickLabel(44, Qt::LeftButton);
        QVERIFY(m_form->monthFolded(11));
        m_form->hide();
        open(MakePerson("Борис", 1, 1, 1970));
        QVERIFY(m_form->monthFolded(11));
        QCOMPARE(m_form->grid->currentRow(), 44);
        QCOMPARE(m_form->grid->currentColumn(), 8);
        const QRect view = m_form->grid->viewport()->rect();
        QVERIFY(view.contains(m_form->grid->visualRect(m_form->grid->model()->index(44, 8))));
    }

    void legend()
    {
        open(MakePerson("Анна", 15, 3, 1990));
        QMenu *menu = m_form->legendMenu;
        QStringList names;
        for (QAction *a : menu->actions()) {
            names << a->objectName();
            QVERIFY(!a->icon().isNull());
        }
        QCOMPARE(names, QStringList({"N3", "N1", "N4", "N2"}));
        QVERIFY(SameIcon(m_form->criticalItem->icon(), QIcon(Pictures::helpImage(3))));

        for (Qt::MouseButton button : {Qt::RightButton, Qt::LeftButton}) {
            m_form->closeButton->setFocus();
            QTest::mousePress(m_form->legendButton, button, {}, QPoint(10, 5));
            QTRY_VERIFY(menu->isVisible());
            menu->hide();
            QCOMPARE(m_form->focusWidget(), m_form->grid);
            QTest::mouseRelease(m_form->legendButton, button, {}, QPoint(10, 5));
        }
    }

    void closing_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<int>("result");
        QTest::newRow("Esc on the grid") << true << 2;
        QTest::newRow("Закрыть") << false << 1;
    }

    void closing()
    {
        QFETCH(bool, escape);
        QFETCH(int, result);
        m_state.people.clear();
        m_state.people.append(MakePerson("Анна", 15, 3, 1990));
        BuildYearCalendar(m_state, 0);
        CalendarWindow *form = m_form.get();
        AnswerModal("TForm1", [form, escape](QWidget *) {
            // Esc closes from the grid only, never from a button.
            for (QPushButton *button : {form->closeButton, form->legendButton}) {
                button->setFocus();
                QTest::keyClick(button, Qt::Key_Escape);
                QVERIFY(form->isVisible());
            }
            if (escape)
                QTest::keyClick(form->grid, Qt::Key_Escape);
            else
                QTest::mouseClick(form->closeButton, Qt::LeftButton);
        });
        QCOMPARE(m_form->exec(), result);
        QVERIFY(!m_form->isVisible());
    }

    // Day cells of 15 pixels and their lines fill the grid up to its scroll
    // bar: no empty strip at the right.
    void gridFillsItsWidth()
    {
        open(MakePerson("Анна", 15, 3, 2026));
        CalendarGrid *grid = m_form->grid;
        QCOMPARE(dayCellInside(8, 31).width(), 15);
        const QRect last = grid->visualRect(grid->model()->index(8, 31));
        QCOMPARE(last.right(), grid->viewport()->width() - 1);
        QVERIFY(grid->verticalScrollBar()->isVisible());
        QCOMPARE(grid->viewport()->mapTo(m_form.get(), QPoint(grid->viewport()->width(), 0)).x(),
                 grid->verticalScrollBar()->mapTo(m_form.get(), QPoint(0, 0)).x());
        QCOMPARE(grid->verticalScrollBar()->mapTo(m_form.get(), QPoint(grid->verticalScrollBar()->width(), 0)).x(),
                 grid->width() - grid->frameWidth());
    }
};

// "На экран" through the host: the menu stays closed while the window is open
// and opens again afterwards, also when the build fails.
class TestShowCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TrayHost> m_host;
    QStringList m_errors;

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(EighthDecember);
        m_dir = std::make_unique<QTemporaryDir>();
        const QString ini = m_dir->filePath("Kelvora.ini");
        WriteSettingsFile(ini, {"H23,6884368", "E28,42612413", "I33,16381152", "[Анна]", "15", "3", "1990", "0", "4",
                                "[Март]", "31", "4", "1990", "0", "5"});
        m_host = std::make_unique<TrayHost>(ini, HostOptions(m_dir->path()));
        CreateWindows(*m_host);
        Dialogs::setMessageHook([this](const QString &text, bool) { m_errors << text; });
    }

    void cleanupTestCase()
    {
        Dialogs::clearHooks();
        m_host.reset();
    }

    void opensTheCurrentYear()
    {
        TrayHost &host = *m_host;
        host.state().chosenYear = 1999;
        bool flagWhileOpen = true;
        QString title;
        AnswerModal("TForm1", [&](QWidget *w) {
            flagWhileOpen = host.shellState().menuEnabled;
            title = w->windowTitle();
            QTest::mouseClick(host.calendarWindow->closeButton, Qt::LeftButton);
        });
        host.showCalendar(0);
        QVERIFY(!flagWhileOpen);
        QVERIFY(host.shellState().menuEnabled);
        QCOMPARE(title, QString("Биоритмы на 2026 год"));
        QCOMPARE(host.state().chosenYear, 2026);
        QCOMPARE(host.calendarWindow->grid->item(8, 15)->text(), QString("15"));
        QCOMPARE(host.calendarWindow->statusBar->panelText(0), host.state().daysLivedLine);
        QVERIFY(m_errors.isEmpty());
    }

    // A stored 31 April: the build stops, the window stays shut, the menu opens again.
    void failedBuild()
    {
        TrayHost &host = *m_host;
        bool opened = false;
        AnswerModal("TForm1", [&](QWidget *w) {
            opened = true;
            static_cast<CalendarWindow *>(w)->done(2);
        });
        host.showCalendar(1);
        QTest::qWait(50);
        QVERIFY(!opened);
        QVERIFY(host.shellState().menuEnabled);
        QCOMPARE(m_errors.size(), 1);
        m_errors.clear();
        // The poll above is still waiting; let it find the next opening.
        host.showCalendar(0);
        QVERIFY(opened);
        QVERIFY(host.shellState().menuEnabled);
        QVERIFY(m_errors.isEmpty());
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int status = 0;
    {
        TestCalendar t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        TestShowCommand t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "tst_calendar.moc"
