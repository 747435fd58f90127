#include "windows/previewwindow.h"

#include "model/errors.h"
#include "report/fonts.h"
#include "report/reportengine.h"
#include "windows/dialogs.h"
#include "windows/fixedlayout.h"
#include "windows/reportprint.h"

#include <QCloseEvent>
#include <QFrame>
#include <QToolButton>

namespace {
constexpr int ToolBarHeight = 29;
}

PreviewWindow::PreviewWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QLatin1String(Names::window));
    setWindowTitle(QStringLiteral("Печать Биоритмов"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
    resize(545, 403);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    toolBar = Named(new QFrame(this), Names::toolBar);

    auto button = [this](const char *name, const QString &caption, int left) {
        auto *b = Named(new QToolButton(toolBar), name);
        b->setText(caption);
        b->setAutoRaise(true); // flat
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setGeometry(left, 3, 67, 22);
        return b;
    };
    printButton = button(Names::printButton, QStringLiteral("Печать"), 0);
    setupButton = button(Names::setupButton, QStringLiteral("Настройка"), 67);
    closeButton = button(Names::closeButton, QStringLiteral("Закрыть"), 134);

    preview = Named(new ReportEngine::ReportPreview(this), Names::preview);

    connect(printButton, &QToolButton::clicked, this, &PreviewWindow::print);
    connect(setupButton, &QToolButton::clicked, this, &PreviewWindow::setUpPrinter);
    connect(closeButton, &QToolButton::clicked, this, &PreviewWindow::closeWindow);
}

void PreviewWindow::resizeEvent(QResizeEvent *event)
{
    toolBar->setGeometry(0, 0, width(), ToolBarHeight);
    preview->setGeometry(0, ToolBarHeight, width(), qMax(0, height() - ToolBarHeight));
    QWidget::resizeEvent(event);
}

void PreviewWindow::showReport(ReportEngine::Report &report, ReportEngine::ReportPrinter &printer)
{
    m_report = &report;
    m_printer = &printer;
    preview->setReport(&report);
    if (!isVisible())
        CentreOnDesktop(this);
    ShowFloating(this);
    raise();
    activateWindow();
}

void PreviewWindow::print()
{
    if (!m_report || !m_printer)
        return;
    // Button handlers run in the event loop: an error is shown here and the
    // preview stays open.
    Dialogs::RunShowingErrors([this] { m_printer->print(*m_report, this); }, this);
}

void PreviewWindow::setUpPrinter()
{
    if (!m_report || !m_printer)
        return;
    Dialogs::RunShowingErrors([this] { m_printer->setup(*m_report, this); }, this);
}

void PreviewWindow::closeWindow() { close(); }

void PreviewWindow::closeEvent(QCloseEvent *event)
{
    endPreview();
    QWidget::closeEvent(event);
}

void PreviewWindow::endPreview()
{
    ReportEngine::Report *report = m_report;
    m_report = nullptr;
    m_printer = nullptr;
    preview->clear();
    if (report)
        report->endPreview();
}
