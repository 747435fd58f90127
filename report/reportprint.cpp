#include "report/reportprint.h"

#include "model/errors.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>

namespace ReportEngine {

namespace {

// A printer that can take a job: a named printer, or a PDF file.
bool canPrint(const QPrinter &printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat)
        return !printer.outputFileName().isEmpty();
    return !printer.printerName().isEmpty();
}

QString target(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
}

// The paper with the report's page painted on it, at the widget's resolution.
class PageView : public QWidget {
public:
    explicit PageView(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

    void setReport(const Report *report)
    {
        m_report = report;
        const QSize paper = paperSize();
        setFixedSize(paper + QSize(2 * ReportPreview::Desk, 2 * ReportPreview::Desk));
        update();
    }

    QSize paperSize() const
    {
        return m_report ? m_report->paperSizePixels(logicalDpiX(), logicalDpiY()) : QSize(0, 0);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(128, 128, 128));
        if (!m_report)
            return;
        const QRect paper(QPoint(ReportPreview::Desk, ReportPreview::Desk), paperSize());
        painter.fillRect(paper.translated(2, 2), QColor(64, 64, 64));
        painter.fillRect(paper, Qt::white);
        painter.setClipRect(paper);
        painter.translate(paper.topLeft());
        painter.setRenderHint(QPainter::TextAntialiasing);
        m_report->paintPage(painter, 1);
    }

private:
    const Report *m_report = nullptr;
};

} // namespace

// ---------------------------------------------------------------- printer

ReportPrinter::ReportPrinter() = default;
ReportPrinter::~ReportPrinter() = default;

QPrinter &ReportPrinter::printer(const Report &report)
{
    if (!m_printer) {
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        QPrinter &p = *m_printer;
        const PageSetup &page = report.page;
        p.setPageSize(QPageSize(QSizeF(page.paperWidth / 10.0, page.paperLength / 10.0), QPageSize::Millimeter,
                                QString(), QPageSize::FuzzyOrientationMatch));
        p.setPageOrientation(page.orientation);
        // The page places itself by its own margins from the paper's corner.
        p.setFullPage(true);
        p.setCopyCount(1);
        p.setPrintRange(QPrinter::AllPages);
        p.setPaperSource(QPrinter::Auto);
        p.setDuplex(QPrinter::DuplexNone);
        p.setDocName(QStringLiteral("Лунофар"));
        p.setCreator(QStringLiteral("Лунофар"));
    }
    return *m_printer;
}

bool ReportPrinter::setup(const Report &report, QWidget *parent)
{
    QPrintDialog dialog(&printer(report), parent);
    dialog.setObjectName(QStringLiteral("PrinterSetup"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
    dialog.setOption(QAbstractPrintDialog::PrintShowPageSize, true);
    dialog.setMinMax(1, report.pageCount());
    return dialog.exec() == QDialog::Accepted;
}

bool ReportPrinter::print(const Report &report, QWidget *parent)
{
    if (!canPrint(printer(report)) && !setup(report, parent))
        return false;
    QPrinter &p = printer(report);
    if (!canPrint(p))
        throw KelvoraError(QStringLiteral("Нет принтера для печати."));
    printOn(report, p);
    return true;
}

void ReportPrinter::printOn(const Report &report, QPrinter &printer)
{
    int from = 1;
    int to = report.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = qMax(from, printer.fromPage());
        to = qMin(to, printer.toPage() > 0 ? printer.toPage() : to);
    }
    if (from > to)
        return;
    // Printers that cannot make copies themselves (a PDF file) get every
    // copy as pages of their own.
    const int copies = printer.supportsMultipleCopies() ? 1 : qMax(1, printer.copyCount());

    QPainter painter;
    if (!painter.begin(&printer))
        throw KelvoraError(QStringLiteral("Не удалось начать печать: %1").arg(target(printer)));
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int n = from; n <= to; ++n) {
            if (!first && !printer.newPage()) {
                painter.end();
                throw KelvoraError(QStringLiteral("Печать прервана: %1").arg(target(printer)));
            }
            first = false;
            report.paintPage(painter, n);
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw KelvoraError(QStringLiteral("Печать не удалась: %1").arg(target(printer)));
}

// ---------------------------------------------------------------- preview

ReportPreview::ReportPreview(QWidget *parent) : QScrollArea(parent)
{
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setWidgetResizable(false);
    m_page = new PageView(this);
    m_page->setObjectName(QStringLiteral("QRPreviewPage"));
    setWidget(m_page);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    static_cast<PageView *>(m_page)->setReport(nullptr);
}

void ReportPreview::setReport(const Report *report)
{
    m_report = report;
    static_cast<PageView *>(m_page)->setReport(report);
    if (report) {
        horizontalScrollBar()->setValue(0);
        verticalScrollBar()->setValue(0);
    }
}

} // namespace ReportEngine
