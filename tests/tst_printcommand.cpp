// "На принтер" from the tray menu: the month dialog, the model for the chosen
// year, the preview, printing, and the menu flag and the page afterwards.
#include "model/clock.h"
#include "outputs/monthreport.h"
#include "resources/pictures.h"
#include "shell/startup.h"
#include "shell/trayhost.h"
#include "windows/dialogs.h"
#include "windows/monthdialog.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"
#include "windows/reportprint.h"
#include "windowsupport.h"

#include <QAction>
#include <QComboBox>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace TestSupport;
using namespace ReportEngine;

namespace {
const QDateTime Now(QDate(2025, 3, 10), QTime(12, 0));

int DayCells(Report &rep)
{
    int n = 0;
    for (const auto &e : MonthReport::Band(rep).elements())
        n += e->name().startsWith(QLatin1String("NewLabel")) || e->name().startsWith(QLatin1String("NewImg"));
    return n;
}

QString Caption(Report &rep, const QString &name)
{
    auto *label = MonthReport::Band(rep).findAs<ReportLabel>(name);
    return label ? label->caption() : QStringLiteral("<none>");
}
}

class TestPrintCommand : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TrayHost> m_host;
    QStringList m_messages;
    std::unique_ptr<QTimer> m_previewPoll;
    int m_previewsSeen = 0;

    TrayHost &host(bool linkedPaper = true)
    {
        const QString ini = m_dir->filePath(QStringLiteral("Kelvora.ini"));
        WriteSettingsFile(ini, {"H23,6884368", "E28,42612413", "I33,16381152", "[Анна]", "15", "3", "2025", "0", "4"});
        ShellOptions options = HostOptions(m_dir->path());
        if (!linkedPaper)
            options.paper = nullptr;
        m_host = std::make_unique<TrayHost>(ini, options);
        CreateWindows(*m_host);
        return *m_host;
    }

    // Answers the month dialog once it is up; `choose` may look at it and
    // sets month and year.
    void answerDialog(int button, std::function<void(MonthDialog *)> choose = {})
    {
        AnswerModal(QStringLiteral("TForm5"), [this, button, choose](QWidget *w) {
            auto *form = static_cast<MonthDialog *>(w);
            QVERIFY(!m_host->shellState().menuEnabled);
            if (choose)
                choose(form);
            (button == 1 ? form->buildButton : form->cancelButton)->click();
        });
    }

    // Once the preview window is up: `look` at it, then close it with "Закрыть".
    void whenPreviewShown(std::function<void(PreviewWindow *)> look)
    {
        m_previewPoll = std::make_unique<QTimer>();
        m_previewPoll->setInterval(10);
        connect(m_previewPoll.get(), &QTimer::timeout, this, [this, look] {
            PreviewWindow *form = m_host->previewWindow;
            if (!form->isVisible())
                return;
            m_previewPoll->stop();
            ++m_previewsSeen;
            look(form);
            form->closeButton->click();
        });
        m_previewPoll->start();
    }

    QAction *printItem() { return MenuPart(*m_host, QStringLiteral("PrintKelvora0")); }

