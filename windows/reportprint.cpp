#include "windows/reportprint.h"

#include "model/errors.h"
#include "store/filewrite.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

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

// A PDF file ends with the place of its cross-reference table and "%%EOF"; a
// file cut short anywhere lacks that end, or points past what it holds.
bool CompletePdf(const QByteArray &pdf)
{
    if (!pdf.startsWith("%PDF-"))
        return false;
    const qsizetype eof = pdf.lastIndexOf("%%EOF");
    if (eof < 0 || !pdf.mid(eof + 5).trimmed().isEmpty())
        return false;
    const qsizetype start = pdf.lastIndexOf("startxref", eof);
    if (start < 0)
        return false;
    bool ok = false;
    const qint64 offset = pdf.mid(start + 9, eof - start - 9).trimmed().toLongLong(&ok);
    if (!ok || offset <= 0 || offset >= start)
        return false;
    // A table, or a cross-reference stream, which is an object.
    const char first = pdf[offset];
    return pdf.mid(offset, 4) == "xref" || (first >= '1' && first <= '9');
}

// Why a file could not be written in full: the error a write at its end
// meets now (a full disk, a file-size limit), or 0 when it meets none.
int WhyFileStopped(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int e = ::write(fd, "\n", 1) == 1 ? 0 : errno;
    ::close(fd);
    return e;
}

// The PDF file is printed into a private temporary folder first and written
// where the user asked only once it is complete, the same way as every other
// file the program writes: a page that cannot be written in full leaves no
// broken file behind, and the failure is reported.
// Each PDF file is printed by a printer of its own with the kept settings: a
// PDF printer whose file once failed writes nothing to the next one.
void printToPdfFile(const Report &report, const QPrinter &settings)
{
    const QString wanted = settings.outputFileName();
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw KelvoraError(QStringLiteral("Печать не удалась: %1 (%2)").arg(wanted, scratch.errorString()));
    const QString draft = scratch.filePath(QStringLiteral("page.pdf"));
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(draft);
        printer.setResolution(settings.resolution());
        printer.setPageLayout(settings.pageLayout());
        printer.setFullPage(settings.fullPage());
        printer.setCopyCount(settings.copyCount());
        printer.setCollateCopies(settings.collateCopies());
        printer.setPrintRange(settings.printRange());
        printer.setFromTo(settings.fromPage(), settings.toPage());
        printer.setPageOrder(settings.pageOrder());
        printer.setColorMode(settings.colorMode());
        printer.setDuplex(settings.duplex());
        printer.setPdfVersion(settings.pdfVersion());
        printer.setFontEmbeddingEnabled(settings.fontEmbeddingEnabled());
        printer.setDocName(settings.docName());
        printer.setCreator(settings.creator());
        ReportPrinter::printOn(report, printer);
    }
    QFile file(draft);
    if (!file.exists())
        return; // no page in the chosen range: nothing to write
    if (!file.open(QIODevice::ReadOnly))
        throw KelvoraError(FileErrorMessage(EIO));
    const QByteArray pdf = file.readAll();
    file.close();
    if (!CompletePdf(pdf)) {
        const int why = WhyFileStopped(draft);
        throw KelvoraError(why ? FileErrorMessage(why) : QStringLiteral("Печать не удалась: %1").arg(wanted));
    }
    WriteWholeFile(wanted, pdf);
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
    if (p.outputFormat() == QPrinter::PdfFormat)
        printToPdfFile(report, p);
    else
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
