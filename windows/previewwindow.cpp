#include "windows/previewwindow.h"
#include "windows/fixedlayout.h"

#include "windows/monthdialog.h"

#include "model/errors.h"
#include "report/reportengine.h"
#include "windows/reportprint.h"
#include "windows/dialogs.h"

#include <QCloseEvent>
#include <QFrame>
#include <QToolButton>

namespace {
constexpr int ToolBarHeight = 29;
}

PreviewWindow::PreviewWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PreviewWindow"));
    setWindowTitle(QStringLiteral("Печать Биоритмов"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    resize(545, 403);
    setFont(MonthReportFormFont());

    ToolBar1 = new QFrame(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));

    auto button = [this](const char *name, const QString &caption, int left) {
        auto *b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setAutoRaise(true); // flat
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setGeometry(left, 3, 67, 22);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("Печать"), 0);
    SpeedButton2 = button("SpeedButton2", QStringLiteral("Настройка"), 67);
    SpeedButton3 = button("SpeedButton3", QStringLiteral("Закрыть"), 134);

    QRPreview = new ReportEngine::ReportPreview(this);
    QRPreview->setObjectName(QStringLiteral("QRPreview"));

    connect(SpeedButton1, &QToolButton::clicked, this, &PreviewWindow::PrintButton);
    connect(SpeedButton2, &QToolButton::clicked, this, &PreviewWindow::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &PreviewWindow::SpeedButton3Click);
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    ToolBar1->setGeometry(0, 0, width(), ToolBarHeight);
    QRPreview->setGeometry(0, ToolBarHeight, width(), qMax(0, height() - ToolBarHeight));
    QWidget::resizeEvent(event);
}

void PreviewWindow::ShowPreview(ReportEngine::Report &report, ReportEngine::ReportPrinter &printer)
{
    m_report = &report;
    m_printer = &printer;
    QRPreview->setReport(&report);
    if (!isVisible()) {
        CentreOnDesktop(this);
    }
    show();
    raise();
    activateWindow();
}

void PreviewWindow::PrintButton()
{
    if (!m_report || !m_printer)
        return;
    // Button handlers run in the event loop: an error is shown here and the
    // preview stays open.
    try {
        m_printer->print(*m_report, this);
    } catch (const KelvoraError &e) {
        Dialogs::ShowError(e.message(), this);
    } catch (const std::exception &e) {
        Dialogs::ShowError(QString::fromLocal8Bit(e.what()), this);
    }
}

void PreviewWindow::SpeedButton2Click()
{
    if (!m_report || !m_printer)
        return;
    try {
        m_printer->setup(*m_report, this);
    } catch (const KelvoraError &e) {
        Dialogs::ShowError(e.message(), this);
    } catch (const std::exception &e) {
        Dialogs::ShowError(QString::fromLocal8Bit(e.what()), this);
    }
}

void PreviewWindow::SpeedButton3Click()
{
    close();
}

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void PreviewWindow::FormClose()
{
    ReportEngine::Report *report = m_report;
    m_report = nullptr;
    m_printer = nullptr;
    QRPreview->clear();
    if (report)
        report->endPreview();
}