private slots:
    void initTestCase()
    {
        SetUpLocaleAndClock(Now);
        QLoggingCategory::setFilterRules(QStringLiteral("qt.core.qobject.connect=false"));
        std::signal(SIGXFSZ, SIG_IGN); // as the program does: a write past a limit fails
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_messages.clear();
        m_previewsSeen = 0;
        Clock::setFixed(Now);
        Dialogs::setMessageHook([this](const QString &text, bool isError) { m_messages << (isError ? "E:" : "M:") + text; });
    }
    void cleanup()
    {
        m_previewPoll.reset();
        m_host.reset();
        Dialogs::clearHooks();
    }

    void previewsAndPrintsTheChosenMonth()
    {
        TrayHost &h = host();
        Report &rep = h.reportHolder->report;
        QVERIFY(printItem());
        const QString pdf = m_dir->filePath(QStringLiteral("printed.pdf"));

        answerDialog(1, [](MonthDialog *form) {
            // Opens on the current month and year.
            QCOMPARE(form->monthBox->currentText(), QStringLiteral("Март"));
            QCOMPARE(form->yearEdit->value(), 2025);
            form->monthBox->setCurrentIndex(7); // Август
        });
        whenPreviewShown([&](PreviewWindow *form) {
            QVERIFY(!h.shellState().menuEnabled);
            QCOMPARE(form->preview->report(), &rep);
            QCOMPARE(Caption(rep, QStringLiteral("Month")), QStringLiteral("Август"));
            QCOMPARE(Caption(rep, QStringLiteral("Year")), QStringLiteral("2025"));
            QCOMPARE(Caption(rep, QStringLiteral("QRLabel10")), QStringLiteral("Анна"));
            QCOMPARE(DayCells(rep), 4 * 31);
            // August 2025 takes five rows.
            QCOMPARE(MonthReport::Band(rep).find(QStringLiteral("QRShape50"))->geometry().top(), 460);
            // The pictures are the program's own mark pictures.
            auto *k = MonthReport::Band(rep).findAs<ReportImage>(QStringLiteral("NewImg11"));
            const int index = MonthReport::MarkPictureIndex(h.state().yearTable[29][1]);
            QVERIFY(index >= 0);
            QImage drawn(16, 16, QImage::Format_ARGB32);
            drawn.fill(Qt::transparent);
            QPainter painter(&drawn);
            k->drawing().draw(painter, QRectF(0, 0, 16, 16));
            painter.end();
            QCOMPARE(drawn, Pictures::emotion(index));

            QPrinter &printer = h.reportHolder->printer.printer(rep);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            form->printButton->click();
            QVERIFY(form->isVisible());
        });
        h.printMonth(0);

        QCOMPARE(m_previewsSeen, 1);
        QVERIFY(h.shellState().menuEnabled);
        QCOMPARE(DayCells(rep), 0);
        QCOMPARE(h.state().chosenYear, 2025);
        QVERIFY(m_messages.isEmpty());
        QFile printed(pdf);
        QVERIFY(printed.open(QIODevice::ReadOnly));
        QVERIFY(printed.readAll().startsWith("%PDF-"));

        // The next run opens on the current month again, and the year 50 is
        // the year 50; the printer settings of the first run are kept.
        answerDialog(1, [](MonthDialog *form) {
            QCOMPARE(form->monthBox->currentText(), QStringLiteral("Март"));
            QCOMPARE(form->yearEdit->value(), 2025);
            form->monthBox->setCurrentIndex(0);
            form->yearEdit->setValue(50);
        });
        whenPreviewShown([&](PreviewWindow *) {
            QCOMPARE(Caption(rep, QStringLiteral("Month")), QStringLiteral("Январь"));
            QCOMPARE(Caption(rep, QStringLiteral("Year")), QStringLiteral("50"));
            // 1 January 50 was a Saturday: six rows, the 31st on a Monday.
            QCOMPARE(MonthReport::Band(rep).find(QStringLiteral("NewLabel1"))->geometry().left(), 72 * 6 + 79);
            QCOMPARE(MonthReport::Band(rep).find(QStringLiteral("QRShape50"))->geometry().top(), 536);
            // Born in 2025: no pictures at all.
            QVERIFY(MonthReport::Band(rep).findAs<ReportImage>(QStringLiteral("NewImg115"))->isEmpty());
            QCOMPARE(h.reportHolder->printer.printer(rep).outputFileName(), pdf);
        });
        h.printMonth(0);
        QCOMPARE(m_previewsSeen, 2);
        QCOMPARE(h.state().chosenYear, 50);
        QCOMPARE(DayCells(rep), 0);
        QVERIFY(h.shellState().menuEnabled);
    }

    // "Печать" into a PDF file on a disk that fills up: the error box, and the
    // file the user named keeps what it held; nothing half-written is left.
    void printingToAFullDisk()
    {
        TrayHost &h = host();
        const QString pdf = m_dir->filePath(QStringLiteral("printed.pdf"));
        WriteSettingsFile(pdf, {QStringLiteral("an older page")});
        const QByteArray older = ReadBytes(pdf);
        answerDialog(1);
        whenPreviewShown([&](PreviewWindow *form) {
            QPrinter &printer = h.reportHolder->printer.printer(h.reportHolder->report);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            rlimit old{};
            ::getrlimit(RLIMIT_FSIZE, &old);
            const rlimit limit{4000, old.rlim_max};
            QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
            form->printButton->click();
            ::setrlimit(RLIMIT_FSIZE, &old);
            QCOMPARE(m_messages, QStringList{QStringLiteral("E:Disk full")});
            QCOMPARE(printer.outputFileName(), pdf);
            // With room again the same button prints the page.
            form->printButton->click();
        });
        h.printMonth(0);
        QCOMPARE(m_messages, QStringList{QStringLiteral("E:Disk full")});
        QVERIFY(ReadBytes(pdf).startsWith("%PDF-"));
        QVERIFY(ReadBytes(pdf) != older);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({QStringLiteral("Kelvora.ini"), QStringLiteral("kelvora-test.lock"), QStringLiteral("printed.pdf")}));
    }

    // No paper module beside this program nor where the package puts it: the
    // command says so in the error box before it asks for a month.
    void missingPaperModule()
    {
        TrayHost &h = host(false);
        h.printMonth(0);
        QVERIFY(!h.monthDialog.made());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].startsWith(QStringLiteral("E:Не найден модуль печати и таблиц ")), qPrintable(m_messages[0]));
        QVERIFY(m_messages[0].contains(QStringLiteral("/libkelvora_paper.so")));
        QVERIFY(h.shellState().menuEnabled);
    }

    void cancelBuildsNothing()
    {
        TrayHost &h = host();
        answerDialog(2);
        whenPreviewShown([](PreviewWindow *) {});
        h.printMonth(0);
        QCOMPARE(m_previewsSeen, 0);
        QVERIFY(!h.state().hasYearTable);
        QVERIFY(h.shellState().menuEnabled);
        QCOMPARE(DayCells(h.reportHolder->report), 0);
        QVERIFY(m_messages.isEmpty());
    }

    void yearZeroIsAnInvalidDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("0") << QStringLiteral("0");
        QTest::newRow("not a number") << QStringLiteral("1-9");
    }

    void yearZeroIsAnInvalidDate()
    {
        QFETCH(QString, typed);
        TrayHost &h = host();
        answerDialog(1, [typed](MonthDialog *form) {
            form->yearEdit->setFocus();
            form->yearEdit->selectAll();
            QTest::keyClick(form->yearEdit, Qt::Key_Delete);
            QTest::keyClicks(form->yearEdit, typed);
        });
        whenPreviewShown([](PreviewWindow *) {});
        h.printMonth(0);
        QCOMPARE(m_previewsSeen, 0);
        QCOMPARE(m_messages, QStringList({QStringLiteral("E:Invalid argument to date encode")}));
        QCOMPARE(h.state().chosenYear, 0);
        QVERIFY(h.shellState().menuEnabled);
        QCOMPARE(DayCells(h.reportHolder->report), 0);
        QVERIFY(!h.previewWindow->isVisible());
    }
};

QTEST_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
