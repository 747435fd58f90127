// The paper code itself: printing, the preview window, the workbook, the
// faces on paper and the chart as SVG, as the module (and the tests) link them.
#include "windows/paper.h"

#include "outputs/chartsvg.h"
#include "outputs/xlsxexport.h"
#include "resources/markfaces.h"
#include "windows/previewwindow.h"
#include "windows/reportholder.h"
#include "windows/reportprint.h"

#include <QPrinter>

namespace {

class LinkedPaperCode : public Paper {
public:
    MonthReport::MarkPictures markFaces() override { return MonthReport::MarkFaces(); }
    ReportHolder *newReportHolder() override { return new ReportHolder; }
    PreviewWindow *newPreviewWindow() override { return new PreviewWindow; }
    void printPdf(const ReportEngine::Report &report, const QString &path) override
    {
        ReportEngine::ReportPrinter printer;
        QPrinter &pdf = printer.printer(report);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(path);
        printer.print(report, nullptr);
    }
    void writeYearWorkbook(const QString &path, const YearTable &table, int year, const QString &daysLivedLine) override
    {
        XlsxExport::WriteYearWorkbook(path, table, year, daysLivedLine);
    }
    QString writeYearWorkbookToNewFile(const SharedState &state) override
    {
        return XlsxExport::WriteYearWorkbookToNewFile(state);
    }
    QByteArray chartSvg(const Chart::Subject &subject) override { return Chart::Svg(subject); }
};

}

Paper &LinkedPaper()
{
    static LinkedPaperCode paper;
    return paper;
}
