#pragma once
// Printing, the month page's preview, the spreadsheet workbook, the faces
// on paper and the chart as SVG, with the print, SVG and workbook libraries they need, live in a
// module of their own (libkelvora_paper.so) that is loaded the first time one
// of them is used: a start that only shows the tray icon never loads them.
#include "model/sharedstate.h"
#include "outputs/chart.h"
#include "outputs/monthreport.h"

#include <QString>

class PreviewWindow;
class ReportHolder;

class Paper {
public:
    virtual ~Paper() = default;

    // The four mark faces as the month page draws them: vectors on paper.
    virtual MonthReport::MarkPictures markFaces() = 0;
    // The month report's holder (TForm3) and preview window (TForm4), hidden.
    virtual ReportHolder *newReportHolder() = 0;
    virtual PreviewWindow *newPreviewWindow() = 0;
    // The report's page printed into a PDF file by the report's printer
    // settings, the way "Печать" writes one.
    virtual void printPdf(const ReportEngine::Report &report, const QString &path) = 0;
    // The year's workbook at `path` (XlsxExport::WriteYearWorkbook), and in a
    // new folder of its own (XlsxExport::WriteYearWorkbookToNewFile).
    virtual void writeYearWorkbook(const QString &path, const YearTable &table, int year,
                                   const QString &daysLivedLine) = 0;
    virtual QString writeYearWorkbookToNewFile(const SharedState &state) = 0;
    // The chart's page as SVG (Chart::Svg).
    virtual QByteArray chartSvg(const Chart::Subject &subject) = 0;

    // The module, loaded on first use from the executable's own folder, else
    // from the one the package puts it in (fixed relative to the executable's
    // at build time); only a file that root or the user owns and no one else
    // may write, in such a folder. Throws KelvoraError naming the file when
    // it is missing or will not load.
    static Paper &get();
    // The module's file name, and where get() looks for it.
    static QString moduleFileName();
    static QStringList modulePaths();
};

// The paper code linked into the program itself: only the module and the
// tests link it.
Paper &LinkedPaper();
